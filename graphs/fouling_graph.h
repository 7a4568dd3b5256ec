#pragma once
// The fouling models' picture (700 x 600, the size of the laboratory and
// production graphs): the trial's points, each fitted model's curve in its
// own colour with a legend of the names, the production filter's maximum
// allowable resistance dotted, a dotted upright where the trial's data end,
// and X far enough for the best model to reach Rmax.

#include <optional>

#include "fouling/fouling_models.h"
#include "graphs/canvas.h"
#include "graphs/plot_geometry.h"
#include "trial/wine_rec.h"

namespace vorsant {

// The colour each model's curve is drawn in.
Color FoulingCurveColor(FoulingLaw law);

// The model's curve R(w) / 10^9 from w = 0 to MaxX as one polyline; it ends
// where it leaves the top of the range (or reaches `stopAt`, in the same
// unit) or where the model has no value.
void DrawFoulingCurve(Canvas& canvas, const PlotRect& plot, const GraphRanges& ranges, const ModelFit& fit,
                      const Pen& pen, std::optional<double> stopAt = std::nullopt);

// `rec` is the trial the report was made from: its stored table gives the
// points and their split into used and unused ones.
void DrawFoulingGraph(Canvas& canvas, const TWineRec& rec, const FoulingReport& report);

}  // namespace vorsant
