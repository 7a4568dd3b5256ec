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
  const double minutes = std::trunc(remaining / 60.0);
  const double seconds = std::trunc(remaining - 60.0 * minutes + 1.0);
  return Fixed(minutes, 2, 0) + ":" + TwoDigits(seconds);
}

}  // namespace vorsant
