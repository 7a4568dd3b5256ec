#include "app/system_text.h"

#include "trial/cp1252.h"

namespace vorsant {
namespace {

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

// Off Windows the ANSI code page is taken to be Windows-1252, the one the
// trial files of western installations are written in.
std::string Utf8ToAnsi(std::string_view utf8) {
  return Utf8ToWindows1252(utf8);
}

std::string AnsiToUtf8(std::string_view ansi) {
  return Windows1252ToUtf8(ansi);
}

bool SameFileNameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

}  // namespace vorsant
