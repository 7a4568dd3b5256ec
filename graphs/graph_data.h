#pragma once
// What the graphs take from a trial record: the points as the analysis left
// them in the result table, the split into unused and used points, the power
// model's parameters, and the axis ranges derived from them. Nothing of the
// analysis is recomputed here.

#include <array>
#include <optional>

#include "graphs/plot_geometry.h"
#include "trial/wine_rec.h"

namespace vorsant {

struct GraphPoints {
  // Point k (1..Count) is index k - 1: X its V/A (m), Y its R (10^9 /m).
  std::array<double, kPointCount> X{};
  std::array<double, kPointCount> Y{};
  int Count = 1;
  // Points 1..Unused are unused: the user's excluded points and then the
  // leading run over which R still falls.
  int Unused = 0;

  int Used() const { return Count - Unused; }
};

GraphPoints ReadGraphPoints(const TWineRec& rec);

// The curve R(x) = Rm + c * x^b with c = aReal / 10^9.
struct PowerModel {
  double Rm = 0;
  double b = 0;
  double c = 0;
};

// The power model when its fit succeeded, i.e. when bP and RmP hold numbers.
// A failed fit blanks them but leaves aReal at the coefficient of an older
// fit, which must not be drawn.
std::optional<PowerModel> ReadPowerModel(const TWineRec& rec);

// RmE is "   neg" when the analysis found a non-positive interval: no point
// or curve is drawn then.
bool IsUnanalysable(const TWineRec& rec);

// The model curve is drawn only for an analysable trial whose power fit
// succeeded and which has at least four used points.
std::optional<PowerModel> CurveToDraw(const TWineRec& rec, const GraphPoints& points);

// X where the curve reaches `level`: exp((ln(level - Rm) - ln c) / b).
// nullopt unless level - Rm > 0, c > 0 and b != 0 (and the result is a
// number).
std::optional<double> CurveCrossing(const PowerModel& model, double level);

// The ranges of the trial window's graph and of the laboratory graph:
// MaxX the last V/A rounded up to the next multiple of 0.5 above it, within
// 0.5..100; Y in steps of 10 around the points, down to 0 when `rm` (RmP as
// a number) lies below the points or the range exceeds 100.
GraphRanges LabRanges(const GraphPoints& points, double rm);

// The production graph's ranges: Y from 0 to 1.05 times the largest of the
// points and `rmax`, rounded to tens (at least 10); X far enough for the
// curve to reach the top of the range, as a whole number 2..10000.
GraphRanges ProdRanges(const GraphPoints& points, const std::optional<PowerModel>& model, double rmax);

}  // namespace vorsant
