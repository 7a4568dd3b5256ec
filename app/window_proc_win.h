#pragma once
// The base of the program's own windows (the frame, the trial windows and
// the windows the frame owns) and their one window procedure: the object is
// bound to its window at WM_NCCREATE, from the creation parameter, and every
// later message goes to it. An exception leaving a handler is shown to the
// user and the program goes on: nothing may cross a window procedure. Before
// the object is bound, and once it has let go of its window, the system's
// own handling answers.

#include <windows.h>

#include <exception>

namespace vorsant {

// Shows an exception that reached a window or dialog procedure to the user
// ("Error" box with the Error icon). Never throws.
void ShowUnexpected(HWND owner, std::exception_ptr error) noexcept;

// How the window was created: the object as the creation parameter
// (CreateWindowEx), or as an MDI child's (WM_MDICREATE's lParam).
enum class WindowKind { Plain, MdiChild };

class ProgramWindow;

template <WindowKind Kind = WindowKind::Plain>
LRESULT CALLBACK BoundWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

class ProgramWindow {
 public:
  ProgramWindow(const ProgramWindow&) = delete;
  ProgramWindow& operator=(const ProgramWindow&) = delete;
  virtual ~ProgramWindow() = default;

  HWND Handle() const { return wnd_; }

 protected:
  ProgramWindow() = default;
  // The creation parameter that binds this object to the window being
  // created (or the lParam of an MDI child's creation).
  void* CreationParam() { return this; }
  // Every message of the window but WM_NCCREATE and WM_NCDESTROY; the
  // default is the system's handling.
  virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) { return DefaultHandling(wnd_, msg, wp, lp); }
  // The system's handling for this kind of window.
  virtual LRESULT DefaultHandling(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(wnd, msg, wp, lp);
  }
  // WM_NCDESTROY: the window and its children are gone and no longer come
  // back to this object.
  virtual void WindowDestroyed() {}
  // Escape struck in the window closes it.
  virtual bool ClosesOnEscape() const { return false; }
  // From here on the window deletes this object after WindowDestroyed.
  void FreeWithWindow() { freedByWindow_ = true; }
  // Lets go of the window without destroying it; its later messages get the
  // system's handling. Returns the window, or nullptr when there was none.
  HWND Release();

 private:
  template <WindowKind Kind>
  friend LRESULT CALLBACK BoundWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  void Bind(HWND wnd) { wnd_ = wnd; }
  LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);

  HWND wnd_ = nullptr;
  bool freedByWindow_ = false;
};

template <WindowKind Kind>
LRESULT CALLBACK BoundWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    void* param = reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams;
    if constexpr (Kind == WindowKind::MdiChild)
      param = reinterpret_cast<void*>(static_cast<MDICREATESTRUCTW*>(param)->lParam);
    auto* bound = static_cast<ProgramWindow*>(param);
    bound->Bind(wnd);
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bound));
  }
  auto* self = reinterpret_cast<ProgramWindow*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
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
