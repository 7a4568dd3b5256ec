#pragma once
// The drawing surface every graph is painted on. It carries exactly what the
// graphs need and nothing more, so that a GDI bitmap, an SVG document and a
// test recorder can all stand behind it.
//
// Pixel model: the surface is a grid of pixels; pixel (x, y) is the unit
// square with its top-left corner at (x, y), x growing to the right and y
// downwards. Coordinates may lie outside the surface; whatever falls outside
// is simply not visible (no operation fails for it).

#include <cstdint>
#include <string_view>

namespace vorsant {

struct Color {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Color&, const Color&) = default;
};

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// Covers the pixels left <= x < right and top <= y < bottom.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct TextSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const TextSize&, const TextSize&) = default;
};

// Dotted: runs of 3 set pixels and 3 clear pixels along the line, starting
// with a set run at the line's first pixel.
enum class PenStyle { kSolid, kDotted };

struct Pen {
  Color color;
  int width = 1;
  PenStyle style = PenStyle::kSolid;
  friend bool operator==(const Pen&, const Pen&) = default;
};

// A font is given either by its cell height (the full line box: internal
// leading, ascent and descent) or by its character height (the cell less the
// internal leading). The face is the platform's default interface font.
enum class FontHeight { kCell, kCharacter };

struct Font {
  int height = 11;
  FontHeight kind = FontHeight::kCell;
  // 0: left to right. 90: the text runs upwards (rotated a quarter turn
  // counter-clockwise about its anchor).
  int orientation = 0;
  friend bool operator==(const Font&, const Font&) = default;
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  // Sets every pixel of `area` to `color`.
  virtual void FillRect(const Rect& area, Color color) = 0;

  // Sets every pixel of `area`: its outermost ring of pixels (x = left,
  // x = right - 1, y = top, y = bottom - 1) to `border`, the rest to `fill`.
  virtual void DrawRectangle(const Rect& area, Color fill, Color border) = 0;

  // Draws the pixels of the straight line from `from` to `to`, including the
  // pixel `from` and excluding the pixel `to`: a line from (0, 5) to (4, 5)
  // sets x = 0..3. Along the major axis there is exactly one pixel per step
  // (|dx| or |dy| pixels in all). A polyline built from consecutive lines
  // therefore sets each joint exactly once. A zero-length line draws nothing.
  virtual void DrawLine(Point from, Point to, const Pen& pen) = 0;

  // Draws `text` (single-byte characters as the trial record keeps them; the
  // GDI canvas reads them in the system's ANSI code page, like the report,
  // the SVG canvas as Windows-1252) with its text cell anchored at `at`.
  // Orientation 0: `at` is the top-left corner of the cell,
  // which spans MeasureText(text).width to the right and .height downwards.
  // Orientation 90: the same cell turned about `at`, so it spans .width
  // upwards from `at` and .height to the right of it. The whole cell is first
  // filled with `background` (opaque text), then the glyphs drawn in `ink`.
  virtual void DrawText(Point at, std::string_view text, const Font& font, Color ink, Color background) = 0;

  // Fills `box` with `background` and draws `text` (orientation 0) with the
  // top-left of its cell at the box's top-left corner, clipped to the box.
  virtual void DrawTextInBox(const Rect& box, std::string_view text, const Font& font, Color ink,
                             Color background) = 0;

  // Width (sum of the characters' advances) and height (cell height) of
  // `text` in `font`, in pixels, before any rotation.
  virtual TextSize MeasureText(std::string_view text, const Font& font) const = 0;
};

}  // namespace vorsant
