#include "app/main_form.h"
#include "app/system_text.h"
#include "app/trial_window.h"
#include "trial/analysis.h"
#include "trial/report.h"

namespace vorsant {

void TMDIChild::Calculate(bool ShowDialogs) {
  UiPort& ui = owner_.Ui();
  for (const std::string& warning : vorsant::Calculate(WineClass.WineRec, ShowDialogs))
    ui.ShowMessage(warning, MessageIcon::Warning, MessageButtons::Ok, MessageAnswer::Ok);
  FillLines();
}

void TMDIChild::FillLines() {
  owner_.Ui().ShowReport(*this, vorsant::FillLines(WineClass.WineRec, AnsiToUtf8));
}

}  // namespace vorsant
