#include "graphs/graph_math.h"

#include <cmath>

namespace vorsant {

double RoundHalfEven(double v) {
  if (!std::isfinite(v)) return v;
  const double low = std::floor(v);
  const double diff = v - low;  // exact for doubles: low and v share the exponent range
  if (diff < 0.5) return low;
  if (diff > 0.5) return low + 1.0;
  return std::fmod(low, 2.0) == 0.0 ? low : low + 1.0;
}

std::optional<std::int64_t> RoundToCount(double v) {
  if (std::isnan(v)) return std::nullopt;
  const double r = RoundHalfEven(v);
  constexpr double kLimit = 9.0e18;
  if (r >= kLimit) return static_cast<std::int64_t>(kLimit);
  if (r <= -kLimit) return -static_cast<std::int64_t>(kLimit);
  return static_cast<std::int64_t>(r);
}

std::optional<int> ToPixel(double v) {
  if (std::isnan(v)) return std::nullopt;
  const double r = RoundHalfEven(v);
  if (r >= kPixelLimit) return kPixelLimit;
  if (r <= -kPixelLimit) return -kPixelLimit;
  return static_cast<int>(r);
}

}  // namespace vorsant
