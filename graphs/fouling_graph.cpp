#include "graphs/fouling_graph.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "graphs/graph_data.h"
#include "graphs/graph_math.h"
#include "graphs/graph_style.h"
#include "graphs/plot_drawing.h"
#include "graphs/scale_graph_parts.h"
#include "graphs/scale_graphs.h"
#include "graphs/step_tables.h"

namespace vorsant {
namespace {

constexpr int kCurveSteps = 1000;
constexpr int kLegendLine = 20;
const Pen kMaxResistancePen{kMaxResistanceColor, 1, PenStyle::kDotted};

// R in the graphs' unit (10^9 /m), or nullopt where the model has none.
std::optional<double> ShownResistance(const ModelFit& fit, double w) {
  const std::optional<double> R = ModelResistance(fit, w);
  if (!R) return std::nullopt;
  return *R / 1e9;
}

// Like the production graph: Y to 1.05 times the largest of the points and
// Rmax; X to the last point or the best model's w*, whichever is further.
GraphRanges FoulingRanges(const GraphPoints& points, const FoulingReport& report) {
  GraphRanges r = ProdRanges(points, std::nullopt, report.points.rMax / 1e9);
  double maxX = points.X[static_cast<std::size_t>(points.Count - 1)];
  if (!report.points.w.empty()) maxX = std::max(maxX, report.points.w.back());
  if (report.best) {
    const ModelFit& best = report.models[static_cast<std::size_t>(*report.best)];
    if (best.wStar) maxX = std::max(maxX, *best.wStar);
  }
  maxX = std::clamp(maxX, 1.0, 9999.0);
  r.MaxX = std::trunc(maxX) + 1;
  return r;
}

struct LegendEntry {
  std::string text;
  enum class Symbol { kLine, kUsed, kUnused } symbol;
  Pen pen;
};

void DrawLegend(Canvas& canvas, const std::vector<LegendEntry>& entries) {
  const PlotRect& p = kPlotArea;
  int textWidth = 0;
  for (const LegendEntry& e : entries)
    textWidth = std::max(textWidth, canvas.MeasureText(e.text, kScaleTextFont).width);
  const int left = p.Left + 15, top = p.Top + 35;
  const int textLeft = left + 36;
  const int bottom = top + 6 + kLegendLine * static_cast<int>(entries.size());
  DrawLegendBox(canvas, {left, top, textLeft + textWidth + 18, bottom});
  int y = top + 3;
  for (const LegendEntry& e : entries) {
    const int middle = y + 7;
    switch (e.symbol) {
      case LegendEntry::Symbol::kLine:
        canvas.DrawLine({left + 9, middle}, {left + 28, middle}, e.pen);
        break;
      case LegendEntry::Symbol::kUsed:
        DrawUsedMarker(canvas, {left + 18, middle}, MarkerSize::kLarge);
        break;
      case LegendEntry::Symbol::kUnused:
        DrawUnusedMarker(canvas, {left + 18, middle}, MarkerSize::kLarge);
        break;
    }
    canvas.DrawTextInBox({textLeft, y, textLeft + textWidth + 14, y + kLegendLine}, e.text, kScaleTextFont,
                         kBlack, kPaleBlue);
    y += kLegendLine;
  }
}

}  // namespace

Color FoulingCurveColor(FoulingLaw law) {
  switch (law) {
    case FoulingLaw::kComplete:
      return {230, 120, 0};
    case FoulingLaw::kStandard:
      return {170, 30, 150};
    case FoulingLaw::kIntermediate:
      return {0, 139, 139};
    case FoulingLaw::kCake:
      return {139, 90, 43};
    case FoulingLaw::kPower:
      return kCurveColor;
  }
  return kBlack;
}

void DrawFoulingCurve(Canvas& canvas, const PlotRect& plot, const GraphRanges& ranges, const ModelFit& fit,
                      const Pen& pen) {
  std::optional<Point> last;
  const auto lineTo = [&](double w, double y) {
    const std::optional<Point> at = MapToPixel(plot, ranges, w, y);
    if (!at) return false;
    if (last && *at != *last) canvas.DrawLine(*last, *at, pen);
    last = at;
    return true;
  };
  double previousW = 0;
  for (int i = 0; i <= kCurveSteps; ++i) {
    const double w = ranges.MaxX * i / kCurveSteps;
    const std::optional<double> y = ShownResistance(fit, w);
    if (y && *y <= ranges.MaxY) {
      if (!lineTo(w, *y)) return;
      previousW = w;
      continue;
    }
    if (i == 0) return;
    // Leaving the range: end on its top edge when the curve gets there.
    double lo = previousW, hi = w;
    for (int k = 0; k < 40; ++k) {
      const double mid = (lo + hi) / 2;
      const std::optional<double> m = ShownResistance(fit, mid);
      (m && *m <= ranges.MaxY ? lo : hi) = mid;
    }
    if (y) lineTo(lo, ranges.MaxY);
    return;
  }
}

void DrawFoulingGraph(Canvas& canvas, const TWineRec& rec, const FoulingReport& report) {
  DrawScalePage(canvas, rec);

  const GraphPoints points = ReadGraphPoints(rec);
  const GraphRanges ranges = FoulingRanges(points, report);
  std::vector<LegendEntry> legend;
  legend.push_back({"Max Resistance", LegendEntry::Symbol::kLine, kMaxResistancePen});

  for (const ModelFit& fit : report.models) {
    if (!fit.fitted) continue;
    const bool best = report.best == fit.law;
    const Pen pen{FoulingCurveColor(fit.law), 1, PenStyle::kSolid};
    DrawFoulingCurve(canvas, kPlotArea, ranges, fit, pen);
    legend.push_back(
        {std::string(LawName(fit.law)) + (best ? " (best)" : ""), LegendEntry::Symbol::kLine, pen});
  }

  if (const auto from = Translate(0, report.points.rMax / 1e9, ranges)) {
    canvas.DrawLine(*from, {kPlotArea.Right, from->y}, kMaxResistancePen);
  }
  if (!IsUnanalysable(rec)) DrawPointMarkers(canvas, kPlotArea, ranges, points, MarkerSize::kLarge);
  legend.push_back({"Data Points", LegendEntry::Symbol::kUsed, Pen{}});
  legend.push_back({"Unused Data", LegendEntry::Symbol::kUnused, Pen{}});

  DrawFrame(canvas, kPlotArea);
  DrawScaleAxisTitles(canvas);
  const auto s = RoundToCount(ranges.MaxX);
  DrawScaleXLabels(canvas, ranges, s ? ProdXLabelStep(*s) : std::nullopt, 0);
  DrawScaleXTicks(canvas, ranges, s ? ProdXTickStep(*s) : std::nullopt);
  DrawScaleYAxis(canvas, ranges);
  DrawLegend(canvas, legend);
}

}  // namespace vorsant
