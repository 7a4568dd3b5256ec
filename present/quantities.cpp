#include "present/quantities.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "trial/number_text.h"

namespace vorsant {
namespace {

constexpr double kOverUsGallons = 999999999999;  // where the report stops counting gallons
constexpr double kOverIndex = 1000;              // s: past it an index says only "very poor"
constexpr double kHectolitresFrom = 10000;       // L

std::string WithDecimal(std::string text, const NumberStyle& style) {
  if (style.decimal == ".") return text;
  if (const auto dot = text.find('.'); dot != std::string::npos) text.replace(dot, 1, style.decimal);
  return text;
}

std::string Printed(double x, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, x);
  return buffer;
}

// printf's rounding, as the sentences always had, in the style's separator.
std::string Rounded(double x, int decimals, const NumberStyle& style) {
  return WithDecimal(Printed(x, decimals), style);
}

bool SameLetters(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

std::optional<UnitSystem> UnitSystemNamed(std::string_view key) {
  if (key == "us") return UnitSystem::kUs;
  if (key == "metric") return UnitSystem::kMetric;
  return std::nullopt;
}

std::string_view UnitSystemKey(UnitSystem units) {
  return units == UnitSystem::kMetric ? "metric" : "us";
}

double UsGallons(double m3) {
  return m3 * 1000 / kLitresPerUsGallon;
}

double Litres(double m3) {
  return m3 * 1000;
}

VolumeUnit VolumeUnitFor(UnitSystem units, double m3) {
  if (units == UnitSystem::kUs) return VolumeUnit::kUsGallon;
  return Litres(m3) < kHectolitresFrom ? VolumeUnit::kLitre : VolumeUnit::kHectolitre;
}

double InVolumeUnit(double m3, VolumeUnit unit) {
  switch (unit) {
    case VolumeUnit::kUsGallon:
      return UsGallons(m3);
    case VolumeUnit::kLitre:
      return Litres(m3);
    case VolumeUnit::kHectolitre:
      break;
  }
  return m3 * 10;
}

double FromVolumeUnit(double value, VolumeUnit unit) {
  switch (unit) {
    case VolumeUnit::kUsGallon:
      return value * kLitresPerUsGallon / 1000;
    case VolumeUnit::kLitre:
      return value / 1000;
    case VolumeUnit::kHectolitre:
      break;
  }
  return value / 10;
}

std::string_view VolumeSymbol(VolumeUnit unit) {
  switch (unit) {
    case VolumeUnit::kUsGallon:
      return "gal";
    case VolumeUnit::kLitre:
      return "L";
    case VolumeUnit::kHectolitre:
      break;
  }
  return "hL";
}

std::string_view VolumeWords(VolumeUnit unit, bool named) {
  switch (unit) {
    case VolumeUnit::kUsGallon:
      return named ? "US gallons" : "gallons";
    case VolumeUnit::kLitre:
      return "litres";
    case VolumeUnit::kHectolitre:
      break;
  }
  return "hectolitres";
}

std::string DecimalText(double x, int decimals, const NumberStyle& style) {
  return WithDecimal(Fixed(x, 0, decimals), style);
}

std::string SignificantText(double x, const NumberStyle& style) {
  if (x == 0) return "0";
  const double magnitude = std::floor(std::log10(std::abs(x)));
  if (magnitude >= 3) {
    const double unit = std::pow(10.0, magnitude - 2);
    return Grouped(std::round(x / unit) * unit, style.thousands);
  }
  const int decimals = static_cast<int>(std::max(0.0, 2 - magnitude));
  const std::string text = Printed(x, decimals);
  // 999.6 rounds up a digit: say 1,000.
  if (std::abs(std::stod(text)) >= 1000) return Grouped(std::stod(text), style.thousands);
  return WithDecimal(text, style);
}

std::optional<double> ParseFigure(std::string text, const NumberStyle& style) {
  if (style.decimal != ".") {
    if (const auto at = text.find(style.decimal); at != std::string::npos) text.replace(at, style.decimal.size(), ".");
  }
  return ParseDecimal(text);
}

std::string ShortestText(double x, const NumberStyle& style) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%g", x);
  return WithDecimal(buffer, style);
}

bool BeyondReportLimit(double m3) {
  return UsGallons(m3) >= kOverUsGallons;
}

std::string VolumeFigure(double m3, VolumeUnit unit, const NumberStyle& style) {
  if (BeyondReportLimit(m3))
    return "over " + SignificantText(InVolumeUnit(FromVolumeUnit(kOverUsGallons, VolumeUnit::kUsGallon), unit), style);
  return SignificantText(InVolumeUnit(m3, unit), style);
}

std::string VolumeText(double m3, const Presentation& p, bool named) {
  const VolumeUnit unit = VolumeUnitFor(p.units, m3);
  return VolumeFigure(m3, unit, p.numbers) + " " + std::string(VolumeWords(unit, named));
}

std::string_view TypedVolumeSymbol(UnitSystem units) {
  return units == UnitSystem::kUs ? "gal" : "L";
}

std::optional<TypedVolume> ParseVolume(std::string_view typed, const Presentation& p) {
  std::string text(typed);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  VolumeUnit unit = p.units == UnitSystem::kUs ? VolumeUnit::kUsGallon : VolumeUnit::kLitre;
  for (VolumeUnit u : {VolumeUnit::kHectolitre, VolumeUnit::kUsGallon, VolumeUnit::kLitre}) {
    const std::string_view symbol = VolumeSymbol(u);
    if (text.size() > symbol.size() && SameLetters(std::string_view(text).substr(text.size() - symbol.size()), symbol)) {
      text.resize(text.size() - symbol.size());
      while (!text.empty() && text.back() == ' ') text.pop_back();
      unit = u;
      break;
    }
  }
  const std::optional<double> value = ParseFigure(text, p.numbers);
  if (!value) return std::nullopt;
  return TypedVolume{*value, unit};
}

std::string HoursText(double seconds, const NumberStyle& style) {
  const double hours = seconds / 3600;
  return (hours < 100 ? Rounded(hours, 1, style) : SignificantText(hours, style)) +
         (hours == 1 ? " hour" : " hours");
}

std::string HoursFigure(double seconds, const NumberStyle& style) {
  return DecimalText(seconds / 3600, 1, style);
}

std::string PressureText(double pa, const Presentation& p) {
  if (p.units == UnitSystem::kUs) return Rounded(pa / kPascalsPerPsi, 1, p.numbers) + " psi";
  return Rounded(pa / kPascalsPerBar, 2, p.numbers) + " bar";
}

std::string IndexText(double seconds, const NumberStyle& style) {
  if (seconds > kOverIndex) return "over 1" + style.thousands + "000";
  return SignificantText(seconds, style);
}

double LitresPerM2(double m3PerM2) {
  return m3PerM2 * 1000;
}

std::string CapacityText(double m3PerM2, const NumberStyle& style) {
  return SignificantText(LitresPerM2(m3PerM2), style);
}

std::optional<std::string> CheckTargetVolume(const TypedVolume& volume) {
  if (volume.value > 0 && std::isfinite(volume.value)) return std::nullopt;
  return "The target volume must be greater than 0 " + std::string(VolumeWords(volume.unit)) + ".";
}

std::optional<std::string> CheckSafetyFactor(double factor) {
  if (factor >= 1 && std::isfinite(factor)) return std::nullopt;
  return "The safety factor must be at least 1.";
}

std::optional<std::string> CheckElementArea(double m2) {
  if (m2 > 0 && std::isfinite(m2)) return std::nullopt;
  return "The element area must be greater than 0 m\u00b2.";
}

}  // namespace vorsant
