#include "fouling/fouling_models.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "trial/analysis.h"
#include "trial/power_fit.h"
#include "trial/regression.h"

namespace vorsant {

namespace {

constexpr double kGallonLitres = 3.7854;
constexpr double kLargestArea = 1e7;     // m2; beyond it no filter is built
constexpr double kAreaPrecision = 1e-6;  // relative
constexpr std::size_t kLeastPoints = 4;
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

// The power model has three: R0, a and n.
int ParameterCount(FoulingLaw law) {
  return law == FoulingLaw::kPower ? 3 : 1;
}

double GallonsOf(double m3) {
  return m3 * 1000 / kGallonLitres;
}

// The line of the law's transform of R against w, turned into Rm and k;
// false when the law's requirement fails.
bool FitLine(FoulingLaw law, const AnalysisPoints& p, ModelFit& fit) {
  TRegressionData x{}, y{};
  const std::size_t c = std::min(p.w.size(), kPointCount);
  for (std::size_t i = 0; i < c; ++i) {
    const double R = p.R[i];
    if (!Usable(R)) return false;
    x[i] = p.w[i];
    switch (law) {
      case FoulingLaw::kComplete:
        y[i] = 1 / R;
        break;
      case FoulingLaw::kStandard:
        y[i] = 1 / std::sqrt(R);
        break;
      case FoulingLaw::kIntermediate:
        y[i] = std::log(R);
        break;
      default:
        y[i] = R;
        break;
    }
  }
  double m = 0, b = 0, r = 0;
  Regression(m, b, r, x, y, static_cast<std::uint16_t>(c));
  if (!std::isfinite(m) || !std::isfinite(b)) return false;
  switch (law) {
    case FoulingLaw::kComplete:
      if (b <= 0) return false;
      fit.rm = 1 / b;
      fit.k = -m / b;
      break;
    case FoulingLaw::kStandard:
      if (b <= 0) return false;
      fit.rm = 1 / (b * b);
      fit.k = -2 * m / b;
      break;
    case FoulingLaw::kIntermediate:
      fit.rm = std::exp(b);
      fit.k = m;
      break;
    default:
      if (b <= 0) return false;
      fit.rm = b;
      fit.k = m / b;
      break;
  }
  // A flat line's slope may come out as -0, which would print as "-0".
  if (*fit.k == 0) fit.k = 0.0;
  return std::isfinite(*fit.rm) && std::isfinite(*fit.k);
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

void Quality(ModelFit& fit, const AnalysisPoints& p) {
  if (Flat(p)) return;
  const std::size_t c = p.w.size();
  double mean = 0;
  for (double R : p.R) mean += R;
  mean /= static_cast<double>(c);
  double residual = 0, total = 0;
  for (std::size_t i = 0; i < c; ++i) {
    const double model = *ModelResistance(fit, p.w[i]);
    residual += (p.R[i] - model) * (p.R[i] - model);
    total += (p.R[i] - mean) * (p.R[i] - mean);
  }
  if (!(total > 0)) return;
  fit.r2 = 1 - residual / total;
  const double dof = static_cast<double>(c) - ParameterCount(fit.law) - 1;
  if (dof > 0) fit.r2Adjusted = 1 - (1 - *fit.r2) * (static_cast<double>(c) - 1) / dof;
}

ModelFit FitModel(FoulingLaw law, const AnalysisPoints& p) {
  ModelFit fit = Unfitted(law);
  if (law == FoulingLaw::kPower) {
    if (!p.powerFitted) return fit;
    fit.r0 = p.R0;
    fit.a = p.a;
    fit.n = p.n;
  } else if (!FitLine(law, p, fit)) {
    return Unfitted(law);
  }
  fit.fitted = true;
  // A curve that breaks down at a measured point is no fit of it.
  for (double w : p.w) {
    if (!ModelResistance(fit, w)) return Unfitted(law);
  }
  Quality(fit, p);
  return fit;
}

void Project(ModelFit& fit, const AnalysisPoints& p, const SizingRequest& request) {
  if (!fit.fitted) return;
  if ((fit.law == FoulingLaw::kComplete || fit.law == FoulingLaw::kStandard) && *fit.k > 0) {
    fit.capacityLm2 = (fit.law == FoulingLaw::kComplete ? 1 : 2) / *fit.k * 1000;
  }
  // Past e^46 m the report calls a volume incalculably high; so do we.
  const std::optional<double> w = ThroughputOrOverflow(fit, p.rMax);
  fit.incalculable = w && !(*w <= kIncalculableThroughput);
  fit.wStar = ThroughputAt(fit, p.rMax);
  if (fit.wStar) {
    const double m3 = *fit.wStar * p.prodArea;
    fit.volumeGal = GallonsOf(m3);
    const double hours = m3 / p.prodFlow / 3600;
    if (std::isfinite(hours)) fit.hours = hours;
  }
  if (request.targetGal) {
    fit.areaM2 = AreaFor(fit, p, request.safety * *request.targetGal * kGallonLitres / 1000);
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

// The points without point `skip`; for the power model refitted to them as
// the analysis fits it (with a shorter search: a refit that needs more
// steps is left out).
constexpr long kRefitStepLimit = 20000;

AnalysisPoints Without(const AnalysisPoints& p, std::size_t skip, FoulingLaw law) {
  AnalysisPoints q = p;
  q.w.erase(q.w.begin() + static_cast<std::ptrdiff_t>(skip));
  q.R.erase(q.R.begin() + static_cast<std::ptrdiff_t>(skip));
  if (law != FoulingLaw::kPower) return q;
  TRegressionData R{}, lnW{};
  for (std::size_t i = 0; i < q.w.size() && i < kPointCount; ++i) {
    R[i] = q.R[i];
    lnW[i] = std::log(q.w[i]);
  }
  const PowerFitResult fit = FitPower(R, lnW, q.w.size(), kRefitStepLimit);
  q.powerFitted = !fit.failed;
  q.R0 = fit.R0;
  q.a = std::exp(fit.lnA);
  q.n = fit.n;
  return q;
}

// The volume's uncertainty by the jackknife: refitted without each point
// in turn, the spread of those volumes scaled to a standard error
// (sqrt((c - 1) / c * sum (V_i - mean)^2)), and two of them either side.
constexpr double kStandardErrors = 2;

void VolumeSpread(ModelFit& fit, const AnalysisPoints& p) {
  if (!fit.volumeGal || fit.incalculable || p.w.size() <= kLeastPoints) return;
  std::vector<double> volumes;
  for (std::size_t skip = 0; skip < p.w.size(); ++skip) {
    const AnalysisPoints q = Without(p, skip, fit.law);
    ModelFit refit = FitModel(fit.law, q);
    if (!refit.fitted) continue;
    Project(refit, q, SizingRequest{});
    if (!refit.volumeGal || refit.incalculable) {
      // Without some point the model never fouls the filter: no upper end.
      fit.volumeLowGal = 0;
      return;
    }
    volumes.push_back(*refit.volumeGal);
  }
  if (volumes.size() < 2) return;
  const double n = static_cast<double>(volumes.size());
  double mean = 0;
  for (double v : volumes) mean += v / n;
  double squares = 0;
  for (double v : volumes) squares += (v - mean) * (v - mean);
  const double error = kStandardErrors * std::sqrt((n - 1) / n * squares);
  fit.volumeLowGal = std::max(0.0, *fit.volumeGal - error);
  fit.volumeHighGal = *fit.volumeGal + error;
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

std::string_view LawName(FoulingLaw law) {
  switch (law) {
    case FoulingLaw::kComplete:
      return "Complete blocking";
    case FoulingLaw::kStandard:
      return "Standard blocking";
    case FoulingLaw::kIntermediate:
      return "Intermediate blocking (exponential)";
    case FoulingLaw::kCake:
      return "Cake filtration";
    case FoulingLaw::kPower:
      return "Power model";
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

FoulingReport FitFoulingModels(const AnalysisPoints& points, const SizingRequest& request) {
  FoulingReport report;
  report.points = points;
  for (FoulingLaw law : kFoulingLaws) report.models[LawIndex(law)].law = law;
  if (points.w.size() < kLeastPoints || points.w.size() != points.R.size()) return report;

  for (FoulingLaw law : kFoulingLaws) {
    ModelFit& fit = report.models[LawIndex(law)];
    fit = FitModel(law, points);
    Project(fit, points, request);
  }

  // Highest adjusted R2; on a tie fewer parameters, then the table's order.
  const ModelFit* best = nullptr;
  for (const ModelFit& fit : report.models) {
    if (!fit.r2Adjusted) continue;
    if (!best || *fit.r2Adjusted > *best->r2Adjusted ||
        (*fit.r2Adjusted == *best->r2Adjusted && ParameterCount(fit.law) < ParameterCount(best->law))) {
      best = &fit;
    }
  }
  // A best fit that still explains little is no answer: no model is marked.
  if (best && *best->r2Adjusted >= kFairFit) report.best = best->law;
  // The refits cost most for the power model: only where the verdict uses them.
  if (report.best) {
    const double least = *best->r2Adjusted - kPlausibleMargin;
    for (ModelFit& fit : report.models)
      if (fit.r2Adjusted && *fit.r2Adjusted >= least) VolumeSpread(fit, points);
  }
  report.highestR2Adjusted = best ? best->r2Adjusted : std::nullopt;
  report.noFouling = Flat(points);
  return report;
}

FoulingOutcome AnalyseFouling(const TWineRec& rec, const SizingRequest& request) {
  AnalysisPointsOutcome points = AnalyseTrialPoints(rec);
  FoulingOutcome outcome;
  if (points.failure) {
    outcome.failure = *points.failure;
  } else if (points.points.w.size() < kLeastPoints) {
    outcome.failure = std::string(kInsufficientDataWarning);
  } else {
    outcome.report = FitFoulingModels(points.points, request);
  }
  return outcome;
}

std::optional<std::string> CheckTargetVolume(double gallons) {
  if (gallons > 0 && std::isfinite(gallons)) return std::nullopt;
  return "The target volume must be greater than 0 gallons.";
}

std::optional<std::string> CheckSafetyFactor(double factor) {
  if (factor >= 1 && std::isfinite(factor)) return std::nullopt;
  return "The safety factor must be at least 1.";
}

std::optional<std::string> CheckElementArea(double m2) {
  if (m2 > 0 && std::isfinite(m2)) return std::nullopt;
  return "The element area must be greater than 0 m\u00b2.";
}

}  // namespace vorsant
