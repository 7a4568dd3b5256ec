#include "app/dpi_win.h"

namespace vorsant {

UINT WindowDpi(HWND wnd) {
  // Windows 10 (1607) and later know each window's DPI; older systems have
  // one for the whole session.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow && wnd) {
    UINT dpi = getDpiForWindow(wnd);
    if (dpi > 0) return dpi;
  }
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

void MoveToSuggestedRect(HWND wnd, LPARAM suggested) {
  const RECT* r = reinterpret_cast<const RECT*>(suggested);
  SetWindowPos(wnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vorsant
