#include "trial/regression.h"

#include <algorithm>
#include <cmath>

namespace vorsant {

namespace {

bool AllEqual(const TRegressionData& v, std::size_t n) {
  return std::all_of(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(n),
                     [&](double e) { return e == v[0]; });
}

}  // namespace

void Regression(double& m, double& b, double& r, const TRegressionData& x, const TRegressionData& y,
                std::uint16_t n) {
  const std::size_t count = std::min<std::size_t>(n, x.size());
  if (count == 0) {
    m = b = r = 0;
    return;
  }
  double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
  for (std::size_t i = 0; i < count; ++i) {
    sx += x[i];
    sy += y[i];
    sxx += x[i] * x[i];
    syy += y[i] * y[i];
    sxy += x[i] * y[i];
  }
  const double nd = static_cast<double>(count);
  double qxx = sxx - sx * sx / nd;
  double qyy = syy - sy * sy / nd;
  double qxy = sxy - sx * sy / nd;
  // Equal values leave rounding residue in the sums; the exact answer is 0.
  if (AllEqual(x, count)) qxx = qxy = 0;
  if (AllEqual(y, count)) qyy = qxy = 0;

  m = qxx == 0 ? 0 : qxy / qxx;
  b = sy / nd - m * sx / nd;
  const double q = qxx * qyy;
  // Non-finite input must stay visible to the caller, not turn into r = 0.
  r = std::isnan(q) ? q : (q > 0 ? qxy / std::sqrt(q) : 0);
}

}  // namespace vorsant
