#pragma once
// Where a graph's data land on its surface: the plot rectangle, the axis
// ranges and the mapping from one to the other.

#include <optional>

#include "graphs/canvas.h"

namespace vorsant {

struct GraphRanges {
  double MinX = 0;
  double MaxX = 1;
  double MinY = 0;
  double MaxY = 1;
};

// The plot area's corners as the graphs name them. Unlike Rect it is a pair
// of corner coordinates: the frame is drawn on Right and Bottom themselves.
struct PlotRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int W() const { return Right - Left; }
  int H() const { return Bottom - Top; }
};

// Xpos = round(W * (x - MinX) / (MaxX - MinX) + Left),
// Ypos = round(Bottom - H * (y - MinY) / (MaxY - MinY)), ties to even and
// no clipping. Coordinates far outside are saturated (graph_math.h); nullopt
// only when the arithmetic has no value (a NaN input or an empty range).
std::optional<Point> MapToPixel(const PlotRect& plot, const GraphRanges& ranges, double x, double y);

}  // namespace vorsant
