#include "fouling/fouling_laws.h"

#include <cmath>

namespace vorsant {
namespace {

constexpr int kGridSteps = 80;
constexpr int kLocalSteps = 480;
constexpr double kTinyShape = 1e-12;  // |k W| below this is the straight line

bool Straight(double u) {
  return std::abs(u) < kTinyShape;
}

// The four laws of constant-pressure filtration share their scale Rm and
// shape k: R = Rm f(k w), the integral Rm Shape(k, W).
class BlockingLaw : public LawForm {
 public:
  using LawForm::LawForm;
  std::optional<double> Integral(const ModelFit& fit, double W) const override {
    if (!fit.fitted) return std::nullopt;
    const double integral = *fit.rm * Shape(*fit.k, W);
    if (!std::isfinite(integral)) return std::nullopt;
    return integral;
  }
  std::optional<double> Throughput(const ModelFit& fit, double rMax) const override {
    if (!fit.fitted) return std::nullopt;
    if (*fit.rm >= rMax) return 0.0;
    if (*fit.k <= 0) return std::nullopt;
    const double w = Reaching(*fit.rm, rMax, *fit.k);
    if (std::isnan(w)) return std::nullopt;
    return w;
  }

 protected:
  // The throughput where R, starting at rm, reaches rMax.
  virtual double Reaching(double rm, double rMax, double k) const = 0;
};

// Every particle that arrives seals one pore for good: R = Rm / (1 - k w).
class CompleteBlocking final : public BlockingLaw {
 public:
  CompleteBlocking() : BlockingLaw(FoulingLaw::kComplete, 3, std::log(1e-9), std::log(1.0 + 100)) {}
  double ShapeParameter(double s, double wMax) const override { return (1 - std::exp(s)) / wMax; }
  double Shape(double k, double W) const override {
    const double u = k * W;
    if (u >= 1) return INFINITY;  // every pore shut
    return Straight(u) ? W : -std::log1p(-u) / k;
  }
  std::optional<double> Resistance(const ModelFit& fit, double w) const override {
    return Positive(*fit.rm / (1 - *fit.k * w));
  }

 protected:
  double Reaching(double rm, double rMax, double k) const override { return (1 - rm / rMax) / k; }

 private:
  static std::optional<double> Positive(double R) {
    if (!std::isfinite(R) || !(R > 0)) return std::nullopt;
    return R;
  }
};

// Particles narrow the pores from within: R = Rm (1 - k w / 2)^-2.
class StandardBlocking final : public BlockingLaw {
 public:
  StandardBlocking() : BlockingLaw(FoulingLaw::kStandard, 3, std::log(1e-9), std::log(2.0 + 100)) {}
  double ShapeParameter(double s, double wMax) const override { return (2 - std::exp(s)) / wMax; }
  double Shape(double k, double W) const override {
    const double open = 1 - k * W / 2;
    if (open <= 0) return INFINITY;  // the pores are shut
    return W / open;
  }
  std::optional<double> Resistance(const ModelFit& fit, double w) const override {
    // Past 2/k the pores are shut: the law has no resistance there.
    const double open = 1 - *fit.k * w / 2;
    if (open <= 0) return std::nullopt;
    const double R = *fit.rm / (open * open);
    if (!std::isfinite(R) || !(R > 0)) return std::nullopt;
    return R;
  }

 protected:
  double Reaching(double rm, double rMax, double k) const override {
    return 2 / k * (1 - std::sqrt(rm / rMax));
  }
};

// Particles seal pores or land on sealed ones: R = Rm e^(k w).
class IntermediateBlocking final : public BlockingLaw {
 public:
  IntermediateBlocking()
      : BlockingLaw(FoulingLaw::kIntermediate, 3, std::asinh(-100.0), std::asinh(100.0)) {}
  double ShapeParameter(double s, double wMax) const override { return std::sinh(s) / wMax; }
  double Shape(double k, double W) const override {
    const double u = k * W;
    return Straight(u) ? W : std::expm1(u) / k;
  }
  std::optional<double> Resistance(const ModelFit& fit, double w) const override {
    const double R = *fit.rm * std::exp(*fit.k * w);
    if (!std::isfinite(R) || !(R > 0)) return std::nullopt;
    return R;
  }

 protected:
  double Reaching(double rm, double rMax, double k) const override { return std::log(rMax / rm) / k; }
};

// A layer builds on the surface: R = Rm (1 + k w).
class CakeFiltration final : public BlockingLaw {
 public:
  CakeFiltration() : BlockingLaw(FoulingLaw::kCake, 3, std::log(1e-9), std::log(1e7)) {}
  double ShapeParameter(double s, double wMax) const override { return (std::exp(s) - 1) / wMax; }
  double Shape(double k, double W) const override { return W * (1 + k * W / 2); }
  std::optional<double> Resistance(const ModelFit& fit, double w) const override {
    const double R = *fit.rm * (1 + *fit.k * w);
    if (!std::isfinite(R) || !(R > 0)) return std::nullopt;
    return R;
  }

 protected:
  double Reaching(double rm, double rMax, double k) const override { return (rMax / rm - 1) / k; }
};

// The report's empirical form: R = R0 + a w^n, n from 0.02 to 20.
class PowerModel final : public LawForm {
 public:
  PowerModel() : LawForm(FoulingLaw::kPower, 4, std::log(0.02), std::log(20.0)) {}
  double ShapeParameter(double s, double) const override { return std::exp(s); }
  double Shape(double n, double W) const override { return std::pow(W, n + 1) / (n + 1); }
  std::optional<double> Resistance(const ModelFit& fit, double w) const override {
    const double R = *fit.r0 + (w > 0 ? *fit.a * std::pow(w, *fit.n) : 0.0);
    if (!std::isfinite(R) || !(R > 0)) return std::nullopt;
    return R;
  }
  std::optional<double> Integral(const ModelFit& fit, double W) const override {
    if (!fit.fitted || *fit.n <= -1) return std::nullopt;
    const double integral = *fit.r0 * W + *fit.a * Shape(*fit.n, W);
    if (!std::isfinite(integral)) return std::nullopt;
    return integral;
  }
  std::optional<double> Throughput(const ModelFit& fit, double rMax) const override {
    if (!fit.fitted) return std::nullopt;
    if (*fit.r0 >= rMax) return 0.0;
    if (*fit.a <= 0 || *fit.n <= 0) return std::nullopt;
    const double w = std::pow((rMax - *fit.r0) / *fit.a, 1 / *fit.n);
    if (std::isnan(w)) return std::nullopt;
    return w;
  }
};

}  // namespace

double LawForm::GridStep() const {
  return (hi - lo) / kGridSteps;
}

double LawForm::LocalStep() const {
  return (hi - lo) / kLocalSteps;
}

const LawForm& FormOf(FoulingLaw law) {
  static const CompleteBlocking complete;
  static const StandardBlocking standard;
  static const IntermediateBlocking intermediate;
  static const CakeFiltration cake;
  static const PowerModel power;
  static const LawForm* const forms[] = {&complete, &standard, &intermediate, &cake, &power};
  return *forms[static_cast<std::size_t>(law)];
}

}  // namespace vorsant
