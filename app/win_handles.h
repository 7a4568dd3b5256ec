#pragma once
// Owners for the Windows handles the shell creates: each frees its handle
// exactly once, when it goes out of scope or is given a new one.

#include <windows.h>

#include "common/unique_handle_win.h"

#include <string>
#include <string_view>

namespace vorsant {

// The handle owner both products share; here with null meaning no handle.
template <typename H, BOOL(WINAPI* Free)(H)>
using UniqueHandle = common::UniqueHandle<common::NullIsNone<H, Free>>;

inline BOOL WINAPI DeleteGdiObject(HGDIOBJ h) {
  return DeleteObject(h);
}
inline BOOL WINAPI DeleteFontObject(HFONT h) {
  return DeleteObject(h);
}
inline BOOL WINAPI DeleteBitmapObject(HBITMAP h) {
  return DeleteObject(h);
}
inline BOOL WINAPI DeleteBrushObject(HBRUSH h) {
  return DeleteObject(h);
}
inline BOOL WINAPI DeletePenObject(HPEN h) {
  return DeleteObject(h);
}

using UniqueFont = UniqueHandle<HFONT, DeleteFontObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteBitmapObject>;
using UniqueBrush = UniqueHandle<HBRUSH, DeleteBrushObject>;
using UniquePen = UniqueHandle<HPEN, DeletePenObject>;
using UniqueDc = UniqueHandle<HDC, DeleteDC>;
using UniqueMenu = UniqueHandle<HMENU, DestroyMenu>;
using UniqueAccelerators = UniqueHandle<HACCEL, DestroyAcceleratorTable>;

// Selects an object into a device context for one scope.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;
  ~SelectGuard() { SelectObject(dc_, old_); }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A window's device context for one scope.
class WindowDc {
 public:
  explicit WindowDc(HWND wnd) : wnd_(wnd), dc_(GetDC(wnd)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() { ReleaseDC(wnd_, dc_); }
  HDC Get() const { return dc_; }

 private:
  HWND wnd_;
  HDC dc_;
};

// A registry key opened or created for one scope.
class RegistryKey {
 public:
  RegistryKey() = default;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  ~RegistryKey() {
    if (key_) RegCloseKey(key_);
  }
  HKEY* Out() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// UTF-8 (the portable code's text) to and from UTF-16 (the window's).
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);
// The window's text as UTF-8.
std::string WindowText(HWND wnd);
void SetWindowTextUtf8(HWND wnd, std::string_view utf8);
// The window's text in the ANSI code page, the record's single-byte texts.
std::string AnsiWindowText(HWND wnd);
void SetAnsiWindowText(HWND wnd, std::string_view ansi);

}  // namespace vorsant
