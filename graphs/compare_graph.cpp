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

// Trials differ by orders of magnitude in how far they run (a cake-forming
// trial may pass ten times the V/A of a blocking one), so each is drawn on
// its own scale: V/A as a share of where its best curve reaches its Rmax
// (its last reading when none does), R as a share of that Rmax. Every
// trial then spans the plot and their shapes compare; the table beside the
// picture gives the volumes.
struct TrialScale {
  double w = 1;  // V/A at the plot's 1
  double r = 1;  // R / 10^9 at the plot's 1
};

TrialScale ScaleOf(const Drawn& d) {
  const AnalysisPoints& p = d.trial->report->points;
  TrialScale s;
  double lastW = 0, maxR = 0;
  for (double w : p.w) lastW = std::max(lastW, w);
  for (double r : p.R) maxR = std::max(maxR, r / kRUnit);
  s.w = d.best && d.best->wStar && *d.best->wStar > 0 ? *d.best->wStar : lastW;
  s.r = p.rMax > 0 ? p.rMax / kRUnit : maxR;
  if (!(s.w > 0)) s.w = 1;
  if (!(s.r > 0)) s.r = 1;
  return s;
}

struct CompareAxes {
  GraphRanges ranges;  // in shares
  double xStep = 0.1, yStep = 0.1;
};

CompareAxes CompareRanges(const std::vector<Drawn>& drawn) {
  // At least 0 to 1; more where readings lie past the point of Rmax.
  double maxX = 1, maxY = 1;
  for (const Drawn& d : drawn) {
    const TrialScale s = ScaleOf(d);
    const AnalysisPoints& p = d.trial->report->points;
    for (double w : p.w) maxX = std::max(maxX, w / s.w);
    for (double r : p.R) maxY = std::max(maxY, r / kRUnit / s.r);
  }
  CompareAxes axes;
  axes.xStep = NiceStep(maxX, 10);
  axes.ranges.MaxX = StepCeiling(maxX, axes.xStep);
  axes.yStep = NiceStep(maxY * 1.05, 10);
  axes.ranges.MaxY = StepCeiling(maxY * 1.05, axes.yStep);
  return axes;
}

// The axes' ranges that put a trial's own V/A and R / 10^9 on the shared
// plot.
GraphRanges InTrialUnits(const GraphRanges& shares, const TrialScale& s) {
  return {0, shares.MaxX * s.w, 0, shares.MaxY * s.r};
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

// Top left of the plot, where resistance curves that rise with V/A leave
// room. Rows as tall as the text is drawn; the texts keep clear of the frame.
void DrawLegend(Canvas& canvas, const std::vector<Drawn>& drawn) {
  if (drawn.empty()) return;
  int textWidth = 0;
  for (const Drawn& d : drawn)
    textWidth = std::max(textWidth, canvas.MeasureText(LegendName(*d.trial), kScaleTextFont).width);
  const int cell = canvas.MeasureText("Ag", kScaleTextFont).height;
  const int row = std::max(kLegendRow, cell + 6);
  const int left = kPlotArea.Left + 10;
  const int top = kPlotArea.Top + 10;
  const int textLeft = left + 36;
  const int n = static_cast<int>(drawn.size());
  DrawLegendBox(canvas, {left, top, textLeft + textWidth + 10, top + n * row + 6});
  for (int i = 0; i < n; ++i) {
    const int rowTop = top + 3 + i * row;
    const int mid = rowTop + 3 + cell / 2;
    if (drawn[i].best) canvas.DrawLine({left + 8, mid}, {left + 28, mid}, Pen{drawn[i].color});
    DrawMarker(canvas, {left + 18, mid}, drawn[i].color);
    canvas.DrawTextInBox({textLeft, rowTop + 3, textLeft + textWidth + 4, rowTop + row},
                         LegendName(*drawn[i].trial), kScaleTextFont, kBlack, kPaleBlue);
  }
}

// The title, and below it what the scales mean.
void DrawTitle(Canvas& canvas) {
  constexpr std::string_view kTitle = "Compare Trials";
  constexpr std::string_view kNote = "Each trial on its own scale: 1 is where its best model reaches its Rmax";
  const Font font{14, FontHeight::kCharacter, 0};
  const TextSize size = canvas.MeasureText(kTitle, font);
  canvas.DrawText({(kScaleGraphWidth - size.width) / 2, 12}, kTitle, font, kBlack, kPaleBlue);
  const TextSize note = canvas.MeasureText(kNote, kScaleTextFont);
  canvas.DrawText({(kScaleGraphWidth - note.width) / 2, 14 + size.height}, kNote, kScaleTextFont, kBlack,
                  kPaleBlue);
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
      DrawFoulingCurve(canvas, kPlotArea, InTrialUnits(ranges, ScaleOf(d)), *d.best,
                       Pen{d.color, 1, PenStyle::kSolid}, d.trial->report->points.rMax / kRUnit);
  }
  for (const Drawn& d : drawn) {
    const AnalysisPoints& p = d.trial->report->points;
    const GraphRanges own = InTrialUnits(ranges, ScaleOf(d));
    for (std::size_t k = 0; k < p.w.size() && k < p.R.size(); ++k) {
      if (const auto at = MapToPixel(kPlotArea, own, p.w[k], p.R[k] / kRUnit)) DrawMarker(canvas, *at, d.color);
    }
  }

  DrawFrame(canvas, kPlotArea);
  DrawFreeAxisTitles(canvas, FreeYLabelsWidth(canvas, ranges, axes.yStep), "V/A / V/A at Rmax",
                     "R / Rmax");
  DrawFreeXAxis(canvas, ranges, axes.xStep);
  DrawFreeYAxis(canvas, ranges, axes.yStep);
  DrawLegend(canvas, drawn);
}

}  // namespace vorsant
