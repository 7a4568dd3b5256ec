#include "graphs/fouling_graph.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "fouling/filterability.h"
#include "present/verdict_text.h"
#include "graphs/free_axes.h"
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
const Pen kDataEndPen{{96, 96, 96}, 1, PenStyle::kDotted};
// Where the production graph's step tables end.
constexpr double kTableLeast = 1, kTableMost = 9999;

// R in the graphs' unit (10^9 /m), or nullopt where the model has none.
std::optional<double> ShownResistance(const ModelFit& fit, double w) {
  const std::optional<double> R = ModelResistance(fit, w);
  if (!R) return std::nullopt;
  return *R / 1e9;
}

// Like the production graph: Y to 1.05 times the largest of the points and
// Rmax; X to the end of the trial's data or the best model's w*, whichever
// is further, in the production graph's whole numbers where its step tables
// reach and in free steps elsewhere (a large disc's few millimetres, or a
// w* of kilometres).
struct FoulingAxes {
  GraphRanges ranges;
  std::optional<double> freeXStep, freeYStep;
};

FoulingAxes FoulingRanges(const GraphPoints& points, const FoulingReport& report, double dataEnd) {
  FoulingAxes axes;
  GraphRanges& r = axes.ranges;
  r = ProdRanges(points, std::nullopt, report.points.rMax / 1e9);
  // The record's texts read "> 1E15" as 0; the working points do not.
  for (double R : report.points.R) r.MaxY = std::max(r.MaxY, std::ceil(1.05 * R / 1e9 / 10) * 10);
  double maxX = std::max(points.X[static_cast<std::size_t>(points.Count - 1)], dataEnd);
  if (!report.points.w.empty()) maxX = std::max(maxX, report.points.w.back());
  if (report.best) {
    const ModelFit& best = report.models[static_cast<std::size_t>(*report.best)];
    if (best.wStar) maxX = std::max(maxX, *best.wStar);
  }
  if (maxX >= kTableLeast && maxX <= kTableMost) {
    r.MaxX = std::trunc(maxX) + 1;
  } else {
    axes.freeXStep = NiceStep(maxX);
    r.MaxX = StepCeiling(maxX, *axes.freeXStep);
  }
  if (const auto s = RoundToCount((r.MaxY - r.MinY) / 10); !s || !YStep(*s)) {
    axes.freeYStep = NiceStep(r.MaxY - r.MinY);
    r.MaxY = StepCeiling(r.MaxY, *axes.freeYStep);
  }
  return axes;
}

// The fitted points as the models saw them (exact, where the record's V/A
// texts keep three decimals), and the record's unused ones before them.
void DrawPoints(Canvas& canvas, const GraphRanges& ranges, GraphPoints points, const FoulingReport& report) {
  points.Count = points.Unused;
  DrawPointMarkers(canvas, kPlotArea, ranges, points, MarkerSize::kLarge);
  for (std::size_t k = 0; k < report.points.w.size(); ++k) {
    if (const auto at = MapToPixel(kPlotArea, ranges, report.points.w[k], report.points.R[k] / 1e9))
      DrawUsedMarker(canvas, *at, MarkerSize::kLarge);
  }
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
  // Rows as tall as the text is drawn, which may be larger than the
  // layout's; the texts keep clear of the frame.
  const int cell = canvas.MeasureText("Ag", kScaleTextFont).height;
  const int line = std::max(kLegendLine, cell + 6);
  const int left = p.Left + 15, top = p.Top + 35;
  const int textLeft = left + 36;
  const int bottom = top + 6 + line * static_cast<int>(entries.size());
  DrawLegendBox(canvas, {left, top, textLeft + textWidth + 18, bottom});
  int y = top + 3;
  for (const LegendEntry& e : entries) {
    const int middle = y + 3 + cell / 2;
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
    canvas.DrawTextInBox({textLeft, y + 3, textLeft + textWidth + 14, y + line}, e.text, kScaleTextFont,
                         kBlack, kPaleBlue);
    y += line;
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
                      const Pen& pen, std::optional<double> stopAt) {
  const double top = stopAt ? std::min(*stopAt, ranges.MaxY) : ranges.MaxY;
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
    if (y && *y <= top) {
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
      (m && *m <= top ? lo : hi) = mid;
    }
    if (y) lineTo(lo, top);
    return;
  }
}

void DrawFoulingGraph(Canvas& canvas, const TWineRec& rec, const FoulingReport& report) {
  DrawScalePage(canvas, rec);

  const GraphPoints points = ReadGraphPoints(rec);
  const double dataEnd = TrialEndThroughput(rec);
  const FoulingAxes axes = FoulingRanges(points, report, dataEnd);
  const GraphRanges& ranges = axes.ranges;
  std::vector<LegendEntry> legend;
  legend.push_back({"Max Resistance", LegendEntry::Symbol::kLine, kMaxResistancePen});
  legend.push_back({"End of the trial's data", LegendEntry::Symbol::kLine, kDataEndPen});

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
  if (const auto bottom = MapToPixel(kPlotArea, ranges, dataEnd, ranges.MinY)) {
    canvas.DrawLine(*bottom, {bottom->x, kPlotArea.Top}, kDataEndPen);
  }
  if (!IsUnanalysable(rec)) DrawPoints(canvas, ranges, points, report);
  legend.push_back({"Data Points", LegendEntry::Symbol::kUsed, Pen{}});
  legend.push_back({"Unused Data", LegendEntry::Symbol::kUnused, Pen{}});

  DrawFrame(canvas, kPlotArea);
  // The step tables' Y labels are five characters wide.
  const int yLabels = axes.freeYStep ? FreeYLabelsWidth(canvas, ranges, *axes.freeYStep)
                                     : canvas.MeasureText("00000", kScaleTextFont).width;
  DrawFreeAxisTitles(canvas, yLabels, "V/A (m)", "R (1/m x 10^9)");
  if (axes.freeXStep) {
    DrawFreeXAxis(canvas, ranges, *axes.freeXStep);
  } else {
    const auto s = RoundToCount(ranges.MaxX);
    DrawScaleXLabels(canvas, ranges, s ? ProdXLabelStep(*s) : std::nullopt, 0);
    DrawScaleXTicks(canvas, ranges, s ? ProdXTickStep(*s) : std::nullopt);
  }
  if (axes.freeYStep) {
    DrawFreeYAxis(canvas, ranges, *axes.freeYStep);
  } else {
    DrawScaleYAxis(canvas, ranges);
  }
  DrawLegend(canvas, legend);
}

}  // namespace vorsant
