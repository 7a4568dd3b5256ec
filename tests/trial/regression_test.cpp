#include "trial/regression.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "trial/power_fit.h"

namespace vorsant {
namespace {

TRegressionData Values(std::initializer_list<double> v) {
  TRegressionData d{};
  std::copy(v.begin(), v.end(), d.begin());
  return d;
}

TEST(Regression, FitsAnExactLineAndItsMirror) {
  double m = 0, b = 0, r = 0;
  const TRegressionData x = Values({1, 2, 3, 4, 5});
  Regression(m, b, r, x, Values({3, 5, 7, 9, 11}), 5);
  EXPECT_DOUBLE_EQ(m, 2);
  EXPECT_DOUBLE_EQ(b, 1);
  EXPECT_DOUBLE_EQ(r, 1);
  Regression(m, b, r, x, Values({10, 8, 6, 4, 2}), 5);
  EXPECT_DOUBLE_EQ(m, -2);
  EXPECT_DOUBLE_EQ(b, 12);
  EXPECT_DOUBLE_EQ(r, -1);
}

TEST(Regression, UsesOnlyTheFirstNPoints) {
  double m = 0, b = 0, r = 0;
  // The sixth pair lies far off the line and must not count.
  Regression(m, b, r, Values({1, 2, 3, 4, 5, 6}), Values({1, 2, 3, 4, 5, 100}), 5);
  EXPECT_DOUBLE_EQ(m, 1);
  EXPECT_NEAR(b, 0, 1e-12);
  // Noisy points give a correlation strictly between 0 and 1.
  Regression(m, b, r, Values({1, 2, 3, 4}), Values({1, 3, 2, 4}), 4);
  EXPECT_DOUBLE_EQ(m, 0.8);
  EXPECT_DOUBLE_EQ(r, 0.8);
}

TEST(Regression, EqualValuesGiveNoSlopeAndNoCorrelation) {
  double m = 1, b = 1, r = 1;
  // A constant resistance: all y equal (values whose sums leave rounding residue).
  const double L = std::log(1.43545e12);
  Regression(m, b, r, Values({0.003, 0.011, 0.019, 0.027, 0.035}), Values({L, L, L, L, L}), 5);
  EXPECT_EQ(m, 0);
  EXPECT_EQ(r, 0);
  EXPECT_NEAR(b, L, 1e-12);
  // All x equal.
  Regression(m, b, r, Values({0.1, 0.1, 0.1, 0.1}), Values({1, 2, 3, 4}), 4);
  EXPECT_EQ(m, 0);
  EXPECT_EQ(r, 0);
  EXPECT_DOUBLE_EQ(b, 2.5);
  // No points at all, and a count beyond the 36 elements.
  Regression(m, b, r, Values({}), Values({}), 0);
  EXPECT_EQ(m, 0);
  EXPECT_EQ(b, 0);
  EXPECT_EQ(r, 0);
  TRegressionData x{}, y{};
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = y[i] = static_cast<double>(i);
  Regression(m, b, r, x, y, 60000);
  EXPECT_DOUBLE_EQ(m, 1);
}

TEST(Regression, KeepsANonFiniteInputVisible) {
  double m = 0, b = 0, r = 0;
  const double inf = std::numeric_limits<double>::infinity();
  Regression(m, b, r, Values({1, 2, 3, 4}), Values({1, 2, -inf, 4}), 4);
  EXPECT_FALSE(std::isfinite(m));
  EXPECT_FALSE(std::isfinite(r));
}

// Resistances of R0 + a * w^n at the given w, with ln w alongside.
void PowerCurve(double R0, double a, double n, const std::vector<double>& w, TRegressionData& R,
                TRegressionData& lnW) {
  for (std::size_t i = 0; i < w.size(); ++i) {
    R[i] = R0 + a * std::pow(w[i], n);
    lnW[i] = std::log(w[i]);
  }
}

const std::vector<double> kW = {0.003, 0.009, 0.015, 0.021, 0.027, 0.033, 0.039, 0.045};

TEST(PowerFit, FindsTheOffsetOfAnExactPowerCurve) {
  TRegressionData R{}, lnW{};
  PowerCurve(7.5e11, 4e13, 1.3, kW, R, lnW);
  const PowerFitResult fit = FitPower(R, lnW, kW.size());
  ASSERT_FALSE(fit.failed);
  // The finest step is 10^5 /m: the offset is found to within a few steps.
  EXPECT_NEAR(fit.R0, 7.5e11, 1e6);
  EXPECT_NEAR(fit.n, 1.3, 1e-3);
  EXPECT_NEAR(std::exp(fit.lnA), 4e13, 4e13 * 1e-3);
  EXPECT_GT(fit.r, 0.99999);
}

TEST(PowerFit, ClimbsOnEqualCorrelationsUpToTheSmallestResistance) {
  // A constant resistance has no correlation at any offset, so every phase
  // climbs until R0 is no longer below it and backs off: 10^9 steps stop at
  // 1235e9 and back off to 1233e9, 10^7 steps stop at 1234.57e9 and back off
  // to 1234.55e9, 10^5 steps stop at the resistance itself and back off once.
  TRegressionData R{}, lnW{};
  for (std::size_t i = 0; i < kW.size(); ++i) {
    R[i] = 1234567800000.0;
    lnW[i] = std::log(kW[i]);
  }
  const PowerFitResult fit = FitPower(R, lnW, kW.size());
  ASSERT_FALSE(fit.failed);
  EXPECT_EQ(fit.R0, 1234567700000.0);
  EXPECT_EQ(fit.n, 0);
  EXPECT_EQ(fit.r, 0);
  EXPECT_NEAR(std::exp(fit.lnA), 1e5, 1e-3);
}

TEST(PowerFit, FailsWithoutAUsableStartOrWithNonFiniteInput) {
  TRegressionData R{}, lnW{};
  PowerCurve(0, 4e13, 1.3, kW, R, lnW);
  R[2] = 0;  // R0 = 0 is not below every resistance
  EXPECT_TRUE(FitPower(R, lnW, kW.size()).failed);
  PowerCurve(0, 4e13, 1.3, kW, R, lnW);
  lnW[1] = -std::numeric_limits<double>::infinity();
  EXPECT_TRUE(FitPower(R, lnW, kW.size()).failed);
  EXPECT_TRUE(FitPower(R, lnW, 0).failed);
}

TEST(PowerFit, GivesUpWhenAPhaseRunsPastItsStepLimit) {
  TRegressionData R{}, lnW{};
  PowerCurve(7.5e11, 4e13, 1.3, kW, R, lnW);
  // The first phase needs about 750 steps of 10^9 to pass the offset.
  EXPECT_TRUE(FitPower(R, lnW, kW.size(), 700).failed);
  EXPECT_FALSE(FitPower(R, lnW, kW.size(), 800).failed);
}

}  // namespace
}  // namespace vorsant
