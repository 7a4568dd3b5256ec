#pragma once
// Colours shared by the graphs.

#include "graphs/canvas.h"

namespace vorsant {

inline constexpr Color kBlack{0, 0, 0};
inline constexpr Color kCurveColor{100, 149, 237};
inline constexpr Color kUsedPointColor{0, 128, 0};
inline constexpr Color kUnusedPointColor{178, 34, 34};
inline constexpr Color kMaxResistanceColor{0, 0, 255};
// Plot fill of the trial graph; page and legend of the large graphs.
inline constexpr Color kPaleBlue{248, 248, 255};
// Plot fill of the large graphs.
inline constexpr Color kPaleYellow{255, 255, 240};
// The system's button-face colour on current Windows; the shell passes the
// live value.
inline constexpr Color kDefaultButtonFace{240, 240, 240};

}  // namespace vorsant
