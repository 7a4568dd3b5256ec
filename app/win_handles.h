#pragma once
// Owners for the Windows handles the shell creates: each frees its handle
// exactly once, when it goes out of scope or is given a new one.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "common/unique_handle_win.h"

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

  // A text value; nothing when it is missing or not text.
  std::optional<std::wstring> Text(const wchar_t* name) const {
    DWORD bytes = 0;
    if (RegGetValueW(key_, nullptr, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
      return std::nullopt;
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegGetValueW(key_, nullptr, name, RRF_RT_REG_SZ, nullptr, value.data(), &bytes) != ERROR_SUCCESS)
      return std::nullopt;
    value.resize(wcsnlen(value.c_str(), value.size()));
    return value;
  }
  // Failures are the caller's to ignore: every value kept is a convenience.
  void SetText(const wchar_t* name, std::wstring_view value) {
    const std::wstring text(value);
    RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }

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
