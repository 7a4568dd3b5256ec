#pragma once
// Pieces that every graph draws the same way: the model curve, the point
// markers, the plot frame, and the walk along an axis's labels or ticks.

#include <cmath>
#include <optional>
#include <vector>

#include "graphs/canvas.h"
#include "graphs/graph_data.h"
#include "graphs/plot_geometry.h"

namespace vorsant {

struct DataPoint {
  double x = 0;
  double y = 0;
};

// The model curve as data points: (0, Rm), then steps of MaxX / 1000 until
// the step that reaches MaxX, or until the curve would pass MaxY, where it
// ends on MaxY at the crossing. When the crossing cannot be computed (see
// CurveCrossing) or R has no value, the curve ends at the last point before.
std::vector<DataPoint> ModelCurvePoints(const PowerModel& model, const GraphRanges& ranges);

// Draws the curve as one polyline. Steps that land on the same pixel are
// merged; a point without a pixel ends the line there.
void DrawModelCurve(Canvas& canvas, const PlotRect& plot, const GraphRanges& ranges, const PowerModel& model);

enum class MarkerSize { kSmall, kLarge };

// Used point: a + (arms of 5 pixels, or 7 when large) centred on `at`.
void DrawUsedMarker(Canvas& canvas, Point at, MarkerSize size);
// Unused point: an x of two diagonals (3 pixels, or 5 when large).
void DrawUnusedMarker(Canvas& canvas, Point at, MarkerSize size);

// Unused points first, then the used ones.
void DrawPointMarkers(Canvas& canvas, const PlotRect& plot, const GraphRanges& ranges,
                      const GraphPoints& points, MarkerSize size);

// Black outline through the four corners; it covers Right and Bottom, one
// pixel past the plot fill.
void DrawFrame(Canvas& canvas, const PlotRect& plot);

// Calls f(t) for t = start, start + step, start + 2 step, ... while t <= end.
// Without a step only `start` is visited. t is computed from its index, and
// the comparison allows for the binary error of decimal steps such as 0.1, so
// the label or tick at `end` itself is never lost. The walk is bounded and
// stops when t no longer changes.
template <typename F>
void ForEachStep(double start, double end, std::optional<double> step, F&& f) {
  constexpr int kMaxSteps = 100000;
  const double slack = step ? std::abs(*step) * 1e-9 : 0.0;
  double previous = 0;
  for (int i = 0; i < kMaxSteps; ++i) {
    const double t = step ? start + i * *step : start;
    if (!(t <= end + slack)) return;
    if (i > 0 && t == previous) return;
    f(t);
    if (!step) return;
    previous = t;
  }
}

}  // namespace vorsant
