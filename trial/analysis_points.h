#pragma once
// The analysis' own working figures, for the analyses that go beyond the
// record's two models: the points it fits after its skipping rule, as
// doubles (not the rounded texts of the record), and the production
// conditions in SI units.

#include <optional>
#include <string>
#include <vector>

#include "trial/wine_rec.h"

namespace vorsant {

struct AnalysisPoints {
  std::vector<double> w;  // V/A at the middle of each fitted interval, m3/m2
  std::vector<double> R;  // the interval's resistance, 1/m
  double rMax = 0;          // largest resistance the production filter allows, 1/m
  double prodArea = 0;      // m2
  double prodFlow = 0;      // m3/s
  double prodPressure = 0;  // Pa
  double viscosity = 0;     // Pa s
  // The power fit exactly as the analysis makes it (R0 + a w^n).
  bool powerFitted = false;
  double R0 = 0, a = 0, n = 0, powerR = 0;
};

// Runs the analysis on a copy of the trial and returns its points. When the
// run ends before its fits (a non-positive interval, fewer than four points),
// `failure` holds that warning's text and the points are those it had.
struct AnalysisPointsOutcome {
  AnalysisPoints points;
  std::optional<std::string> failure;
};
AnalysisPointsOutcome AnalyseTrialPoints(const TWineRec& rec);

}  // namespace vorsant
