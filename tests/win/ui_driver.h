#pragma once
// Finding, reading and driving another program's windows with window
// messages only, the way a user's clicks and typing reach them.

#include <windows.h>

#include <functional>
#include <string>

namespace vorsant::driver {

// Polls until `find` returns a window or `timeoutMs` passes.
HWND WaitFor(const std::function<HWND()>& find, int timeoutMs = 20000);
// A visible top-level window of `cls` (nullptr: any class) with this caption.
HWND TopLevel(const wchar_t* cls, const std::wstring& caption);
// Waits up to a minute for the program's frame window; when it does not
// come, prints the visible top-level windows there are instead, so that a
// failed start says what the desktop showed.
HWND WaitForFrame();
// The first descendant of `parent` of class `cls` with the given control id
// (0: any id).
HWND Descendant(HWND parent, const wchar_t* cls, int id = 0);
// Waits until `wnd` is gone.
bool WaitGone(HWND wnd, int timeoutMs = 20000);
// Polls `done` until it holds or `timeoutMs` passes; whether it held.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 20000);
// Waits until no visible window on the desktop has anything left to paint
// (so a screenshot or a capture shows what the windows hold); false when
// something was still unpainted after `timeoutMs`.
bool WaitPainted(int timeoutMs = 10000);

std::wstring Text(HWND wnd);
void SetText(HWND wnd, const std::wstring& text);
// Keystrokes as the control receives them from the keyboard, so its typing
// limit applies (WM_SETTEXT ignores it).
void TypeChars(HWND wnd, const std::wstring& text);
// A button press as the dialog receives it: WM_COMMAND with BN_CLICKED,
// posted so the caller is never blocked by what the press opens.
void Press(HWND dialog, int buttonId);
// A menu or accelerator command sent to a frame window.
void Command(HWND frame, int commandId);
// The texts of every static control in `dialog`, joined by newlines.
std::wstring StaticTexts(HWND dialog);

// Ctrl+`key` struck on the keyboard, into the focus of the foreground window.
void StrikeCtrl(WORD key);
// A left click in the middle of `wnd`, as the mouse gives it.
void ClickInto(HWND wnd);
// The focus of the thread that owns `wnd`.
HWND FocusOf(HWND wnd);
// The clipboard's text, and new text for it.
std::wstring ReadClipboard();
bool WriteClipboard(const std::wstring& text);
// A status bar's simple text, read through a buffer in its own process.
std::wstring StatusText(HWND statusBar);
// The user's decimal separator.
std::wstring DecimalSeparator();

// Saves the whole screen, or the client area of `wnd` as the screen shows
// it, as a 24-bit BMP file.
bool SaveScreen(const std::wstring& path);
bool SaveClientArea(HWND wnd, const std::wstring& path);

std::string Utf8(const std::wstring& w);
// The class, caption and process of `w`, for a failure's explanation.
std::string Describe(HWND w);

}  // namespace vorsant::driver
