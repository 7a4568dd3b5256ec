#include "collector/form_decoder.h"

#include <cstdint>

namespace collector {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Unescape(std::string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) return false;
    int high = HexValue(text[i + 1]);
    int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return false;
    out.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return true;
}

}  // namespace

bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length;
    std::uint32_t code;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, code = lead & 0x07;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

std::optional<FormFields> DecodeForm(std::string_view body, FormError* error) {
  auto fail = [&](std::string reason) -> std::optional<FormFields> {
    if (error) error->reason = std::move(reason);
    return std::nullopt;
  };
  FormFields fields;
  if (body.empty()) return fail("empty body");
  std::size_t start = 0;
  while (start <= body.size()) {
    std::size_t end = body.find('&', start);
    if (end == std::string_view::npos) end = body.size();
    std::string_view field = body.substr(start, end - start);
    std::size_t equals = field.find('=');
    if (equals == std::string_view::npos) return fail("a field without \"=\"");
    std::string key, value;
    if (!Unescape(field.substr(0, equals), key) || !Unescape(field.substr(equals + 1), value)) {
      return fail("a \"%\" not followed by two hexadecimal digits");
    }
    if (key.empty()) return fail("a field without a key");
    if (!IsUtf8(key) || !IsUtf8(value)) return fail("text that is not UTF-8");
    // PostgreSQL cannot store it in text and SQLite would cut the text at
    // it on the way out: refused alike on both.
    if (key.find('\0') != std::string::npos || value.find('\0') != std::string::npos)
      return fail("a NUL character");
    fields.emplace_back(std::move(key), std::move(value));
    start = end + 1;
  }
  return fields;
}

std::string EncodeFormText(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '%' || c == '&' || c == '+' || c == '=') {
      out.push_back('%');
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0xF]);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace collector
