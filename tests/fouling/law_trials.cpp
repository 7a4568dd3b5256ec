#include "law_trials.h"

#include <cmath>
#include <cstdio>
#include <random>
#include <gtest/gtest.h>
#include <string>

#include "trial/data_input.h"

namespace vorsant::testing {

namespace {

constexpr double kLabPa = 30 * 6894.8;
constexpr double kLabArea = 0.0235 * 0.0235 * 3.14159;
constexpr double kViscosity = 0.0015;
constexpr double kProductionPa = 30 * 6894.8;
constexpr double kProductionFlow = 40 * 0.75 / 1000 / 60;  // 40 bpm, m3/s

}  // namespace

double ProductionRmax() { return kProductionPa * kProductionArea / (kViscosity * kProductionFlow); }

AnalysisPoints ExactPoints(const std::function<double(double)>& R, double step, int count) {
  AnalysisPoints p;
  for (int i = 1; i <= count; ++i) {
    p.w.push_back(step * i);
    p.R.push_back(R(step * i));
  }
  p.prodArea = kProductionArea;
  p.prodFlow = kProductionFlow;
  p.prodPressure = kProductionPa;
  p.viscosity = kViscosity;
  p.rMax = ProductionRmax();
  return p;
}

namespace {

TWineRec StoredTrial(DataInput& input) {
  input.Skip = 0;
  EXPECT_FALSE(DataRangeCheck(input).has_value());
  TWineClass wine;
  TConditions& k = wine.WineRec.Conditions;
  k.WineName.Set("Law");
  k.LabP.Set("30.0");
  k.LabFiltDia.Set("47.0");
  k.ProdP.Set("  30");
  k.ProdA.Set("20.0");
  k.ProdRate.Set("40.0");
  ApplyData(input, wine);
  return wine.WineRec;
}

}  // namespace

CollectedRun CollectedTrial(const std::function<double(double)>& R, int count, int intervalSeconds, double noiseMl,
                            unsigned seed) {
  const auto rate = [&](double v) { return kLabPa * kLabArea / (kViscosity * R(v / kLabArea)); };
  // Normal noise by Box-Muller from the fully specified mt19937, the same
  // on every standard library.
  std::mt19937 bits(seed);
  const auto uniform = [&] { return (static_cast<double>(bits()) + 0.5) / 4294967296.0; };
  const auto normal = [&] {
    return std::sqrt(-2 * std::log(uniform())) * std::cos(2 * 3.141592653589793 * uniform());
  };
  CollectedRun run;
  DataInput input;
  run.log.push_back({0, 0});  // the tare
  constexpr int kStepsPerSecond = 20;
  const double h = 1.0 / kStepsPerSecond;
  double v = 0;  // m3
  for (int t = 1; t <= count * intervalSeconds; ++t) {
    for (int s = 0; s < kStepsPerSecond; ++s) {  // Runge-Kutta, fourth order
      const double k1 = rate(v), k2 = rate(v + h / 2 * k1), k3 = rate(v + h / 2 * k2), k4 = rate(v + h * k3);
      v += h / 6 * (k1 + 2 * k2 + 2 * k3 + k4);
    }
    const double ml = v * 1e6 + noiseMl * normal();
    run.log.push_back({ml, static_cast<double>(t)});
    if (t % intervalSeconds != 0) continue;
    const std::size_t j = static_cast<std::size_t>(t / intervalSeconds - 1);
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", ml);
    input.V[j] = text;
    input.Min[j] = std::to_string(t / 60);
    input.Sec[j] = std::to_string(t % 60);
  }
  run.rec = StoredTrial(input);
  return run;
}

TWineRec LawTrial(const std::function<double(double)>& R, int count, int intervalSeconds) {
  const auto rate = [&](double v) { return kLabPa * kLabArea / (kViscosity * R(v / kLabArea)); };
  DataInput input;
  double v = 0;  // m3
  constexpr int kSteps = 200;
  const double h = static_cast<double>(intervalSeconds) / kSteps;
  for (int j = 0; j < count; ++j) {
    for (int s = 0; s < kSteps; ++s) {  // Runge-Kutta, fourth order
      const double k1 = rate(v), k2 = rate(v + h / 2 * k1), k3 = rate(v + h / 2 * k2), k4 = rate(v + h * k3);
      v += h / 6 * (k1 + 2 * k2 + 2 * k3 + k4);
    }
    const int t = (j + 1) * intervalSeconds;
    input.V[static_cast<std::size_t>(j)] = std::to_string(v * 1e6);
    input.Min[static_cast<std::size_t>(j)] = std::to_string(t / 60);
    input.Sec[static_cast<std::size_t>(j)] = std::to_string(t % 60);
  }
  return StoredTrial(input);
}

}  // namespace vorsant::testing
