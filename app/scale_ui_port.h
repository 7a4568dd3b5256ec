#pragma once
// What the balance commands need from the user interface beyond the frame's
// UiPort: the port dialog, the new-data dialog, the collection's progress
// window and the pumping of messages while a collection runs. The Windows
// shell implements it with real windows; the tests script it.

#include <functional>
#include <string>

#include "scale/collection_ui.h"

namespace vorsant {

class TMDIChild;

class ScaleUiPort {
 public:
  virtual ~ScaleUiPort() = default;

  // TCOMDlg, modal, with the button of `portNumber` checked (none when it is
  // outside 1 to 9). True on OK, with `portNumber` set to the checked
  // button's number, or 0 when no button is checked; false on Cancel or
  // the close box.
  virtual bool ExecuteComDialog(int& portNumber) = 0;

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
  // Repaints the progress window and handles every pending message of the
  // program (menus, repaints, the keys of the progress window).
  virtual void ProcessMessages() = 0;

  // Makes `child` the active trial window.
  virtual void ActivateTrialWindow(TMDIChild& child) = 0;
};

}  // namespace vorsant
