#include "fouling/verdict.h"

#include <algorithm>

#include "trial/number_text.h"

namespace vorsant {
namespace {

const ModelFit& Model(const FoulingReport& report, FoulingLaw law) {
  return report.models[static_cast<std::size_t>(law)];
}

}  // namespace

Mechanism MechanismOf(FoulingLaw law) {
  switch (law) {
    case FoulingLaw::kComplete:
      return Mechanism::kPoreBlocking;
    case FoulingLaw::kStandard:
      return Mechanism::kPoreConstriction;
    case FoulingLaw::kIntermediate:
      return Mechanism::kIntermediate;
    case FoulingLaw::kCake:
      return Mechanism::kCake;
    case FoulingLaw::kPower:
      break;
  }
  return Mechanism::kEmpirical;
}

std::string_view FitQualityKey(FitQuality fit) {
  switch (fit) {
    case FitQuality::kGood:
      return "good";
    case FitQuality::kFair:
      return "fair";
    case FitQuality::kInsufficient:
      return "insufficient";
    case FitQuality::kPoor:
      break;
  }
  return "poor";
}

std::string_view MechanismKey(Mechanism mechanism) {
  switch (mechanism) {
    case Mechanism::kPoreBlocking:
      return "pore_blocking";
    case Mechanism::kIntermediate:
      return "intermediate";
    case Mechanism::kCake:
      return "cake";
    case Mechanism::kPoreConstriction:
      return "pore_constriction";
    case Mechanism::kUndetermined:
      return "undetermined";
    case Mechanism::kEmpirical:
      break;
  }
  return "empirical";
}

Verdict MakeVerdict(const TWineRec& rec, const FoulingReport& report) {
  Verdict v;
  v.noFouling = report.noFouling;
  v.r2Adjusted = report.highestR2Adjusted;
  v.filterability = AssessFilterability(rec, report);
  v.reportVolumeM3 = report.reportVolumeM3;
  const double labPsi = StoredNumberOr0(rec.Conditions.LabP.Str());
  const double prodPsi = StoredNumberOr0(rec.Conditions.ProdP.Str());
  if (labPsi > 0 && prodPsi > 0) v.pressureRatio = prodPsi / labPsi;
  if (report.insufficient) {
    v.fit = FitQuality::kInsufficient;
    v.readingsNeeded = report.readingsNeeded;
    return v;
  }
  if (v.r2Adjusted) {
    v.fit = *v.r2Adjusted >= kGoodFit   ? FitQuality::kGood
            : *v.r2Adjusted >= kFairFit ? FitQuality::kFair
                                        : FitQuality::kPoor;
  }
  if (!report.best) return v;

  const ModelFit& best = Model(report, *report.best);
  v.best = best.law;
  v.volumeM3 = best.volumeM3;
  v.volumeIncalculable = best.incalculable;
  v.seconds = best.seconds;
  v.areaM2 = best.areaM2;
  v.elements = best.elements;
  v.elementsUncountable = best.elementsUncountable;

  bool open = false;
  for (FoulingLaw law : report.plausible) {
    const ModelFit& fit = Model(report, law);
    v.plausible.push_back(law);
    if (law != FoulingLaw::kPower) {
      const Mechanism m = MechanismOf(law);
      if (std::find(v.mechanisms.begin(), v.mechanisms.end(), m) == v.mechanisms.end()) v.mechanisms.push_back(m);
    }
    v.refitsLeftOut += fit.refitsLeftOut;
    if (!fit.volumeM3 || fit.incalculable) {
      open = true;
      continue;
    }
    // Each model with the spread of its own extrapolation.
    const double lo = fit.volumeLowM3.value_or(*fit.volumeM3);
    v.rangeLowM3 = std::min(v.rangeLowM3.value_or(lo), lo);
    if (!fit.volumeHighM3 && fit.volumeLowM3) open = true;
    const double hi = fit.volumeHighM3.value_or(*fit.volumeM3);
    v.rangeHighM3 = std::max(v.rangeHighM3.value_or(hi), hi);
  }
  if (v.mechanisms.empty()) v.mechanisms.push_back(Mechanism::kEmpirical);
  v.mechanism = v.mechanisms.size() == 1 ? v.mechanisms[0] : Mechanism::kUndetermined;
  v.volumeLaw = best.law;
  // Laws that fit alike but foul differently: plan on the one that fouls
  // first, never on the closest fit's possibly far larger figure.
  if (v.mechanism == Mechanism::kUndetermined) {
    for (FoulingLaw law : report.plausible) {
      const ModelFit& fit = Model(report, law);
      if (law == FoulingLaw::kPower || !fit.volumeM3 || fit.incalculable || *fit.volumeM3 <= 0) continue;
      if (v.volumeM3 && !v.volumeIncalculable && *fit.volumeM3 >= *v.volumeM3) continue;
      v.volumeLaw = law;
      v.volumeM3 = fit.volumeM3;
      v.volumeIncalculable = false;
      v.seconds = fit.seconds;
      v.areaM2 = fit.areaM2;
      v.elements = fit.elements;
      v.elementsUncountable = fit.elementsUncountable;
    }
  }
  v.hasRange = v.rangeLowM3.has_value();
  if (open) v.rangeHighM3.reset();

  const double lastW = report.points.w.empty() ? 0 : report.points.w.back();
  const ModelFit& volumeFit = Model(report, *v.volumeLaw);
  if (volumeFit.wStar && lastW > 0) v.throughputRatio = *volumeFit.wStar / lastW;
  return v;
}

}  // namespace vorsant
