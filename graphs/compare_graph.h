#pragma once
// Several trials in one picture (700 x 600): resistance against V/A with
// each analysable trial's used points and its best model's curve in a colour
// of its own, and a legend naming each trial "WINE - FILTER".

#include <array>
#include <span>

#include "fouling/trial_comparison.h"
#include "graphs/canvas.h"

namespace vorsant {

// Trial i of the comparison is drawn in colour i, whether or not the trials
// before it could be analysed.
extern const std::array<Color, kMaxComparedTrials> kCompareColors;

// Draws at most kMaxComparedTrials trials; trials without a report are left
// out of the plot and the legend.
void DrawCompareGraph(Canvas& canvas, std::span<const ComparedTrial> trials);

}  // namespace vorsant
