#include "fouling/fouling_models.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "fouling/integral_fit.h"
#include "fouling/trial_readings.h"
#include "trial/analysis.h"

namespace vorsant {

namespace {

constexpr double kLargestArea = 1e7;     // m2; beyond it no filter is built
constexpr double kAreaPrecision = 1e-6;  // relative
constexpr double kFlatSpread = 1e-9;                    // relative
const double kIncalculableThroughput = std::exp(46.0);  // m

bool Usable(double x) {
  return std::isfinite(x) && x > 0;
}

std::size_t LawIndex(FoulingLaw law) {
  return static_cast<std::size_t>(law);
}

ModelFit Unfitted(FoulingLaw law) {
  ModelFit fit;
  fit.law = law;
  return fit;
}

// The throughput where the model reaches `rMax`: 0 when it starts at or
// above it, nullopt when it never gets there, infinity when the formula
// overflows on the way.
std::optional<double> ThroughputOrOverflow(const ModelFit& fit, double rMax) {
  if (!fit.fitted || !Usable(rMax)) return std::nullopt;
  double w = 0;
  if (fit.law == FoulingLaw::kPower) {
    const double R0 = *fit.r0, a = *fit.a, n = *fit.n;
    if (R0 >= rMax) return 0.0;
    if (a <= 0 || n <= 0) return std::nullopt;
    w = std::pow((rMax - R0) / a, 1 / n);
  } else {
    const double rm = *fit.rm, k = *fit.k;
    if (rm >= rMax) return 0.0;
    if (k <= 0) return std::nullopt;
    switch (fit.law) {
      case FoulingLaw::kComplete:
        w = (1 - rm / rMax) / k;
        break;
      case FoulingLaw::kStandard:
        w = 2 / k * (1 - std::sqrt(rm / rMax));
        break;
      case FoulingLaw::kIntermediate:
        w = std::log(rMax / rm) / k;
        break;
      default:
        w = (rMax / rm - 1) / k;
        break;
    }
  }
  if (std::isnan(w)) return std::nullopt;
  return w;
}

// As ThroughputOrOverflow, without the overflow: a volume to show is finite.
std::optional<double> ThroughputAt(const ModelFit& fit, double rMax) {
  const std::optional<double> w = ThroughputOrOverflow(fit, rMax);
  if (!w || !std::isfinite(*w)) return std::nullopt;
  return w;
}

// The smallest production area whose volume reaches `neededM3`; Rmax grows
// with the area, so the volume does too, and a bisection finds the edge.
std::optional<double> AreaFor(const ModelFit& fit, const AnalysisPoints& p, double neededM3) {
  const double rMaxPerArea = p.prodPressure / (p.viscosity * p.prodFlow);
  if (!Usable(rMaxPerArea)) return std::nullopt;
  // A throughput that overflows is more than any volume needs.
  const auto reaches = [&](double area) {
    const std::optional<double> w = ThroughputOrOverflow(fit, rMaxPerArea * area);
    return w && *w * area >= neededM3;
  };
  double lo = 0, hi = kLargestArea;
  if (!reaches(hi)) return std::nullopt;
  // A needed volume that rounds to nothing drives hi into the subnormals,
  // where the relative precision test never ends the halving; a midpoint
  // that no longer moves does.
  while (hi - lo > kAreaPrecision * hi) {
    const double mid = lo + (hi - lo) / 2;
    if (mid <= lo || mid >= hi) break;
    if (reaches(mid)) {
      hi = mid;
    } else {
      lo = mid;
    }
  }
  return hi;
}

// The same resistance at every point, but for the last bits of rounding: a
// mean that is no mean, which leaves nothing for a model to explain.
bool Flat(const AnalysisPoints& p) {
  const auto [lo, hi] = std::minmax_element(p.R.begin(), p.R.end());
  return *hi - *lo <= kFlatSpread * *hi;
}

void Project(ModelFit& fit, const AnalysisPoints& p, const SizingRequest& request) {
  if (!fit.fitted) return;
  if ((fit.law == FoulingLaw::kComplete || fit.law == FoulingLaw::kStandard) && *fit.k > 0) {
    fit.capacity = (fit.law == FoulingLaw::kComplete ? 1 : 2) / *fit.k;
  }
  // Past e^46 m the report calls a volume incalculably high; so do we.
  const std::optional<double> w = ThroughputOrOverflow(fit, p.rMax);
  fit.incalculable = w && !(*w <= kIncalculableThroughput);
  fit.wStar = ThroughputAt(fit, p.rMax);
  if (fit.wStar) {
    const double m3 = *fit.wStar * p.prodArea;
    fit.volumeM3 = m3;
    const double seconds = m3 / p.prodFlow;
    if (std::isfinite(seconds)) fit.seconds = seconds;
  }
  if (request.targetM3) {
    fit.areaM2 = AreaFor(fit, p, request.safety * *request.targetM3);
    if (fit.areaM2 && request.elementArea) {
      // A vanishingly small element would need more elements than can be counted.
      const double elements = std::ceil(*fit.areaM2 / *request.elementArea);
      if (elements < 9e18) {
        fit.elements = static_cast<long long>(elements);
      } else {
        fit.elementsUncountable = true;
      }
    }
  }
}

// Akaike's criterion, corrected for small samples. A sum of squares below
// what the stopwatch resolves says no more than that resolution, so it is
// floored there: laws that all fit within the rounding tie, and the
// parameters decide.
std::optional<double> Aicc(double sse, std::size_t count, int parameters, double floor) {
  const double n = static_cast<double>(count), p = parameters;
  if (n - p - 1 <= 0) return std::nullopt;
  const double s = std::max(sse, floor);
  if (!(s > 0)) return std::nullopt;
  return n * std::log(s / n) + 2 * p + 2 * p * (p + 1) / (n - p - 1);
}

// Whole seconds: each time is off by up to half a second, a variance of
// 1/12 s2. Readings made up from points carry only the doubles' noise.
double SseFloor(const CumulativeReadings& r) {
  const double n = static_cast<double>(r.w.size());
  if (r.tauPerSecond > 0) return n * r.tauPerSecond * r.tauPerSecond / 12;
  const double span = 1e-9 * (r.tau.back() - r.tau.front());
  return n * span * span;
}

// `lineSse` is the constant resistance's sum of squares, 0 when there is no
// fouling to explain.
ModelFit FitModel(FoulingLaw law, const CumulativeReadings& r, const AnalysisPoints& p, double lineSse,
                  double floor) {
  ModelFit fit = Unfitted(law);
  const IntegralFit f = FitIntegral(law, r);
  if (!f.fitted) return fit;
  if (law == FoulingLaw::kPower) {
    fit.r0 = f.r0;
    fit.a = f.a;
    fit.n = f.n;
  } else {
    fit.rm = f.rm;
    fit.k = f.k == 0 ? 0.0 : f.k;  // never "-0"
  }
  fit.fitted = true;
  // A curve that breaks down at a measured point is no fit of it.
  for (double w : p.w)
    if (!ModelResistance(fit, w)) return Unfitted(law);
  const std::size_t c = r.w.size();
  const int parameters = IntegralParameterCount(law);
  if (lineSse > 0) {
    fit.r2 = 1 - f.sse / lineSse;
    if (c > static_cast<std::size_t>(parameters))
      fit.r2Adjusted = 1 - (1 - *fit.r2) * (static_cast<double>(c) - 2) / (static_cast<double>(c) - parameters);
  }
  fit.aicc = Aicc(f.sse, c, parameters, floor);
  fit.sse = f.sse;
  return fit;
}

CumulativeReadings Without(const CumulativeReadings& r, std::size_t skip) {
  CumulativeReadings q = r;
  q.w.erase(q.w.begin() + static_cast<std::ptrdiff_t>(skip));
  q.tau.erase(q.tau.begin() + static_cast<std::ptrdiff_t>(skip));
  return q;
}

// The volume's uncertainty by the jackknife on its logarithm: refitted
// without each reading in turn, the spread of the log volumes scaled to a
// standard error (sqrt((c - 1) / c * sum (ln V_i - mean)^2)), and the volume
// divided and multiplied by e to two of them. A volume is positive, and so
// is the range. A refit that cannot be fitted, or puts the filter at Rmax
// from the start, is left out and counted; one that never reaches Rmax
// leaves the range open above.
constexpr double kStandardErrors = 2;

void VolumeSpread(ModelFit& fit, const CumulativeReadings& r, const AnalysisPoints& p, double floor) {
  if (!fit.volumeM3 || !(*fit.volumeM3 > 0) || fit.incalculable) return;
  if (r.w.size() < static_cast<std::size_t>(IntegralParameterCount(fit.law)) + 2) return;
  std::vector<double> logs;
  bool open = false;
  for (std::size_t skip = 0; skip < r.w.size(); ++skip) {
    const CumulativeReadings q = Without(r, skip);
    ModelFit refit = FitModel(fit.law, q, p, 0, floor);
    if (refit.fitted) Project(refit, p, SizingRequest{});
    if (!refit.fitted || (refit.volumeM3 && !(*refit.volumeM3 > 0))) {
      ++fit.refitsLeftOut;
    } else if (!refit.volumeM3 || refit.incalculable) {
      open = true;
    } else {
      logs.push_back(std::log(*refit.volumeM3));
    }
  }
  if (logs.size() < 2) return;
  const double n = static_cast<double>(logs.size());
  double mean = 0;
  for (double v : logs) mean += v / n;
  double squares = 0;
  for (double v : logs) squares += (v - mean) * (v - mean);
  const double factor = std::exp(kStandardErrors * std::sqrt((n - 1) / n * squares));
  fit.volumeLowM3 = *fit.volumeM3 / factor;
  if (!open) fit.volumeHighM3 = *fit.volumeM3 * factor;
}

// The trial report's own estimate: the analysis' power fit projected.
std::optional<double> AnalysisPowerVolume(const AnalysisPoints& p) {
  if (!p.powerFitted) return std::nullopt;
  ModelFit power = Unfitted(FoulingLaw::kPower);
  power.fitted = true;
  power.r0 = p.R0;
  power.a = p.a;
  power.n = p.n;
  Project(power, p, SizingRequest{});
  return power.incalculable ? std::nullopt : power.volumeM3;
}

}  // namespace

std::string_view LawKey(FoulingLaw law) {
  switch (law) {
    case FoulingLaw::kComplete:
      return "complete";
    case FoulingLaw::kStandard:
      return "standard";
    case FoulingLaw::kIntermediate:
      return "intermediate";
    case FoulingLaw::kCake:
      return "cake";
    case FoulingLaw::kPower:
      return "power";
  }
  return "";
}

std::optional<double> ModelResistance(const ModelFit& fit, double w) {
  if (!fit.fitted) return std::nullopt;
  double R = 0;
  if (fit.law == FoulingLaw::kPower) {
    R = *fit.r0 + (w > 0 ? *fit.a * std::pow(w, *fit.n) : 0.0);
  } else {
    const double rm = *fit.rm, k = *fit.k;
    switch (fit.law) {
      case FoulingLaw::kComplete:
        R = rm / (1 - k * w);
        break;
      case FoulingLaw::kStandard: {
        // Past 2/k the pores are shut: the law has no resistance there.
        const double open = 1 - k * w / 2;
        if (open <= 0) return std::nullopt;
        R = rm / (open * open);
        break;
      }
      case FoulingLaw::kIntermediate:
        R = rm * std::exp(k * w);
        break;
      default:
        R = rm * (1 + k * w);
        break;
    }
  }
  if (!Usable(R)) return std::nullopt;
  return R;
}

std::optional<double> ModelIntegral(const ModelFit& fit, double W) {
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

FoulingReport FitFoulingModels(const AnalysisPoints& points, const SizingRequest& request) {
  return FitFoulingReadings(points, ReadingsFromPoints(points.w, points.R), request);
}

FoulingReport FitFoulingReadings(const AnalysisPoints& points, const CumulativeReadings& readings,
                                 const SizingRequest& request) {
  FoulingReport report;
  report.points = points;
  report.readingW = readings.w;
  report.readingTau = readings.tau;
  for (FoulingLaw law : kFoulingLaws) report.models[LawIndex(law)].law = law;
  report.reportVolumeM3 = AnalysisPowerVolume(points);
  if (points.w.size() < kLeastFittedPoints || points.w.size() != points.R.size() ||
      readings.w.size() != points.w.size() + 1 || readings.tau.size() != readings.w.size())
    return report;

  report.noFouling = Flat(points);
  const double floor = SseFloor(readings);
  const double line = report.noFouling ? 0 : ConstantResistanceSse(readings);
  for (FoulingLaw law : kFoulingLaws) {
    ModelFit& fit = report.models[LawIndex(law)];
    fit = FitModel(law, readings, points, line, floor);
    Project(fit, points, request);
  }

  // Lowest AICc. Laws that all fit within the stopwatch's rounding tie on
  // it; of those, the closest fit, then the table's order.
  const auto better = [](const ModelFit& a, const ModelFit& b) {
    if (std::abs(*a.aicc - *b.aicc) > 1e-9) return *a.aicc < *b.aicc;
    return a.sse < b.sse;
  };
  const ModelFit* best = nullptr;
  for (const ModelFit& fit : report.models) {
    if (fit.aicc && fit.r2Adjusted && (!best || better(fit, *best))) best = &fit;
  }
  report.highestR2Adjusted = best ? best->r2Adjusted : std::nullopt;
  // A best fit that still explains little is no answer: no model is marked.
  if (!best || *best->r2Adjusted < kFairFit) return report;
  report.best = best->law;
  const double least = *best->aicc + kPlausibleAicc;
  for (ModelFit& fit : report.models) {
    if (!fit.aicc || !fit.r2Adjusted || *fit.aicc > least) continue;
    report.plausible.push_back(fit.law);
    VolumeSpread(fit, readings, points, floor);
  }
  return report;
}

FoulingReport SizeFoulingReport(const FoulingReport& report, const SizingRequest& request) {
  FoulingReport sized = report;
  for (ModelFit& fit : sized.models) {
    fit.areaM2.reset();
    fit.elements.reset();
    fit.elementsUncountable = false;
    Project(fit, sized.points, request);
  }
  return sized;
}

FoulingOutcome AnalyseFouling(const TWineRec& rec, const SizingRequest& request) {
  AnalysisPointsOutcome points = AnalyseTrialPoints(rec);
  FoulingOutcome outcome;
  const bool tooFew = !points.failure || *points.failure == kInsufficientDataWarning;
  if (tooFew && points.points.w.size() < kLeastFittedPoints) {
    // A filterability test is read for its index, not failed for its few readings.
    if (!StandardDiscTrial(rec) || StoredReadings(rec).size() < 2) {
      outcome.failure = std::string(kInsufficientDataWarning);
      return outcome;
    }
    outcome.report = FitFoulingReadings(points.points, CumulativeReadings{}, request);
    outcome.report->insufficient = true;
    outcome.report->readingsNeeded = kLeastFittedPoints - points.points.w.size();
  } else if (points.failure) {
    outcome.failure = *points.failure;
  } else {
    // Readings that cannot be matched to the points (never seen) fall back
    // to the points themselves rather than to no fit at all.
    CumulativeReadings readings = FittedReadings(rec, points.points);
    if (readings.w.empty()) readings = ReadingsFromPoints(points.points.w, points.points.R);
    outcome.report = FitFoulingReadings(points.points, readings, request);
  }
  return outcome;
}

}  // namespace vorsant
