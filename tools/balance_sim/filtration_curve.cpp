#include "tools/balance_sim/filtration_curve.h"

#include <cmath>

namespace vorsant::sim {

namespace {
constexpr double kPascalPerPsi = 6894.8;
constexpr double kPi = 3.14159265358979;
}  // namespace

double FiltrationCurve::AreaM2() const {
  const double radius = FilterDiameterMm / 1000.0 / 2.0;
  return kPi * radius * radius;
}

double FiltrationCurve::VolumeMl(double seconds) const {
  if (seconds <= 0) return 0;
  const double area = AreaM2();
  const double initialFlow = PressurePsi * kPascalPerPsi * area / (Viscosity * InitialResistance);  // m3/s
  const double cubicMetres = Fouling > 0 ? area / Fouling * std::log1p(Fouling * initialFlow * seconds / area)
                                         : initialFlow * seconds;
  return cubicMetres * 1.0e6;
}

}  // namespace vorsant::sim
