#pragma once
// What the balance commands need from the user interface beyond the frame's
// UiPort: the port dialog, the new-data dialog, the collection's progress
// window and the timer that drives a collection's rounds. The Windows shell
// implements it with real windows; the tests script it.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "scale/collection_ui.h"
#include "scale/run_clock.h"
#include "scale/serial_ports.h"

namespace vorsant {

class TMDIChild;

// The Balance Settings dialog's boxes: the ports offered and the one chosen,
// the profile chosen (an index of BalanceProfiles()), and what the last
// Find Balance said.
struct BalanceDialogState {
  std::vector<PresentPort> Ports;
  std::size_t Port = 0;
  std::size_t Profile = 0;
  std::string Found;
};

class ScaleUiPort {
 public:
  virtual ~ScaleUiPort() = default;

  // TCOMDlg, modal, with the button of `portNumber` checked (none when it is
  // outside 1 to 9). True on OK, with `portNumber` set to the checked
  // button's number, or 0 when no button is checked; false on Cancel or
  // the close box.
  virtual bool ExecuteComDialog(int& portNumber) = 0;

  // The Balance Settings dialog, modal, opened with `state`. Its Find
  // Balance button calls `find` with the boxes as they stand, then shows
  // the state it leaves (the port and profile found, and its words). True on
  // OK, with the boxes in `state`.
  using FindBalanceHandler = std::function<void(BalanceDialogState& state)>;
  virtual bool ExecuteBalanceDialog(BalanceDialogState& state, const FindBalanceHandler& find) = 0;
  // The serial ports present on the machine, in their natural order.
  virtual std::vector<PresentPort> PresentPorts() = 0;

  // Where a run starting now keeps every reading until its trial is saved
  // (see collection_readings.h); empty: the run keeps only its points.
  virtual std::filesystem::path NewReadingsPath() = 0;

  // TNewDataDlg, modal, opened with `choice`. Its "Begin Data Collection"
  // button calls `rangeCheck` with the boxes as they stand: the check shows
  // its own message and returns false to keep the dialog open, or leaves
  // the reformatted density in the choice and returns true, and the dialog
  // then shows it, repaints, pauses 200 ms and closes with OK.
  using RangeCheckHandler = std::function<bool(TNewDataChoice& choice)>;
  virtual bool ExecuteNewDataDialog(TNewDataChoice& choice, const RangeCheckHandler& rangeCheck) = 0;

  // TDataCollectionDlg. Keys struck while it has the focus go to `onKey`.
  using KeyHandler = std::function<void(char key)>;
  virtual void ShowProgress(const KeyHandler& onKey) = 0;
  virtual void SetCountdown(const std::string& text) = 0;
  virtual void CloseProgress() = 0;
  // Paints what is waiting to be painted in the progress window.
  virtual void RepaintProgress() = 0;

  // Calls `onTick` once, when `after` of run time has passed, from
  // whichever message loop is running then: the program's own or a modal
  // one (a dialog, a message box, a menu, a window being moved or sized).
  // A later call replaces a call still waiting.
  using TickHandler = std::function<void()>;
  virtual void ScheduleTick(RunClock::Seconds after, const TickHandler& onTick) = 0;
  virtual void CancelTick() = 0;

  // Makes `child` the active trial window.
  virtual void ActivateTrialWindow(TMDIChild& child) = 0;
};

}  // namespace vorsant
