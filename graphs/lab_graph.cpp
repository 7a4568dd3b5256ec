#include "graphs/graph_data.h"
#include "graphs/graph_math.h"
#include "graphs/graph_style.h"
#include "graphs/plot_drawing.h"
#include "graphs/scale_graph_parts.h"
#include "graphs/scale_graphs.h"
#include "graphs/step_tables.h"
#include "trial/number_text.h"

namespace vorsant {
namespace {

void DrawLabLegend(Canvas& canvas) {
  const PlotRect& p = kPlotArea;
  const LegendPlace place = FitLegend(canvas, p.Right - 25, {"Model Curve", "Data Points", "Unused Data"});
  const Rect frame{p.Right - 136, p.Bottom - 85, place.right, p.Bottom - 25};
  DrawLegendBox(canvas, frame);
  DrawLegendText(canvas, p.Bottom - 82, "Model Curve", frame, place.textLeft);
  DrawLegendText(canvas, p.Bottom - 62, "Data Points", frame, place.textLeft);
  DrawLegendText(canvas, p.Bottom - 42, "Unused Data", frame, place.textLeft);
  canvas.DrawLine({p.Right - 127, p.Bottom - 75}, {p.Right - 108, p.Bottom - 75}, Pen{kCurveColor});
  DrawUsedMarker(canvas, {p.Right - 118, p.Bottom - 55}, MarkerSize::kLarge);
  DrawUnusedMarker(canvas, {p.Right - 118, p.Bottom - 35}, MarkerSize::kLarge);
}

}  // namespace

std::optional<Point> Translate(double xVal, double yVal, const GraphRanges& ranges) {
  return MapToPixel(kPlotArea, ranges, xVal, yVal);
}

void DrawLabGraph(Canvas& canvas, const TWineRec& rec) {
  DrawScalePage(canvas, rec);

  const GraphPoints points = ReadGraphPoints(rec);
  const GraphRanges ranges = LabRanges(points, StoredNumberOr0(rec.RmP.Str()));

  if (const auto model = CurveToDraw(rec, points)) DrawModelCurve(canvas, kPlotArea, ranges, *model);
  if (!IsUnanalysable(rec)) DrawPointMarkers(canvas, kPlotArea, ranges, points, MarkerSize::kLarge);

  DrawFrame(canvas, kPlotArea);
  DrawScaleAxisTitles(canvas);
  const auto s = RoundToCount(ranges.MaxX);
  DrawScaleXLabels(canvas, ranges, s ? XStep(*s) : std::nullopt, 1);
  DrawScaleXTicks(canvas, ranges, s ? LabXTickStep(*s) : std::nullopt);
  DrawScaleYAxis(canvas, ranges);
  DrawLabLegend(canvas);
}

}  // namespace vorsant
