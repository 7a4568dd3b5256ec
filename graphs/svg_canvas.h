#pragma once
// A canvas that writes an SVG document of a fixed pixel size, for viewing a
// graph outside the program. Text is laid out with the fixed metric of
// text_metric.h, and each text is stretched to the measured width, so the
// picture is the same on every machine whatever fonts it has.
//
// Rendering of the primitives:
// - rectangles and lines cover exactly the pixels the Canvas contract names
//   (crisp edges); a line is a 1-pixel-wide stroke from the edge of its
//   first pixel to the edge of its excluded last pixel;
// - a dotted pen dashes 3 on, 3 off along the line;
// - text bytes are read as Windows-1252 and written as UTF-8; the C0 control
//   characters, which XML cannot carry, become "?".

#include <string>

#include "graphs/canvas.h"

namespace vorsant {

class SvgCanvas final : public Canvas {
 public:
  SvgCanvas(int width, int height);

  void FillRect(const Rect& area, Color color) override;
  void DrawRectangle(const Rect& area, Color fill, Color border) override;
  void DrawLine(Point from, Point to, const Pen& pen) override;
  void DrawText(Point at, std::string_view text, const Font& font, Color ink, Color background) override;
  void DrawTextInBox(const Rect& box, std::string_view text, const Font& font, Color ink,
                     Color background) override;
  TextSize MeasureText(std::string_view text, const Font& font) const override;

  // The complete document, ending with a newline.
  std::string Document() const;

 private:
  void AppendText(int x, int top, std::string_view text, const Font& font, Color ink);

  int width_;
  int height_;
  std::string body_;
};

// Windows-1252 bytes as UTF-8 XML character data, with & < > " escaped
// and C0 controls as "?".
std::string XmlText(std::string_view ansi);

}  // namespace vorsant
