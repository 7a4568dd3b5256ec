#include "app/win_handles.h"

namespace vorsant {

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

std::string Narrow(std::wstring_view wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::string WindowText(HWND wnd) {
  int n = GetWindowTextLengthW(wnd);
  std::wstring w(static_cast<std::size_t>(n) + 1, L'\0');
  n = GetWindowTextW(wnd, w.data(), n + 1);
  w.resize(static_cast<std::size_t>(n > 0 ? n : 0));
  return Narrow(w);
}

void SetWindowTextUtf8(HWND wnd, std::string_view utf8) {
  SetWindowTextW(wnd, Widen(utf8).c_str());
}

}  // namespace vorsant
