#include "fouling/fouling_models.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numeric>
#include <vector>

#include "fouling/companion_readings.h"
#include "fouling/fouling_laws.h"
#include "fouling/integral_fit.h"
#include "fouling/trial_readings.h"
#include "fouling/verdict.h"
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
  return FormOf(fit.law).Throughput(fit, rMax);
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
// 1/12 s2 (a tenth of that for a collection's readings to a tenth).
// Readings made up from points carry only the doubles' noise.
double SseFloor(const CumulativeReadings& r) {
  const double n = static_cast<double>(r.w.size());
  const double step = r.secondsResolution * r.tauPerSecond;
  if (r.tauPerSecond > 0) return n * step * step / 12;
  const double span = 1e-9 * (r.tau.back() - r.tau.front());
  return n * span * span;
}

// The model of a fit on `count` readings; `lineSse` is the constant
// resistance's sum of squares, 0 when there is no fouling to explain.
ModelFit ModelOf(FoulingLaw law, const IntegralFit& f, std::size_t count, const AnalysisPoints& p, double lineSse,
                 double floor) {
  ModelFit fit = Unfitted(law);
  if (!f.fitted) return fit;
  if (law == FoulingLaw::kPower) {
    fit.r0 = f.r0;
    fit.a = f.a;
    fit.n = f.n;
  } else {
    fit.rm = f.rm;
    fit.k = f.k == 0 ? 0.0 : f.k;  // never "-0"
  }
  fit.offset = f.offset;
  fit.fitted = true;
  // A curve that breaks down at a measured point is no fit of it; every
  // law is monotonic in w, so its ends tell.
  if (!p.w.empty()) {
    const auto [lo, hi] = std::minmax_element(p.w.begin(), p.w.end());
    if (!ModelResistance(fit, *lo) || !ModelResistance(fit, *hi)) return Unfitted(law);
  }
  const int parameters = IntegralParameterCount(law);
  if (lineSse > 0) {
    fit.r2 = 1 - f.sse / lineSse;
    if (count > static_cast<std::size_t>(parameters))
      fit.r2Adjusted =
          1 - (1 - *fit.r2) * (static_cast<double>(count) - 2) / (static_cast<double>(count) - parameters);
  }
  fit.aicc = Aicc(f.sse, count, parameters, floor);
  fit.sse = f.sse;
  return fit;
}

// Which law is best and which are as plausible, by AICc among the fits
// with an adjusted R2; laws that all fit within the stopwatch's rounding
// tie on it, and of those the closest fit, then the table's order. A best
// that explains little is no answer.
struct Choice {
  const ModelFit* best = nullptr;  // by AICc, whether or not it fits well enough
  bool fair = false;
  std::vector<FoulingLaw> plausible;
};

Choice Choose(const std::array<ModelFit, 5>& models) {
  const auto better = [](const ModelFit& a, const ModelFit& b) {
    if (std::abs(*a.aicc - *b.aicc) > 1e-9) return *a.aicc < *b.aicc;
    return a.sse < b.sse;
  };
  Choice c;
  for (const ModelFit& fit : models)
    if (fit.aicc && fit.r2Adjusted && (!c.best || better(fit, *c.best))) c.best = &fit;
  if (!c.best || *c.best->r2Adjusted < kFairFit) return c;
  c.fair = true;
  const double least = *c.best->aicc + kPlausibleAicc;
  for (const ModelFit& fit : models)
    if (fit.aicc && fit.r2Adjusted && *fit.aicc <= least) c.plausible.push_back(fit.law);
  return c;
}

