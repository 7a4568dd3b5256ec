#pragma once
// The wine trade's filterability index (also called clogging index):
// FI = T400 - 2 T200, the seconds to pass 400 ml less twice the seconds to
// pass 200 ml, at 2 bar through a 25 mm membrane disc. Near 0 the wine
// filters freely. Read from the trial's own readings, and predicted for the
// standard disc from a fitted model.

#include <optional>
#include <string_view>

#include "fouling/fouling_models.h"
#include "trial/wine_rec.h"

namespace vorsant {

inline constexpr double kStandardDiscMm = 25;
inline constexpr double kStandardPsi = 29.0075;  // 2 bar

struct Filterability {
  std::optional<double> trialS;  // from the readings, when they reach 400 ml
  bool trialStandard = false;    // the trial ran at 2 bar through a 25 mm disc
  double trialDiameterMm = 0, trialPressurePsi = 0;
  std::optional<double> standardS;       // predicted for the standard disc by the best model
  bool blocksBeforeStandard = false;     // the best model's disc blocks before 400 ml
  std::optional<std::string_view> band;  // "very good", "good", "poor", "very poor"
  std::optional<double> vmaxLm2;         // the standard blocking law's capacity
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

// `rec` is the trial the report was made from.
Filterability AssessFilterability(const TWineRec& rec, const FoulingReport& report);

}  // namespace vorsant
