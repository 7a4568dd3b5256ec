#include "app/system_text.h"

#include <windows.h>

namespace vorsant {
namespace {

std::wstring Widen(std::string_view s, UINT codePage) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string Narrow(std::wstring_view w, UINT codePage) {
  if (w.empty()) return {};
  const char* fallback = codePage == CP_UTF8 ? nullptr : "?";
  int n =
      WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, fallback, nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), s.data(), n, fallback, nullptr);
  return s;
}

}  // namespace

std::string Utf8ToAnsi(std::string_view utf8) {
  return Narrow(Widen(utf8, CP_UTF8), CP_ACP);
}

std::string AnsiToUtf8(std::string_view ansi) {
  return Narrow(Widen(ansi, CP_ACP), CP_UTF8);
}

bool SameFileNameText(std::string_view a, std::string_view b) {
  std::wstring wa = Widen(a, CP_UTF8), wb = Widen(b, CP_UTF8);
  return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                              static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace vorsant
