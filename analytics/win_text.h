#pragma once
// Windows' wchar_t is UTF-16, so the library's text passes to the system's
// wide functions unchanged. Included by _win.cpp files only.

#include <string>
#include <string_view>

namespace plumeta {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide text must be UTF-16");

inline std::wstring ToWide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}
inline std::u16string FromWide(std::wstring_view text) {
  return std::u16string(text.begin(), text.end());
}

}  // namespace plumeta
