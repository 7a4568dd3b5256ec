#include "trial/cp1252.h"

#include <array>
#include <cstdint>

#include "common/utf8.h"

namespace vorsant {

namespace {

// Code points of the bytes 0x80..0x9F; the rest of the page equals Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char ToWindows1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == cp) return static_cast<char>(0x80 + i);
  }
  return '?';
}

// Decodes one UTF-8 sequence at `i`; advances `i` past it. Returns nothing
// (and advances one byte) for a malformed or overlong sequence.
bool NextCodePoint(std::string_view s, std::size_t& i, char32_t& cp) {
  const auto lead = static_cast<std::uint8_t>(s[i]);
  std::size_t extra = 0;
  char32_t min = 0;
  if (lead < 0x80) {
    cp = lead;
    ++i;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1, cp = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, cp = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, cp = lead & 0x07, min = 0x10000;
  } else {
    ++i;
    return false;
  }
  if (s.size() - i <= extra) {  // truncated sequence
    ++i;
    return false;
  }
  for (std::size_t k = 1; k <= extra; ++k) {
    const auto b = static_cast<std::uint8_t>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return false;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  i += extra + 1;
  return cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto b = static_cast<std::uint8_t>(c);
    common::AppendUtf8(out, b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : char32_t{b});
  }
  return out;
}

std::string Utf8ToWindows1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    char32_t cp = 0;
    out.push_back(NextCodePoint(utf8, i, cp) ? ToWindows1252(cp) : '?');
  }
  return out;
}

std::string ValidUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t from = i;
    char32_t cp = 0;
    if (NextCodePoint(bytes, i, cp)) {
      out.append(bytes.substr(from, i - from));
    } else {
      out += "\uFFFD";
    }
  }
  return out;
}

}  // namespace vorsant
