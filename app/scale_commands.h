#pragma once
// The frame's two balance commands, Collect New Data and Set Scale
// Connection, and the guard that keeps the trial a collection is filling in
// place for as long as the run goes on.
//
// A run keeps the program usable: its rounds come from a timer of the
// shell, which every message loop serves, so the menus, the dialogs and the
// moving of windows go on while the readings stay on schedule. While it
// fills a trial:
// - Collect New Data is disabled: one balance, one run at a time;
// - Edit Data and Edit Conditions are disabled while the active window is
//   the trial being filled (other trials can still be edited);
// - Set Scale Connection is disabled: a run reads one balance throughout;
// - closing the trial being filled (the Close command, its close box) or
//   the whole program ends the run first, as the X key would: the run
//   stops after its current round and asks its save question, and then the
//   close goes ahead as asked, with its own questions.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/command_ids.h"
#include "app/scale_ui_port.h"
#include "app/ui_port.h"
#include "scale/collection_run.h"
#include "scale/collection_ui.h"
#include "scale/run_clock.h"
#include "scale/serial_port.h"

namespace vorsant {

class TMainForm;
class TMDIChild;

// The close requests a run can hold back.
enum class CloseRequest { Command, CloseBox, Frame };

// The new-data dialog's "Begin Data Collection" button: the density check,
// with its message when the density is refused. On success the choice holds
// the reformatted density ("1" becomes "1.0000").
bool CheckNewDataDialog(TNewDataChoice& choice, UiPort& ui);

class ScaleCommands final : private CollectionUi {
 public:
  // Registers itself with `form` (TMainForm::Scale) for as long as it lives.
  // `balance` is the port object the runs read the balance through.
  ScaleCommands(TMainForm& form, ScaleUiPort& shell, SerialPort& balance, RunClock& clock);
  ~ScaleCommands() override;
  ScaleCommands(const ScaleCommands&) = delete;
  ScaleCommands& operator=(const ScaleCommands&) = delete;

  // Collect New Data on the active trial window: starts the run, whose
  // rounds then come from the shell's timer. An error of the serial port
  // itself (EComError), here or in a round, ends the run and is passed on to
  // the caller, whose error handler shows it; a close held back by the run
  // is then dropped.
  void CollectNewDataExecute();
  void SetScaleConnectionExecute();
  // Balance Settings, its Find Balance trying ports through the frame's
  // port object.
  void BalanceSettingsExecute();

  bool InProgress() const { return run_.InProgress(); }
  bool IsFilling(const TMDIChild& child) const;
  // Whether the guard lets command `id` run with `active` the active trial
  // window (nullptr: none).
  bool Allows(CommandId id, const TMDIChild* active) const;

  // A request to close `child`; true when a run fills it, and then the run
  // has been told to stop and the close waits for its end.
  bool DeferClose(TMDIChild& child, CloseRequest how);
  // The frame is asked to close; true when a run is in progress, held back
  // as above.
  bool DeferFrameClose();

 private:
  // CollectionUi, for the run.
  bool ExecuteNewDataDialog(TNewDataChoice& choice) override;
  void ShowProgress() override;
  void SetCountdown(const std::string& text) override;
  void CloseProgress() override;
  void TrialChanged(TWineClass& trial) override;
  void ProcessMessages() override;
  void ShowInformation(const std::string& text) override;
  bool Confirm(const std::string& text) override;
  void SaveAs(TWineClass& trial) override;
  void ShowBalanceProblem(const std::string& text) override;

  // One round of the run, from the shell's timer.
  void Tick();
  // Runs one step of the run (its start or a round) for `child`, then
  // schedules the next round or ends the run.
  void Advance(TMDIChild& child, const std::function<bool()>& step);
  void ScheduleNextRound();
  // Forgets the trial that was filled and stops the timer.
  void EndRun();
  void Defer(CloseRequest how);
  void RunDeferredClose(TMDIChild& child);

  TMainForm& form_;
  ScaleUiPort& shell_;
  CollectionRun run_;
  TMDIChild* filling_ = nullptr;
  std::optional<CloseRequest> deferred_;
  // The density box keeps what was last accepted, as a dialog that lives
  // for the whole program would.
  std::string lastDensity_;
  // Every reading of the run in progress; closed before its trial is saved,
  // so that the file can move beside it.
  std::unique_ptr<ReadingLog> readings_;
};

}  // namespace vorsant
