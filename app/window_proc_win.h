#pragma once
// The one window procedure of the program's own windows (the frame, the
// trial windows and the windows the frame owns): the object is bound to its
// window at WM_NCCREATE, from the creation parameter, and every later
// message goes to its Dispatch. An exception leaving Dispatch is shown to the
// user and the program goes on: nothing may cross a window procedure. Before
// the object is bound, and once Dispatch has cleared GWLP_USERDATA, the
// system's own handling answers.
//
// T has `void Bind(HWND)` and `LRESULT Dispatch(UINT, WPARAM, LPARAM)`,
// reachable from here (a friend declaration will do).

#include <windows.h>

#include <exception>

namespace vorsant {

// Shows an exception that reached a window or dialog procedure to the user
// ("Error" box with the Error icon). Never throws.
void ShowUnexpected(HWND owner, std::exception_ptr error) noexcept;

// How the window was created: the object as the creation parameter
// (CreateWindowEx), or as an MDI child's (WM_MDICREATE's lParam).
enum class WindowKind { Plain, MdiChild };

template <typename T, WindowKind Kind = WindowKind::Plain>
LRESULT CALLBACK BoundWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    void* param = reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams;
    if constexpr (Kind == WindowKind::MdiChild)
      param = reinterpret_cast<void*>(static_cast<MDICREATESTRUCTW*>(param)->lParam);
    auto* bound = static_cast<T*>(param);
    bound->Bind(wnd);
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bound));
  }
  auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (!self) {
    if constexpr (Kind == WindowKind::MdiChild) return DefMDIChildProcW(wnd, msg, wp, lp);
    return DefWindowProcW(wnd, msg, wp, lp);
  }
  try {
    return self->Dispatch(msg, wp, lp);
  } catch (...) {
    ShowUnexpected(wnd, std::current_exception());
  }
  return 0;
}

}  // namespace vorsant
