#pragma once
// The density box of the new-data dialog: a number from 0.1 to 2 g/ml,
// shown back with four decimals.

#include <optional>
#include <string>
#include <string_view>

namespace vorsant {

inline constexpr char kDensityRangeMessage[] =
    "Density is out of Range. Please enter a value between 2 and 0.1.";
inline constexpr double kMinDensity = 0.1;
inline constexpr double kMaxDensity = 2.0;

// The reformatted text ("1" gives "1.0000") when the text is a valid
// density; nullopt when it is no number or out of range, and the dialog
// then shows kDensityRangeMessage and stays open.
std::optional<std::string> RangeCheck(std::string_view densityText);

}  // namespace vorsant
