#include "graphs/trial_graph.h"

#include "graphs/graph_data.h"
#include "graphs/graph_math.h"
#include "graphs/plot_drawing.h"
#include "graphs/step_tables.h"
#include "trial/number_text.h"

namespace vorsant {
namespace {

constexpr PlotRect kPlot = kTrialPlot;

int RoundToInt(double v) {
  return ToPixel(v).value_or(0);
}

// "V/A" under the plot and, running upwards beside it, R x 10 with a small
// raised 9. Returns the reduced font, which the tick labels keep.
Font DrawAxisTitles(Canvas& canvas, int width, Color background) {
  Font font{RoundToInt(0.045 * width), FontHeight::kCell, 0};
  const double midY = kPlot.Bottom - kPlot.H() / 2.0;

  const TextSize va = canvas.MeasureText("V/A", font);
  canvas.DrawText({RoundToInt(kPlot.Left + kPlot.W() / 2.0 - va.width / 2.0), kPlot.Bottom + 16}, "V/A", font,
                  kBlack, background);

  font.orientation = 90;
  canvas.DrawText({kPlot.Left - 34, RoundToInt(midY + 12)}, "R", font, kBlack, background);
  canvas.DrawText({kPlot.Left - 34, RoundToInt(midY)}, "10", font, kBlack, background);

  font.height = RoundToInt(0.7 * font.height);
  canvas.DrawText({kPlot.Left - 32, RoundToInt(midY + 5)}, "X", font, kBlack, background);
  canvas.DrawText({kPlot.Left - 35, RoundToInt(midY - 10)}, "9", font, kBlack, background);

  font.orientation = 0;
  return font;
}

void DrawXAxis(Canvas& canvas, const GraphRanges& ranges, const Font& font, Color background) {
  const Pen pen{kBlack, 1, PenStyle::kSolid};
  const auto s = RoundToCount(ranges.MaxX);
  ForEachStep(0.0, ranges.MaxX, s ? XStep(*s) : std::nullopt, [&](double t) {
    const std::string label = Fixed(t, 3, 1);
    const TextSize size = canvas.MeasureText(label, font);
    const double x = kPlot.Left + kPlot.W() * t / ranges.MaxX;
    canvas.DrawText({RoundToInt(x - size.width / 2.0), kPlot.Bottom + 7}, label, font, kBlack, background);
    const int xt = RoundToInt(x);
    canvas.DrawLine({xt, kPlot.Bottom}, {xt, kPlot.Bottom + 4}, pen);
  });
}

void DrawYAxis(Canvas& canvas, const GraphRanges& ranges, const Font& font, Color background) {
  const Pen pen{kBlack, 1, PenStyle::kSolid};
  const double span = ranges.MaxY - ranges.MinY;
  const auto s = RoundToCount(span / 10);
  ForEachStep(ranges.MinY, ranges.MaxY, s ? YStep(*s) : std::nullopt, [&](double t) {
    const std::string label = Fixed(t, 5, 0);
    const TextSize size = canvas.MeasureText(label, font);
    const double y = kPlot.Bottom - kPlot.H() * (t - ranges.MinY) / span;
    const auto labelY = ToPixel(y - size.height / 2.0);
    const auto yt = ToPixel(y);
    if (!labelY || !yt) return;
    canvas.DrawText({kPlot.Left - size.width - 7, *labelY}, label, font, kBlack, background);
    canvas.DrawLine({kPlot.Left, *yt}, {kPlot.Left - 4, *yt}, pen);
  });
}

}  // namespace

std::optional<Point> PlotTranslate(double xVal, double yVal, const GraphRanges& ranges) {
  return MapToPixel(kPlot, ranges, xVal, yVal);
}

void DrawGraph(Canvas& canvas, const TWineRec& rec, int width, int height, Color buttonFace) {
  canvas.FillRect({0, 0, width, height}, buttonFace);
  canvas.FillRect({kPlot.Left, kPlot.Top, kPlot.Right, kPlot.Bottom}, kPaleBlue);

  const GraphPoints points = ReadGraphPoints(rec);
  const GraphRanges ranges = LabRanges(points, StoredNumberOr0(rec.RmP.Str()));

  if (const auto model = CurveToDraw(rec, points)) DrawModelCurve(canvas, kPlot, ranges, *model);
  if (!IsUnanalysable(rec)) DrawPointMarkers(canvas, kPlot, ranges, points, MarkerSize::kSmall);

  DrawFrame(canvas, kPlot);
  const Font tickFont = DrawAxisTitles(canvas, width, buttonFace);
  DrawXAxis(canvas, ranges, tickFont, buttonFace);
  DrawYAxis(canvas, ranges, tickFont, buttonFace);
}

}  // namespace vorsant
