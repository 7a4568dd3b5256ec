#include "app/picture_box_win.h"

#include <exception>

#include "app/dialogs_win.h"
#include "app/window_proc_win.h"

namespace vorsant {
namespace {

constexpr wchar_t kPictureBoxClass[] = L"VorsantPicture";

LRESULT CALLBACK PictureBoxProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) return 1;  // the picture covers the box
  if (msg != WM_PAINT) return DefWindowProcW(wnd, msg, wp, lp);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(wnd, &ps);
  try {
    if (auto* source = reinterpret_cast<PictureSource*>(GetWindowLongPtrW(wnd, GWLP_USERDATA)))
      source->PaintPicture(dc, ps.rcPaint);
    else
      PaintBitmapOrFace(dc, ps.rcPaint, nullptr);
  } catch (...) {
    EndPaint(wnd, &ps);
    ShowUnexpected(wnd, std::current_exception());
    return 0;
  }
  EndPaint(wnd, &ps);
  return 0;
}

}  // namespace

HWND CreatePictureBox(HWND parent, int id, PictureSource& source) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  static const bool registered = [&] {
    RegisterWindowClass(instance, kPictureBoxClass, PictureBoxProc, ClassLook::kPlain);
    return true;
  }();
  (void)registered;
  const HWND box = CreateWindowExW(0, kPictureBoxClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (box) SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&source));
  return box;
}

void DetachPictureBox(HWND box) {
  if (box) SetWindowLongPtrW(box, GWLP_USERDATA, 0);
}

void PaintBitmapOrFace(HDC dc, const RECT& dirty, const OffscreenBitmap* bitmap) {
  if (bitmap)
    bitmap->CopyTo(dc, 0, 0);
  else
    FillRect(dc, &dirty, GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace vorsant
