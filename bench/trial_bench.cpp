// Calculate on three trials: a realistic 36-point collection, a trial whose
// smallest resistance lies just under 10^15 /m (the power search's first
// phase then takes close to its full million steps of 10^9), and one past
// 10^15 where the search runs into its bound and gives up.

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "trial/analysis.h"
#include "trial/canonical_number.h"
#include "trial/wine_rec.h"

namespace vorsant {
namespace {

struct Setup {
  const char* labP;
  const char* diameter;
};

TWineRec Trial(Setup s) {
  TWineRec rec{};
  rec.Conditions.WineName.Set("Bench");
  rec.Conditions.FilterName.Set("0.45 um");
  rec.Conditions.VolType = 1;
  rec.Conditions.LabP.Set(s.labP);
  rec.Conditions.LabFiltDia.Set(s.diameter);
  rec.Conditions.ProdP.Set("  30");
  rec.Conditions.ProdA.Set("20.0");
  rec.Conditions.ProdRate.Set("40.0");
  return rec;
}

void SetPoint(TWineRec& rec, std::size_t i, double volumeMl, int seconds) {
  std::string sc = std::to_string(seconds % 60);
  if (sc.size() < 2) sc.insert(0, 1, '0');
  rec.Data.V[i].Set(CanonicalNumber(volumeMl, 1, 6));
  rec.Data.M[i].Set(CanonicalNumber(seconds / 60, 0, 3));
  rec.Data.Sc[i].Set(sc);
}

// 47 mm at 30 psi, a reading every 40 s, resistance following
// R = 0.8e12 + 2e13 w^1.4 /m as a clarified wine fouls a 0.45 um membrane.
TWineRec RealisticTrial() {
  TWineRec rec = Trial({"30.0", "47.0"});
  const double area = (0.047 / 2) * (0.047 / 2) * 3.14159;
  const double k = 30 * 6894.8 * area / 0.0015;
  double volume = 0;
  for (std::size_t i = 0; i < kPointCount; ++i) {
    double dv = 1;
    for (int round = 0; round < 60; ++round) {
      const double w = (volume + dv / 2) / 1e6 / area;
      dv = 40 * k * 1e6 / (8e11 + 2e13 * std::pow(w, 1.4));
    }
    volume += dv;
    SetPoint(rec, i, volume, 40 * static_cast<int>(i + 1));
  }
  return rec;
}

// 1000 psi on a 644 mm disc, 100 ml per interval: a constant resistance of
// 0.988e15 /m with 66 s intervals, 2.01e15 /m with 134 s intervals.
TWineRec ConstantResistanceTrial(int intervalSeconds) {
  TWineRec rec = Trial({"1000", " 644"});
  for (std::size_t i = 0; i < kPointCount; ++i) {
    SetPoint(rec, i, 100.0 * static_cast<double>(i + 1), intervalSeconds * static_cast<int>(i + 1));
  }
  return rec;
}

// Each trial must take the path it stands for: fitted, or the search given up.
void Run(benchmark::State& state, const TWineRec& trial, bool powerFits) {
  TWineRec check = trial;
  Calculate(check, false, ",");
  if ((check.bP.Str() != "     ") != powerFits) {
    state.SkipWithError("the trial does not take the path it is meant to measure");
    return;
  }
  for (auto _ : state) {
    TWineRec rec = trial;
    Calculate(rec, false, ",");
    benchmark::DoNotOptimize(rec);
  }
}

void BM_CalculateRealistic(benchmark::State& state) {
  Run(state, RealisticTrial(), true);
}
BENCHMARK(BM_CalculateRealistic)->Unit(benchmark::kMicrosecond);

void BM_CalculateNear1e15(benchmark::State& state) {
  Run(state, ConstantResistanceTrial(66), true);
}
BENCHMARK(BM_CalculateNear1e15)->Unit(benchmark::kMillisecond);

void BM_CalculateSearchBound(benchmark::State& state) {
  Run(state, ConstantResistanceTrial(134), false);
}
BENCHMARK(BM_CalculateSearchBound)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorsant

BENCHMARK_MAIN();
