#include "graphs/text_metric.h"

#include <algorithm>
#include <cstring>

namespace vorsant {
namespace {

struct Advance {
  const char* chars;
  int millis;
};

constexpr Advance kAdvances[] = {
    {"0123456789", 550}, {" .,:;'|", 280}, {"-()/[]", 330}, {"ijl", 220}, {"frt", 330},
    {"s", 440},          {"c", 460},       {"m", 830},      {"w", 720},   {"I", 280},
    {"J", 500},          {"M", 830},       {"W", 940},
};

int AdvanceMillis(char c) {
  if (c != '\0') {
    for (const Advance& a : kAdvances) {
      if (std::strchr(a.chars, c) != nullptr) return a.millis;
    }
  }
  if (c >= 'a' && c <= 'z') return 520;
  if (c >= 'A' && c <= 'Z') return 640;
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
