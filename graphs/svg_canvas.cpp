#include "graphs/svg_canvas.h"

#include <cstdio>
#include <cstdlib>
#include <algorithm>

#include "graphs/text_metric.h"
#include "trial/cp1252.h"

namespace vorsant {
namespace {

constexpr const char* kFontFamily =
    "Segoe UI, Tahoma, Arial, Liberation Sans, DejaVu Sans Condensed, sans-serif";

std::string Rgb(Color c) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c.r, c.g, c.b);
  return buf;
}

// Shortest text of a coordinate that is a multiple of 1/2 or any other
// simple fraction; no locale involved.
std::string Num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", v);
  std::string s = buf;
  // Replace a locale's decimal comma, should the C library use one.
  std::replace(s.begin(), s.end(), ',', '.');
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return s;
}

std::string Attr(const char* name, double v) {
  return std::string(" ") + name + "=\"" + Num(v) + "\"";
}

}  // namespace

std::string XmlText(std::string_view ansi) {
  std::string escaped;
  for (char ch : ansi) {
    const auto b = static_cast<unsigned char>(ch);
    switch (b) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        // XML has no place for the C0 controls.
        escaped += (b < 0x20 || b == 0x7F) ? '?' : ch;
        break;
    }
  }
  return Windows1252ToUtf8(escaped);
}

SvgCanvas::SvgCanvas(int width, int height) : width_(width), height_(height) {}

void SvgCanvas::FillRect(const Rect& area, Color color) {
  const int w = area.right - area.left;
  const int h = area.bottom - area.top;
  if (w <= 0 || h <= 0) return;
  body_ += "<rect" + Attr("x", area.left) + Attr("y", area.top) + Attr("width", w) + Attr("height", h) +
           " fill=\"" + Rgb(color) + "\"/>\n";
}

void SvgCanvas::DrawRectangle(const Rect& area, Color fill, Color border) {
  const int w = area.right - area.left;
  const int h = area.bottom - area.top;
  if (w <= 0 || h <= 0) return;
  FillRect(area, border);
  if (w > 2 && h > 2) FillRect({area.left + 1, area.top + 1, area.right - 1, area.bottom - 1}, fill);
}

void SvgCanvas::DrawLine(Point from, Point to, const Pen& pen) {
  const int dx = to.x - from.x;
  const int dy = to.y - from.y;
  const int steps = std::max(std::abs(dx), std::abs(dy));
  if (steps == 0) return;
  // Pixel i of the line is centred on from + i * (dx, dy) / steps; the stroke
  // runs from half a step before the first to half a step before the
  // excluded last one.
  const double hx = 0.5 * dx / steps;
  const double hy = 0.5 * dy / steps;
  body_ += "<line" + Attr("x1", from.x + 0.5 - hx) + Attr("y1", from.y + 0.5 - hy) +
           Attr("x2", to.x + 0.5 - hx) + Attr("y2", to.y + 0.5 - hy) + " stroke=\"" + Rgb(pen.color) + "\"" +
           Attr("stroke-width", std::max(pen.width, 1));
  if (pen.style == PenStyle::kDotted) body_ += " stroke-dasharray=\"3 3\"";
  body_ += "/>\n";
}

void SvgCanvas::AppendText(int x, int top, std::string_view text, const Font& font, Color ink) {
  const TextSize size = FixedMeasureText(text, font);
  if (size.width <= 0) return;
  const FontMetrics m = FixedFontMetrics(font);
  body_ += "<text xml:space=\"preserve\"" + Attr("x", x) + Attr("y", top + m.ascent) +
           Attr("font-size", m.characterHeight) + Attr("textLength", size.width) +
           " lengthAdjust=\"spacingAndGlyphs\" fill=\"" + Rgb(ink) + "\">" + XmlText(text) + "</text>\n";
}

void SvgCanvas::DrawText(Point at, std::string_view text, const Font& font, Color ink, Color background) {
  const TextSize size = FixedMeasureText(text, font);
  const bool rotated = font.orientation == 90;
  if (rotated) {
    body_ += "<g transform=\"rotate(-90 " + Num(at.x) + " " + Num(at.y) + ")\">\n";
  }
  FillRect({at.x, at.y, at.x + size.width, at.y + size.height}, background);
  AppendText(at.x, at.y, text, font, ink);
  if (rotated) body_ += "</g>\n";
}

void SvgCanvas::DrawTextInBox(const Rect& box, std::string_view text, const Font& font, Color ink,
                              Color background) {
  FillRect(box, background);
  const int w = box.right - box.left;
  const int h = box.bottom - box.top;
  if (w <= 0 || h <= 0) return;
  // A nested viewport clips its content to the box.
  body_ += "<svg" + Attr("x", box.left) + Attr("y", box.top) + Attr("width", w) + Attr("height", h) + ">\n";
  AppendText(0, 0, text, font, ink);
  body_ += "</svg>\n";
}

TextSize SvgCanvas::MeasureText(std::string_view text, const Font& font) const {
  return FixedMeasureText(text, font);
}

std::string SvgCanvas::Document() const {
  std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  doc += "<svg xmlns=\"http://www.w3.org/2000/svg\"" + Attr("width", width_) + Attr("height", height_) +
         " viewBox=\"0 0 " + Num(width_) + " " + Num(height_) +
         "\" shape-rendering=\"crispEdges\" font-family=\"" + std::string(kFontFamily) + "\">\n";
  doc += body_;
  doc += "</svg>\n";
  return doc;
}

}  // namespace vorsant
