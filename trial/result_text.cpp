#include "trial/result_text.h"

#include <cmath>

#include "trial/number_text.h"

namespace vorsant {

namespace {

constexpr double kDisplayScale = 1e9;
constexpr double kLabVolumeLimit = 9999;

}  // namespace

std::string FixedOrBlank(double x, int width, int decimals) {
  if (!std::isfinite(x)) return std::string(static_cast<std::size_t>(width), ' ');
  return Fixed(x, width, decimals);
}

std::string ResistanceText(double R) {
  if (std::isnan(R)) return std::string(6, ' ');
  if (R < kLargeResistance) return FixedOrBlank(R / kDisplayScale, 6, 2);
  return "> 1E15";
}

std::string CoefficientText(double a) {
  if (std::isnan(a)) return std::string(7, ' ');
  if (a < kLargeCoefficient) return FixedOrBlank(a / kDisplayScale, 7, 3);
  return "> 1E16";
}

std::string ExponentialVolumeText(double gallons) {
  if (std::isnan(gallons)) return std::string(6, ' ');
  if (gallons >= kHugeVolume) return "over 1,000,000,000,000";
  int width = 12;
  if (gallons < 999) {
    width = 3;
  } else if (gallons < 999'999) {
    width = 6;
  } else if (gallons < 999'999'999) {
    width = 9;
  }
  return FixedOrBlank(gallons, width, 0);
}

std::string PowerVolumeText(double gallons, std::string_view separator) {
  if (std::isnan(gallons)) return std::string(6, ' ');
  if (gallons >= kHugeVolume) return "over 1,000,000,000,000";
  if (!std::isfinite(gallons)) return std::string(6, ' ');
  return Grouped(gallons, separator);
}

std::string LabEquivVolText(double gallons) {
  if (std::isnan(gallons)) return std::string(4, ' ');
  if (gallons < kLabVolumeLimit) return FixedOrBlank(gallons, 4, 0);
  return ">10K";
}

}  // namespace vorsant
