#pragma once
// The wine trade's filterability index (also called clogging index):
// FI = T400 - 2 T200, the seconds to pass 400 ml less twice the seconds to
// pass 200 ml, at 2 bar through a 25 mm membrane disc. Near 0 the wine
// filters freely. Read from the trial's own readings, and predicted for the
// standard disc from a fitted model.

#include <optional>
#include <string>
#include <string_view>

#include "fouling/fouling_models.h"
#include "fouling/trial_readings.h"
#include "trial/wine_rec.h"

namespace vorsant {

// A reading no further than this from 200 or 400 ml, on each side, reads
// the index by a straight line; across a wider gap there is no index.
inline constexpr double kFilterabilityBracketMl = 100;

// Why the readings give no index: they stop short of 400 ml, or leave a
// gap too wide around 200 or 400 ml.
enum class IndexGap { kShortOf400, kNo200, kNo400 };

struct Filterability {
  // From the readings at 200 and 400 ml, or a straight line between two
  // consecutive readings at most 100 ml apart around each.
  std::optional<double> trialS;
  std::optional<IndexGap> trialGap;  // why there is no trialS
  bool trialStandard = false;            // the trial ran at 2 bar through a 25 mm disc
  double trialDiameterMm = 0, trialPressurePa = 0;
  std::optional<double> standardS;    // predicted for the standard disc by the best model
  bool blocksBeforeStandard = false;  // the best model's disc blocks before 400 ml
  // "very good", "good", "poor", "very poor": of the measured index on a
  // standard trial, else of the predicted one.
  std::optional<std::string_view> band;
  bool bandMeasured = false;
  // The standard blocking law's capacity (m3/m2), only where that law is
  // plausible.
  std::optional<double> vmax;
  bool vmaxWithheld = false;  // the law is fitted but not plausible
};

// The seconds the model takes to pass `volumeM3` through `areaM2` at
// `pressurePa`: the integral of mu R(v/A) / (dP A) dv from 0. nullopt when
// the model's resistance becomes infinite on the way (a blocking law whose
// capacity is reached) or the figure is not finite.
std::optional<double> ModelSeconds(const ModelFit& fit, double volumeM3, double areaM2, double pressurePa,
                                   double viscosity);

// The band of an index for 0.65 um discs: below 25 s "very good", up to
// 50 "good", up to 100 "poor", beyond (or a blocked disc) "very poor".
std::string_view FilterabilityBand(std::optional<double> seconds);

// V/A (m) of the trial's last reading: where its data end.
double TrialEndThroughput(const TWineRec& rec);

// T400 - 2 T200 from the readings (0 ml at 0 s not among them), or the
// reason there is none.
struct MeasuredIndex {
  std::optional<double> seconds;
  std::optional<IndexGap> gap;
};
MeasuredIndex MeasureFilterability(const std::vector<Reading>& readings);

// `rec` is the trial the report was made from.
Filterability AssessFilterability(const TWineRec& rec, const FoulingReport& report);

}  // namespace vorsant
