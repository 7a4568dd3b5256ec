#pragma once
// The power fouling model R = R0 + a * w^n, fitted as the straight line
// ln(R - R0) = n * ln w + ln a, with the offset R0 found by a stepwise search
// for the best correlation.

#include <cstddef>

#include "trial/regression.h"

namespace vorsant {

// One search phase that has not stopped after this many steps ends the
// search as failed. Up to a smallest resistance of 10^15 (the largest the
// report can show) the first phase stops within this many steps of 10^9.
inline constexpr long kPowerSearchStepLimit = 1'000'000;

struct PowerFitResult {
  bool failed = true;
  double R0 = 0;   // offset, 1/m
  double n = 0;    // exponent (slope of the line)
  double lnA = 0;  // ln a (intercept of the line)
  double r = 0;    // correlation coefficient
};

// `R` holds the c interval resistances and `lnW` the logarithms of their
// volumes per area, both from index 0. The fit fails when R0 = 0 is not
// below every resistance, when a phase exceeds `stepLimit` steps, when the
// final R0 is not usable, or when any input or result is not finite.
PowerFitResult FitPower(const TRegressionData& R, const TRegressionData& lnW, std::size_t c,
                        long stepLimit = kPowerSearchStepLimit);

}  // namespace vorsant
