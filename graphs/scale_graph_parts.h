#pragma once
// What the laboratory and production graphs share: page, title, axis titles,
// the Y axis and the legend's pieces.

#include <initializer_list>
#include <optional>
#include <string_view>

#include "graphs/canvas.h"
#include "graphs/plot_geometry.h"
#include "graphs/scale_graphs.h"
#include "trial/wine_rec.h"

namespace vorsant {

inline constexpr PlotRect kPlotArea = kScalePlot;
inline constexpr Font kScaleTextFont{11, FontHeight::kCharacter, 0};

// Steps 1 to 3 of both graphs: page with its border, the title
// "<wine> - <filter>" (at most 35 characters), the plot fill.
void DrawScalePage(Canvas& canvas, const TWineRec& rec);

// "V/A (m)" and, running upwards, "R  (1/m x 10^9)" built from its pieces.
// Given the width of the widest Y label, the upright title moves left as
// far as it must to stand clear of the labels.
void DrawScaleAxisTitles(Canvas& canvas, int yLabelsWidth = 0);

// X labels with the given step, each `decimals` decimals in a width of 3.
void DrawScaleXLabels(Canvas& canvas, const GraphRanges& ranges, std::optional<double> step, int decimals);
void DrawScaleXTicks(Canvas& canvas, const GraphRanges& ranges, std::optional<double> step);
// Y labels by the Y step table, then Y ticks by the Y tick table.
void DrawScaleYAxis(Canvas& canvas, const GraphRanges& ranges);

// Legend frame and one text line; the symbols are drawn by the callers.
// The texts start at kLegendTextLeft in a frame ending at `right`; measured
// in the canvas' own font, a wider text starts further left, up to the
// symbols, and only then makes the frame wider. The texts stay inside it.
inline constexpr int kLegendTextLeft = kPlotArea.Right - 100;
inline constexpr int kLegendSymbolsRight = kPlotArea.Right - 108;
struct LegendPlace {
  int textLeft;
  int right;
};
LegendPlace FitLegend(const Canvas& canvas, int right, std::initializer_list<std::string_view> texts);
void DrawLegendBox(Canvas& canvas, const Rect& box);
void DrawLegendText(Canvas& canvas, int top, std::string_view text, const Rect& frame, int left);

}  // namespace vorsant
