#pragma once
// The program's modal dialogs and its two message-like windows, each shown by
// one call. `owner` is the window the dialog belongs to.

#include <windows.h>

#include <functional>
#include <string>

#include "app/ui_port.h"
#include "trial/conditions_input.h"

namespace vorsant {

// A modal dialog with OK and Cancel from the resource template `templateId`.
// `init` fills it as it opens; `accept` runs on OK and returns true to close
// it, false to keep it open (having shown its own message). Cancel and the
// close box close it. Returns true for OK.
// `command`, when given, hears every other WM_COMMAND (a button's id).
bool RunOkCancelDialog(HWND owner, int templateId, const std::function<void(HWND)>& init,
                       const std::function<bool(HWND)>& accept,
                       const std::function<void(HWND, int id)>& command = nullptr);

// The conditions dialog: loads the boxes from `input`, checks them on OK
// (messages through `ui`) and on OK leaves the accepted boxes in `input`.
bool RunConditionsDialog(HWND owner, ConditionsInput& input, UiPort& ui);
// True for "Open an existing wine file"; the close box counts as a new wine.
bool RunWelcomeDialog(HWND owner);
void RunAboutBox(HWND owner);
// Shows the splash centred on the screen, waits, and removes it again.
void ShowSplashFor(int milliseconds);

MessageAnswer RunMessageBox(HWND owner, const std::string& text, MessageIcon icon, MessageButtons buttons,
                            MessageAnswer defaultButton);
bool RunFileDialog(HWND owner, FileDialogState& dialog, bool save);

// Registers the window class of the product panel (picture, name, version)
// that the splash and the About box show.
void RegisterProductPanel(HINSTANCE instance);

// Registers one of the program's window classes: an arrow cursor, and,
// when asked, the program's icon and the button-face background.
enum class ClassLook { kPlain, kButtonFace, kIconAndButtonFace };
void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, ClassLook look);

// Gives `wnd` a client area of exactly width x height pixels.
void SetClientSize(HWND wnd, int width, int height);
// Centres `wnd` on `over`, or on the screen's work area when `over` is null.
void CenterWindow(HWND wnd, HWND over);

}  // namespace vorsant
