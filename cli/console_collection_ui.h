#pragma once
// A collection run on the terminal: the new-data dialog's boxes come from
// the command line, the progress window is a countdown line, every stored
// point is printed as it comes, and the save question is answered Yes, by
// saving into the output file, only when the run stored at least one point:
// a run that read nothing must not overwrite a trial with an empty one.

#include <csignal>
#include <string>

#include "cli/command.h"
#include "cli/terminal_keys.h"
#include "scale/collection_run.h"
#include "scale/collection_ui.h"

namespace vorsant::cli {

class ConsoleCollectionUi final : public CollectionUi {
 public:
  ConsoleCollectionUi(TNewDataChoice choice, std::string savePath, CommandIo& io, bool interactive)
      : choice_(std::move(choice)), savePath_(std::move(savePath)), io_(io), interactive_(interactive) {}

  // The run to stop on X or Ctrl+C; set before it starts.
  void Attach(CollectionRun& run) { run_ = &run; }
  // Set from a signal handler: Ctrl+C stops the run like the X key.
  static volatile std::sig_atomic_t interrupted;

  bool ExecuteNewDataDialog(TNewDataChoice& choice) override;
  void ShowProgress() override;
  void SetCountdown(const std::string& text) override;
  void CloseProgress() override;
  void TrialChanged(TWineClass& trial) override;
  void ProcessMessages() override;
  void ShowInformation(const std::string& text) override;
  void ShowBalanceProblem(const std::string& text) override;
  bool Confirm(const std::string& text) override;
  void SaveAs(TWineClass& trial) override;

  bool Saved() const { return saved_; }
  // The run ended by one of its own messages (an unreadable reading, too
  // little volume).
  bool EndedByMessage() const { return endedByMessage_; }
  std::size_t Points() const { return pointsShown_; }

 private:
  void EndCountdownLine();

  TNewDataChoice choice_;
  std::string savePath_;
  CommandIo& io_;
  bool interactive_;
  CollectionRun* run_ = nullptr;
  TerminalKeys keys_;
  std::size_t pointsShown_ = 0;
  bool countdownShown_ = false;
  bool saved_ = false;
  bool endedByMessage_ = false;
};

}  // namespace vorsant::cli
