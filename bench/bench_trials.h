#pragma once
// The trials the benchmarks run on, built as the data dialog stores points.

#include "trial/wine_rec.h"

namespace vorsant::bench {

// 47 mm at 30 psi, a reading every 40 s, resistance following
// R = 0.8e12 + 2e13 w^1.4 /m as a clarified wine fouls a 0.45 um membrane.
TWineRec RealisticTrial();

// 1000 psi on a 644 mm disc, 100 ml per interval: a constant resistance of
// 0.988e15 /m with 66 s intervals, 2.01e15 /m with 134 s intervals.
TWineRec ConstantResistanceTrial(int intervalSeconds);

}  // namespace vorsant::bench
