#pragma once
// What a collection run needs from the user interface: its two dialogs, the
// progress window, message boxes and the main window's Save As. The Windows
// shell implements it with real windows; the command-line tool with the
// terminal; the tests script it. Texts are single-byte ASCII.

#include <array>
#include <string>

#include "trial/wine_rec.h"

namespace vorsant {

inline constexpr std::array<int, 5> kMaxDurations = {9, 18, 36, 72, 144};

// The boxes of the new-data dialog.
struct TNewDataChoice {
  std::string Density;   // g/ml as the Density box shows it
  int MaxDuration = 18;  // minutes: the checked MaxDuration radio button
};

class CollectionUi {
 public:
  virtual ~CollectionUi() = default;

  // TNewDataDlg, modal, opened with `choice` (MaxDuration18 checked). Its
  // "Begin Data Collection" button runs RangeCheck (density_check.h): on
  // failure kDensityRangeMessage is shown and the dialog stays; on success
  // the box shows the reformatted text, the dialog repaints, waits 200 ms
  // and closes. True on that OK, with `choice` holding the boxes.
  virtual bool ExecuteNewDataDialog(TNewDataChoice& choice) = 0;

  // TDataCollectionDlg: shown at the start of the run, closed at its end.
  virtual void ShowProgress() = 0;
  // New text for the countdown label (only called when it changes); the
  // progress window repaints.
  virtual void SetCountdown(const std::string& text) = 0;
  virtual void CloseProgress() = 0;

  // `trial` was changed and recalculated: rebuild its report and graph.
  virtual void TrialChanged(TWineClass& trial) = 0;

  // Once per round: repaint the progress window and process every pending
  // message. The progress window's key handler passes keys to
  // CollectionRun::IterruptDataCollection.
  virtual void ProcessMessages() = 0;

  // Message box with the information icon and an OK button.
  virtual void ShowInformation(const std::string& text) = 0;
  // Message box with the confirmation icon, Yes and No; true for Yes.
  virtual bool Confirm(const std::string& text) = 0;
  // The main window's Save As for `trial`.
  virtual void SaveAs(TWineClass& trial) = 0;

  // What a balance of today's command sets said when a reading gave no
  // weight ("the balance is overloaded: ..."), before the run's own message
  // about it. Shown beside that message, never instead of it.
  virtual void ShowBalanceProblem(const std::string& text) { (void)text; }
};

}  // namespace vorsant
