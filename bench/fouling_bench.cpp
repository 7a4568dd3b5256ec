// The fouling models of a 36-point trial: the whole command (the analysis on
// a copy, then the five fits and their volumes), the fits alone, and the
// fits with the filter sizing, whose bisections are the costliest part.

#include <benchmark/benchmark.h>

#include "bench/bench_trials.h"
#include "fouling/fouling_models.h"

namespace vorsant {
namespace {

const SizingRequest kSizing{.targetM3 = 20000 * 3.7854e-3, .safety = 1.5, .elementArea = 0.6};

void BM_AnalyseFouling(benchmark::State& state) {
  const TWineRec rec = bench::RealisticTrial();
  const FoulingOutcome check = AnalyseFouling(rec, kSizing);
  if (!check.report || check.report->points.w.size() < 30) {
    state.SkipWithError("the trial does not give its points");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(AnalyseFouling(rec, kSizing));
}
BENCHMARK(BM_AnalyseFouling)->Unit(benchmark::kMicrosecond);

void BM_FitFoulingModels(benchmark::State& state) {
  const AnalysisPoints points = AnalyseTrialPoints(bench::RealisticTrial()).points;
  const SizingRequest request = state.range(0) ? kSizing : SizingRequest{};
  for (auto _ : state) benchmark::DoNotOptimize(FitFoulingModels(points, request));
}
BENCHMARK(BM_FitFoulingModels)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vorsant

BENCHMARK_MAIN();
