#pragma once
// Axes for the pictures whose ranges follow the data wherever they lie (the
// fouling models and the comparison): steps of 1, 2 or 5 times a power of
// ten instead of the step tables, which stop at fixed spans.

#include <string>
#include <string_view>

#include "graphs/canvas.h"
#include "graphs/plot_geometry.h"

namespace vorsant {

// The smallest step of 1, 2 or 5 times a power of ten that covers `span`
// (> 0) in at most `count` steps.
double NiceStep(double span, int count = 8);

// `value` rounded up to a whole number of steps, at least one step.
double StepCeiling(double value, double step);

// The label of `t` on an axis of `step`: as many decimals as the step
// needs, exponent form from 10^7 on.
std::string AxisLabel(double t, double step);

// Labels and 4-pixel ticks every `step` along the scale graphs' plot, placed
// as the scale graphs place theirs.
void DrawFreeXAxis(Canvas& canvas, const GraphRanges& ranges, double step);
void DrawFreeYAxis(Canvas& canvas, const GraphRanges& ranges, double step);
// Width of the widest label DrawFreeYAxis draws, in the canvas' font, so
// that the axis title can stand clear of it.
int FreeYLabelsWidth(const Canvas& canvas, const GraphRanges& ranges, double step);

// The axes' titles, each one text placed by its measure: `xTitle` centred
// below the X labels, `yTitle` running upwards clear of Y labels
// `yLabelsWidth` wide, or level above them where the page has no room
// beside them. Text drawn larger than the layout (a window's own DPI on a
// picture shrunk to fit) moves them rather than overlapping.
void DrawFreeAxisTitles(Canvas& canvas, int yLabelsWidth, std::string_view xTitle, std::string_view yTitle);

}  // namespace vorsant
