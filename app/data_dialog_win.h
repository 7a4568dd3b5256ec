#pragma once
// The data entry dialog "Filtration Data": 36 points of volume, minutes and
// seconds, and the number of points to skip.

#include <windows.h>

#include <cstddef>

#include "app/ui_port.h"
#include "trial/data_input.h"

namespace vorsant {

// The dialog for one use: its boxes are loaded from `input` and, on an
// accepted OK, `input` receives them.
class TDataDlg {
 public:
  TDataDlg(DataInput& input, UiPort& ui);
  TDataDlg(const TDataDlg&) = delete;
  TDataDlg& operator=(const TDataDlg&) = delete;

  // True when it closed through an accepted OK; Cancel and the close box
  // leave `input` as it was.
  bool ShowModal(HWND owner);

 private:
  static INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
  void FormCreate();
  void Load(const DataInput& input);
  DataInput Boxes() const;
  void ShowBoxes(const DataInput& input);
  // The OK button: checks the 108 boxes and closes only when all passed.
  void DataRangeCheck();
  // Readings from the clipboard into the points from `row` (from 0) on; the
  // dialog says how many it took.
  void PasteReadings(std::size_t row);
  static LRESULT CALLBACK BoxProc(HWND box, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);

  DataInput& input_;
  UiPort& ui_;
  HWND dlg_ = nullptr;
  std::size_t lastRow_ = 0;  // the row of the box that last had the focus
};

// Shows the dialog modally, loaded from `input` (the record's single-byte
// texts); its OK button checks the boxes, showing the message through `ui`.
// True on an accepted OK, and then `input` holds the boxes as accepted.
bool RunDataDialog(HWND owner, DataInput& input, UiPort& ui);

}  // namespace vorsant
