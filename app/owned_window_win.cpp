#include "app/owned_window_win.h"

#include <algorithm>
#include <string>
#include <utility>

#include "app/dpi_win.h"
#include "app/win_handles.h"

namespace vorsant {
namespace {

// The window placed last, which the next one cascades from.
HWND lastPlaced = nullptr;

}  // namespace

void ShowUnexpected(HWND owner, std::exception_ptr error) noexcept {
  try {
    std::string what = "Unexpected error.";
    try {
      if (error) std::rethrow_exception(error);
    } catch (const std::exception& e) {
      what = e.what();
    } catch (...) {
    }
    MessageBoxW(owner, Widen(what).c_str(), L"Error", MB_OK | MB_ICONERROR);
  } catch (...) {
    // Out of memory for the text: nothing more can be said.
  }
}

OwnedWindow::~OwnedWindow() {
  Destroy();
}

void OwnedWindow::Destroy() {
  if (!wnd_) return;
  SetWindowLongPtrW(wnd_, GWLP_USERDATA, 0);
  DestroyWindow(std::exchange(wnd_, nullptr));
}

void OwnedWindow::HandOver(std::unique_ptr<OwnedWindow> window) {
  window->ownedByWindow_ = true;
  window.release();
}

bool OwnedWindow::CreateOwned(const wchar_t* cls, ClassLook look, DWORD exStyle, DWORD style,
                              const wchar_t* caption, int x, int y, int width, int height, HWND owner) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW known{};
  known.cbSize = sizeof(known);
  if (!GetClassInfoExW(instance, cls, &known)) RegisterWindowClass(instance, cls, BoundWindowProc<OwnedWindow>, look);
  return CreateWindowExW(exStyle, cls, caption, style, x, y, width, height, owner, nullptr, instance, this) !=
         nullptr;
}

RECT OwnedWindow::WorkArea(HWND wnd) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT work{};
  if (GetMonitorInfoW(MonitorFromWindow(wnd, MONITOR_DEFAULTTOPRIMARY), &monitor))
    work = monitor.rcWork;
  else
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

void OwnedWindow::PlaceCascaded(HWND owner) {
  const RECT work = WorkArea(owner);
  RECT r{};
  GetWindowRect(wnd_, &r);
  const int width = std::min<int>(r.right - r.left, work.right - work.left);
  const int height = std::min<int>(r.bottom - r.top, work.bottom - work.top);
  const int step = DpiScale(owner)(26);
  RECT from{};
  if (lastPlaced && lastPlaced != wnd_ && IsWindow(lastPlaced) && IsWindowVisible(lastPlaced))
    GetWindowRect(lastPlaced, &from);
  else if (owner)
    GetWindowRect(owner, &from);
  else
    from = RECT{work.left - step, work.top - step, 0, 0};
  int x = from.left + step, y = from.top + step;
  // Past the work area's edge the cascade starts again at its corner.
  if (x + width > work.right || y + height > work.bottom) {
    x = std::max<int>(work.left, std::min<int>(x, work.right - width));
    y = y + height > work.bottom ? work.top : std::max<int>(work.top, y);
  }
  SetWindowPos(wnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  lastPlaced = wnd_;
}

bool OwnedWindow::CloseOnEscape(HWND box, UINT msg, WPARAM wp) {
  if (msg != WM_KEYDOWN || wp != VK_ESCAPE) return false;
  PostMessageW(GetAncestor(box, GA_ROOT), WM_CLOSE, 0, 0);
  return true;
}

LRESULT OwnedWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(wnd_, msg, wp, lp);
}

LRESULT OwnedWindow::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  const HWND wnd = wnd_;
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    wnd_ = nullptr;
    WindowDestroyed();
    if (ownedByWindow_) delete this;
    return DefWindowProcW(wnd, msg, wp, lp);
  }
  if (msg == WM_KEYDOWN && wp == VK_ESCAPE && ClosesOnEscape()) {
    PostMessageW(wnd, WM_CLOSE, 0, 0);
    return 0;
  }
  return HandleMessage(msg, wp, lp);
}

}  // namespace vorsant
