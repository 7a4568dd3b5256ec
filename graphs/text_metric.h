#pragma once
// A fixed text metric for the canvases that have no real font behind them
// (the SVG writer and the test recorder). It stands in for a typical
// proportional interface font so that layouts come out close to the program's
// and, above all, identical on every machine.
//
// Heights: a cell-height font of height h has character height
// (5h + 3) / 6; a character-height font of height c has cell height
// (6c + 2) / 5 (integer division, so 11 <-> 13, 14 -> 17, 8 cell -> 7). The
// descent is max(1, c / 5), the ascent the cell height less the descent.
//
// Widths: each character has an advance in thousandths of the character
// height, rounded to whole pixels per character (as a raster font does):
//   digits 550; space . , : ; ' | 280; - ( ) / [ ] 330; i j l 220;
//   f r t 330; s 440; c 460; m 830; w 720; other lower case 520; I 280;
//   J 500; M 830; W 940; other upper case 640; anything else 600.

#include <string_view>

#include "graphs/canvas.h"

namespace vorsant {

struct FontMetrics {
  int cellHeight = 0;
  int characterHeight = 0;
  int ascent = 0;
  int descent = 0;
};

FontMetrics FixedFontMetrics(const Font& font);

// Advance of one character in pixels.
int FixedCharAdvance(char c, const Font& font);

TextSize FixedMeasureText(std::string_view text, const Font& font);

}  // namespace vorsant
