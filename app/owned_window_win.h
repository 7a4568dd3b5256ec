#pragma once
// The shape of every window the frame owns (the graph, models, comparison
// and collection windows): its class registered once, the object bound by
// the program's one window procedure (window_proc_win.h), each message to
// one handler, and destruction from either side.

#include <windows.h>

#include <exception>
#include <memory>

#include "app/dialogs_win.h"
#include "app/window_proc_win.h"

namespace vorsant {

class OwnedWindow {
 public:
  OwnedWindow(const OwnedWindow&) = delete;
  OwnedWindow& operator=(const OwnedWindow&) = delete;
  // Destroys the window if it is still there; it no longer comes back to
  // this object.
  virtual ~OwnedWindow();

  HWND Handle() const { return wnd_; }
  // From here on the window frees the object when it is destroyed.
  static void HandOver(std::unique_ptr<OwnedWindow> window);
  // The work area of the monitor `wnd` is on (the primary one when it is on
  // none).
  static RECT WorkArea(HWND wnd);
  // For a box of a window that closes on Escape: Escape asks its window to
  // close. True when the message was that key.
  static bool CloseOnEscape(HWND box, UINT msg, WPARAM wp);

 protected:
  OwnedWindow() = default;
  // Registers `cls` (once per process) and creates the window for this
  // object, owned by `owner`; `width` and `height` are its outer size.
  bool CreateOwned(const wchar_t* cls, ClassLook look, DWORD exStyle, DWORD style, const wchar_t* caption,
                   int x, int y, int width, int height, HWND owner);
  // Every message of the window but WM_NCCREATE; the default is the
  // system's handling. An exception leaving it is shown by ShowUnexpected.
  virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  // WM_NCDESTROY: the window and its children are gone.
  virtual void WindowDestroyed() {}
  // Destroys the window now, for a derived destructor whose members (fonts)
  // the window still uses.
  void Destroy();
  // Moves the window, sized already, a caption's height below and right of
  // the window placed before it (or of `owner` when that one is gone), kept
  // inside the work area of the owner's monitor; a window larger than the
  // work area is made to fit it.
  void PlaceCascaded(HWND owner);
  // Escape struck in the window or in one of its boxes closes it.
  virtual bool ClosesOnEscape() const { return false; }

 private:
  template <typename T, WindowKind Kind>
  friend LRESULT CALLBACK BoundWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  void Bind(HWND wnd) { wnd_ = wnd; }
  // Destruction from the window's side, Escape, then HandleMessage.
  LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);

  HWND wnd_ = nullptr;
  bool ownedByWindow_ = false;
};

}  // namespace vorsant
