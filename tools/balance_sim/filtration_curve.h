#pragma once
// Filtrate collected over time in a constant-pressure filtration whose
// filter fouls: the resistance grows with the volume passed per unit of
// filter area, R = Rm exp(b w), so the flow Q = dP A / (mu R) falls as the
// filter clogs. Integrating dV/dt = Q gives the closed form
//   V(t) = (A / b) ln(1 + b dP t / (mu Rm)).

namespace vorsant::sim {

struct FiltrationCurve {
  double PressurePsi = 30.0;
  double FilterDiameterMm = 47.0;
  double Viscosity = 0.0015;          // Pa s
  double InitialResistance = 5.0e10;  // Rm, 1/m
  double Fouling = 10.0;              // b, 1/m; 0 for a filter that never fouls
  double Density = 1.0;               // g/ml of the wine

  double AreaM2() const;
  // Filtrate volume in ml after `seconds` of filtration (0 before it starts).
  double VolumeMl(double seconds) const;
  double WeightGrams(double seconds) const { return VolumeMl(seconds) * Density; }
};

}  // namespace vorsant::sim
