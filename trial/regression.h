#pragma once
// Least-squares straight line through the first n of up to 36 points.

#include <array>
#include <cstdint>

#include "trial/wine_rec.h"

namespace vorsant {

using TRegressionData = std::array<double, kPointCount>;

// y = m * x + b over the first n elements (n is capped at 36); r is the
// correlation coefficient. A set whose x or y values are all equal has no
// correlation: r = 0, and m = 0 when the x values are all equal or when the
// y values are, so a flat resistance curve reads as "no fouling" rather than
// as a slope made of rounding noise. With n = 0 everything is 0.
void Regression(double& m, double& b, double& r, const TRegressionData& x, const TRegressionData& y,
                std::uint16_t n);

}  // namespace vorsant
