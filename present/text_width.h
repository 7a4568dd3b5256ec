#pragma once
// Widths of UTF-8 texts in a fixed-pitch font: one cell per character, not
// per byte.

#include <cstddef>
#include <string>
#include <string_view>

namespace vorsant {

std::size_t TextWidth(std::string_view utf8);

// `text` with blanks before it (PadLeft) or after it (PadRight) up to
// `width` cells; a wider text is left as it is.
std::string PadLeft(std::string_view text, std::size_t width);
std::string PadRight(std::string_view text, std::size_t width);

}  // namespace vorsant
