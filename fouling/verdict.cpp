#include "fouling/verdict.h"

#include <algorithm>
#include <cmath>

#include "fouling/integral_fit.h"
#include "trial/number_text.h"

namespace vorsant {
namespace {

const ModelFit& Model(const FoulingReport& report, FoulingLaw law) {
  return report.models[static_cast<std::size_t>(law)];
}

// Within this many times the trial's last volume a decisive volume is
// looked for, in this many geometric steps, then refined.
constexpr double kDecisiveReach = 10;
constexpr int kDecisiveSteps = 400;
constexpr int kDecisiveRefine = 30;
constexpr double kScatterParts = 2;  // predicted times part by twice the scatter

// The seconds the law predicts the trial reaches throughput W.
double PredictedSeconds(const ModelFit& fit, double W, double tauPerSecond) {
  const std::optional<double> integral = ModelIntegral(fit, W);
  if (!integral) return INFINITY;  // blocked before W
  return (fit.offset.value_or(0) + *integral) / tauPerSecond;
}

// The throughput from which every two candidates of different mechanisms
// predict times `parted` seconds further apart than they do anywhere within
// the readings.
std::optional<double> DecisiveThroughput(const FoulingReport& report, const std::vector<FoulingLaw>& laws,
                                         double parted) {
  const double wLast = report.readingW.back(), tps = report.tauPerSecond;
  const auto apart = [&](std::size_t i, std::size_t j, double W) {
    const double a = PredictedSeconds(Model(report, laws[i]), W, tps);
    const double b = PredictedSeconds(Model(report, laws[j]), W, tps);
    if (std::isinf(a) && std::isinf(b)) return 0.0;
    return std::abs(a - b);
  };
  // Within the readings the laws already differ this much and both fit:
  // a reading tells them apart where they differ by the scatter beyond it.
  std::vector<double> within(laws.size() * laws.size(), 0);
  for (std::size_t i = 0; i < laws.size(); ++i)
    for (std::size_t j = i + 1; j < laws.size(); ++j)
      for (double W : report.readingW) within[i * laws.size() + j] = std::max(within[i * laws.size() + j], apart(i, j, W));
  const auto decides = [&](double W) {
    for (std::size_t i = 0; i < laws.size(); ++i)
      for (std::size_t j = i + 1; j < laws.size(); ++j) {
        if (MechanismOf(laws[i]) == MechanismOf(laws[j])) continue;
        if (!(apart(i, j, W) > within[i * laws.size() + j] + parted)) return false;
      }
    return true;
  };
  const double ratio = std::pow(kDecisiveReach, 1.0 / kDecisiveSteps);
  double before = wLast;
  for (int step = 1; step <= kDecisiveSteps; ++step) {
    const double W = wLast * std::pow(ratio, step);
    if (!decides(W)) {
      before = W;
      continue;
    }
    double lo = before, hi = W;
    for (int i = 0; i < kDecisiveRefine; ++i) {
      const double mid = (lo + hi) / 2;
      (decides(mid) ? hi : lo) = mid;
    }
    return hi;
  }
  return std::nullopt;
}

// What would decide an undetermined verdict, in the trial's own terms.
void Decisive(Verdict& v, const FoulingReport& report, const std::vector<FoulingLaw>& laws) {
  if (!(report.tauPerSecond > 0) || !(report.labAreaM2 > 0) || report.readingW.size() < 2 ||
      report.points.R.empty() || !report.best)
    return;
  const ModelFit& best = Model(report, *report.best);
  const double n = static_cast<double>(report.readingW.size());
  const double dof = std::max(1.0, n - IntegralParameterCount(best.law));
  const double scatter = std::max(std::sqrt(best.sse / dof) / report.tauPerSecond, 1 / std::sqrt(12.0));
  const std::optional<double> W = DecisiveThroughput(report, laws, kScatterParts * scatter);
  if (!W) return;
  const double wLast = report.readingW.back();
  const double seconds = report.readingTau.back() / report.tauPerSecond +
                         (*W - wLast) * report.points.R.back() / report.tauPerSecond;
  v.decisiveMl = *W * report.labAreaM2 * 1e6;
  v.decisiveMinutes = seconds / 60;
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
  v.leftOut = report.leftOut;
  v.source = report.source;
  v.provenM3 = report.provenM3;
  v.startsAboveRmax = report.startsAboveRmax;
  if (report.tauPerSecond > 0 && !report.readingTau.empty())
    v.trialMinutes = report.readingTau.back() / report.tauPerSecond / 60;
  v.r2Adjusted = report.highestR2Adjusted;
  v.filterability = AssessFilterability(rec, report);
  v.reportVolumeM3 = report.reportVolumeM3;
  if (const ModelFit& power = Model(report, FoulingLaw::kPower); power.volumeM3 && !power.incalculable)
    v.readingsPowerM3 = power.volumeM3;
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
  // A reading that flips the law widens the range to both answers.
  v.flips = report.flips;
  for (const LawFlip& flip : report.flips) {
    if (!flip.volumeM3 || flip.incalculable) {
      open = true;
    } else if (*flip.volumeM3 > 0) {
      v.rangeLowM3 = std::min(v.rangeLowM3.value_or(*flip.volumeM3), *flip.volumeM3);
      v.rangeHighM3 = std::max(v.rangeHighM3.value_or(*flip.volumeM3), *flip.volumeM3);
    }
  }
  if (v.mechanisms.empty()) v.mechanisms.push_back(Mechanism::kEmpirical);
  v.mechanism = v.mechanisms.size() == 1 ? v.mechanisms[0] : Mechanism::kUndetermined;
  v.volumeLaw = report.plannedLaw.value_or(best.law);
  const ModelFit& planned = Model(report, *v.volumeLaw);
  v.volumeM3 = planned.volumeM3;
  v.volumeIncalculable = planned.incalculable;
  v.seconds = planned.seconds;
  v.areaM2 = planned.areaM2;
  v.elements = planned.elements;
  v.elementsUncountable = planned.elementsUncountable;
  if (v.mechanism == Mechanism::kUndetermined) {
    std::vector<FoulingLaw> laws;
    for (FoulingLaw law : report.plausible) {
      if (law == FoulingLaw::kPower) continue;
      const ModelFit& fit = Model(report, law);
      laws.push_back(law);
      v.candidates.push_back({law, fit.volumeM3, fit.seconds, fit.areaM2, fit.incalculable, fit.elements});
    }
    Decisive(v, report, laws);
  }
  v.hasRange = v.rangeLowM3.has_value();
  if (open) v.rangeHighM3.reset();

  const double lastW = report.points.w.empty() ? 0 : report.points.w.back();
  const ModelFit& volumeFit = Model(report, *v.volumeLaw);
  if (volumeFit.wStar && lastW > 0) v.throughputRatio = *volumeFit.wStar / lastW;
  return v;
}

}  // namespace vorsant
