#include "app/win_handles.h"

namespace vorsant {

namespace {

std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), w.data(), n);
  return w;
}

// Characters the ANSI code page lacks become "?"; UTF-8 has them all.
std::string FromWide(UINT codePage, std::wstring_view wide) {
  if (wide.empty()) return {};
  const char* fallback = codePage == CP_UTF8 ? nullptr : "?";
  int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, fallback,
                              nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), s.data(), n, fallback,
                      nullptr);
  return s;
}

std::wstring WideWindowText(HWND wnd) {
  int n = GetWindowTextLengthW(wnd);
  std::wstring w(static_cast<std::size_t>(n) + 1, L'\0');
  n = GetWindowTextW(wnd, w.data(), n + 1);
  w.resize(static_cast<std::size_t>(n > 0 ? n : 0));
  return w;
}

}  // namespace

std::wstring Widen(std::string_view utf8) {
  return ToWide(CP_UTF8, utf8);
}

std::string Narrow(std::wstring_view wide) {
  return FromWide(CP_UTF8, wide);
}

std::string WindowText(HWND wnd) {
  return Narrow(WideWindowText(wnd));
}

void SetWindowTextUtf8(HWND wnd, std::string_view utf8) {
  SetWindowTextW(wnd, Widen(utf8).c_str());
}

std::string AnsiWindowText(HWND wnd) {
  return FromWide(CP_ACP, WideWindowText(wnd));
}

void SetAnsiWindowText(HWND wnd, std::string_view ansi) {
  SetWindowTextW(wnd, ToWide(CP_ACP, ansi).c_str());
}

}  // namespace vorsant
