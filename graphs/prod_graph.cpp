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

const Pen kMaxResistancePen{kMaxResistanceColor, 1, PenStyle::kDotted};

void DrawProdLegend(Canvas& canvas) {
  const PlotRect& p = kPlotArea;
  const LegendPlace place =
      FitLegend(canvas, p.Right - 15, {"Max Resistance", "Model Curve", "Data Points", "Unused Data"});
  const Rect frame{p.Right - 136, p.Bottom - 105, place.right, p.Bottom - 25};
  DrawLegendBox(canvas, frame);
  DrawLegendText(canvas, p.Bottom - 102, "Max Resistance", frame, place.textLeft);
  DrawLegendText(canvas, p.Bottom - 82, "Model Curve", frame, place.textLeft);
  DrawLegendText(canvas, p.Bottom - 62, "Data Points", frame, place.textLeft);
  DrawLegendText(canvas, p.Bottom - 42, "Unused Data", frame, place.textLeft);
  canvas.DrawLine({p.Right - 125, p.Bottom - 95}, {p.Right - 109, p.Bottom - 95}, kMaxResistancePen);
  canvas.DrawLine({p.Right - 126, p.Bottom - 75}, {p.Right - 109, p.Bottom - 75}, Pen{kCurveColor});
  DrawUsedMarker(canvas, {p.Right - 118, p.Bottom - 55}, MarkerSize::kLarge);
  DrawUnusedMarker(canvas, {p.Right - 118, p.Bottom - 35}, MarkerSize::kLarge);
}

}  // namespace

void DrawProdGraph(Canvas& canvas, const TWineRec& rec) {
  DrawScalePage(canvas, rec);

  const GraphPoints points = ReadGraphPoints(rec);
  const double rmax = StoredNumberOr0(rec.MaxProdR.Str());
  const GraphRanges ranges = ProdRanges(points, ReadPowerModel(rec), rmax);

  if (const auto model = CurveToDraw(rec, points)) DrawModelCurve(canvas, kPlotArea, ranges, *model);

  // Drawn whatever else is: without clipping it may lie above the frame.
  if (const auto from = Translate(0, rmax, ranges)) {
    canvas.DrawLine(*from, {kPlotArea.Right, from->y}, kMaxResistancePen);
  }

  if (!IsUnanalysable(rec)) DrawPointMarkers(canvas, kPlotArea, ranges, points, MarkerSize::kLarge);

  DrawFrame(canvas, kPlotArea);
  DrawScaleAxisTitles(canvas);
  const auto s = RoundToCount(ranges.MaxX);
  DrawScaleXLabels(canvas, ranges, s ? ProdXLabelStep(*s) : std::nullopt, 0);
  DrawScaleXTicks(canvas, ranges, s ? ProdXTickStep(*s) : std::nullopt);
  DrawScaleYAxis(canvas, ranges);
  DrawProdLegend(canvas);
}

}  // namespace vorsant
