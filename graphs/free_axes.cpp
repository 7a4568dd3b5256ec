#include "graphs/free_axes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "graphs/graph_math.h"
#include "graphs/graph_style.h"
#include "graphs/plot_drawing.h"
#include "graphs/scale_graph_parts.h"

namespace vorsant {
namespace {

constexpr double kExponentFrom = 1e7;

int RoundToInt(double v) {
  return ToPixel(v).value_or(0);
}

}  // namespace

double NiceStep(double span, int count) {
  if (!(span > 0) || !std::isfinite(span)) return 1;
  const double rough = span / count;
  const double decade = std::pow(10.0, std::floor(std::log10(rough)));
  for (double m : {1.0, 2.0, 5.0, 10.0}) {
    if (m * decade >= rough * (1 - 1e-12)) return m * decade;
  }
  return 10 * decade;
}

double StepCeiling(double value, double step) {
  return std::max(1.0, std::ceil(value / step * (1 - 1e-12))) * step;
}

std::string AxisLabel(double t, double step) {
  char buffer[64];
  if (std::abs(t) >= kExponentFrom) {
    std::snprintf(buffer, sizeof buffer, "%.2g", t);
  } else {
    const int decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 12);
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, t);
  }
  return buffer;
}

void DrawFreeXAxis(Canvas& canvas, const GraphRanges& ranges, double step) {
  const PlotRect& p = kPlotArea;
  const Pen pen{kBlack, 1, PenStyle::kSolid};
  ForEachStep(0.0, ranges.MaxX, step, [&](double t) {
    const std::string label = AxisLabel(t, step);
    const TextSize size = canvas.MeasureText(label, kScaleTextFont);
    const double x = p.Left + p.W() * t / ranges.MaxX;
    canvas.DrawText({RoundToInt(x - size.width / 2.0), p.Bottom + 7}, label, kScaleTextFont, kBlack,
                    kPaleBlue);
    canvas.DrawLine({RoundToInt(x), p.Bottom}, {RoundToInt(x), p.Bottom + 4}, pen);
  });
}

void DrawFreeYAxis(Canvas& canvas, const GraphRanges& ranges, double step) {
  const PlotRect& p = kPlotArea;
  const Pen pen{kBlack, 1, PenStyle::kSolid};
  const double span = ranges.MaxY - ranges.MinY;
  ForEachStep(ranges.MinY, ranges.MaxY, step, [&](double t) {
    const double y = p.Bottom - p.H() * (t - ranges.MinY) / span;
    const std::string label = AxisLabel(t, step);
    const TextSize size = canvas.MeasureText(label, kScaleTextFont);
    canvas.DrawText({p.Left - size.width - 7, RoundToInt(y - size.height / 2.0)}, label, kScaleTextFont,
                    kBlack, kPaleBlue);
    canvas.DrawLine({p.Left, RoundToInt(y)}, {p.Left - 4, RoundToInt(y)}, pen);
  });
}

}  // namespace vorsant

namespace vorsant {

int FreeYLabelsWidth(const Canvas& canvas, const GraphRanges& ranges, double step) {
  int widest = 0;
  ForEachStep(ranges.MinY, ranges.MaxY, step, [&](double t) {
    widest = std::max(widest, canvas.MeasureText(AxisLabel(t, step), kScaleTextFont).width);
  });
  return widest;
}

void DrawFreeAxisTitles(Canvas& canvas, int yLabelsWidth, std::string_view xTitle, std::string_view yTitle) {
  const PlotRect& p = kPlotArea;
  const int labelHeight = canvas.MeasureText("0", kScaleTextFont).height;
  const TextSize x = canvas.MeasureText(xTitle, kScaleTextFont);
  // Inside the page's border even where large text leaves it no room below
  // the labels.
  const int xTop = std::min(p.Bottom + 7 + labelHeight + 3, kScaleGraphHeight - 2 - x.height);
  canvas.DrawText({RoundToInt(p.Left + p.W() / 2.0 - x.width / 2.0), xTop}, xTitle, kScaleTextFont, kBlack,
                  kPaleBlue);
  const Font upright{kScaleTextFont.height, kScaleTextFont.kind, 90};
  const TextSize y = canvas.MeasureText(yTitle, upright);
  const int left = p.Left - 7 - yLabelsWidth - 5 - y.height;
  if (left >= 2) {
    canvas.DrawText({left, RoundToInt(p.Top + p.H() / 2.0 + y.width / 2.0)}, yTitle, upright, kBlack,
                    kPaleBlue);
  } else {
    // No room beside the labels: level, above them.
    canvas.DrawText({4, p.Top - y.height - 3}, yTitle, kScaleTextFont, kBlack, kPaleBlue);
  }
}

}  // namespace vorsant
