#include "app/data_dialog_win.h"

#include <commctrl.h>

#include <optional>
#include <string>
#include <utility>

#include "app/dialogs_win.h"
#include "app/dpi_win.h"
#include "app/edit_data_flow.h"
#include "app/owned_window_win.h"
#include "app/readings_paste.h"
#include "app/resource_ids.h"
#include "app/units_setting.h"
#include "app/win_handles.h"

namespace vorsant {
namespace {

constexpr int kClientWidth = 521;
constexpr int kClientHeight = 474;
constexpr int kSkipCount = kMaxSkipChoice + 1;
constexpr int kRowsPerColumn = 18;
constexpr int kRowStep = 20;
constexpr int kHeadingTop = 30;
constexpr int kUnitsTop = 46;
constexpr int kFirstRowTop = 66;
constexpr int kColumnStep = 176;
constexpr int kBoxHeight = 19;
constexpr int kVolumeLimit = 6;
constexpr int kMinutesLimit = 3;
constexpr int kSecondsLimit = 2;

// Horizontal places inside one column of points: number, volume, minutes,
// seconds.
constexpr int kNumberX = 12, kNumberWidth = 22;
constexpr int kVolumeX = 40, kVolumeWidth = 52;
constexpr int kMinutesX = 98, kMinutesWidth = 34;
constexpr int kSecondsX = 136, kSecondsWidth = 26;

constexpr int kSkipX = 392, kSkipTop = 62, kSkipWidth = 48, kSkipHeight = 17;
constexpr int kButtonX = 384, kButtonWidth = 96, kButtonHeight = 26;
constexpr int kOkTop = 360, kCancelTop = 400;
// Below both columns: the paste button and what the last paste took.
constexpr int kPasteTop = 436, kNoteX = 12, kNoteWidth = 360, kNoteHeight = 30;

int VolumeId(std::size_t i) {
  return IDC_DATA_V1 + static_cast<int>(i);
}
int MinutesId(std::size_t i) {
  return IDC_DATA_MIN1 + static_cast<int>(i);
}
int SecondsId(std::size_t i) {
  return IDC_DATA_SEC1 + static_cast<int>(i);
}

int ColumnLeft(std::size_t i) {
  return static_cast<int>(i / kRowsPerColumn) * kColumnStep;
}
int RowTop(std::size_t i) {
  return kFirstRowTop + static_cast<int>(i % kRowsPerColumn) * kRowStep;
}

// Places are given at 96 DPI and made at the dialog's.
HWND AddControl(HWND dlg, const wchar_t* cls, const std::wstring& text, DWORD style, DWORD exStyle, int id,
                int x, int y, int w, int h) {
  DpiScale px(dlg);
  HWND c = CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, px(x), px(y), px(w),
                           px(h), dlg, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
  SendMessageW(c, WM_SETFONT, SendMessageW(dlg, WM_GETFONT, 0, 0), FALSE);
  return c;
}

// Each label starts a group, so the group of skip buttons, the last
// controls, ends at Skip12 instead of wrapping round into the labels.
void AddLabel(HWND dlg, const wchar_t* text, DWORD align, int x, int y, int w) {
  AddControl(dlg, L"STATIC", text, align | SS_NOPREFIX | WS_GROUP, 0, IDC_DATA_LABEL, x, y, w, 14);
}

void AddBox(HWND dlg, int id, int x, int y, int w, int limit, DWORD extraStyle = 0) {
  HWND box = AddControl(dlg, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP | extraStyle, WS_EX_CLIENTEDGE, id, x,
                        y, w, kBoxHeight);
  if (limit > 0) SendMessageW(box, EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
}

// Volume boxes 4 to 9 accept any length of text; whatever is stored is still
// cut to the field's six characters.
bool VolumeUnlimited(std::size_t i) {
  return i >= 3 && i <= 8;
}

// Creates every control. Creation order is the tab order: OK, Cancel, the
// 36 volumes, then minutes and seconds point by point, then the 13 skip
// buttons. The labels come first so they take no place in it.
void BuildControls(HWND dlg) {
  for (int col = 0; col < 2; ++col) {
    const int left = col * kColumnStep;
    AddLabel(dlg, L"Volume", SS_CENTER, left + kVolumeX, kHeadingTop, kVolumeWidth);
    AddLabel(dlg, L"ml", SS_CENTER, left + kVolumeX, kUnitsTop, kVolumeWidth);
    AddLabel(dlg, L"Time", SS_CENTER, left + kMinutesX, kHeadingTop, kSecondsX + kSecondsWidth - kMinutesX);
    AddLabel(dlg, L"min", SS_CENTER, left + kMinutesX, kUnitsTop, kMinutesWidth);
    AddLabel(dlg, L"sec", SS_CENTER, left + kSecondsX, kUnitsTop, kSecondsWidth);
  }
  for (std::size_t i = 0; i < kPointCount; ++i)
    AddLabel(dlg, std::to_wstring(i + 1).c_str(), SS_RIGHT, ColumnLeft(i) + kNumberX, RowTop(i) + 2,
             kNumberWidth);
  AddLabel(dlg, L"Points to be skipped", SS_LEFT, kSkipX - 16, kHeadingTop, 128);
  AddControl(dlg, L"STATIC", L"", SS_LEFT | SS_NOPREFIX | WS_GROUP, 0, IDC_DATA_PASTE_NOTE, kNoteX, kPasteTop,
             kNoteWidth, kNoteHeight);

  AddControl(dlg, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, IDOK, kButtonX, kOkTop,
             kButtonWidth, kButtonHeight);
  AddControl(dlg, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0, IDCANCEL, kButtonX, kCancelTop,
             kButtonWidth, kButtonHeight);
  for (std::size_t i = 0; i < kPointCount; ++i)
    AddBox(dlg, VolumeId(i), ColumnLeft(i) + kVolumeX, RowTop(i), kVolumeWidth,
           VolumeUnlimited(i) ? 0 : kVolumeLimit, i == 0 ? WS_GROUP : 0);
  for (std::size_t i = 0; i < kPointCount; ++i) {
    AddBox(dlg, MinutesId(i), ColumnLeft(i) + kMinutesX, RowTop(i), kMinutesWidth, kMinutesLimit);
    AddBox(dlg, SecondsId(i), ColumnLeft(i) + kSecondsX, RowTop(i), kSecondsWidth, kSecondsLimit);
  }
  for (int k = 0; k < kSkipCount; ++k)
    AddControl(dlg, L"BUTTON", std::to_wstring(k), BS_AUTORADIOBUTTON | WS_TABSTOP | (k == 0 ? WS_GROUP : 0),
               0, IDC_DATA_SKIP0 + k, kSkipX, kSkipTop + k * kRowStep, kSkipWidth, kSkipHeight);
  // Outside the tab order, which stays OK to Skip12; Ctrl+V in a box does the same.
  AddControl(dlg, L"BUTTON", L"Paste Readings", BS_PUSHBUTTON | WS_GROUP, 0, IDC_DATA_PASTE, kButtonX,
             kPasteTop, kButtonWidth, kButtonHeight);
}

// The row of a point's box, or nothing for any other control.
std::optional<std::size_t> RowOf(int id) {
  for (int first : {IDC_DATA_V1, IDC_DATA_MIN1, IDC_DATA_SEC1})
    if (id >= first && id < first + static_cast<int>(kPointCount))
      return static_cast<std::size_t>(id - first);
  return std::nullopt;
}

std::wstring ClipboardText(HWND owner) {
  std::wstring text;
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(owner)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// The boxes hold the record's single-byte texts, in the ANSI code page.
std::string BoxText(HWND dlg, int id) {
  return AnsiWindowText(GetDlgItem(dlg, id));
}

void SetBoxText(HWND dlg, int id, const std::string& ansi) {
  SetAnsiWindowText(GetDlgItem(dlg, id), ansi);
}

int FailedBoxId(const DataFailure& failure) {
  const auto i = static_cast<std::size_t>(failure.Point - 1);
  switch (failure.Column) {
    case DataColumn::Volume:
      return VolumeId(i);
    case DataColumn::Minutes:
      return MinutesId(i);
    case DataColumn::Seconds:
      return SecondsId(i);
  }
  return VolumeId(0);
}

}  // namespace

TDataDlg::TDataDlg(DataInput& input, UiPort& ui) : input_(input), ui_(ui) {}

bool TDataDlg::ShowModal(HWND owner) {
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_DATA), owner, DialogProc,
                         reinterpret_cast<LPARAM>(this)) == IDOK;
}

void TDataDlg::FormCreate() {
  DpiScale px(dlg_);
  SetClientSize(dlg_, px(kClientWidth), px(kClientHeight));
  BuildControls(dlg_);
  CenterWindow(dlg_, GetWindow(dlg_, GW_OWNER));
  Load(input_);
  for (std::size_t i = 0; i < kPointCount; ++i)
    for (int id : {VolumeId(i), MinutesId(i), SecondsId(i)})
      SetWindowSubclass(GetDlgItem(dlg_, id), BoxProc, 0, reinterpret_cast<DWORD_PTR>(this));
  // The controls are made here, not by the template, so the focus is given
  // by hand: to OK, the first of the tab order.
  SetFocus(GetDlgItem(dlg_, IDOK));
}

void TDataDlg::Load(const DataInput& input) {
  for (std::size_t i = 0; i < kPointCount; ++i) {
    SetBoxText(dlg_, VolumeId(i), input.V[i]);
    SetBoxText(dlg_, MinutesId(i), input.Min[i]);
    SetBoxText(dlg_, SecondsId(i), input.Sec[i]);
  }
  if (input.Skip && *input.Skip >= 0 && *input.Skip < kSkipCount)
    CheckDlgButton(dlg_, IDC_DATA_SKIP0 + *input.Skip, BST_CHECKED);
}

DataInput TDataDlg::Boxes() const {
  DataInput input;
  for (std::size_t i = 0; i < kPointCount; ++i) {
    input.V[i] = BoxText(dlg_, VolumeId(i));
    input.Min[i] = BoxText(dlg_, MinutesId(i));
    input.Sec[i] = BoxText(dlg_, SecondsId(i));
  }
  for (int k = 0; k < kSkipCount; ++k)
    if (IsDlgButtonChecked(dlg_, IDC_DATA_SKIP0 + k) == BST_CHECKED) input.Skip = k;
  return input;
}

void TDataDlg::ShowBoxes(const DataInput& input) {
  for (std::size_t i = 0; i < kPointCount; ++i) {
    for (auto [id, text] : {std::pair{VolumeId(i), &input.V[i]}, std::pair{MinutesId(i), &input.Min[i]},
                            std::pair{SecondsId(i), &input.Sec[i]}})
      if (BoxText(dlg_, id) != *text) SetBoxText(dlg_, id, *text);
  }
}

void TDataDlg::DataRangeCheck() {
  DataInput input = Boxes();
  std::optional<DataFailure> failed = CheckDataDialog(input, ui_);
  // The boxes checked before a failure show their canonical text, the
  // failing one keeps the user's and gets the focus.
  ShowBoxes(input);
  if (failed) {
    HWND box = GetDlgItem(dlg_, FailedBoxId(*failed));
    SendMessageW(dlg_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE);
    SendMessageW(box, EM_SETSEL, 0, -1);
    return;
  }
  RedrawWindow(dlg_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(kDataAcceptPauseMs);
  input_ = input;
  EndDialog(dlg_, IDOK);
}

void TDataDlg::PasteReadings(std::size_t row) {
  const ReadingsPaste paste = ParseReadings(Narrow(ClipboardText(dlg_)), UserNumberStyle().decimal);
  DataInput boxes = Boxes();
  const std::size_t placed = FillReadings(boxes, row, paste.Readings);
  ShowBoxes(boxes);
  SetDlgItemTextW(dlg_, IDC_DATA_PASTE_NOTE, Widen(PasteSummary(paste, row, placed)).c_str());
}

// A point's box: a paste of several readings fills the points from its row
// on; what one box takes is pasted as usual.
LRESULT CALLBACK TDataDlg::BoxProc(HWND box, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  if (msg == WM_PASTE) {
    auto* self = reinterpret_cast<TDataDlg*>(data);
    try {
      if (LooksLikeReadings(Narrow(ClipboardText(box)))) {
        if (auto row = RowOf(GetDlgCtrlID(box))) self->PasteReadings(*row);
        return 0;
      }
    } catch (...) {
      ShowUnexpected(self->dlg_, std::current_exception());
      return 0;
    }
  }
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(box, BoxProc, 0);
  return DefSubclassProc(box, msg, wp, lp);
}

INT_PTR CALLBACK TDataDlg::DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    if (msg == WM_INITDIALOG) {
      SetWindowLongPtrW(dlg, DWLP_USER, lp);
      auto* self = reinterpret_cast<TDataDlg*>(lp);
      self->dlg_ = dlg;
      self->FormCreate();
      return FALSE;
    }
    auto* self = reinterpret_cast<TDataDlg*>(GetWindowLongPtrW(dlg, DWLP_USER));
    if (self && msg == WM_COMMAND) {
      if (HIWORD(wp) == EN_SETFOCUS) {
        if (auto row = RowOf(LOWORD(wp))) self->lastRow_ = *row;
        return FALSE;
      }
      if (LOWORD(wp) == IDC_DATA_PASTE) {
        self->PasteReadings(self->lastRow_);
        return TRUE;
      }
      if (LOWORD(wp) == IDOK) {
        self->DataRangeCheck();
        return TRUE;
      }
      if (LOWORD(wp) == IDCANCEL) {
        EndDialog(dlg, IDCANCEL);
        return TRUE;
      }
    }
  } catch (...) {
    // Nothing may leave a dialog procedure: the user is told, and a dialog
    // that failed is a Cancel.
    ShowUnexpected(dlg, std::current_exception());
    EndDialog(dlg, IDCANCEL);
  }
  return FALSE;
}

bool RunDataDialog(HWND owner, DataInput& input, UiPort& ui) {
  return TDataDlg(input, ui).ShowModal(owner);
}

}  // namespace vorsant
