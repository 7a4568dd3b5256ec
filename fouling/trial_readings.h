#pragma once
// A trial's stored readings as the fits and the filterability index read
// them: volume and whole seconds from the start, and the laboratory disc's
// area and pressure by the program's own rules.

#include <string>
#include <vector>

#include "fouling/integral_fit.h"
#include "trial/analysis_points.h"
#include "trial/wine_rec.h"

namespace vorsant {

struct Reading {
  double ml, seconds;
};

// Every stored reading, the skipped leading ones too, in order, up to the
// first row missing its volume, minutes or seconds. Without the start.
std::vector<Reading> StoredReadings(const TWineRec& rec);

// The readings the fouling models fit: every row that has a volume and a
// time and does not go backwards, in order; two in the same whole second
// are both kept (a fit on cumulative time needs no interval). The rest are
// named with the reason they were left out. Rows after the last one with
// anything typed are not readings at all.
struct TrialReadings {
  std::vector<Reading> kept;
  std::vector<std::size_t> rows;  // the row of each kept reading
  std::vector<LeftOutReading> leftOut;
};
TrialReadings ReadTrialReadings(const TWineRec& rec);

// A disc of `diameterMm`, with pi as 3.14159 as the analysis has it.
double DiscAreaM2(double diameterMm);
double LabDiscAreaM2(const TWineRec& rec);
double LabPressurePa(const TWineRec& rec);  // psi as 6894.8 Pa

// The cumulative readings that span the analysis' fitted intervals: from
// the reading before the first fitted interval (the start at 0 ml and 0 s
// when nothing was skipped) to the last. Empty when they cannot be matched
// to the points.
CumulativeReadings FittedReadings(const TWineRec& rec, const AnalysisPoints& points);

}  // namespace vorsant

namespace vorsant {

inline constexpr double kPaPerPsi = 6894.8;  // the record's own rule, for every psi

// The standard filterability test: 200 and 400 ml at 2 bar through a
// 25 mm disc.
inline constexpr double kStandardDiscMm = 25;
inline constexpr double kStandardPsi = 29.0075;  // 2 bar, as the trials' psi are typed
inline constexpr double kStandardPa = kStandardPsi * kPaPerPsi;
inline constexpr double kStandardFirstMl = 200, kStandardSecondMl = 400;

// The trial ran through a 25 mm disc at 2 bar (the stored texts have one
// decimal: 25.0 mm, 29.0 psi within 1.5).
bool StandardDiscTrial(const TWineRec& rec);

}  // namespace vorsant
