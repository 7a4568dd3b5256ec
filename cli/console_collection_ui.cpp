#include "cli/console_collection_ui.h"

#include <optional>

#include "cli/trial_io.h"
#include "scale/point_texts.h"

namespace vorsant::cli {

volatile std::sig_atomic_t ConsoleCollectionUi::interrupted = 0;

namespace {

std::size_t PointCount(const TWineRec& rec) {
  std::size_t n = 0;
  while (n < kPointCount && !rec.Data.V[n].Empty()) ++n;
  return n;
}

}  // namespace

bool ConsoleCollectionUi::ExecuteNewDataDialog(TNewDataChoice& choice) {
  choice = choice_;
  io_.out << "Collect New Data: density " << choice.Density << " g/ml, maximum test duration "
          << choice.MaxDuration << " min\n";
  return true;
}

void ConsoleCollectionUi::ShowProgress() {
  io_.out << "Data Collection: strike 'X' key (or Ctrl+C) to stop data collection\n" << std::flush;
}

void ConsoleCollectionUi::SetCountdown(const std::string& text) {
  // Rewriting one line only works on a terminal; a log gets the points only.
  if (!interactive_) return;
  io_.out << "\rTime to next read: " << text << std::flush;
  countdownShown_ = true;
}

void ConsoleCollectionUi::EndCountdownLine() {
  if (!countdownShown_) return;
  io_.out << "\r\x1b[K";
  countdownShown_ = false;
}

void ConsoleCollectionUi::CloseProgress() {
  EndCountdownLine();
  io_.out << std::flush;
}

void ConsoleCollectionUi::TrialChanged(TWineClass& trial) {
  const TWineRec& rec = trial.WineRec;
  const std::size_t count = PointCount(rec);
  if (count < pointsShown_) {
    EndCountdownLine();
    io_.out << "points halved: " << count << " points kept, reading interval doubled\n";
  }
  for (std::size_t k = pointsShown_; k < count; ++k) {
    EndCountdownLine();
    io_.out << "point " << k + 1 << ": " << rec.Data.M[k].Str() << " min " << rec.Data.Sc[k].Str() << " s "
            << rec.Data.V[k].Str() << " ml\n";
  }
  pointsShown_ = count;
  io_.out << std::flush;
}

void ConsoleCollectionUi::ProcessMessages() {
  if (run_ == nullptr) return;
  while (const std::optional<char> key = keys_.Poll()) run_->IterruptDataCollection(*key);
  if (interrupted != 0) run_->RequestStop();
}

void ConsoleCollectionUi::ShowInformation(const std::string& text) {
  EndCountdownLine();
  io_.err << text << "\n";
  endedByMessage_ = true;
}

void ConsoleCollectionUi::ShowBalanceProblem(const std::string& text) {
  EndCountdownLine();
  io_.err << "vorsant-cli: " << text << "\n";
}

bool ConsoleCollectionUi::Confirm(const std::string& text) {
  const bool save = pointsShown_ > 0;
  io_.out << text << (save ? " Yes\n" : " No\n");
  return save;
}

void ConsoleCollectionUi::SaveAs(TWineClass& trial) {
  SaveTrial(savePath_, trial.WineRec);
  trial.Modified = false;
  saved_ = true;
  io_.out << "saved " << savePath_ << "\n";
}

}  // namespace vorsant::cli
