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
// trial may reach its Rmax at a hundred times the V/A of a blocking one)
// and their readings lie far below Rmax, so both axes are logarithmic, in
// whole decades: every trial's readings and its curve up to its Rmax show.
struct LogAxes {
  double minX = 0.1, maxX = 1, minY = 0.1, maxY = 1;
};

double DecadeBelow(double v) {
  return std::pow(10.0, std::floor(std::log10(v) + 1e-9));
}

double DecadeAbove(double v) {
  return std::pow(10.0, std::ceil(std::log10(v) - 1e-9));
}

LogAxes CompareRanges(const std::vector<Drawn>& drawn) {
  double loX = HUGE_VAL, hiX = 0, loY = HUGE_VAL, hiY = 0;
  const auto take = [](double v, double& lo, double& hi) {
    if (v > 0 && std::isfinite(v)) lo = std::min(lo, v), hi = std::max(hi, v);
  };
  for (const Drawn& d : drawn) {
    const AnalysisPoints& p = d.trial->report->points;
    for (double w : p.w) take(w, loX, hiX);
    for (double r : p.R) take(r / kRUnit, loY, hiY);
    if (d.best && d.best->wStar) {
      take(*d.best->wStar, loX, hiX);
      take(p.rMax / kRUnit, loY, hiY);
    }
  }
  LogAxes axes;
  if (hiX > 0) axes.minX = DecadeBelow(loX), axes.maxX = DecadeAbove(hiX);
  if (hiY > 0) axes.minY = DecadeBelow(loY), axes.maxY = DecadeAbove(hiY);
  if (axes.maxX <= axes.minX) axes.maxX = axes.minX * 10;
  if (axes.maxY <= axes.minY) axes.maxY = axes.minY * 10;
  return axes;
}

std::optional<Point> MapLog(const LogAxes& a, double w, double r) {
  if (!(w > 0) || !(r > 0)) return std::nullopt;
  const auto& p = kPlotArea;
  const double x = p.Left + p.W() * std::log10(w / a.minX) / std::log10(a.maxX / a.minX);
  const double y = p.Bottom - p.H() * std::log10(r / a.minY) / std::log10(a.maxY / a.minY);
  const auto px = ToPixel(x), py = ToPixel(y);
  if (!px || !py) return std::nullopt;
  return Point{*px, *py};
}

// The best model's curve from the plot's left edge to the trial's own Rmax
// (or the plot's right edge), in steps even on the log scale.
void DrawLogCurve(Canvas& canvas, const LogAxes& a, const ModelFit& fit, double rMax, const Pen& pen) {
  constexpr int kSteps = 600;
  const double top = std::min(rMax > 0 ? rMax : a.maxY, a.maxY);
  const auto shown = [&](double w) -> std::optional<double> {
    const std::optional<double> R = ModelResistance(fit, w);
    if (!R) return std::nullopt;
    return *R / kRUnit;
  };
  std::optional<Point> last;
  const auto lineTo = [&](double w, double r) {
    const std::optional<Point> at = MapLog(a, w, std::max(r, a.minY));
    if (at && last && *at != *last) canvas.DrawLine(*last, *at, pen);
    if (at) last = at;
  };
  double previous = a.minX;
  for (int i = 0; i <= kSteps; ++i) {
    const double w = a.minX * std::pow(a.maxX / a.minX, static_cast<double>(i) / kSteps);
    const std::optional<double> r = shown(w);
    if (r && *r <= top) {
      lineTo(w, *r);
      previous = w;
      continue;
    }
    if (i == 0 || !r) return;
    double lo = previous, hi = w;
    for (int k = 0; k < 40; ++k) {
      const double mid = std::sqrt(lo * hi);
      const std::optional<double> m = shown(mid);
      (m && *m <= top ? lo : hi) = mid;
    }
    lineTo(lo, top);
    return;
  }
}

// Labels at every decade, short ticks at 2 to 9 times it.
template <typename F>
void ForEachLogTick(double min, double max, F&& f) {
  for (double decade = min; decade < max * (1 + 1e-9); decade *= 10)
    for (int m = 1; m <= 9 && decade * m <= max * (1 + 1e-9); ++m) f(decade * m, m == 1, decade);
}

std::string LogLabel(double decade) {
  return AxisLabel(decade, decade);
}

int LogYLabelsWidth(const Canvas& canvas, const LogAxes& a) {
  int widest = 0;
  ForEachLogTick(a.minY, a.maxY, [&](double, bool major, double decade) {
    if (major) widest = std::max(widest, canvas.MeasureText(LogLabel(decade), kScaleTextFont).width);
  });
  return widest;
}

void DrawLogAxes(Canvas& canvas, const LogAxes& a) {
  const PlotRect& p = kPlotArea;
  const Pen pen{kBlack, 1, PenStyle::kSolid};
  ForEachLogTick(a.minX, a.maxX, [&](double t, bool major, double decade) {
    const auto at = MapLog(a, t, a.minY);
    if (!at) return;
    canvas.DrawLine({at->x, p.Bottom}, {at->x, p.Bottom + (major ? 4 : 2)}, pen);
    if (!major) return;
    const std::string label = LogLabel(decade);
    const TextSize size = canvas.MeasureText(label, kScaleTextFont);
    canvas.DrawText({at->x - size.width / 2, p.Bottom + 7}, label, kScaleTextFont, kBlack, kPaleBlue);
  });
  ForEachLogTick(a.minY, a.maxY, [&](double t, bool major, double decade) {
    const auto at = MapLog(a, a.minX, t);
    if (!at) return;
    canvas.DrawLine({p.Left, at->y}, {p.Left - (major ? 4 : 2), at->y}, pen);
    if (!major) return;
    const std::string label = LogLabel(decade);
    const TextSize size = canvas.MeasureText(label, kScaleTextFont);
    canvas.DrawText({p.Left - size.width - 7, at->y - size.height / 2}, label, kScaleTextFont, kBlack,
                    kPaleBlue);
  });
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
  const LogAxes axes = CompareRanges(drawn);
  for (const Drawn& d : drawn) {
    if (d.best)
      DrawLogCurve(canvas, axes, *d.best, d.trial->report->points.rMax / kRUnit,
                   Pen{d.color, 1, PenStyle::kSolid});
  }
  for (const Drawn& d : drawn) {
    const AnalysisPoints& p = d.trial->report->points;
    for (std::size_t k = 0; k < p.w.size() && k < p.R.size(); ++k) {
      if (const auto at = MapLog(axes, p.w[k], p.R[k] / kRUnit)) DrawMarker(canvas, *at, d.color);
    }
  }

  DrawFrame(canvas, kPlotArea);
  DrawFreeAxisTitles(canvas, LogYLabelsWidth(canvas, axes), "V/A (m), both axes logarithmic",
                     "R (1/m x 10^9)");
  DrawLogAxes(canvas, axes);
  DrawLegend(canvas, drawn);
}

}  // namespace vorsant