// The law whose volume to plan on: the best; but laws that fit alike and
// foul differently are planned on the one that fouls first, never on the
// closest fit's possibly far larger figure.
FoulingLaw Plan(const std::array<ModelFit, 5>& models, FoulingLaw best, const std::vector<FoulingLaw>& plausible) {
  std::vector<Mechanism> mechanisms;
  for (FoulingLaw law : plausible) {
    if (law == FoulingLaw::kPower) continue;
    const Mechanism m = MechanismOf(law);
    if (std::find(mechanisms.begin(), mechanisms.end(), m) == mechanisms.end()) mechanisms.push_back(m);
  }
  if (mechanisms.size() < 2) return best;
  FoulingLaw planned = best;
  const ModelFit* chosen = &models[LawIndex(best)];
  for (FoulingLaw law : plausible) {
    const ModelFit& fit = models[LawIndex(law)];
    if (law == FoulingLaw::kPower || !fit.volumeM3 || fit.incalculable || *fit.volumeM3 <= 0) continue;
    if (chosen->volumeM3 && !chosen->incalculable && *fit.volumeM3 >= *chosen->volumeM3) continue;
    planned = law;
    chosen = &fit;
  }
  return planned;
}

// The volume's uncertainty by the jackknife on its logarithm: refitted
// without each reading in turn, the spread of the log volumes scaled to a
// standard error (sqrt((c - 1) / c * sum (ln V_i - mean)^2)), and the volume
// divided and multiplied by e to two of them. A volume is positive, and so
// is the range. A refit that cannot be fitted, or puts the filter at Rmax
// from the start, is left out and counted; one that never reaches Rmax
// leaves the range open above.
constexpr double kStandardErrors = 2;

