#pragma once
// The large laboratory-scale and production-scale graphs (700 x 600): the
// trial graph's content with a title, finer ticks and a legend; the
// production graph extends the curve until it reaches the production
// filter's maximum allowable resistance and draws that resistance as a line.

#include <optional>

#include "graphs/canvas.h"
#include "graphs/plot_geometry.h"
#include "trial/wine_rec.h"

namespace vorsant {

inline constexpr int kScaleGraphWidth = 700;
inline constexpr int kScaleGraphHeight = 600;
inline constexpr PlotRect kScalePlot{70, 60, 630, 540};

// The large graphs' data-to-pixel mapping (no clipping, ties to even).
std::optional<Point> Translate(double xVal, double yVal, const GraphRanges& ranges);

void DrawLabGraph(Canvas& canvas, const TWineRec& rec);
void DrawProdGraph(Canvas& canvas, const TWineRec& rec);

}  // namespace vorsant
