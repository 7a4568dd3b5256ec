#include "fouling/filterability.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "trial/number_text.h"

namespace vorsant {
namespace {

constexpr double kFirstMl = kStandardFirstMl, kSecondMl = kStandardSecondMl;
constexpr double kSameMl = 0.05;  // the stored volume has one decimal

// The time the readings reach `ml`: a reading there, or a straight line
// between two consecutive readings around it that lie close together. The
// start counts only where the first reading is itself that close to it.
std::optional<double> SecondsAt(const std::vector<Reading>& readings, double ml) {
  std::vector<Reading> r;
  if (!readings.empty() && readings.front().ml <= kFilterabilityBracketMl) r.push_back({0, 0});
  r.insert(r.end(), readings.begin(), readings.end());
  for (const Reading& x : r)
    if (std::abs(x.ml - ml) <= kSameMl) return x.seconds;
  for (std::size_t i = 1; i < r.size(); ++i) {
    const Reading &a = r[i - 1], &b = r[i];
    if (a.ml < ml && ml < b.ml && b.ml - a.ml <= kFilterabilityBracketMl)
      return a.seconds + (ml - a.ml) / (b.ml - a.ml) * (b.seconds - a.seconds);
  }
  return std::nullopt;
}

}  // namespace

std::optional<double> ModelSeconds(const ModelFit& fit, double volumeM3, double areaM2, double pressurePa,
                                   double viscosity) {
  // With v = A w the area cancels: T = mu / dP times the integral of R dw.
  const std::optional<double> integral = ModelIntegral(fit, volumeM3 / areaM2);
  if (!integral) return std::nullopt;
  const double seconds = viscosity / pressurePa * *integral;
  if (!std::isfinite(seconds)) return std::nullopt;
  return seconds;
}

std::string_view FilterabilityBand(std::optional<double> seconds) {
  if (!seconds || *seconds > 100) return "very poor";
  if (*seconds < 25) return "very good";
  if (*seconds < 50) return "good";
  return "poor";
}

double TrialEndThroughput(const TWineRec& rec) {
  const double area = DiscAreaM2(StoredNumberOr0(rec.Conditions.LabFiltDia.Str()));
  const std::vector<Reading> readings = ReadTrialReadings(rec).kept;
  const double w = (readings.empty() ? 0 : readings.back().ml) / 1e6 / area;
  return std::isfinite(w) ? w : 0;
}

MeasuredIndex MeasureFilterability(const std::vector<Reading>& readings) {
  double last = 0;
  for (const Reading& r : readings) last = std::max(last, r.ml);
  if (last < kSecondMl - kSameMl) return {std::nullopt, IndexGap::kShortOf400};
  const auto t200 = SecondsAt(readings, kFirstMl);
  if (!t200) return {std::nullopt, IndexGap::kNo200};
  const auto t400 = SecondsAt(readings, kSecondMl);
  if (!t400) return {std::nullopt, IndexGap::kNo400};
  return {*t400 - 2 * *t200, std::nullopt};
}

Filterability AssessFilterability(const TWineRec& rec, const FoulingReport& report) {
  Filterability f;
  f.trialDiameterMm = StoredNumberOr0(rec.Conditions.LabFiltDia.Str());
  f.trialPressurePa = StoredNumberOr0(rec.Conditions.LabP.Str()) * kPaPerPsi;
  f.trialStandard = StandardDiscTrial(rec);
  MeasuredIndex measured = MeasureFilterability(ReadTrialReadings(rec).kept);
  f.trialS = measured.seconds;
  if (!f.trialS) f.trialGap = measured.gap;
  if (f.trialStandard && f.trialS) {
    f.band = FilterabilityBand(f.trialS);
    f.bandMeasured = true;
  }

  const ModelFit& standard = report.models[static_cast<std::size_t>(FoulingLaw::kStandard)];
  const bool plausible = std::find(report.plausible.begin(), report.plausible.end(), FoulingLaw::kStandard) !=
                         report.plausible.end();
  if (standard.capacity) {
    if (plausible) {
      f.vmax = standard.capacity;
    } else {
      f.vmaxWithheld = true;
    }
  }

  if (!report.best) return f;
  const ModelFit& best = report.models[static_cast<std::size_t>(*report.best)];
  const double area = DiscAreaM2(kStandardDiscMm), pa = kStandardPa;
  const double mu = report.points.viscosity;
  const auto t200 = ModelSeconds(best, kFirstMl / 1e6, area, pa, mu);
  const auto t400 = ModelSeconds(best, kSecondMl / 1e6, area, pa, mu);
  if (t200 && t400) {
    f.standardS = *t400 - 2 * *t200;
    if (!f.bandMeasured) f.band = FilterabilityBand(f.standardS);
  } else if (best.law == FoulingLaw::kComplete || best.law == FoulingLaw::kStandard) {
    f.blocksBeforeStandard = true;
    if (!f.bandMeasured) f.band = FilterabilityBand(std::nullopt);
  }
  return f;
}

}  // namespace vorsant
