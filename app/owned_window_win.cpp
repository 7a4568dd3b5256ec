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

OwnedWindow::~OwnedWindow() {
  Destroy();
}

void OwnedWindow::Destroy() {
  if (const HWND wnd = Release()) DestroyWindow(wnd);
}

void OwnedWindow::HandOver(std::unique_ptr<OwnedWindow> window) {
  window->FreeWithWindow();
  window.release();
}

bool OwnedWindow::CreateOwned(const wchar_t* cls, ClassLook look, DWORD exStyle, DWORD style,
                              const wchar_t* caption, int x, int y, int width, int height, HWND owner) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW known{};
  known.cbSize = sizeof(known);
  if (!GetClassInfoExW(instance, cls, &known)) RegisterWindowClass(instance, cls, BoundWindowProc<>, look);
  return CreateWindowExW(exStyle, cls, caption, style, x, y, width, height, owner, nullptr, instance, CreationParam()) !=
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
  GetWindowRect(Handle(), &r);
  const int width = std::min<int>(r.right - r.left, work.right - work.left);
  const int height = std::min<int>(r.bottom - r.top, work.bottom - work.top);
  const int step = DpiScale(owner)(26);
  RECT from{};
  if (lastPlaced && lastPlaced != Handle() && IsWindow(lastPlaced) && IsWindowVisible(lastPlaced))
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
  SetWindowPos(Handle(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  lastPlaced = Handle();
}

bool OwnedWindow::CloseOnEscape(HWND box, UINT msg, WPARAM wp) {
  if (msg != WM_KEYDOWN || wp != VK_ESCAPE) return false;
  PostMessageW(GetAncestor(box, GA_ROOT), WM_CLOSE, 0, 0);
  return true;
}

}  // namespace vorsant
