#include "graphs/plot_geometry.h"

#include "graphs/graph_math.h"

namespace vorsant {

std::optional<Point> MapToPixel(const PlotRect& plot, const GraphRanges& ranges, double x, double y) {
  const auto px = ToPixel(plot.W() * (x - ranges.MinX) / (ranges.MaxX - ranges.MinX) + plot.Left);
  const auto py = ToPixel(plot.Bottom - plot.H() * (y - ranges.MinY) / (ranges.MaxY - ranges.MinY));
  if (!px || !py) return std::nullopt;
  return Point{*px, *py};
}

}  // namespace vorsant
