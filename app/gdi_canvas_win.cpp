#include "app/gdi_canvas_win.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

#include "graphs/text_metric.h"

namespace vorsant {
namespace {

HFONT MakeFont(const Font& font, const DpiScale& scale, int width = 0) {
  LOGFONTW lf{};
  lf.lfWidth = width;
  // GDI reads a positive height as the cell, a negative one as the
  // character height, which is exactly the Canvas' distinction.
  const int height = scale(font.height);
  lf.lfHeight = font.kind == FontHeight::kCell ? height : -height;
  lf.lfEscapement = lf.lfOrientation = font.orientation * 10;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_TT_PRECIS;
  // The classic interface face in plain pixels: smaller faces and smoothing
  // lose the decimal point of the 8-pixel tick labels.
  lf.lfQuality = NONANTIALIASED_QUALITY;
  wcscpy_s(lf.lfFaceName, L"MS Sans Serif");
  return CreateFontIndirectW(&lf);
}

}  // namespace

// The upright axis titles are built from pieces placed side by side for the
// fixed text metric the SVG writer uses (the rotated "R x 10" and its raised
// 9). A face wider than that metric would run each piece into the next, so
// turned text is drawn in the same face narrowed to the metric's width, as
// the SVG writer fits its texts; a narrower one keeps its own width. Text
// that runs left to right keeps the face's own width, which the graphs
// measure and make room for.
GdiCanvas::FittedFont GdiCanvas::Fit(std::string_view text, const Font& font) const {
  Font flat = font;
  flat.orientation = 0;
  const std::wstring w = CanvasText(text);
  const auto measure = [&](int width) {
    UniqueFont f(MakeFont(flat, textScale_, width));
    SelectGuard select(dc_, f.Get());
    SIZE size{};
    GetTextExtentPoint32W(dc_, w.c_str(), static_cast<int>(w.size()), &size);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc_, &tm);
    if (w.empty()) size.cy = tm.tmHeight;
    return std::pair<SIZE, int>{size, tm.tmAveCharWidth};
  };
  auto [size, average] = measure(0);
  const int room = std::max(1, scale_(FixedMeasureText(text, font).width));
  int width = 0;
  if (font.orientation != 0 && !w.empty() && size.cx > room && average > 0) {
    // The face's widths do not scale exactly with its average width: narrow
    // until the text is in its room.
    for (width = std::max<int>(1, average * room / size.cx); width >= 1; --width) {
      size.cx = measure(width).first.cx;
      if (size.cx <= room) break;
    }
    width = std::max(width, 1);
  }
  return FittedFont{UniqueFont(MakeFont(font, textScale_, width)), TextSize{size.cx, size.cy}};
}

std::wstring CanvasText(std::string_view text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), w.data(), n);
  return w;
}

COLORREF ToColorRef(Color c) {
  return RGB(c.r, c.g, c.b);
}

Color FromColorRef(COLORREF c) {
  return Color{static_cast<std::uint8_t>(GetRValue(c)), static_cast<std::uint8_t>(GetGValue(c)),
               static_cast<std::uint8_t>(GetBValue(c))};
}

void GdiCanvas::FillDevice(const RECT& r, Color color) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  UniqueBrush brush(CreateSolidBrush(ToColorRef(color)));
  ::FillRect(dc_, &r, brush.Get());
}

void GdiCanvas::FillRect(const Rect& area, Color color) {
  FillDevice(scale_(RECT{area.left, area.top, area.right, area.bottom}), color);
}

void GdiCanvas::DrawRectangle(const Rect& area, Color fill, Color border) {
  // The inside is the scaled inside, so that what the layout puts just
  // within the frame meets the ring rather than covering part of it.
  const RECT outer = scale_(RECT{area.left, area.top, area.right, area.bottom});
  const RECT inner = scale_(RECT{area.left + 1, area.top + 1, area.right - 1, area.bottom - 1});
  FillDevice(outer, border);
  FillDevice(RECT{std::max(inner.left, outer.left + 1), std::max(inner.top, outer.top + 1),
                  std::min(inner.right, outer.right - 1), std::min(inner.bottom, outer.bottom - 1)},
             fill);
}

