#include "fouling/integral_fit.h"

#include "fouling/fouling_laws.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <limits>

namespace vorsant {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr int kGridSteps = 80;  // as LawForm::GridStep
constexpr int kGoldenSteps = 48;

// The shapes a refit is looked for around the full fit: this many on each
// side, 1/480 of the law's range apart.
constexpr int kLocalSide = 6;
constexpr int kLocalCount = 2 * kLocalSide + 1;
constexpr int kLocalGoldenSteps = 24;
// A block's refit: golden section over two local steps to 1/10^5 of a step;
// found near the bracket's ends, it is searched more widely.
constexpr int kBlockGoldenSteps = 24;
constexpr double kBlockEdge = 0.95;

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
Candidate LawAt(const LawForm& form, double k, const CumulativeReadings& r) {
  Candidate out;
  const std::size_t c = r.w.size();
  double gm = 0, tm = Mean(r.tau);
  thread_local std::vector<double> g;
  g.resize(c);
  for (std::size_t i = 0; i < c; ++i) {
    g[i] = form.Shape(k, r.w[i]);
    if (!std::isfinite(g[i])) return out;
    gm += g[i];
  }
  gm /= static_cast<double>(c);
  double sxx = 0, sxy = 0;
  for (std::size_t i = 0; i < c; ++i) {
    const double x = g[i] - gm;
    sxx += x * x;
    sxy += x * (r.tau[i] - tm);
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

// The power model's linear part at exponent n: tau = c + R0 W + a h(W),
// from centred sums. Positive resistance is asked at the ends of [wLo, wHi].
struct PowerSums {
  double n = 0, s1 = 0, s2 = 0, sy = 0, s11 = 0, s12 = 0, s22 = 0, s1y = 0, s2y = 0, syy = 0;
  void Add(double x1, double x2, double y, double sign) {
    n += sign;
    s1 += sign * x1;
    s2 += sign * x2;
    sy += sign * y;
    s11 += sign * x1 * x1;
    s12 += sign * x1 * x2;
    s22 += sign * x2 * x2;
    s1y += sign * x1 * y;
    s2y += sign * x2 * y;
    syy += sign * y * y;
  }
};

// Solves the sums (whose x1, x2, y were centred on wm, hm, tm) at exponent
// `exponent`; wLo and wHi are the smallest and largest W of the readings.
Candidate PowerFromSums(const PowerSums& s, double exponent, double wm, double hm, double tm, double wLo,
                        double wHi) {
  Candidate out;
  const double q11 = s.s11 - s.s1 * s.s1 / s.n, q12 = s.s12 - s.s1 * s.s2 / s.n, q22 = s.s22 - s.s2 * s.s2 / s.n;
  const double q1y = s.s1y - s.s1 * s.sy / s.n, q2y = s.s2y - s.s2 * s.sy / s.n, qyy = s.syy - s.sy * s.sy / s.n;
  const double det = q11 * q22 - q12 * q12;
  if (!(det > 1e-12 * q11 * q22)) return out;  // W and W^(n+1) no longer told apart
  const double r0 = (q1y * q22 - q2y * q12) / det;
  const double a = (q2y * q11 - q1y * q12) / det;
  for (double W : {wLo, wHi})
    if (!(r0 + a * std::pow(W, exponent) > 0)) return out;
  const double offset = tm + s.sy / s.n - r0 * (wm + s.s1 / s.n) - a * (hm + s.s2 / s.n);
  const double sse = std::max(0.0, qyy - r0 * q1y - a * q2y);
  if (!std::isfinite(sse)) return out;
  out.sse = sse;
  out.fit = {.fitted = true, .r0 = r0, .a = a, .n = exponent, .offset = offset, .sse = sse};
  return out;
}

// `logW` holds ln W of every reading (W = 0 gives h = 0 by exp(-inf)).
Candidate PowerAt(double n, const CumulativeReadings& r, const std::vector<double>& logW) {
  const std::size_t c = r.w.size();
  thread_local std::vector<double> h;
  h.resize(c);
  for (std::size_t i = 0; i < c; ++i) h[i] = std::exp((n + 1) * logW[i]) / (n + 1);
  const double wm = Mean(r.w), hm = Mean(h), tm = Mean(r.tau);
  PowerSums s;
  for (std::size_t i = 0; i < c; ++i) s.Add(r.w[i] - wm, h[i] - hm, r.tau[i] - tm, 1);
  const auto [lo, hi] = std::minmax_element(r.w.begin(), r.w.end());
  Candidate out = PowerFromSums(s, n, wm, hm, tm, *lo, *hi);
  if (!out.fit.fitted) return out;
  // The residuals again, directly: the sums lose digits on a close fit.
  double sse = 0;
  for (std::size_t i = 0; i < c; ++i) {
    const double e = r.tau[i] - out.fit.offset - out.fit.r0 * r.w[i] - out.fit.a * h[i];
    sse += e * e;
  }
  if (!std::isfinite(sse)) return {};
  out.sse = out.fit.sse = sse;
  return out;
}

// ln W of the readings, which every power-model shape needs.
const std::vector<double>& LogW(const CumulativeReadings& r) {
  thread_local std::vector<double> logs;
  logs.resize(r.w.size());
  for (std::size_t i = 0; i < r.w.size(); ++i) logs[i] = std::log(r.w[i]);
  return logs;
}

Candidate At(const LawForm& form, double s, const CumulativeReadings& r, double wMax,
             const std::vector<double>& logW) {
  const double shape = form.ShapeParameter(s, wMax);
  Candidate c = form.law == FoulingLaw::kPower ? PowerAt(shape, r, logW) : LawAt(form, shape, r);
  c.fit.shape = s;
  return c;
}

// Golden section on [a, b] for `steps` steps; the best of `best` and the
// section's last two points.
IntegralFit GoldenSection(const LawForm& form, const CumulativeReadings& r, double wMax,
                          const std::vector<double>& logW, double a, double b, int steps, Candidate best) {
  const double ratio = (std::sqrt(5.0) - 1) / 2;
  double x1 = b - ratio * (b - a), x2 = a + ratio * (b - a);
  Candidate c1 = At(form, x1, r, wMax, logW), c2 = At(form, x2, r, wMax, logW);
  for (int i = 0; i < steps; ++i) {
    if (c1.sse <= c2.sse) {
      b = x2;
      x2 = x1;
      c2 = c1;
      x1 = b - ratio * (b - a);
      c1 = At(form, x1, r, wMax, logW);
    } else {
      a = x1;
      x1 = x2;
      c1 = c2;
      x2 = a + ratio * (b - a);
      c2 = At(form, x2, r, wMax, logW);
    }
  }
  for (const Candidate* c : {&c1, &c2})
    if (c->sse < best.sse) best = *c;
  return best.fit;
}

// The least sum of squares over s in the law's range: a grid, then golden
// section around the best grid point; not fitted when that lies at an end.
IntegralFit Search(const LawForm& form, const CumulativeReadings& r, double wMax) {
  const std::vector<double> logW = form.law == FoulingLaw::kPower ? LogW(r) : std::vector<double>{};
  const double step = form.GridStep();
  Candidate best;
  int bestIndex = -1;
  for (int i = 0; i <= kGridSteps; ++i) {
    Candidate c = At(form, form.lo + step * i, r, wMax, logW);
    if (c.sse < best.sse) {
      best = c;
      bestIndex = i;
    }
  }
  // Best at an end of the range: what the law allows fits worse than what
  // it forbids (a cake with no filter under it, pores shut before the end),
  // so the law does not describe the trial.
  if (bestIndex <= 0 || bestIndex >= kGridSteps) return {};
  const double a = form.lo + step * (bestIndex - 1), b = form.lo + step * (bestIndex + 1);
  return GoldenSection(form, r, wMax, logW, a, b, kGoldenSteps, best);
}

// The least sum of squares near `around`: the local grid's shapes, then
// golden section between the best one's neighbours; the full search when
// the best lies at the grid's edge.
IntegralFit LocalSearch(const LawForm& form, const CumulativeReadings& r, double around) {
  const double wMax = *std::max_element(r.w.begin(), r.w.end());
  if (!(wMax > 0)) return {};
  const std::vector<double> logW = form.law == FoulingLaw::kPower ? LogW(r) : std::vector<double>{};
  const double half = form.LocalStep();
  Candidate best;
  int bestIndex = -1;
  for (int m = 0; m < kLocalCount; ++m) {
    Candidate c = At(form, std::clamp(around + (m - kLocalSide) * half, form.lo, form.hi), r, wMax, logW);
    if (c.sse < best.sse) {
      best = c;
      bestIndex = m;
    }
  }
  if (bestIndex <= 0 || bestIndex >= kLocalCount - 1) return Search(form, r, wMax);
  const double a = best.fit.shape - half, b = best.fit.shape + half;
  return GoldenSection(form, r, wMax, logW, a, b, kLocalGoldenSteps, best);
}

// One shape of the local grid: every refit's least squares at it.
struct LocalColumn {
  std::vector<double> sse, rm, offset, r0, a;
};

// The readings' blocks: block b runs from starts[b] up to starts[b + 1].
std::size_t BlockCount(const std::vector<std::size_t>& starts) {
  return starts.size() < 2 ? 0 : starts.size() - 1;
}

// The four laws at shape k without each single reading (the sums less one
// reading's keep their digits for a record's few): tau = c + Rm g.
void LawColumn(const LawForm& form, double k, const CumulativeReadings& r, LocalColumn& col) {
  const std::size_t c = r.w.size();
  col.sse.assign(c, kInfinity);
  col.rm.assign(c, 0);
  col.offset.assign(c, 0);
  std::vector<double> g(c);
  double gm = 0;
  for (std::size_t i = 0; i < c; ++i) {
    g[i] = form.Shape(k, r.w[i]);
    if (!std::isfinite(g[i])) return;
    gm += g[i];
  }
  gm /= static_cast<double>(c);
  const double tm = Mean(r.tau);
  double G = 0, T = 0, GG = 0, GT = 0, TT = 0;
  for (std::size_t i = 0; i < c; ++i) {
    const double x = g[i] - gm, y = r.tau[i] - tm;
    G += x, T += y, GG += x * x, GT += x * y, TT += y * y;
  }
  const double n = static_cast<double>(c) - 1;
  for (std::size_t j = 0; j < c; ++j) {
    const double x = g[j] - gm, y = r.tau[j] - tm;
    const double Gj = G - x, Tj = T - y;
    const double sxx = GG - x * x - Gj * Gj / n, sxy = GT - x * y - Gj * Tj / n, syy = TT - y * y - Tj * Tj / n;
    if (!(sxx > 0)) continue;
    const double rm = sxy / sxx;
    if (!(rm > 0) || !std::isfinite(rm)) continue;
    col.rm[j] = rm;
    col.offset[j] = tm + Tj / n - rm * (gm + Gj / n);
    col.sse[j] = std::max(0.0, syy - rm * sxy);
  }
}

void PowerColumn(double exponent, const CumulativeReadings& r, LocalColumn& col) {
  const std::size_t c = r.w.size();
  col.sse.assign(c, kInfinity);
  col.r0.assign(c, 0);
  col.a.assign(c, 0);
  col.offset.assign(c, 0);
  std::vector<double> h(c);
  for (std::size_t i = 0; i < c; ++i) h[i] = std::pow(r.w[i], exponent + 1) / (exponent + 1);
  const double wm = Mean(r.w), hm = Mean(h), tm = Mean(r.tau);
  PowerSums all;
  for (std::size_t i = 0; i < c; ++i) all.Add(r.w[i] - wm, h[i] - hm, r.tau[i] - tm, 1);
  // The readings rise in W: without an end the next one is the end.
  for (std::size_t j = 0; j < c; ++j) {
    PowerSums s = all;
    s.Add(r.w[j] - wm, h[j] - hm, r.tau[j] - tm, -1);
    const double lo = j == 0 ? r.w[1] : r.w[0], hi = j + 1 == c ? r.w[c - 2] : r.w[c - 1];
    const Candidate fit = PowerFromSums(s, exponent, wm, hm, tm, lo, hi);
    if (!fit.fit.fitted) continue;
    col.sse[j] = fit.sse;
    col.r0[j] = fit.fit.r0;
    col.a[j] = fit.fit.a;
    col.offset[j] = fit.fit.offset;
  }
}

// A block's refit near the full fit's shape: the least squares are a
// parabola in the shape there, so a parabola through three shapes an eighth
// of a local step apart, then through three an eighth of that apart around
// its vertex, finds it in seven fits. Not fitted (for the golden section to
// take over) where the curve does not open upwards or its vertex lies far.
IntegralFit BlockParabola(const LawForm& form, const CumulativeReadings& q, double wMax,
                          const std::vector<double>& logW, double around, double half) {
  constexpr int kRounds = 2;
  constexpr double kNarrowing = 8, kFarthest = 4;  // in spacings
  double s = around, d = half / kNarrowing;
  Candidate best = At(form, s, q, wMax, logW);
  Candidate middle = best;
  for (int round = 0; round < kRounds; ++round) {
    if (s - d < form.lo || s + d > form.hi) return {};
    const Candidate a = At(form, s - d, q, wMax, logW), e = At(form, s + d, q, wMax, logW);
    if (!std::isfinite(a.sse) || !std::isfinite(middle.sse) || !std::isfinite(e.sse)) return {};
    const double curve = a.sse - 2 * middle.sse + e.sse;
    if (!(curve > 0)) return {};
    const double offset = 0.5 * (a.sse - e.sse) / curve;
    if (!(std::abs(offset) <= kFarthest)) return {};
    for (const Candidate* c : {&a, &e})
      if (c->sse < best.sse) best = *c;
    s += offset * d;
    d /= kNarrowing;
    middle = At(form, s, q, wMax, logW);
    if (middle.sse < best.sse) best = middle;
  }
  return best.fit;
}

// Refits without blocks of many readings. The sums of all readings less a
// block's lose the digits a close fit on thousands of readings needs, and a
// block moves the fit by far less than the local grid's step: each refit is
// searched on its own readings by golden section within a step either side
// of the full fit's shape (in full when it lies beyond), and without the
// last block, whose shapes scale with another end, near the full fit.
std::vector<IntegralFit> BlockRefits(const LawForm& form, const CumulativeReadings& r, const IntegralFit& full,
                                     const std::vector<std::size_t>& starts) {
  const std::size_t c = r.w.size();
  std::vector<IntegralFit> fits(starts.size() - 1);
  const double half = form.LocalStep();
  for (std::size_t j = 0; j + 1 < starts.size(); ++j) {
    const CumulativeReadings q = WithoutSpan(r, starts[j], starts[j + 1]);
    if (q.w.size() < static_cast<std::size_t>(form.parameters)) continue;
    if (!full.fitted || starts[j + 1] == c) {
      fits[j] = full.fitted ? LocalSearch(form, q, full.shape) : FitIntegral(form.law, q);
      continue;
    }
    const double wMax = *std::max_element(q.w.begin(), q.w.end());
    const std::vector<double> logW = form.law == FoulingLaw::kPower ? LogW(q) : std::vector<double>{};
    IntegralFit& fit = fits[j];
    fit = BlockParabola(form, q, wMax, logW, full.shape, half);
    if (fit.fitted) continue;
    const double lo = std::max(form.lo, full.shape - half), hi = std::min(form.hi, full.shape + half);
    fit = GoldenSection(form, q, wMax, logW, lo, hi, kBlockGoldenSteps, At(form, full.shape, q, wMax, logW));
    if (!fit.fitted || std::abs(fit.shape - full.shape) > kBlockEdge * half) fit = LocalSearch(form, q, full.shape);
  }
  return fits;
}

bool Rising(const std::vector<double>& w) {
  for (std::size_t i = 1; i < w.size(); ++i)
    if (!(w[i] > w[i - 1])) return false;
  return true;
}

}  // namespace

int IntegralParameterCount(FoulingLaw law) {
  return FormOf(law).parameters;
}

IntegralFit FitIntegral(FoulingLaw law, const CumulativeReadings& r) {
  if (r.w.size() != r.tau.size() || r.w.size() < static_cast<std::size_t>(IntegralParameterCount(law)))
    return {};
  const double wMax = *std::max_element(r.w.begin(), r.w.end());
  if (!(wMax > 0)) return {};
  return Search(FormOf(law), r, wMax);
}

std::vector<IntegralFit> LeaveOneOutFits(FoulingLaw law, const CumulativeReadings& r, const IntegralFit& full) {
  return LeaveBlocksOutFits(law, r, full, SingleReadingBlocks(r.w.size()));
}

std::vector<IntegralFit> LeaveBlocksOutFits(FoulingLaw law, const CumulativeReadings& r, const IntegralFit& full,
                                            const std::vector<std::size_t>& starts) {
  const std::size_t c = r.w.size(), blocks = BlockCount(starts);
  std::vector<IntegralFit> fits(blocks);
  if (c < 2 || r.tau.size() != c || starts.back() != c) return fits;
  const LawForm& form = FormOf(law);
  if (blocks < c) return BlockRefits(form, r, full, starts);
  // Each refit's shape is searched against its own last reading, as a
  // fit of those readings alone would be; only the last one's differs.
  const double wMax = *std::max_element(r.w.begin(), r.w.end());
  const bool rising = Rising(r.w);
  const double half = form.LocalStep();
  std::array<LocalColumn, kLocalCount> cols;
  std::array<double, kLocalCount> shapes{};
  if (full.fitted && rising) {
    for (int m = 0; m < kLocalCount; ++m) {
      shapes[m] = std::clamp(full.shape + (m - kLocalSide) * half, form.lo, form.hi);
      const double k = form.ShapeParameter(shapes[m], wMax);
      if (law == FoulingLaw::kPower) {
        PowerColumn(k, r, cols[m]);
      } else {
        LawColumn(form, k, r, cols[m]);
      }
    }
  }
  for (std::size_t j = 0; j < blocks; ++j) {
    IntegralFit& fit = fits[j];
    const std::size_t from = starts[j], to = starts[j + 1];
    int best = -1;
    if (full.fitted && rising && to == c) {
      // Without the last reading the shapes scale with another end.
      fit = LocalSearch(form, WithoutSpan(r, from, to), full.shape);
      continue;
    }
    if (full.fitted && rising) {
      for (int m = 0; m < kLocalCount; ++m)
        if (std::isfinite(cols[m].sse[j]) && (best < 0 || cols[m].sse[j] < cols[best].sse[j])) best = m;
    }
    if (best <= 0 || best >= kLocalCount - 1 || !std::isfinite(cols[best - 1].sse[j]) ||
        !std::isfinite(cols[best + 1].sse[j])) {
      fit = FitIntegral(law, WithoutSpan(r, from, to));  // far from the full fit: searched in full
      continue;
    }
    // A parabola through the best shape and its neighbours.
    const double y0 = cols[best - 1].sse[j], y1 = cols[best].sse[j], y2 = cols[best + 1].sse[j];
    const double curve = y0 - 2 * y1 + y2;
    const double d = curve > 0 ? std::clamp(0.5 * (y0 - y2) / curve, -0.5, 0.5) : 0.0;
    const auto at = [&](const std::vector<double> LocalColumn::*v) {
      const double a = (cols[best - 1].*v)[j], b = (cols[best].*v)[j], e = (cols[best + 1].*v)[j];
      return b + d * (e - a) / 2 + d * d * (a - 2 * b + e) / 2;
    };
    fit.fitted = true;
    fit.shape = shapes[best] + d * half;
    fit.sse = std::max(0.0, y1 - 0.25 * (y0 - y2) * d);
    fit.offset = at(&LocalColumn::offset);
    if (law == FoulingLaw::kPower) {
      fit.n = form.ShapeParameter(fit.shape, wMax);
      fit.r0 = at(&LocalColumn::r0);
      fit.a = at(&LocalColumn::a);
    } else {
      fit.k = form.ShapeParameter(fit.shape, wMax);
      fit.rm = at(&LocalColumn::rm);
      if (!(fit.rm > 0)) fit = FitIntegral(law, WithoutSpan(r, from, to));
    }
  }
  return fits;
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

std::vector<double> LeaveOneOutConstantSse(const CumulativeReadings& r) {
  return LeaveBlocksOutConstantSse(r, SingleReadingBlocks(r.w.size()));
}

std::vector<double> LeaveBlocksOutConstantSse(const CumulativeReadings& r, const std::vector<std::size_t>& starts) {
  const std::size_t c = r.w.size(), blocks = BlockCount(starts);
  std::vector<double> out(blocks, 0);
  if (c < 3) return out;
  if (blocks < c) {
    // Blocks of many readings: the sums less a block's would lose digits.
    for (std::size_t j = 0; j < blocks; ++j) out[j] = ConstantResistanceSse(WithoutSpan(r, starts[j], starts[j + 1]));
    return out;
  }
  const double wm = Mean(r.w), tm = Mean(r.tau);
  double X = 0, Y = 0, XX = 0, XY = 0, YY = 0;
  for (std::size_t i = 0; i < c; ++i) {
    const double x = r.w[i] - wm, y = r.tau[i] - tm;
    X += x, Y += y, XX += x * x, XY += x * y, YY += y * y;
  }
  // Single readings: the sums less one reading's.
  const double n = static_cast<double>(c) - 1;
  for (std::size_t j = 0; j < c; ++j) {
    const double x = r.w[j] - wm, y = r.tau[j] - tm;
    const double Xj = X - x, Yj = Y - y;
    const double sxx = XX - x * x - Xj * Xj / n, sxy = XY - x * y - Xj * Yj / n, syy = YY - y * y - Yj * Yj / n;
    out[j] = std::max(0.0, sxx > 0 ? syy - sxy * sxy / sxx : syy);
  }
  return out;
}

CumulativeReadings Without(const CumulativeReadings& readings, std::size_t skip) {
  return WithoutSpan(readings, skip, skip + 1);
}

CumulativeReadings WithoutSpan(const CumulativeReadings& r, std::size_t from, std::size_t to) {
  CumulativeReadings q = r;
  q.w.erase(q.w.begin() + static_cast<std::ptrdiff_t>(from), q.w.begin() + static_cast<std::ptrdiff_t>(to));
  q.tau.erase(q.tau.begin() + static_cast<std::ptrdiff_t>(from), q.tau.begin() + static_cast<std::ptrdiff_t>(to));
  return q;
}

std::vector<std::size_t> SingleReadingBlocks(std::size_t count) {
  std::vector<std::size_t> starts(count + 1);
  for (std::size_t i = 0; i <= count; ++i) starts[i] = i;
  return starts;
}

std::vector<std::size_t> ContiguousBlocks(std::size_t count, std::size_t blocks) {
  blocks = std::min(blocks, count);
  if (blocks == 0) return {0};
  std::vector<std::size_t> starts(blocks + 1);
  // As equal as whole readings allow: the sizes differ by one at most.
  for (std::size_t b = 0; b <= blocks; ++b) starts[b] = b * count / blocks;
  return starts;
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
