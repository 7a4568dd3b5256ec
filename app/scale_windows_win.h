#pragma once
// The balance commands' windows: the port dialog (TCOMDlg), the new-data
// dialog (TNewDataDlg), the collection's progress window
// (TDataCollectionDlg), and the timer that drives a run's rounds.
// Owns the frame's ScaleCommands, so the frame's balance commands work for as
// long as this object lives.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/owned_window_win.h"
#include "app/scale_commands.h"
#include "app/scale_ui_port.h"
#include "app/win_handles.h"
#include "scale/run_clock.h"

namespace vorsant {

class TMainForm;

// TCOMDlg: see ScaleUiPort::ExecuteComDialog.
bool RunComDialog(HWND owner, int& portNumber);
// TNewDataDlg: see ScaleUiPort::ExecuteNewDataDialog.
bool RunNewDataDialog(HWND owner, TNewDataChoice& choice, const ScaleUiPort::RangeCheckHandler& rangeCheck);
// Balance Settings: see ScaleUiPort::ExecuteBalanceDialog.
bool RunBalanceDialog(HWND owner, BalanceDialogState& state, const ScaleUiPort::FindBalanceHandler& find);

// TDataCollectionDlg: shown at (5, 5) on top of every window, with no
// caption buttons; destroyed with the object. Nothing in it takes the
// focus from it, so every key struck in it reaches its key handler.
class ProgressWindow final : public OwnedWindow {
 public:
  ProgressWindow(HWND owner, ScaleUiPort::KeyHandler onKey);
  ~ProgressWindow() override { Destroy(); }

  // Shows the text in the countdown label at once.
  void SetCountdown(const std::string& text);
  // Paints what is waiting to be painted, without redrawing the rest.
  void Repaint();

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  // Places the labels and sizes their font for the window's DPI.
  void LayOut();
  UniqueFont font_;
  ScaleUiPort::KeyHandler onKey_;
};

// Its own window is a message-only one, for the run's timer.
class ScaleWindows final : public ProgramWindow, public ScaleUiPort {
 public:
  ScaleWindows(TMainForm& form, HWND frame);
  ~ScaleWindows() override;

  bool ExecuteComDialog(int& portNumber) override;
  bool ExecuteNewDataDialog(TNewDataChoice& choice, const RangeCheckHandler& rangeCheck) override;
  bool ExecuteBalanceDialog(BalanceDialogState& state, const FindBalanceHandler& find) override;
  std::vector<PresentPort> PresentPorts() override;
  std::filesystem::path NewReadingsPath() override;
  void ShowProgress(const KeyHandler& onKey) override;
  void SetCountdown(const std::string& text) override;
  void CloseProgress() override;
  void RepaintProgress() override;
  // A WM_TIMER of a message-only window of ours: every message loop of the
  // thread dispatches it, the modal loops of dialogs, message boxes, menus
  // and of moving or sizing a window included.
  void ScheduleTick(RunClock::Seconds after, const TickHandler& onTick) override;
  void CancelTick() override;
  void ActivateTrialWindow(TMDIChild& child) override;

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnTimer();

  HWND frame_;
  TickHandler tick_;
  std::unique_ptr<ProgressWindow> progress_;
  SteadyRunClock clock_;
  // Last: it registers with the frame once everything it uses exists.
  ScaleCommands commands_;
};

}  // namespace vorsant