void GdiCanvas::DrawLine(Point from, Point to, const Pen& pen) {
  if (from == to) return;
  const int width = std::max(1, scale_(pen.width));
  from = {scale_(from.x), scale_(from.y)};
  to = {scale_(to.x), scale_(to.y)};
  if (pen.style == PenStyle::kSolid) {
    UniquePen gdiPen(CreatePen(PS_SOLID, width, ToColorRef(pen.color)));
    SelectGuard select(dc_, gdiPen.Get());
    MoveToEx(dc_, from.x, from.y, nullptr);
    LineTo(dc_, to.x, to.y);
    return;
  }
  // Dotted lines are set pixel by pixel: GDI's own dot pattern differs
  // between systems, and the graphs need 3 on, 3 off (at 96 DPI).
  const int run = std::max(1, scale_(3));
  const COLORREF c = ToColorRef(pen.color);
  const int dx = std::abs(to.x - from.x), dy = -std::abs(to.y - from.y);
  const int sx = from.x < to.x ? 1 : -1, sy = from.y < to.y ? 1 : -1;
  const bool flat = dx >= -dy;
  int err = dx + dy;
  int x = from.x, y = from.y;
  for (int i = 0; x != to.x || y != to.y; ++i) {
    if ((i / run) % 2 == 0) {
      for (int k = 0; k < width; ++k) SetPixelV(dc_, flat ? x : x + k, flat ? y + k : y, c);
    }
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

void GdiCanvas::DrawText(Point at, std::string_view text, const Font& font, Color ink, Color background) {
  // The cell is filled here rather than by opaque text output: not every GDI
  // fills the cell of turned text.
  FittedFont fitted = Fit(text, font);
  const TextSize size = fitted.size;
  at = {scale_(at.x), scale_(at.y)};
  SelectGuard select(dc_, fitted.font.Get());
  std::wstring w = CanvasText(text);
  if (font.orientation == 90) {
    FillDevice(RECT{at.x, at.y - size.width, at.x + size.height, at.y}, background);
  } else {
    // Labels are padded with blanks to a common width; in a face wider than
    // the layout's the blanks' cell would cover the upright title beside
    // the labels, so only the cell of the text between them is filled.
    const std::size_t first = w.find_first_not_of(L' ');
    const std::size_t last = w.find_last_not_of(L' ');
    SIZE lead{}, through{};
    if (first != std::wstring::npos) {
      GetTextExtentPoint32W(dc_, w.c_str(), static_cast<int>(first), &lead);
      GetTextExtentPoint32W(dc_, w.c_str(), static_cast<int>(last + 1), &through);
      FillDevice(RECT{at.x + lead.cx, at.y, at.x + through.cx, at.y + size.height}, background);
    } else if (w.empty()) {
      FillDevice(RECT{at.x, at.y, at.x + size.width, at.y + size.height}, background);
    }
  }
  SetTextColor(dc_, ToColorRef(ink));
  SetBkMode(dc_, TRANSPARENT);
  SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  TextOutW(dc_, at.x, at.y, w.c_str(), static_cast<int>(w.size()));
}

void GdiCanvas::DrawTextInBox(const Rect& box, std::string_view text, const Font& font, Color ink,
                              Color background) {
  RECT r = scale_(RECT{box.left, box.top, box.right, box.bottom});
  FillDevice(r, background);
  Font flat = font;
  flat.orientation = 0;
  FittedFont fitted = Fit(text, flat);
  SelectGuard select(dc_, fitted.font.Get());
  SetTextColor(dc_, ToColorRef(ink));
  SetBkColor(dc_, ToColorRef(background));
  SetBkMode(dc_, OPAQUE);
  SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  std::wstring w = CanvasText(text);
  ExtTextOutW(dc_, r.left, r.top, ETO_CLIPPED | ETO_OPAQUE, &r, w.c_str(), static_cast<UINT>(w.size()),
              nullptr);
}

TextSize GdiCanvas::MeasureText(std::string_view text, const Font& font) const {
  // Rounded up, so that a box made as wide as the measure holds the text.
  const TextSize device = Fit(text, font).size;
  const int dpi = static_cast<int>(scale_.Dpi());
  const int base = static_cast<int>(kBaseDpi);
  const auto back = [&](int v) { return (v * base + dpi - 1) / dpi; };
  return TextSize{back(device.width), MulDiv(device.height, base, dpi)};
}

OffscreenBitmap::OffscreenBitmap(HDC compatibleWith, int width, int height)
    : width_(width), height_(height), dc_(CreateCompatibleDC(compatibleWith)) {
  bitmap_.Reset(CreateCompatibleBitmap(compatibleWith, width, height));
  if (dc_ && bitmap_) previous_ = SelectObject(dc_.Get(), bitmap_.Get());
}

OffscreenBitmap::~OffscreenBitmap() {
  if (previous_) SelectObject(dc_.Get(), previous_);
}

void OffscreenBitmap::CopyTo(HDC target, int x, int y) const {
  BitBlt(target, x, y, width_, height_, dc_.Get(), 0, 0, SRCCOPY);
}

}  // namespace vorsant
