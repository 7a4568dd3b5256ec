// Calculate on three trials: a realistic 36-point collection, a trial whose
// smallest resistance lies just under 10^15 /m (the power search's first
// phase then takes close to its full million steps of 10^9), and one past
// 10^15 where the search runs into its bound and gives up.

#include <benchmark/benchmark.h>

#include "bench/bench_trials.h"
#include "trial/analysis.h"

namespace vorsant {
namespace {

using bench::ConstantResistanceTrial;
using bench::RealisticTrial;

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
