#include "fouling/trial_readings.h"

#include <cmath>

#include "trial/number_text.h"

namespace vorsant {
namespace {

constexpr double kPi = 3.14159;  // the record's figures keep the analysis' rule
constexpr double kMatch = 1e-9;  // relative: a middle the analysis computed alike

}  // namespace

std::vector<Reading> StoredReadings(const TWineRec& rec) {
  std::vector<Reading> readings;
  for (std::size_t i = 0; i < kPointCount; ++i) {
    const TData& d = rec.Data;
    const std::optional<double> ml = ParseStoredNumber(d.V[i].Str());
    if (!ml || d.M[i].Empty() || d.Sc[i].Empty()) break;
    readings.push_back({*ml, 60 * StoredNumberOr0(d.M[i].Str()) + StoredNumberOr0(d.Sc[i].Str())});
  }
  return readings;
}

TrialReadings ReadTrialReadings(const TWineRec& rec) {
  TrialReadings out;
  const TData& d = rec.Data;
  std::size_t rows = 0;
  for (std::size_t i = 0; i < kPointCount; ++i)
    if (!d.V[i].Empty() || !d.M[i].Empty() || !d.Sc[i].Empty()) rows = i + 1;
  for (std::size_t i = 0; i < rows; ++i) {
    const std::size_t row = i + 1;
    const bool noVolume = d.V[i].Empty(), noTime = d.M[i].Empty() && d.Sc[i].Empty();
    const std::optional<double> ml = ParseStoredNumber(d.V[i].Str());
    const std::optional<double> min = d.M[i].Empty() ? 0.0 : ParseStoredNumber(d.M[i].Str());
    const std::optional<double> sec = d.Sc[i].Empty() ? 0.0 : ParseStoredNumber(d.Sc[i].Str());
    std::string why;
    if (noVolume && noTime) {
      why = "is empty";
    } else if (noVolume) {
      why = "has no volume";
    } else if (noTime) {
      why = "has no time";
    } else if (!ml || !(*ml > 0)) {
      why = "has a volume that is not a positive number";
    } else if (!min || !sec || *min < 0 || *sec < 0) {
      why = "has a time that is not a number";
    } else {
      const double seconds = 60 * *min + *sec;
      if (!out.kept.empty() && *ml <= out.kept.back().ml) {
        why = "goes back in volume (not above reading " + std::to_string(out.rows.back()) + ")";
      } else if (!out.kept.empty() && seconds < out.kept.back().seconds) {
        why = "goes back in time (before reading " + std::to_string(out.rows.back()) + ")";
      } else {
        out.kept.push_back({*ml, seconds});
        out.rows.push_back(row);
        continue;
      }
    }
    out.leftOut.push_back({row, why});
  }
  return out;
}

double DiscAreaM2(double diameterMm) {
  const double d = diameterMm / 1000;
  return (d / 2) * (d / 2) * kPi;
}

double LabDiscAreaM2(const TWineRec& rec) {
  return DiscAreaM2(StoredNumberOr0(rec.Conditions.LabFiltDia.Str()));
}

double LabPressurePa(const TWineRec& rec) {
  return StoredNumberOr0(rec.Conditions.LabP.Str()) * kPaPerPsi;
}

CumulativeReadings FittedReadings(const TWineRec& rec, const AnalysisPoints& points) {
  CumulativeReadings out;
  const double area = LabDiscAreaM2(rec);
  if (points.w.empty() || !(area > 0) || !(points.viscosity > 0)) return out;
  std::vector<Reading> all{{0, 0}};
  for (const Reading& r : StoredReadings(rec)) all.push_back(r);
  const std::size_t c = points.w.size();
  const auto w = [&](std::size_t i) { return all[i].ml / 1e6 / area; };
  // The first fitted interval is the one whose middle is the first point's.
  for (std::size_t s = 0; s + c < all.size(); ++s) {
    if (std::abs((w(s) + w(s + 1)) / 2 - points.w[0]) > kMatch * points.w[0]) continue;
    out.tauPerSecond = LabPressurePa(rec) / points.viscosity;
    for (std::size_t i = s; i <= s + c; ++i) {
      out.w.push_back(w(i));
      out.tau.push_back(all[i].seconds * out.tauPerSecond);
    }
    return out;
  }
  return out;
}

}  // namespace vorsant

namespace vorsant {

bool StandardDiscTrial(const TWineRec& rec) {
  constexpr double kDiameterTolerance = 0.05, kPsiTolerance = 1.5;
  return std::abs(StoredNumberOr0(rec.Conditions.LabFiltDia.Str()) - kStandardDiscMm) < kDiameterTolerance &&
         std::abs(StoredNumberOr0(rec.Conditions.LabP.Str()) - 29.0) <= kPsiTolerance;
}

}  // namespace vorsant
