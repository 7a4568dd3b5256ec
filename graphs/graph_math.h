#pragma once
// Rounding and pixel arithmetic shared by every graph. All of it tolerates
// any double, including infinities and NaN, so no picture can be drawn from
// an undefined conversion.

#include <cstdint>
#include <optional>

namespace vorsant {

// Round to nearest, ties to even, independent of the FPU rounding mode.
// Non-finite input is returned unchanged.
double RoundHalfEven(double v);

// RoundHalfEven as a 64-bit count for table look-ups: values beyond the
// range saturate, NaN gives nullopt.
std::optional<std::int64_t> RoundToCount(double v);

// Farthest a pixel coordinate may lie outside the surface: keeps every
// coordinate within 16 bits, which any raster back end accepts.
inline constexpr int kPixelLimit = 30000;

// RoundHalfEven to a pixel coordinate, saturated to +-kPixelLimit; nullopt
// for NaN.
std::optional<int> ToPixel(double v);

}  // namespace vorsant
