#include "app/owned_window_win.h"

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
  if (!GetClassInfoExW(instance, cls, &known)) RegisterWindowClass(instance, cls, WndProc, look);
  return CreateWindowExW(exStyle, cls, caption, style, x, y, width, height, owner, nullptr, instance, this) !=
         nullptr;
}

LRESULT OwnedWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(wnd_, msg, wp, lp);
}

LRESULT CALLBACK OwnedWindow::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<OwnedWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->wnd_ = wnd;
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<OwnedWindow*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(wnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    self->wnd_ = nullptr;
    self->WindowDestroyed();
    if (self->ownedByWindow_) delete self;
    return DefWindowProcW(wnd, msg, wp, lp);
  }
  try {
    return self->HandleMessage(msg, wp, lp);
  } catch (...) {
    ShowUnexpected(wnd, std::current_exception());
  }
  return 0;
}

}  // namespace vorsant
