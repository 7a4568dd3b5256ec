#pragma once
// Every figure a person reads beyond the trial report, written in one of two
// unit systems and in one number style, and read back when typed. The models
// compute in SI (m3, m2, Pa, s); these are the only conversions.

#include <optional>
#include <string>

#include "fouling/trial_readings.h"
#include <string_view>

namespace vorsant {

// kUs: US gallons, psi, US gallons per minute. kMetric: litres below
// 10,000 L and hectolitres from there, bar, litres per hour. Both: m2 for
// areas, L/m2 for capacities.
enum class UnitSystem { kUs, kMetric };

// "us" or "metric"; nullopt for anything else.
std::optional<UnitSystem> UnitSystemNamed(std::string_view key);
std::string_view UnitSystemKey(UnitSystem units);

// Separators as UTF-8 texts. The command line keeps this default: "," for
// thousands, "." for decimals.
struct NumberStyle {
  std::string thousands = ",";
  std::string decimal = ".";
};

struct Presentation {
  UnitSystem units = UnitSystem::kUs;
  NumberStyle numbers;
};

// The US gallon as the trial report converts it.
inline constexpr double kLitresPerUsGallon = 3.7854;
inline constexpr double kPascalsPerPsi = kPaPerPsi;
inline constexpr double kPascalsPerBar = 1e5;

double UsGallons(double m3);
double Litres(double m3);

enum class VolumeUnit { kUsGallon, kLitre, kHectolitre };

// The unit a volume is written in: US gallons, or litres below 10,000 L and
// hectolitres from there.
VolumeUnit VolumeUnitFor(UnitSystem units, double m3);
double InVolumeUnit(double m3, VolumeUnit unit);
double FromVolumeUnit(double value, VolumeUnit unit);
// "gal", "L", "hL".
std::string_view VolumeSymbol(VolumeUnit unit);
// "US gallons" / "gallons", "litres", "hectolitres".
std::string_view VolumeWords(VolumeUnit unit, bool named = false);

// x to `decimals` decimals in the style's decimal separator, no grouping.
std::string DecimalText(double x, int decimals, const NumberStyle& style);
// x to three significant figures, grouped from 1,000 on ("2,090", "16.1",
// "0.500"), never "0.000".
std::string SignificantText(double x, const NumberStyle& style);

// A number as the user types it: ParseDecimal once the style's decimal
// separator is read as ".".
std::optional<double> ParseFigure(std::string text, const NumberStyle& style);
// x at its shortest ("1.5", "2", "1e+03"), in the style's separator.
std::string ShortestText(double x, const NumberStyle& style);

// Whether a volume is at or past the largest the trial report counts
// (1,000,000,000,000 US gallons), where every output says "over" it.
bool BeyondReportLimit(double m3);

// A volume's figure in `unit` as a sentence gives it: three significant
// figures, and "over" the report's limit (1,000,000,000,000 US gallons) from
// there on.
std::string VolumeFigure(double m3, VolumeUnit unit, const NumberStyle& style);
// The figure and its words in the unit the system writes it in ("2,090
// gallons", "9,500 litres", "120 hectolitres").
std::string VolumeText(double m3, const Presentation& p, bool named = false);
// A volume as typed: a number in the style's decimal separator, optionally
// followed by its unit ("gal", "L" or "hL", any case); without one, US
// gallons or litres. nullopt when the text is no such volume.
struct TypedVolume {
  double value;
  VolumeUnit unit;
  double M3() const { return FromVolumeUnit(value, unit); }
};
std::optional<TypedVolume> ParseVolume(std::string_view typed, const Presentation& p);
// What a typed volume without a unit is read in: "gal" or "L".
std::string_view TypedVolumeSymbol(UnitSystem units);

// "12.5 hours", "1.0 hour", from 100 hours on three significant figures.
std::string HoursText(double seconds, const NumberStyle& style);
// Hours to one decimal, for tables.
std::string HoursFigure(double seconds, const NumberStyle& style);

// "30.0 psi" or "2.07 bar".
std::string PressureText(double pa, const Presentation& p);

// An index in seconds: three significant figures, "over 1,000" above that.
std::string IndexText(double seconds, const NumberStyle& style);

// Capacity (m3/m2) in L/m2, the figure only, three significant figures.
std::string CapacityText(double m3PerM2, const NumberStyle& style);
double LitresPerM2(double m3PerM2);

// The checks the command line and the window share, on what was typed. Each
// returns the message naming what is wrong, or nullopt when the value is
// acceptable.
std::optional<std::string> CheckTargetVolume(const TypedVolume& volume);  // > 0
std::optional<std::string> CheckSafetyFactor(double factor);             // >= 1
std::optional<std::string> CheckElementArea(double m2);                  // > 0

}  // namespace vorsant
