#pragma once
// The fixed-width form in which the input dialogs store a number.

#include <string>

#include "trial/number_text.h"

namespace vorsant {

// `value` right-aligned in `width` characters with `decimals` decimals, cut
// from the right to `width` characters; a cut that leaves a trailing "."
// drops it and shifts the text right by one blank instead.
inline std::string CanonicalNumber(double value, int decimals, int width) {
  std::string text = Fixed(value, width, decimals);
  if (width >= 0 && text.size() > static_cast<std::size_t>(width))
    text.resize(static_cast<std::size_t>(width));
  if (!text.empty() && text.back() == '.') {
    text.pop_back();
    text.insert(0, 1, ' ');
  }
  return text;
}

}  // namespace vorsant
