#pragma once
// Laboratory trials of a known fouling law: a constant-pressure filtration
// dV/dt = dP A / (mu R(V/A)) integrated finely, read every interval as the
// balance would, and stored through the data dialog's checks and formatting.

#include <functional>
#include <vector>

#include "fouling/trial_readings.h"

#include "trial/analysis_points.h"
#include "trial/wine_rec.h"

namespace vorsant::testing {

// 47 mm disc at 30 psi, Normal wine; production 20 m2 at 30 psi, 40 bpm.
TWineRec LawTrial(const std::function<double(double)>& R, int count, int intervalSeconds);

// A collection of that law as the balance saw it: a reading every second,
// each volume off by normal noise of `noiseMl`, kept whole in `log`; the
// points every `intervalSeconds` are the readings at those times, stored
// as the collection stores them (a tenth of a ml, whole seconds).
struct CollectedRun {
  TWineRec rec;
  std::vector<Reading> log;
};
CollectedRun CollectedTrial(const std::function<double(double)>& R, int count, int intervalSeconds, double noiseMl,
                            unsigned seed);

// The production filter's largest resistance and area for those conditions.
double ProductionRmax();
inline constexpr double kProductionArea = 20;

// Analysis points lying exactly on R(w), `count` of them `step` m3/m2 apart,
// with those production conditions.
AnalysisPoints ExactPoints(const std::function<double(double)>& R, double step = 0.05, int count = 10);

}  // namespace vorsant::testing
