#include "graphs/compare_graph.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "graphs/fouling_graph.h"
#include "graphs/free_axes.h"
#include "graphs/graph_math.h"
#include "graphs/graph_style.h"
#include "graphs/plot_drawing.h"
#include "graphs/scale_graph_parts.h"
#include "graphs/step_tables.h"

namespace vorsant {

const std::array<Color, kMaxComparedTrials> kCompareColors = {{
    {100, 149, 237},  // the graphs' curve blue first
    {178, 34, 34},
    {0, 128, 0},
    {255, 140, 0},
    {128, 0, 128},
    {0, 139, 139},
    {139, 69, 19},
    {255, 20, 147},
}};

namespace {

// The graphs plot R in units of 10^9 /m.
constexpr double kRUnit = 1e9;
constexpr std::size_t kLegendLimit = 35;  // as the large graphs' titles
constexpr int kLegendRow = 20;

struct Drawn {
  const ComparedTrial* trial;
  const ModelFit* best;  // may be null: points without a curve
  Color color;
};

std::vector<Drawn> TrialsToDraw(std::span<const ComparedTrial> trials) {
  std::vector<Drawn> drawn;
  for (std::size_t i = 0; i < trials.size() && i < kMaxComparedTrials; ++i) {
    if (trials[i].report) drawn.push_back({&trials[i], BestModel(trials[i]), kCompareColors[i]});
  }
  return drawn;
}

// Each trial framed whole: its points and its best curve up to its own
// Rmax, in free steps, so that neither a long extrapolation nor a short
// trial presses the others against an axis.
struct CompareAxes {
  GraphRanges ranges;
  double xStep = 1, yStep = 1;
};

CompareAxes CompareRanges(const std::vector<Drawn>& drawn) {
  double maxW = 0;
  double maxR = 0;
  for (const Drawn& d : drawn) {
    const AnalysisPoints& p = d.trial->report->points;
    for (double w : p.w) maxW = std::max(maxW, w);
    for (double r : p.R) maxR = std::max(maxR, r / kRUnit);
    if (d.best && d.best->wStar) {
      maxW = std::max(maxW, *d.best->wStar);
      maxR = std::max(maxR, p.rMax / kRUnit);
    }
  }
  CompareAxes axes;
  axes.xStep = NiceStep(maxW > 0 ? maxW : 0.5);
  axes.ranges.MaxX = StepCeiling(maxW, axes.xStep);
  axes.ranges.MinY = 0;
  axes.yStep = NiceStep(maxR > 0 ? 1.05 * maxR : 10);
  axes.ranges.MaxY = StepCeiling(1.05 * maxR, axes.yStep);
  return axes;
}

// A used point's + (7-pixel arms) in the trial's colour.
void DrawMarker(Canvas& canvas, Point at, Color color) {
  const Pen pen{color, 1, PenStyle::kSolid};
  canvas.DrawLine({at.x - 3, at.y}, {at.x + 4, at.y}, pen);
  canvas.DrawLine({at.x, at.y - 3}, {at.x, at.y + 4}, pen);
}

std::string LegendName(const ComparedTrial& trial) {
  std::string name = trial.legend;
  if (name.size() > kLegendLimit) name.resize(kLegendLimit);
  return name;
}

// Top left of the plot, where resistance curves that rise with V/A leave room.
void DrawLegend(Canvas& canvas, const std::vector<Drawn>& drawn) {
  if (drawn.empty()) return;
  int textWidth = 0;
  for (const Drawn& d : drawn)
    textWidth = std::max(textWidth, canvas.MeasureText(LegendName(*d.trial), kScaleTextFont).width);
  const int left = kPlotArea.Left + 10;
  const int top = kPlotArea.Top + 10;
  const int textLeft = left + 36;
  const int n = static_cast<int>(drawn.size());
  DrawLegendBox(canvas, {left, top, textLeft + textWidth + 8, top + n * kLegendRow + 6});
  for (int i = 0; i < n; ++i) {
    const int rowTop = top + 4 + i * kLegendRow;
    const int mid = rowTop + 7;
    if (drawn[i].best) canvas.DrawLine({left + 8, mid}, {left + 28, mid}, Pen{drawn[i].color});
    DrawMarker(canvas, {left + 18, mid}, drawn[i].color);
    canvas.DrawTextInBox({textLeft, rowTop, textLeft + textWidth + 4, rowTop + kLegendRow - 2},
                         LegendName(*drawn[i].trial), kScaleTextFont, kBlack, kPaleBlue);
  }
}

void DrawTitle(Canvas& canvas) {
  constexpr std::string_view kTitle = "Compare Trials";
  const Font font{14, FontHeight::kCharacter, 0};
  const TextSize size = canvas.MeasureText(kTitle, font);
  canvas.DrawText({(kScaleGraphWidth - size.width) / 2, 20}, kTitle, font, kBlack, kPaleBlue);
}

}  // namespace

void DrawCompareGraph(Canvas& canvas, std::span<const ComparedTrial> trials) {
  canvas.DrawRectangle({0, 0, kScaleGraphWidth, kScaleGraphHeight}, kPaleBlue, kBlack);
  DrawTitle(canvas);
  canvas.FillRect({kPlotArea.Left, kPlotArea.Top, kPlotArea.Right, kPlotArea.Bottom}, kPaleYellow);

  const std::vector<Drawn> drawn = TrialsToDraw(trials);
  const CompareAxes axes = CompareRanges(drawn);
  const GraphRanges& ranges = axes.ranges;
  for (const Drawn& d : drawn) {
    if (d.best)
      DrawFoulingCurve(canvas, kPlotArea, ranges, *d.best, Pen{d.color, 1, PenStyle::kSolid},
                       d.trial->report->points.rMax / kRUnit);
  }
  for (const Drawn& d : drawn) {
    const AnalysisPoints& p = d.trial->report->points;
    for (std::size_t k = 0; k < p.w.size() && k < p.R.size(); ++k) {
      if (const auto at = MapToPixel(kPlotArea, ranges, p.w[k], p.R[k] / kRUnit))
        DrawMarker(canvas, *at, d.color);
    }
  }

  DrawFrame(canvas, kPlotArea);
  DrawScaleAxisTitles(canvas, FreeYLabelsWidth(canvas, ranges, axes.yStep));
  DrawFreeXAxis(canvas, ranges, axes.xStep);
  DrawFreeYAxis(canvas, ranges, axes.yStep);
  DrawLegend(canvas, drawn);
}

}  // namespace vorsant
