#include "graphs/plot_drawing.h"

#include "graphs/graph_style.h"

namespace vorsant {
namespace {

// More than the 1000 regular steps and the final one; only a guard.
constexpr int kMaxCurveSteps = 1002;

double ModelValue(const PowerModel& model, double x) {
  // x^b as exp(b ln x); with c = 0 the power term is left out, so that an
  // overflowing power cannot turn 0 * inf into NaN.
  if (model.c == 0) return model.Rm;
  return model.Rm + model.c * std::exp(model.b * std::log(x));
}

}  // namespace

std::vector<DataPoint> ModelCurvePoints(const PowerModel& model, const GraphRanges& ranges) {
  std::vector<DataPoint> curve{{0, model.Rm}};
  const double step = ranges.MaxX / 1000;
  if (!(step > 0)) return curve;
  double x = 0;
  for (int i = 0; i < kMaxCurveSteps; ++i) {
    double nx = x + step;
    bool last = false;
    if (nx > ranges.MaxX) {
      nx = ranges.MaxX;
      last = true;
    }
    double ny = ModelValue(model, nx);
    if (std::isnan(ny)) break;
    if (ny > ranges.MaxY) {
      const auto crossing = CurveCrossing(model, ranges.MaxY);
      if (!crossing) break;
      nx = *crossing;
      ny = ranges.MaxY;
      last = true;
    }
    curve.push_back({nx, ny});
    x = nx;
    if (last) break;
  }
  return curve;
}

void DrawModelCurve(Canvas& canvas, const PlotRect& plot, const GraphRanges& ranges,
                    const PowerModel& model) {
  const Pen pen{kCurveColor, 1, PenStyle::kSolid};
  std::optional<Point> current;
  for (const DataPoint& p : ModelCurvePoints(model, ranges)) {
    const auto next = MapToPixel(plot, ranges, p.x, p.y);
    if (!next) return;
    if (current && *next != *current) canvas.DrawLine(*current, *next, pen);
    current = next;
  }
}

void DrawUsedMarker(Canvas& canvas, Point at, MarkerSize size) {
  const Pen pen{kUsedPointColor, 1, PenStyle::kSolid};
  const int back = size == MarkerSize::kLarge ? 3 : 2;
  const int ahead = back + 1;
  canvas.DrawLine({at.x - back, at.y}, {at.x + ahead, at.y}, pen);
  canvas.DrawLine({at.x, at.y - back}, {at.x, at.y + ahead}, pen);
}

void DrawUnusedMarker(Canvas& canvas, Point at, MarkerSize size) {
  const Pen pen{kUnusedPointColor, 1, PenStyle::kSolid};
  const int back = size == MarkerSize::kLarge ? 2 : 1;
  const int ahead = back + 1;
  canvas.DrawLine({at.x - back, at.y - back}, {at.x + ahead, at.y + ahead}, pen);
  canvas.DrawLine({at.x - back, at.y + back}, {at.x + ahead, at.y - ahead}, pen);
}

void DrawPointMarkers(Canvas& canvas, const PlotRect& plot, const GraphRanges& ranges,
                      const GraphPoints& points, MarkerSize size) {
  for (int k = 0; k < points.Count; ++k) {
    const auto at = MapToPixel(plot, ranges, points.X[static_cast<std::size_t>(k)],
                               points.Y[static_cast<std::size_t>(k)]);
    if (!at) continue;
    if (k < points.Unused) {
      DrawUnusedMarker(canvas, *at, size);
    } else {
      DrawUsedMarker(canvas, *at, size);
    }
  }
}

void DrawFrame(Canvas& canvas, const PlotRect& plot) {
  const Pen pen{kBlack, 1, PenStyle::kSolid};
  const Point corners[] = {{plot.Left, plot.Top},
                           {plot.Left, plot.Bottom},
                           {plot.Right, plot.Bottom},
                           {plot.Right, plot.Top},
                           {plot.Left, plot.Top}};
  for (std::size_t i = 0; i + 1 < std::size(corners); ++i) canvas.DrawLine(corners[i], corners[i + 1], pen);
}

}  // namespace vorsant
