#include "analytics/text.h"

#include <cstdint>

#include "common/utf8.h"

namespace plumeta {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 | (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 | (cp & 0x3FF)));
  }
}

}  // namespace

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    char32_t cp = c;
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      cp = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      cp = kReplacement;
    }
    common::AppendUtf8(out, cp);
  }
  return out;
}

std::u16string FromUtf8(std::string_view bytes) {
  static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
  std::u16string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    auto lead = static_cast<std::uint8_t>(bytes[i]);
    std::size_t extra = lead < 0x80             ? 0
                        : (lead & 0xE0) == 0xC0 ? 1
                        : (lead & 0xF0) == 0xE0 ? 2
                        : (lead & 0xF8) == 0xF0 ? 3
                                                : 4;
    bool ok = extra < 4 && i + extra < bytes.size();
    char32_t cp = ok ? (lead & (0x7F >> extra)) : 0;
    for (std::size_t k = 1; ok && k <= extra; ++k) {
      auto next = static_cast<std::uint8_t>(bytes[i + k]);
      ok = (next & 0xC0) == 0x80;
      cp = (cp << 6) | (next & 0x3F);
    }
    if (!ok || cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      AppendUtf16(out, kReplacement);
      ++i;
      continue;
    }
    AppendUtf16(out, cp);
    i += extra + 1;
  }
  return out;
}

std::string ToEightBit(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c <= 0xFF) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
    out.push_back('?');
  }
  return out;
}

std::u16string FromEightBit(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<unsigned char>(bytes[i]);
  return out;
}

char16_t FoldCase(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
  // Latin-1 small letters U+00E0..U+00FE map 0x20 down, except the division sign.
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
  return c;
}

std::u16string Folded(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = FoldCase(c);
  return out;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
  std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    char16_t x = FoldCase(a[i]);
    char16_t y = FoldCase(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace plumeta
