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
constexpr int kClientWidth = 236;
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

void RegisterOnce(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (GetClassInfoExW(instance, kClassName, &wc)) return;
  RegisterWindowClass(instance, kClassName, proc, ClassLook::kButtonFace);
}

}  // namespace

// A plain window rather than a dialog: a dialog hands its focus on to a
// control, and the labels would then swallow the keys meant for it.
ProgressWindow::ProgressWindow(HWND owner, ScaleUiPort::KeyHandler onKey) : onKey_(std::move(onKey)) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterOnce(instance, WndProc);
  const DWORD style = WS_POPUP | WS_CAPTION;  // no system menu: no caption buttons
  const DWORD exStyle = WS_EX_TOPMOST | WS_EX_DLGMODALFRAME;
  DpiScale px(owner);
  RECT frame{0, 0, px(kClientWidth), px(kClientHeight)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  wnd_ = CreateWindowExW(exStyle, kClassName, kCaption, style, px(kLeft), px(kTop), frame.right - frame.left,
                         frame.bottom - frame.top, owner, nullptr, instance, this);
  if (!wnd_) throw std::system_error(static_cast<int>(GetLastError()), std::system_category());
  for (const Label& label : kLabels)
    CreateWindowExW(0, L"STATIC", label.Text, WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 0, 0, wnd_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(label.Id)), instance, nullptr);
  LayOut();
  ShowWindow(wnd_, SW_SHOW);
  UpdateWindow(wnd_);
}

ProgressWindow::~ProgressWindow() {
  if (!wnd_) return;
  SetWindowLongPtrW(wnd_, GWLP_USERDATA, 0);
  DestroyWindow(wnd_);
}

void ProgressWindow::LayOut() {
  DpiScale px(wnd_);
  font_.Reset(CreateFontW(-px(11), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
  for (const Label& label : kLabels) {
    HWND control = GetDlgItem(wnd_, label.Id);
    MoveWindow(control, px(label.Box.left), px(label.Box.top), px(label.Box.right), px(label.Box.bottom),
               TRUE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
  }
}

void ProgressWindow::SetCountdown(const std::string& text) {
  SetWindowTextUtf8(GetDlgItem(wnd_, IDC_TIME), text);
  UpdateWindow(wnd_);
}

void ProgressWindow::Repaint() {
  UpdateWindow(wnd_);
}

LRESULT CALLBACK ProgressWindow::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<ProgressWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  switch (msg) {
    case WM_CHAR:
      if (self && self->onKey_) {
        try {
          self->onKey_(static_cast<char>(wp));
        } catch (...) {
          // The handler only sets a flag; nothing may leave a window procedure.
        }
      }
      return 0;
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_CLOSE:
      return 0;  // only the run closes it
    case WM_DPICHANGED:
      MoveToSuggestedRect(wnd, lp);
      if (self) self->LayOut();
      return 0;
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace vorsant
