#include "graphs/text_metric.h"

#include <algorithm>
#include <cstring>

namespace vorsant {
namespace {

int AdvanceMillis(char c) {
  if (c >= '0' && c <= '9') return 550;
  if (std::strchr(" .,:;'|", c) != nullptr && c != '\0') return 280;
  if (std::strchr("-()/[]", c) != nullptr && c != '\0') return 330;
  if (c >= 'a' && c <= 'z') {
    switch (c) {
      case 'i':
      case 'j':
      case 'l':
        return 220;
      case 'f':
      case 'r':
      case 't':
        return 330;
      case 'm':
        return 830;
      case 'w':
        return 720;
      default:
        return 550;
    }
  }
  if (c >= 'A' && c <= 'Z') {
    switch (c) {
      case 'I':
        return 280;
      case 'J':
        return 500;
      case 'M':
        return 830;
      case 'W':
        return 940;
      default:
        return 660;
    }
  }
  return 600;
}

}  // namespace

FontMetrics FixedFontMetrics(const Font& font) {
  const int h = std::max(font.height, 1);
  FontMetrics m;
  if (font.kind == FontHeight::kCell) {
    m.cellHeight = h;
    m.characterHeight = std::max((5 * h + 3) / 6, 1);
  } else {
    m.characterHeight = h;
    m.cellHeight = (6 * h + 2) / 5;
  }
  m.descent = std::max(m.characterHeight / 5, 1);
  m.ascent = m.cellHeight - m.descent;
  return m;
}

int FixedCharAdvance(char c, const Font& font) {
  const int em = FixedFontMetrics(font).characterHeight;
  // Round half up: the advance is a positive quantity.
  return (AdvanceMillis(c) * em + 500) / 1000;
}

TextSize FixedMeasureText(std::string_view text, const Font& font) {
  TextSize size{0, FixedFontMetrics(font).cellHeight};
  for (char c : text) size.width += FixedCharAdvance(c, font);
  return size;
}

}  // namespace vorsant
