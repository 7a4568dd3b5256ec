#include "app/fouling_commands.h"

#include <filesystem>
#include <system_error>

#include "app/main_form.h"
#include "app/system_text.h"
#include "scale/reading_log.h"

namespace vorsant {

std::optional<CompanionLog> ReadingsBeside(const TMDIChild& w) {
  try {
    // A collection's readings not yet beside a saved file are this window's.
    std::error_code missing;
    if (!w.PendingReadings.empty() && std::filesystem::exists(w.PendingReadings, missing))
      return LoadCompanionLog(w.PendingReadings);
    if (w.FileName == kUnsavedFileName) return std::nullopt;
    return LoadCompanionLog(ReadingLogPath(PathFromText(w.FileName)));
  } catch (const std::exception&) {
    return std::nullopt;  // a name the file system cannot take has no file beside it
  }
}

// Like the graph windows, each use opens another window from a copy of the
// trial; a trial that cannot give the models' points opens none.
void TMainForm::FoulingModelsExecute() {
  TMDIChild* w = ui_.ActiveTrialWindow();
  if (!w) return;
  const TWineRec rec = w->WineClass.WineRec;
  const std::optional<CompanionLog> readings = ReadingsBeside(*w);
  FoulingOutcome outcome = AnalyseFouling(rec, SizingRequest{}, readings ? &*readings : nullptr);
  if (!outcome.report) {
    ui_.ShowMessage(outcome.failure, MessageIcon::Warning, MessageButtons::Ok, MessageAnswer::Ok);
    return;
  }
  ui_.ShowFoulingWindow(rec, *outcome.report);
}

// Every open trial window in the order they were opened, which is the order
// of the Window list; a trial that cannot be analysed is still listed, with
// its reason. The overlay has colours for kMaxComparedTrials trials.
void TMainForm::CompareOpenTrialsExecute() {
  std::vector<TrialToCompare> trials;
  for (const auto& w : windows_) trials.push_back({w->Caption, w->WineClass.WineRec, ReadingsBeside(*w)});
  if (trials.empty()) return;
  // One trial has nothing to be compared with: an empty overlay would only
  // show arbitrary axes.
  if (trials.size() < 2) {
    ui_.ShowMessage("Open at least two trials to compare them.", MessageIcon::Information, MessageButtons::Ok,
                    MessageAnswer::Ok);
    return;
  }
  if (trials.size() > kMaxComparedTrials) {
    ui_.ShowMessage("Only the first " + std::to_string(kMaxComparedTrials) + " of the " +
                        std::to_string(trials.size()) + " open trials are compared.",
                    MessageIcon::Information, MessageButtons::Ok, MessageAnswer::Ok);
    trials.resize(kMaxComparedTrials);
  }
  ui_.ShowCompareWindow(CompareTrials(trials, SizingRequest{}, AnsiToUtf8));
}

}  // namespace vorsant
