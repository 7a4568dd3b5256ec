#pragma once
// Display scale. Every size the program sets in pixels is written as a size
// at 96 DPI (100 %) and shown at the DPI of the window's monitor, so the
// program is as sharp at 150 % as at 100 % and at 96 DPI nothing moves.

#include <windows.h>

// Sent to child windows when their top-level window changes DPI (Windows 10
// 1703 and later); newer than the systems the program is built for.
#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif

namespace vorsant {

inline constexpr UINT kBaseDpi = 96;

// The DPI `wnd` is shown at: its monitor's on systems that tell each
// window's, else the system's.
UINT WindowDpi(HWND wnd);

// A 96-DPI size at `dpi`, rounded to the nearest pixel.
inline int ScaleToDpi(int px, UINT dpi) {
  return MulDiv(px, static_cast<int>(dpi), static_cast<int>(kBaseDpi));
}

// Scales 96-DPI sizes to one window's DPI.
class DpiScale {
 public:
  explicit DpiScale(UINT dpi) : dpi_(dpi) {}
  explicit DpiScale(HWND wnd) : dpi_(WindowDpi(wnd)) {}
  UINT Dpi() const { return dpi_; }
  int operator()(int px) const { return ScaleToDpi(px, dpi_); }
  RECT operator()(const RECT& r) const {
    return {(*this)(r.left), (*this)(r.top), (*this)(r.right), (*this)(r.bottom)};
  }

 private:
  UINT dpi_;
};

// WM_DPICHANGED of a top-level window: takes the size and place the system
// suggests for the new DPI.
void MoveToSuggestedRect(HWND wnd, LPARAM suggested);

}  // namespace vorsant
