#include "app/dialogs_win.h"

namespace vorsant {

void SetClientSize(HWND wnd, int width, int height) {
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_STYLE)), GetMenu(wnd) != nullptr,
                     static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_EXSTYLE)));
  SetWindowPos(wnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CenterWindow(HWND wnd, HWND over) {
  RECT area{};
  if (over)
    GetWindowRect(over, &area);
  else
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  RECT r{};
  GetWindowRect(wnd, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  int x = area.left + (area.right - area.left - w) / 2;
  int y = area.top + (area.bottom - area.top - h) / 2;
  SetWindowPos(wnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vorsant
