#include "fouling/filterability.h"

#include <cmath>
#include <vector>

#include "trial/number_text.h"

namespace vorsant {
namespace {

// The program's own rules for a disc's area and for psi.
constexpr double kPi = 3.14159;
constexpr double kPaPerPsi = 6894.8;
constexpr double kFirstMl = 200, kSecondMl = 400;
constexpr double kDiameterTolerance = 0.05;  // mm: the stored text has one decimal
constexpr double kPsiTolerance = 1.5;

double DiscArea(double diameterMm) {
  return kPi * (diameterMm / 20) * (diameterMm / 20) / 1e4;  // m2
}

struct Reading {
  double ml, seconds;
};

// Every stored reading, the skipped leading ones too, from 0 ml at 0 s.
std::vector<Reading> Readings(const TWineRec& rec) {
  std::vector<Reading> readings{{0, 0}};
  for (std::size_t i = 0; i < kPointCount; ++i) {
    const std::optional<double> ml = ParseStoredNumber(rec.Data.V[i].Str());
    if (!ml) break;
    readings.push_back(
        {*ml, 60 * StoredNumberOr0(rec.Data.M[i].Str()) + StoredNumberOr0(rec.Data.Sc[i].Str())});
  }
  return readings;
}

// The time the readings reach `ml`, by a straight line between the two
// readings around it.
std::optional<double> SecondsAt(const std::vector<Reading>& r, double ml) {
  for (std::size_t i = 1; i < r.size(); ++i) {
    if (r[i].ml < ml || r[i].ml <= r[i - 1].ml) continue;
    return r[i - 1].seconds +
           (ml - r[i - 1].ml) / (r[i].ml - r[i - 1].ml) * (r[i].seconds - r[i - 1].seconds);
  }
  return std::nullopt;
}

// The integral of R(w) dw from 0 to W, in closed form for each law.
std::optional<double> ResistanceIntegral(const ModelFit& fit, double W) {
  if (!fit.fitted) return std::nullopt;
  double integral = 0;
  if (fit.law == FoulingLaw::kPower) {
    const double n = *fit.n;
    if (n <= -1) return std::nullopt;
    integral = *fit.r0 * W + *fit.a * std::pow(W, n + 1) / (n + 1);
  } else {
    const double rm = *fit.rm, k = *fit.k;
    switch (fit.law) {
      case FoulingLaw::kComplete:
        if (k * W >= 1) return std::nullopt;  // every pore shut
        integral = k == 0 ? rm * W : -rm / k * std::log1p(-k * W);
        break;
      case FoulingLaw::kStandard:
        if (k * W / 2 >= 1) return std::nullopt;
        integral = rm * W / (1 - k * W / 2);
        break;
      case FoulingLaw::kIntermediate:
        integral = k == 0 ? rm * W : rm * std::expm1(k * W) / k;
        break;
      default:
        integral = rm * (W + k * W * W / 2);
        break;
    }
  }
  if (!std::isfinite(integral)) return std::nullopt;
  return integral;
}

}  // namespace

std::optional<double> ModelSeconds(const ModelFit& fit, double volumeM3, double areaM2, double pressurePa,
                                   double viscosity) {
  // With v = A w the area cancels: T = mu / dP times the integral of R dw.
  const std::optional<double> integral = ResistanceIntegral(fit, volumeM3 / areaM2);
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
  const double area = DiscArea(StoredNumberOr0(rec.Conditions.LabFiltDia.Str()));
  const double w = Readings(rec).back().ml / 1e6 / area;
  return std::isfinite(w) ? w : 0;
}

Filterability AssessFilterability(const TWineRec& rec, const FoulingReport& report) {
  Filterability f;
  f.trialDiameterMm = StoredNumberOr0(rec.Conditions.LabFiltDia.Str());
  f.trialPressurePsi = StoredNumberOr0(rec.Conditions.LabP.Str());
  f.trialStandard = std::abs(f.trialDiameterMm - kStandardDiscMm) < kDiameterTolerance &&
                    std::abs(f.trialPressurePsi - 29.0) <= kPsiTolerance;
  const std::vector<Reading> readings = Readings(rec);
  if (readings.back().ml >= kSecondMl) {
    const auto t200 = SecondsAt(readings, kFirstMl), t400 = SecondsAt(readings, kSecondMl);
    if (t200 && t400) f.trialS = *t400 - 2 * *t200;
  }

  const ModelFit& standard = report.models[static_cast<std::size_t>(FoulingLaw::kStandard)];
  if (standard.fitted && *standard.k > 0) f.vmaxLm2 = standard.capacityLm2;

  if (!report.best) return f;
  const ModelFit& best = report.models[static_cast<std::size_t>(*report.best)];
  const double area = DiscArea(kStandardDiscMm), pa = kStandardPsi * kPaPerPsi;
  const double mu = report.points.viscosity;
  const auto t200 = ModelSeconds(best, kFirstMl / 1e6, area, pa, mu);
  const auto t400 = ModelSeconds(best, kSecondMl / 1e6, area, pa, mu);
  if (t200 && t400) {
    f.standardS = *t400 - 2 * *t200;
    f.band = FilterabilityBand(f.standardS);
  } else if (best.law == FoulingLaw::kComplete || best.law == FoulingLaw::kStandard) {
    f.blocksBeforeStandard = true;
    f.band = FilterabilityBand(std::nullopt);
  }
  return f;
}

}  // namespace vorsant
