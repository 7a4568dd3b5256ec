#include "scale/point_texts.h"

#include <cmath>
#include <cstdint>

#include "trial/number_text.h"

namespace vorsant {

namespace {

// Right-aligned in two characters with the padding blank shown as 0.
std::string TwoDigits(double wholeNumber) {
  std::string text = Fixed(wholeNumber, 2, 0);
  if (!text.empty() && text.front() == ' ') text.front() = '0';
  return text;
}

}  // namespace

PointTexts MakePointTexts(double volume, double elapsed) {
  PointTexts t;
  t.V = Fixed(volume, 6, 1);
  if (t.V.size() > 6) t.V.resize(6);
  const auto milliseconds = static_cast<std::int64_t>(std::floor(elapsed * 1000.0));
  const std::int64_t minutes = milliseconds / 60000;
  t.M = Fixed(static_cast<double>(minutes), 3, 0);
  const double seconds = elapsed - 60.0 * static_cast<double>(minutes);
  t.Sc = TwoDigits(std::round(seconds));
  return t;
}

std::string CountdownText(double remaining) {
  // Seconds are counted up to the next whole one (9.3 s shows 0:10). Doing
  // that before splitting off the minutes carries a full 60 into the
  // minutes, so the last second of each minute shows 4:00, never 3:60.
  const auto whole = static_cast<std::int64_t>(std::trunc(remaining)) + 1;
  return Fixed(static_cast<double>(whole / 60), 2, 0) + ":" + TwoDigits(static_cast<double>(whole % 60));
}

}  // namespace vorsant
