#include "fouling/integral_fit.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace vorsant {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr int kGridSteps = 240;
constexpr int kGoldenSteps = 60;
constexpr double kTinyShape = 1e-12;  // |k W| below this is the straight line

// The integral of R from 0 to W for Rm = 1: each law's shape.
double Shape(FoulingLaw law, double k, double W) {
  const double u = k * W;
  const bool straight = std::abs(u) < kTinyShape;
  switch (law) {
    case FoulingLaw::kComplete:
      return straight ? W : -std::log1p(-u) / k;
    case FoulingLaw::kStandard:
      return W / (1 - u / 2);
    case FoulingLaw::kIntermediate:
      return straight ? W : std::expm1(u) / k;
    default:
      return W * (1 + u / 2);
  }
}

struct Candidate {
  double sse = kInfinity;
  IntegralFit fit;
};

double Mean(const std::vector<double>& x) {
  double sum = 0;
  for (double v : x) sum += v;
  return sum / static_cast<double>(x.size());
}

// tau = c + Rm g(W) for the law at shape k.
Candidate LawAt(FoulingLaw law, double k, const CumulativeReadings& r) {
  Candidate out;
  const std::size_t c = r.w.size();
  std::vector<double> g(c);
  for (std::size_t i = 0; i < c; ++i) {
    g[i] = Shape(law, k, r.w[i]);
    if (!std::isfinite(g[i])) return out;
  }
  const double gm = Mean(g), tm = Mean(r.tau);
  double sxx = 0, sxy = 0;
  for (std::size_t i = 0; i < c; ++i) {
    sxx += (g[i] - gm) * (g[i] - gm);
    sxy += (g[i] - gm) * (r.tau[i] - tm);
  }
  if (!(sxx > 0)) return out;
  const double rm = sxy / sxx;
  if (!(rm > 0) || !std::isfinite(rm)) return out;
  const double offset = tm - rm * gm;
  double sse = 0;
  for (std::size_t i = 0; i < c; ++i) {
    const double e = r.tau[i] - offset - rm * g[i];
    sse += e * e;
  }
  if (!std::isfinite(sse)) return out;
  out.sse = sse;
  out.fit = {.fitted = true, .rm = rm, .k = k, .offset = offset, .sse = sse};
  return out;
}

// tau = c + R0 W + a W^(n+1) / (n+1) for the power model at exponent n.
Candidate PowerAt(double n, const CumulativeReadings& r) {
  Candidate out;
  const std::size_t c = r.w.size();
  std::vector<double> h(c);
  for (std::size_t i = 0; i < c; ++i) h[i] = std::pow(r.w[i], n + 1) / (n + 1);
  const double wm = Mean(r.w), hm = Mean(h), tm = Mean(r.tau);
  double s11 = 0, s12 = 0, s22 = 0, s1y = 0, s2y = 0;
  for (std::size_t i = 0; i < c; ++i) {
    const double x1 = r.w[i] - wm, x2 = h[i] - hm, y = r.tau[i] - tm;
    s11 += x1 * x1;
    s12 += x1 * x2;
    s22 += x2 * x2;
    s1y += x1 * y;
    s2y += x2 * y;
  }
  const double det = s11 * s22 - s12 * s12;
  if (!(det > 1e-12 * s11 * s22)) return out;  // W and W^(n+1) no longer told apart
  const double r0 = (s1y * s22 - s2y * s12) / det;
  const double a = (s2y * s11 - s1y * s12) / det;
  const auto [lo, hi] = std::minmax_element(r.w.begin(), r.w.end());
  for (double W : {*lo, *hi})
    if (!(r0 + a * std::pow(W, n) > 0)) return out;
  const double offset = tm - r0 * wm - a * hm;
  double sse = 0;
  for (std::size_t i = 0; i < c; ++i) {
    const double e = r.tau[i] - offset - r0 * r.w[i] - a * h[i];
    sse += e * e;
  }
  if (!std::isfinite(sse)) return out;
  out.sse = sse;
  out.fit = {.fitted = true, .r0 = r0, .a = a, .n = n, .offset = offset, .sse = sse};
  return out;
}

