#include "trial/power_fit.h"

#include <algorithm>
#include <cmath>

namespace vorsant {

namespace {

struct Phase {
  double step;
  double backOff;
};

// Coarse to fine: each phase climbs until the correlation drops (or R0
// reaches the smallest resistance), then backs off and hands over.
constexpr Phase kPhases[] = {{1e9, 2e9}, {1e7, 2e7}, {1e5, 1e5}};

class PowerSearch {
 public:
  PowerSearch(const TRegressionData& R, const TRegressionData& lnW, std::size_t c) : R_(R), lnW_(lnW), c_(c) {
    smallestR_ = *std::min_element(R.begin(), R.begin() + static_cast<std::ptrdiff_t>(c));
  }

  // R0 is usable when it lies below every resistance of the fit.
  bool Usable(double R0) const { return R0 < smallestR_; }

  void Fit(double R0) {
    TRegressionData y{};
    for (std::size_t i = 0; i < c_; ++i) y[i] = std::log(R_[i] - R0);
    Regression(fit_.n, fit_.lnA, fit_.r, lnW_, y, static_cast<std::uint16_t>(c_));
  }

  PowerFitResult& Result() { return fit_; }

 private:
  const TRegressionData& R_;
  const TRegressionData& lnW_;
  std::size_t c_;
  double smallestR_ = 0;
  PowerFitResult fit_;
};

bool AllFinite(const TRegressionData& v, std::size_t c) {
  return std::all_of(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(c),
                     [](double e) { return std::isfinite(e); });
}

}  // namespace

PowerFitResult FitPower(const TRegressionData& R, const TRegressionData& lnW, std::size_t c, long stepLimit) {
  c = std::min(c, R.size());
  if (c == 0 || !AllFinite(R, c) || !AllFinite(lnW, c)) return {};

  PowerSearch search(R, lnW, c);
  double R0 = 0;
  if (!search.Usable(R0)) return {};
  search.Fit(R0);
  PowerFitResult& fit = search.Result();

  for (std::size_t p = 0; p < std::size(kPhases); ++p) {
    const Phase& phase = kPhases[p];
    bool unusable = false;
    long steps = 0;
    for (;;) {
      const double rPrev = fit.r;
      R0 += phase.step;
      if (search.Usable(R0)) {
        search.Fit(R0);
      } else {
        unusable = true;
      }
      // Equal correlations keep climbing.
      if (fit.r < rPrev || unusable) break;
      if (++steps >= stepLimit) return {};
    }
    R0 = std::max(R0 - phase.backOff, 0.0);
    const bool last = p + 1 == std::size(kPhases);
    if (last) {
      if (!search.Usable(R0)) return {};
      search.Fit(R0);
    } else if (!unusable && search.Usable(R0)) {
      // Backing off from a usable R0 always lands on a usable one.
      search.Fit(R0);
    }
    // After a phase that ran into the smallest resistance the fit of the last
    // usable R0 stays, and the next phase compares against it.
  }

  fit.R0 = R0;
  fit.failed = !(std::isfinite(fit.n) && std::isfinite(fit.lnA) && std::isfinite(fit.r));
  return fit;
}

}  // namespace vorsant
