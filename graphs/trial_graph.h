#pragma once
// The small graph of a trial window: R against V/A with the measured points,
// split into unused and used ones, and the fitted power-model curve.

#include <optional>

#include "graphs/canvas.h"
#include "graphs/graph_style.h"
#include "graphs/plot_geometry.h"
#include "trial/wine_rec.h"

namespace vorsant {

inline constexpr int kTrialGraphWidth = 250;
inline constexpr int kTrialGraphHeight = 200;
inline constexpr PlotRect kTrialPlot{35, 15, 235, 165};

// The trial graph's data-to-pixel mapping (no clipping, ties to even).
std::optional<Point> PlotTranslate(double xVal, double yVal, const GraphRanges& ranges);

// Draws the whole graph of `rec` onto a surface of `width` x `height`
// pixels. The text size follows the width (11 pixels at the usual 250).
void DrawGraph(Canvas& canvas, const TWineRec& rec, int width = kTrialGraphWidth,
               int height = kTrialGraphHeight, Color buttonFace = kDefaultButtonFace);

}  // namespace vorsant
