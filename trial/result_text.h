#pragma once
// The texts into which the analysis writes its results. Nothing that is not
// a finite number ever reaches a text: such a value gives blanks of the
// field's width.

#include <string>
#include <string_view>

namespace vorsant {

// At or above this a resistance is shown as "> 1E15".
inline constexpr double kLargeResistance = 9.99999e14;
// At or above this the power coefficient is shown as "> 1E16".
inline constexpr double kLargeCoefficient = 9.999999e15;
// Volumes of at least this many gallons read "over 1,000,000,000,000".
inline constexpr double kHugeVolume = 999'999'999'999.0;

// Fixed(), but blanks of `width` for a value that is not finite.
std::string FixedOrBlank(double x, int width, int decimals);

// A resistance in 1/m shown in units of 10^9 /m, six characters wide.
std::string ResistanceText(double R);

// The power coefficient a in 1/m, shown in units of 10^9 /m.
std::string CoefficientText(double a);

// The exponential model's volume in gallons: the width grows in steps of
// three digits so that the numbers of one trial line up.
std::string ExponentialVolumeText(double gallons);

// The power model's volume in gallons, grouped with `separator`.
std::string PowerVolumeText(double gallons, std::string_view separator);

// The laboratory volume scaled to the full-scale filter, in gallons.
std::string LabEquivVolText(double gallons);

}  // namespace vorsant
