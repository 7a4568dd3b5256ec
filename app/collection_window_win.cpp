// TDataCollectionDlg: the countdown to the next reading and the X key.

#include <system_error>

#include "app/dialogs_win.h"
#include "app/dpi_win.h"
#include "app/resource_ids.h"
#include "app/scale_windows_win.h"
#include "app/win_handles.h"

namespace vorsant {

namespace {

constexpr wchar_t kClassName[] = L"VorsantDataCollection";
constexpr wchar_t kCaption[] = L"Data Collection";
constexpr int kLeft = 5;
constexpr int kTop = 5;
constexpr int kClientWidth = 300;
constexpr int kClientHeight = 66;

struct Label {
  int Id;
  const wchar_t* Text;
  RECT Box;  // left, top, width, height
};
constexpr Label kLabels[] = {
    {IDC_NEXT, L"Time to next read:", {16, 12, 112, 16}},
    {IDC_TIME, L"", {132, 12, 60, 16}},
    {IDC_STOP, L"Strike 'X' key to stop data collection", {16, 38, 212, 16}},
};
// Beside the X key's line, for those who reach for the mouse.
constexpr RECT kStopButton{236, 33, 52, 24};

}  // namespace

// A plain window rather than a dialog: a dialog hands its focus on to a
// control, and the labels would then swallow the keys meant for it.
ProgressWindow::ProgressWindow(HWND owner, ScaleUiPort::KeyHandler onKey) : onKey_(std::move(onKey)) {
  const DWORD style = WS_POPUP | WS_CAPTION;  // no system menu: no caption buttons
  const DWORD exStyle = WS_EX_TOPMOST | WS_EX_DLGMODALFRAME;
  DpiScale px(owner);
  RECT frame{0, 0, px(kClientWidth), px(kClientHeight)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  if (!CreateOwned(kClassName, ClassLook::kButtonFace, exStyle, style, kCaption, px(kLeft), px(kTop),
                   frame.right - frame.left, frame.bottom - frame.top, owner))
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category());
  for (const Label& label : kLabels)
    CreateWindowExW(0, L"STATIC", label.Text, WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 0, 0, Handle(),
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(label.Id)), GetModuleHandleW(nullptr),
                    nullptr);
  CreateWindowExW(0, L"BUTTON", L"Stop", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 0, 0, Handle(),
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STOP_BUTTON)), GetModuleHandleW(nullptr),
                  nullptr);
  LayOut();
  ShowWindow(Handle(), SW_SHOW);
  UpdateWindow(Handle());
}

void ProgressWindow::LayOut() {
  DpiScale px(Handle());
  font_.Reset(CreateFontW(-px(11), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
  for (const Label& label : kLabels) {
    HWND control = GetDlgItem(Handle(), label.Id);
    MoveWindow(control, px(label.Box.left), px(label.Box.top), px(label.Box.right), px(label.Box.bottom),
               TRUE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
  }
  HWND stop = GetDlgItem(Handle(), IDC_STOP_BUTTON);
  MoveWindow(stop, px(kStopButton.left), px(kStopButton.top), px(kStopButton.right), px(kStopButton.bottom),
             TRUE);
  SendMessageW(stop, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
}

void ProgressWindow::SetCountdown(const std::string& text) {
  SetWindowTextUtf8(GetDlgItem(Handle(), IDC_TIME), text);
  UpdateWindow(Handle());
}

void ProgressWindow::Repaint() {
  UpdateWindow(Handle());
}

LRESULT ProgressWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CHAR:
      if (onKey_) onKey_(static_cast<char>(wp));
      return 0;
    case WM_COMMAND:
      // The Stop button does what the X key does; the keys come back here.
      if (LOWORD(wp) == IDC_STOP_BUTTON && onKey_) onKey_('X');
      SetFocus(Handle());
      return 0;
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_CLOSE:
      return 0;  // only the run closes it
    case WM_DPICHANGED:
      MoveToSuggestedRect(Handle(), lp);
      LayOut();
      return 0;
  }
  return OwnedWindow::HandleMessage(msg, wp, lp);
}

}  // namespace vorsant
