#pragma once
// The texts a collection run writes: a point's volume, minutes and seconds,
// and the countdown to the next reading.

#include <string>

namespace vorsant {

struct PointTexts {
  std::string V;   // volume, one decimal, right-aligned in 6, cut to 6
  std::string M;   // whole minutes, right-aligned in 3
  std::string Sc;  // remaining seconds rounded, 2 characters, "07"
};

// `elapsed` is the point's time from the start of the run in seconds. The
// minutes are truncated first and the rest rounded, so 1 min 59.6 s gives
// M 1 and Sc 60: the stored times follow that rule.
PointTexts MakePointTexts(double volume, double elapsed);

// "m:ss" for `remaining` seconds (> 0), counted up to the next whole second:
// minutes in 2 characters, seconds in 2 with a leading zero; 9.3 s gives
// " 0:10", 239.5 s gives " 4:00".
std::string CountdownText(double remaining);

}  // namespace vorsant
