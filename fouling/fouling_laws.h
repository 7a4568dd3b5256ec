#pragma once
// Each fouling law in one place: the shape of its integrated form (the
// integral of R from 0 to W for Rm = 1; the power model's W^(n+1)/(n+1)
// part), its resistance, its integral, the throughput at which it reaches
// a resistance, how the fits' search variable maps to its shape parameter
// (k, or the power model's n), and the range searched, which covers every
// shape the law allows.

#include <optional>

#include "fouling/fouling_models.h"

namespace vorsant {

class LawForm {
 public:
  LawForm(FoulingLaw law, int parameters, double lo, double hi) : law(law), parameters(parameters), lo(lo), hi(hi) {}
  virtual ~LawForm() = default;

  const FoulingLaw law;
  const int parameters;  // of the fit on cumulative times, tau0 included
  const double lo, hi;   // of the search variable s

  virtual double ShapeParameter(double s, double wMax) const = 0;
  // Not finite past where the law ends (every pore shut).
  virtual double Shape(double shape, double W) const = 0;
  // R(w) of a fitted model; nullopt where the law has none.
  virtual std::optional<double> Resistance(const ModelFit& fit, double w) const = 0;
  // The integral of R from 0 to W; nullopt where it is infinite.
  virtual std::optional<double> Integral(const ModelFit& fit, double W) const = 0;
  // Where R reaches `rMax` (> 0): 0 when it starts at or above it, nullopt
  // when it never gets there, infinity when the formula overflows.
  virtual std::optional<double> Throughput(const ModelFit& fit, double rMax) const = 0;

  double GridStep() const;   // of the search over the whole range
  double LocalStep() const;  // of the refits' search near a fit
};

const LawForm& FormOf(FoulingLaw law);

}  // namespace vorsant
