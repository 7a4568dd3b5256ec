#include "app/window_proc_win.h"

#include <string>
#include <utility>

#include "app/win_handles.h"

namespace vorsant {

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

HWND ProgramWindow::Release() {
  if (!wnd_) return nullptr;
  SetWindowLongPtrW(wnd_, GWLP_USERDATA, 0);
  return std::exchange(wnd_, nullptr);
}

LRESULT ProgramWindow::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCDESTROY) {
    const HWND wnd = Release();
    const LRESULT result = DefaultHandling(wnd, msg, wp, lp);
    WindowDestroyed();
    if (freedByWindow_) delete this;
    return result;
  }
  if (msg == WM_KEYDOWN && wp == VK_ESCAPE && ClosesOnEscape()) {
    PostMessageW(wnd_, WM_CLOSE, 0, 0);
    return 0;
  }
  return HandleMessage(msg, wp, lp);
}

}  // namespace vorsant