// The least sum of squares over s in [lo, hi]: a grid, then golden section
// around the best grid point; not fitted when that lies at an end.
IntegralFit Search(const std::function<Candidate(double)>& at, double lo, double hi) {
  const double step = (hi - lo) / kGridSteps;
  Candidate best;
  int bestIndex = -1;
  for (int i = 0; i <= kGridSteps; ++i) {
    Candidate c = at(lo + step * i);
    if (c.sse < best.sse) {
      best = c;
      bestIndex = i;
    }
  }
  // Best at an end of the range: what the law allows fits worse than what
  // it forbids (a cake with no filter under it, pores shut before the end),
  // so the law does not describe the trial.
  if (bestIndex <= 0 || bestIndex >= kGridSteps) return {};
  double a = lo + step * std::max(bestIndex - 1, 0), b = lo + step * std::min(bestIndex + 1, kGridSteps);
  const double ratio = (std::sqrt(5.0) - 1) / 2;
  double x1 = b - ratio * (b - a), x2 = a + ratio * (b - a);
  Candidate c1 = at(x1), c2 = at(x2);
  for (int i = 0; i < kGoldenSteps; ++i) {
    if (c1.sse <= c2.sse) {
      b = x2;
      x2 = x1;
      c2 = c1;
      x1 = b - ratio * (b - a);
      c1 = at(x1);
    } else {
      a = x1;
      x1 = x2;
      c1 = c2;
      x2 = a + ratio * (b - a);
      c2 = at(x2);
    }
  }
  for (const Candidate* c : {&c1, &c2})
    if (c->sse < best.sse) best = *c;
  return best.fit;
}

}  // namespace

int IntegralParameterCount(FoulingLaw law) {
  return law == FoulingLaw::kPower ? 4 : 3;
}

IntegralFit FitIntegral(FoulingLaw law, const CumulativeReadings& r) {
  if (r.w.size() != r.tau.size() || r.w.size() < static_cast<std::size_t>(IntegralParameterCount(law)))
    return {};
  const double wMax = *std::max_element(r.w.begin(), r.w.end());
  if (!(wMax > 0)) return {};
  // The shape is searched as u = k W at the last reading, over every u the
  // law allows: the pores still open at the end (complete u < 1, standard
  // u < 2), a cake whose resistance stays positive (u > -1).
  switch (law) {
    case FoulingLaw::kComplete:
    case FoulingLaw::kStandard: {
      const double top = law == FoulingLaw::kComplete ? 1 : 2;
      return Search([&](double s) { return LawAt(law, (top - std::exp(s)) / wMax, r); }, std::log(1e-9),
                    std::log(top + 100));
    }
    case FoulingLaw::kIntermediate:
      return Search([&](double s) { return LawAt(law, std::sinh(s) / wMax, r); }, std::asinh(-100.0),
                    std::asinh(100.0));
    case FoulingLaw::kCake:
      return Search([&](double s) { return LawAt(law, (std::exp(s) - 1) / wMax, r); }, std::log(1e-9),
                    std::log(1e7));
    case FoulingLaw::kPower:
      break;
  }
  return Search([&](double s) { return PowerAt(std::exp(s), r); }, std::log(0.02), std::log(20.0));
}

double ConstantResistanceSse(const CumulativeReadings& r) {
  const double wm = Mean(r.w), tm = Mean(r.tau);
  double sxx = 0, sxy = 0;
  for (std::size_t i = 0; i < r.w.size(); ++i) {
    sxx += (r.w[i] - wm) * (r.w[i] - wm);
    sxy += (r.w[i] - wm) * (r.tau[i] - tm);
  }
  const double slope = sxx > 0 ? sxy / sxx : 0;
  double sse = 0;
  for (std::size_t i = 0; i < r.w.size(); ++i) {
    const double e = r.tau[i] - tm - slope * (r.w[i] - wm);
    sse += e * e;
  }
  return sse;
}

CumulativeReadings ReadingsFromPoints(const std::vector<double>& w, const std::vector<double>& R) {
  CumulativeReadings r;
  const std::size_t c = std::min(w.size(), R.size());
  if (c < 2) return r;
  // Each interval runs halfway to its neighbours' middles; the first and
  // last as far out as they reach in.
  std::vector<double> edges(c + 1);
  edges[0] = std::max(0.0, w[0] - (w[1] - w[0]) / 2);
  for (std::size_t i = 1; i < c; ++i) edges[i] = (w[i - 1] + w[i]) / 2;
  edges[c] = w[c - 1] + (w[c - 1] - w[c - 2]) / 2;
  r.w.push_back(edges[0]);
  r.tau.push_back(0);
  for (std::size_t i = 0; i < c; ++i) {
    r.w.push_back(edges[i + 1]);
    r.tau.push_back(r.tau.back() + R[i] * (edges[i + 1] - edges[i]));
  }
  return r;
}

}  // namespace vorsant
