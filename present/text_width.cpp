#include "present/text_width.h"

#include <algorithm>

namespace vorsant {

std::size_t TextWidth(std::string_view utf8) {
  return static_cast<std::size_t>(std::count_if(
      utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string PadLeft(std::string_view text, std::size_t width) {
  const std::size_t w = TextWidth(text);
  return std::string(width > w ? width - w : 0, ' ') + std::string(text);
}

std::string PadRight(std::string_view text, std::size_t width) {
  const std::size_t w = TextWidth(text);
  return std::string(text) + std::string(width > w ? width - w : 0, ' ');
}

}  // namespace vorsant
