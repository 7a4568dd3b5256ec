#include "app/main_form.h"
#include "app/system_text.h"
#include "app/trial_window.h"
#include "trial/analysis.h"
#include "trial/report.h"

namespace vorsant {

namespace {

// The analysis fits no fewer readings than this after the skipped ones.
constexpr int kLeastFittedReadings = 4;

// The readings the analysis takes: complete ones from point 1 on, up to the
// first gap.
int ReadingsInARow(const TData& data) {
  int n = 0;
  while (n < static_cast<int>(kPointCount) && !data.V[n].Empty() && !data.M[n].Empty() && !data.Sc[n].Empty())
    ++n;
  return n;
}

}  // namespace

std::string TooFewReadingsText(const std::string& caption, const TData& data) {
  const int n = ReadingsInARow(data);
  return caption + " has " + std::to_string(n) + (n == 1 ? " reading" : " readings") +
         "; the analysis needs at least " + std::to_string(kLeastFittedReadings) + " after the " +
         std::to_string(data.MinSkip) + " skipped";
}

void TMDIChild::Calculate(bool ShowDialogs) {
  UiPort& ui = owner_.Ui();
  bool tooFew = false;
  for (const std::string& warning : vorsant::Calculate(WineClass.WineRec, ShowDialogs)) {
    ui.ShowMessage(warning, MessageIcon::Warning, MessageButtons::Ok, MessageAnswer::Ok);
    tooFew = tooFew || warning == kInsufficientDataWarning;
  }
  // The warning's words are fixed; the status bar says how many.
  if (tooFew) ui.ShowNotice(TooFewReadingsText(Caption, WineClass.WineRec.Data));
  FillLines();
}

void TMDIChild::FillLines() {
  owner_.Ui().ShowReport(*this, vorsant::FillLines(WineClass.WineRec, AnsiToUtf8));
}

}  // namespace vorsant
