#pragma once
// The shape of every window the frame owns (the graph, models, comparison
// and collection windows): a program window (window_proc_win.h) whose class
// is registered once, placed in a cascade, and destroyed from either side.

#include <windows.h>

#include <exception>
#include <memory>

#include "app/dialogs_win.h"
#include "app/window_proc_win.h"

namespace vorsant {

class OwnedWindow : public ProgramWindow {
 public:
  // Destroys the window if it is still there; it no longer comes back to
  // this object.
  ~OwnedWindow() override;
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
  // Destroys the window now, for a derived destructor whose members (fonts)
  // the window still uses.
  void Destroy();
  // Moves the window, sized already, a caption's height below and right of
  // the window placed before it (or of `owner` when that one is gone), kept
  // inside the work area of the owner's monitor; a window larger than the
  // work area is made to fit it.
  void PlaceCascaded(HWND owner);
};

}  // namespace vorsant
