#include "graphs/scale_graph_parts.h"

#include <algorithm>
#include <string>

#include "graphs/graph_math.h"
#include "graphs/graph_style.h"
#include "graphs/plot_drawing.h"
#include "graphs/step_tables.h"
#include "trial/number_text.h"

namespace vorsant {
namespace {

constexpr Rect kPage{0, 0, kScaleGraphWidth, kScaleGraphHeight};
constexpr Rect kTitleBox{10, 20, 690, 40};
constexpr std::size_t kTitleLimit = 35;

int RoundToInt(double v) {
  return ToPixel(v).value_or(0);
}

Font WithHeight(int height, int orientation) {
  return Font{height, FontHeight::kCharacter, orientation};
}

}  // namespace

void DrawScalePage(Canvas& canvas, const TWineRec& rec) {
  canvas.DrawRectangle(kPage, kPaleBlue, kBlack);

  std::string title = rec.Conditions.WineName.Str() + " - " + rec.Conditions.FilterName.Str();
  if (title.size() > kTitleLimit) title.resize(kTitleLimit);
  const Font titleFont = WithHeight(14, 0);
  const TextSize size = canvas.MeasureText(title, titleFont);
  const int boxWidth = kTitleBox.right - kTitleBox.left;
  canvas.DrawText({kTitleBox.left + (boxWidth - size.width) / 2, kTitleBox.top}, title, titleFont, kBlack,
                  kPaleBlue);

  canvas.FillRect({kPlotArea.Left, kPlotArea.Top, kPlotArea.Right, kPlotArea.Bottom}, kPaleYellow);
}

void DrawScaleAxisTitles(Canvas& canvas, int yLabelsWidth) {
  const PlotRect& p = kPlotArea;
  const double midY = p.Bottom - p.H() / 2.0;
  const int base = kScaleTextFont.height;
  // The title's cell ends at p.Left - 45 + its height; the labels start 7
  // pixels and their width left of the plot. It may move to the page's edge.
  const int cell = canvas.MeasureText("R", WithHeight(base, 90)).height;
  const int shift = yLabelsWidth > 0 ? std::clamp(cell + yLabelsWidth + 8 - 45, 0, p.Left - 48) : 0;

  const TextSize va = canvas.MeasureText("V/A (m)", kScaleTextFont);
  canvas.DrawText({RoundToInt(p.Left + p.W() / 2.0 - va.width / 2.0), p.Bottom + 28}, "V/A (m)",
                  kScaleTextFont, kBlack, kPaleBlue);

  // The blanks inside the parentheses leave room for the multiplier.
  const int left = p.Left - shift;
  canvas.DrawText({left - 45, RoundToInt(midY + 30)}, "R  (1/m         )", WithHeight(base, 90), kBlack,
                  kPaleBlue);
  canvas.DrawText({left - 42, RoundToInt(midY - 8)}, "X", WithHeight(RoundToInt(0.6 * base), 90), kBlack,
                  kPaleBlue);
  canvas.DrawText({left - 45, RoundToInt(midY - 14)}, "10", WithHeight(base, 90), kBlack, kPaleBlue);
  canvas.DrawText({left - 47, RoundToInt(midY - 27)}, "9", WithHeight(RoundToInt(0.7 * base), 90), kBlack,
                  kPaleBlue);
}

void DrawScaleXLabels(Canvas& canvas, const GraphRanges& ranges, std::optional<double> step, int decimals) {
  const PlotRect& p = kPlotArea;
  ForEachStep(0.0, ranges.MaxX, step, [&](double t) {
    const std::string label = Fixed(t, 3, decimals);
    const TextSize size = canvas.MeasureText(label, kScaleTextFont);
    canvas.DrawText({RoundToInt(p.Left + p.W() * t / ranges.MaxX - size.width / 2.0), p.Bottom + 7}, label,
                    kScaleTextFont, kBlack, kPaleBlue);
  });
}

void DrawScaleXTicks(Canvas& canvas, const GraphRanges& ranges, std::optional<double> step) {
  const PlotRect& p = kPlotArea;
  const Pen pen{kBlack, 1, PenStyle::kSolid};
  ForEachStep(0.0, ranges.MaxX, step, [&](double t) {
    const int x = RoundToInt(p.Left + p.W() * t / ranges.MaxX);
    canvas.DrawLine({x, p.Bottom}, {x, p.Bottom + 4}, pen);
  });
}

void DrawScaleYAxis(Canvas& canvas, const GraphRanges& ranges) {
  const PlotRect& p = kPlotArea;
  const double span = ranges.MaxY - ranges.MinY;
  const auto s = RoundToCount(span / 10);
  const auto yOf = [&](double t) { return p.Bottom - p.H() * (t - ranges.MinY) / span; };

  ForEachStep(ranges.MinY, ranges.MaxY, s ? YStep(*s) : std::nullopt, [&](double t) {
    const std::string label = Fixed(t, 5, 0);
    const TextSize size = canvas.MeasureText(label, kScaleTextFont);
    if (const auto y = ToPixel(yOf(t) - size.height / 2.0)) {
      canvas.DrawText({p.Left - size.width - 7, *y}, label, kScaleTextFont, kBlack, kPaleBlue);
    }
  });

  const Pen pen{kBlack, 1, PenStyle::kSolid};
  ForEachStep(ranges.MinY, ranges.MaxY, s ? YTickStep(*s) : std::nullopt, [&](double t) {
    if (const auto y = ToPixel(yOf(t))) canvas.DrawLine({p.Left, *y}, {p.Left - 4, *y}, pen);
  });
}

void DrawLegendBox(Canvas& canvas, const Rect& box) {
  canvas.DrawRectangle(box, kPaleBlue, kBlack);
}

LegendPlace FitLegend(const Canvas& canvas, int right, std::initializer_list<std::string_view> texts) {
  int widest = 0;
  for (std::string_view text : texts) widest = std::max(widest, canvas.MeasureText(text, kScaleTextFont).width);
  // A wider face first takes the room between the symbols and the texts,
  // then widens the frame, within the plot.
  const int left = std::clamp(right - 3 - widest, kLegendSymbolsRight + 1, kLegendTextLeft);
  return {left, std::min(std::max(right, left + widest + 3), kPlotArea.Right - 1)};
}

void DrawLegendText(Canvas& canvas, int top, std::string_view text, const Rect& frame, int left) {
  // Inside the frame, whose edges stay drawn.
  const int width = canvas.MeasureText(text, kScaleTextFont).width;
  const int right = std::min(std::max(kLegendTextLeft + 80, left + width), frame.right - 1);
  const int bottom = std::min(top + 20, frame.bottom - 1);
  canvas.DrawTextInBox({left, top, right, bottom}, text, kScaleTextFont, kBlack, kPaleBlue);
}

}  // namespace vorsant
