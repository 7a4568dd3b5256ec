#pragma once
// A Canvas over a GDI device context, and the off-screen bitmap a graph is
// composed in before it is shown.

#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "app/dpi_win.h"
#include "app/win_handles.h"
#include "graphs/canvas.h"

namespace vorsant {

// The graphs are laid out at 96 DPI; the canvas draws them at `dpi`, so a
// picture shown at 150 % is drawn at 150 % rather than stretched. Texts are
// measured back in 96-DPI units. At 96 DPI every pixel is as laid out.
class GdiCanvas final : public Canvas {
 public:
  explicit GdiCanvas(HDC dc, UINT dpi = kBaseDpi) : dc_(dc), scale_(dpi), textScale_(dpi) {}
  // A picture drawn smaller than its window's scale (a small screen) keeps
  // its text at `textDpi`, the window's, so that it reads as the rest of the
  // window; the picture's layout makes room for it, measuring the text as it
  // is drawn.
  GdiCanvas(HDC dc, UINT dpi, UINT textDpi) : dc_(dc), scale_(dpi), textScale_(std::max(dpi, textDpi)) {}

  void FillRect(const Rect& area, Color color) override;
  void DrawRectangle(const Rect& area, Color fill, Color border) override;
  void DrawLine(Point from, Point to, const Pen& pen) override;
  void DrawText(Point at, std::string_view text, const Font& font, Color ink, Color background) override;
  void DrawTextInBox(const Rect& box, std::string_view text, const Font& font, Color ink,
                     Color background) override;
  TextSize MeasureText(std::string_view text, const Font& font) const override;

 private:
  struct FittedFont {
    UniqueFont font;
    TextSize size;  // of the text in it, in device pixels
  };
  void FillDevice(const RECT& r, Color color);
  // The font to draw `text` in, at most as wide as the fixed text metric
  // makes it, and the text's size in it.
  FittedFont Fit(std::string_view text, const Font& font) const;

  HDC dc_;
  DpiScale scale_;
  DpiScale textScale_;
};

// A bitmap of fixed size with its own memory device context, selected for
// the bitmap's whole life.
class OffscreenBitmap {
 public:
  OffscreenBitmap(HDC compatibleWith, int width, int height);
  OffscreenBitmap(const OffscreenBitmap&) = delete;
  OffscreenBitmap& operator=(const OffscreenBitmap&) = delete;
  ~OffscreenBitmap();

  HDC Dc() const { return dc_.Get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Copies the whole bitmap to `target` at (x, y).
  void CopyTo(HDC target, int x, int y) const;

 private:
  int width_, height_;
  UniqueDc dc_;
  UniqueBitmap bitmap_;
  HGDIOBJ previous_ = nullptr;
};

// A graph text as the canvas draws it. The texts come from the trial record,
// which keeps them in the system's ANSI code page, so they are read in it,
// as the report panels read them.
std::wstring CanvasText(std::string_view text);

COLORREF ToColorRef(Color c);
Color FromColorRef(COLORREF c);

}  // namespace vorsant