void VolumeSpread(ModelFit& fit, const std::vector<ModelFit>& refits) {
  if (!fit.volumeM3 || !(*fit.volumeM3 > 0) || fit.incalculable) return;
  if (refits.size() < static_cast<std::size_t>(IntegralParameterCount(fit.law)) + 2) return;
  std::vector<double> logs;
  bool open = false;
  for (const ModelFit& refit : refits) {
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

// The resistance stays flat within what whole seconds resolve: the best
// constant resistance misses no reading by more than a second.
constexpr double kResolvedSeconds = 1;

bool FlatWithinSeconds(const CumulativeReadings& r) {
  if (!(r.tauPerSecond > 0) || r.w.size() < 3) return false;
  const double wm = std::accumulate(r.w.begin(), r.w.end(), 0.0) / static_cast<double>(r.w.size());
  const double tm = std::accumulate(r.tau.begin(), r.tau.end(), 0.0) / static_cast<double>(r.w.size());
  double sxx = 0, sxy = 0;
  for (std::size_t i = 0; i < r.w.size(); ++i) {
    sxx += (r.w[i] - wm) * (r.w[i] - wm);
    sxy += (r.w[i] - wm) * (r.tau[i] - tm);
  }
  if (!(sxx > 0)) return false;
  const double slope = sxy / sxx;
  for (std::size_t i = 0; i < r.w.size(); ++i)
    if (std::abs(r.tau[i] - tm - slope * (r.w[i] - wm)) > kResolvedSeconds * r.tauPerSecond) return false;
  return slope > 0;
}

// The constant resistance of readings that did not foul, 1/m.
double ConstantResistance(const CumulativeReadings& r) {
  const std::size_t c = r.w.size();
  return c >= 2 && r.w.back() > r.w.front() ? (r.tau.back() - r.tau.front()) / (r.w.back() - r.w.front()) : 0;
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
  return FormOf(fit.law).Resistance(fit, w);
}

std::optional<double> ModelIntegral(const ModelFit& fit, double W) {
  if (!fit.fitted) return std::nullopt;
  return FormOf(fit.law).Integral(fit, W);
}

FoulingReport FitFoulingModels(const AnalysisPoints& points, const SizingRequest& request) {
  return FitFoulingReadings(points, ReadingsFromPoints(points.w, points.R), request);
}

namespace {

// The laws refitted without each block of readings (`starts`, as
// LeaveBlocksOutFits has them: one reading each for the record's readings),
// each choosing by the whole trial's rule: the jackknife spread of every
// plausible law's volume, and the readings without which another law would
// be planned on. Readings without rows (a collection's) are named by their
// times.
void RangeAndFlips(FoulingReport& report, const CumulativeReadings& r, const std::array<IntegralFit, 5>& full,
                   double floor, const std::vector<std::size_t>& starts) {
  const std::size_t c = r.w.size();
  if (c < 3 || starts.size() < 2) return;
  const std::size_t blocks = starts.size() - 1;
  const bool single = blocks == c;  // delete-one
  const std::vector<double> lines = LeaveBlocksOutConstantSse(r, starts);
  std::array<std::vector<ModelFit>, 5> refits;
  for (FoulingLaw law : kFoulingLaws) {
    const std::vector<IntegralFit> fits = LeaveBlocksOutFits(law, r, full[LawIndex(law)], starts);
    std::vector<ModelFit>& models = refits[LawIndex(law)];
    models.reserve(blocks);
    for (std::size_t j = 0; j < blocks; ++j) {
      const std::size_t left = c - (starts[j + 1] - starts[j]);
      const double blockFloor = floor * static_cast<double>(left) / static_cast<double>(c);
      models.push_back(ModelOf(law, fits[j], left, report.points, lines[j], blockFloor));
      Project(models.back(), report.points, SizingRequest{});
    }
  }
  for (FoulingLaw law : report.plausible) VolumeSpread(report.models[LawIndex(law)], refits[LawIndex(law)]);
  for (std::size_t j = 0; j < blocks; ++j) {
    std::array<ModelFit, 5> without;
    for (FoulingLaw law : kFoulingLaws) without[LawIndex(law)] = refits[LawIndex(law)][j];
    const Choice choice = Choose(without);
    if (!choice.fair) continue;
    const FoulingLaw planned = Plan(without, choice.best->law, choice.plausible);
    if (planned == *report.plannedLaw) continue;
    const ModelFit& fit = without[LawIndex(planned)];
    LawFlip flip{0, planned, fit.volumeM3, fit.incalculable, std::nullopt, std::nullopt};
    if (single && !report.readingRows.empty()) {
      flip.row = j < report.readingRows.size() ? report.readingRows[j] : j;
    } else if (r.tauPerSecond > 0) {
      flip.fromSeconds = r.tau[starts[j]] / r.tauPerSecond;
      flip.toSeconds = r.tau[starts[j + 1] - 1] / r.tauPerSecond;
    }
    report.flips.push_back(flip);
  }
}

FoulingReport FitReadings(const AnalysisPoints& points, const CumulativeReadings& readings,
                          std::vector<std::size_t> rows, const SizingRequest& request,
                          std::vector<std::size_t> blocks = {}) {
  FoulingReport report;
  report.points = points;
  report.readingW = readings.w;
  report.readingTau = readings.tau;
  report.readingRows = std::move(rows);
  report.tauPerSecond = readings.tauPerSecond;
  report.source.fitted = readings.w.size();
  for (FoulingLaw law : kFoulingLaws) report.models[LawIndex(law)].law = law;
  report.reportVolumeM3 = AnalysisPowerVolume(points);
  if (points.w.size() < kLeastFittedPoints || points.w.size() != points.R.size() || readings.w.size() < points.w.size() + 1 ||
      readings.tau.size() != readings.w.size())
    return report;

  report.noFouling = Flat(points) || FlatWithinSeconds(readings);
  if (report.noFouling) {
    // Nothing fouled, so no law has anything to extrapolate: the trial
    // proves its own throughput on the production filter, no more.
    const double R = Flat(points) ? points.R.front() : ConstantResistance(readings);
    report.startsAboveRmax = points.rMax > 0 && R >= points.rMax;
    if (!report.startsAboveRmax && points.prodArea > 0) report.provenM3 = readings.w.back() * points.prodArea;
    return report;
  }
  const double floor = SseFloor(readings);
  const double line = ConstantResistanceSse(readings);
  std::array<IntegralFit, 5> full;
  for (FoulingLaw law : kFoulingLaws) {
    ModelFit& fit = report.models[LawIndex(law)];
    full[LawIndex(law)] = FitIntegral(law, readings);
    fit = ModelOf(law, full[LawIndex(law)], readings.w.size(), points, line, floor);
    Project(fit, points, request);
  }
  const Choice choice = Choose(report.models);
  report.highestR2Adjusted = choice.best ? choice.best->r2Adjusted : std::nullopt;
  if (!choice.fair) return report;
  report.best = choice.best->law;
  report.plausible = choice.plausible;
  report.plannedLaw = Plan(report.models, *report.best, report.plausible);
  if (blocks.empty()) blocks = SingleReadingBlocks(readings.w.size());
  RangeAndFlips(report, readings, full, floor, blocks);
  return report;
}

// The trial's kept readings as the analysis would fit them: an interval
// that takes no time is merged into the next (the last into the one
// before), the leading intervals whose resistance still falls skipped
// (at least MinSkip of them). The points and the cumulative readings from
// the one before the first fitted interval; `rows` names each reading.
struct Prepared {
  AnalysisPoints points;
  CumulativeReadings readings;
  std::vector<std::size_t> rows;
};

Prepared Prepare(const TWineRec& rec, const TrialReadings& trial, const AnalysisPoints& conditions) {
  Prepared out;
  out.points = conditions;
  out.points.w.clear();
  out.points.R.clear();
  const double area = LabDiscAreaM2(rec);
  if (!(area > 0) || !(conditions.viscosity > 0)) return out;
  const double perSecond = LabPressurePa(rec) / conditions.viscosity;
  std::vector<double> W{0}, tau{0};
  std::vector<std::size_t> rows{0};
  for (std::size_t i = 0; i < trial.kept.size(); ++i) {
    W.push_back(trial.kept[i].ml / 1e6 / area);
    tau.push_back(trial.kept[i].seconds * perSecond);
    rows.push_back(trial.rows[i]);
  }
  // Intervals by the reading each starts from and ends at.
  std::vector<std::pair<std::size_t, std::size_t>> spans;
  std::size_t from = 0;
  for (std::size_t i = 1; i < W.size(); ++i) {
    if (tau[i] <= tau[from]) continue;
    spans.emplace_back(from, i);
    from = i;
  }
  if (from + 1 < W.size() && !spans.empty()) spans.back().second = W.size() - 1;
  std::vector<double> R;
  for (const auto& [a, b] : spans) R.push_back((tau[b] - tau[a]) / (W[b] - W[a]));
  std::size_t s = std::min<std::size_t>(rec.Data.MinSkip, spans.size());
  while (s + 1 < spans.size() && R[s] > R[s + 1]) ++s;
  if (s >= spans.size()) return out;
  for (std::size_t i = s; i < spans.size(); ++i) {
    out.points.w.push_back((W[spans[i].first] + W[spans[i].second]) / 2);
    out.points.R.push_back(R[i]);
  }
  const std::size_t first = spans[s].first;
  out.readings.tauPerSecond = perSecond;
  out.readings.w.assign(W.begin() + static_cast<std::ptrdiff_t>(first), W.end());
  out.readings.tau.assign(tau.begin() + static_cast<std::ptrdiff_t>(first), tau.end());
  out.rows.assign(rows.begin() + static_cast<std::ptrdiff_t>(first), rows.end());
  return out;
}

}  // namespace

FoulingReport FitFoulingReadings(const AnalysisPoints& points, const CumulativeReadings& readings,
                                 const SizingRequest& request) {
  std::vector<std::size_t> rows(readings.w.size());
  std::iota(rows.begin(), rows.end(), std::size_t{0});
  return FitReadings(points, readings, std::move(rows), request);
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

namespace {

// The collection's readings over the stretch the record's fitted readings
// span (half a second either side, the record's rounding), as cumulative
// readings; `why` says when they cannot be used instead.
CumulativeReadings CompanionReadings(const Prepared& prepared, const TrialReadings& trial, const TWineRec& rec,
                                     const CompanionLog& log, ReadingsSource& source) {
  source.file = log.file;
  source.unreadableLines = log.unreadableLines;
  if (!log.error.empty()) {
    source.whyNot = log.error;
    return {};
  }
  const CompanionMatch match = MatchCompanion(trial, log.readings);
  source.notRising = match.notRising;
  if (!match.disagreement.empty()) {
    source.whyNot = match.disagreement + ", so it does not match this trial";
    return {};
  }
  const CumulativeReadings& stored = prepared.readings;
  const double perSecond = stored.tauPerSecond, area = LabDiscAreaM2(rec);
  const double from = stored.tau.front() / perSecond - 0.5, to = stored.tau.back() / perSecond + 0.5;
  CumulativeReadings out;
  out.tauPerSecond = perSecond;
  out.secondsResolution = 0.1;
  for (const Reading& r : match.kept) {
    if (r.seconds < from || r.seconds > to) continue;
    out.w.push_back(r.ml / 1e6 / area);
    out.tau.push_back(r.seconds * perSecond);
  }
  if (out.w.size() <= stored.w.size()) {
    source.whyNot = "it has no more readings than the trial itself over the readings fitted (" +
                    std::to_string(out.w.size()) + " against " + std::to_string(stored.w.size()) + ")";
    return {};
  }
  return out;
}

}  // namespace

FoulingOutcome AnalyseFouling(const TWineRec& rec, const SizingRequest& request) {
  return AnalyseFouling(rec, request, nullptr);
}

FoulingOutcome AnalyseFouling(const TWineRec& rec, const SizingRequest& request, const CompanionLog* log) {
  // The analysis gives the production conditions and the report's own
  // power fit; the readings are the trial's own.
  const AnalysisPointsOutcome analysed = AnalyseTrialPoints(rec);
  const TrialReadings trial = ReadTrialReadings(rec);
  Prepared prepared = Prepare(rec, trial, analysed.points);
  prepared.points.powerFitted = analysed.points.powerFitted && !analysed.failure;
  FoulingOutcome outcome;
  outcome.leftOut = trial.leftOut;
  outcome.readingsFitted = prepared.points.w.size();
  ReadingsSource source;
  if (prepared.points.w.size() < kLeastFittedPoints) {
    // A filterability test is read for its index, not failed for its few readings.
    if (!StandardDiscTrial(rec) || trial.kept.size() < 2) {
      outcome.failure = std::string(kInsufficientDataWarning);
      return outcome;
    }
    outcome.report = FitFoulingReadings(prepared.points, CumulativeReadings{}, request);
    outcome.report->insufficient = true;
    outcome.report->readingsNeeded = kLeastFittedPoints - prepared.points.w.size();
  } else {
    const CumulativeReadings every =
        log ? CompanionReadings(prepared, trial, rec, *log, source) : CumulativeReadings{};
    if (!every.w.empty()) {
      outcome.report = FitReadings(prepared.points, every, {}, request,
                                   ContiguousBlocks(every.w.size(), kJackknifeBlocks));
      source.used = true;
    } else {
      outcome.report = FitReadings(prepared.points, prepared.readings, prepared.rows, request);
    }
  }
  // The record's readings are counted as its rows, without the start.
  source.fitted = source.used ? outcome.report->source.fitted
                              : static_cast<std::size_t>(std::count_if(outcome.report->readingRows.begin(),
                                                                       outcome.report->readingRows.end(),
                                                                       [](std::size_t row) { return row != 0; }));
  outcome.report->source = source;
  outcome.report->leftOut = trial.leftOut;
  outcome.report->labAreaM2 = LabDiscAreaM2(rec);
  return outcome;
}

}  // namespace vorsant
