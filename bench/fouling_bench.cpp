// The fouling models of a trial: the whole command (the analysis on a copy,
// then the five fits, their ranges and the verdict), the fits alone, the
// fits with the filter sizing, and what the verdict costs beyond the
// analysis on trials of 36 to 1,000 readings (a balance read every few
// seconds gives the longer ones), and the whole command on a collection's
// every reading (1,000 to 3,000 of them, kept beside the trial).

#include <cmath>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/bench_trials.h"
#include "fouling/companion_readings.h"
#include "fouling/fouling_models.h"
#include "fouling/integral_fit.h"
#include "fouling/verdict.h"

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

// The realistic trial's law (R = 0.8e12 + 2e13 w^1.4 /m on a 47 mm disc at
// 30 psi) read `count` times over its 24 minutes, in whole seconds.
struct Readings {
  AnalysisPoints points;
  CumulativeReadings readings;
};

Readings RealisticReadings(int count) {
  const double area = (0.047 / 2) * (0.047 / 2) * 3.14159, mu = 0.0015, dP = 30 * 6894.8;
  const auto tau = [](double W) { return 8e11 * W + 2e13 * std::pow(W, 2.4) / 2.4; };
  Readings out;
  AnalysisPoints& p = out.points;
  p = AnalyseTrialPoints(bench::RealisticTrial()).points;
  p.w.clear();
  p.R.clear();
  CumulativeReadings& r = out.readings;
  r.tauPerSecond = dP / mu;
  r.w.push_back(0);
  r.tau.push_back(0);
  for (int i = 1; i <= count; ++i) {
    const double t = 1440.0 * i / count;
    double lo = 0, hi = 1;
    for (int k = 0; k < 200; ++k) {
      const double mid = (lo + hi) / 2;
      (tau(mid) * mu / dP < t ? lo : hi) = mid;
    }
    r.w.push_back(lo);
    r.tau.push_back(std::round(t) * r.tauPerSecond);
  }
  for (std::size_t i = 1; i < r.w.size(); ++i) {
    if (r.tau[i] <= r.tau[i - 1]) continue;
    p.w.push_back((r.w[i] + r.w[i - 1]) / 2);
    p.R.push_back((r.tau[i] - r.tau[i - 1]) / (r.w[i] - r.w[i - 1]));
  }
  (void)area;
  return out;
}

// Fits, ranges and verdict beyond the analysis, which the trial report runs
// anyway.
void BM_VerdictBeyondAnalysis(benchmark::State& state) {
  const Readings r = RealisticReadings(static_cast<int>(state.range(0)));
  const TWineRec rec = bench::RealisticTrial();
  if (r.points.w.size() + 1 != r.readings.w.size()) {
    state.SkipWithError("two readings fell in one second");
    return;
  }
  for (auto _ : state) {
    const FoulingReport report = FitFoulingReadings(r.points, r.readings, SizingRequest{});
    benchmark::DoNotOptimize(MakeVerdict(rec, report));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_VerdictBeyondAnalysis)->Arg(36)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The realistic trial's collection read `count` times over its 24 minutes,
// to a tenth of a second, as the companion file keeps it.
CompanionLog RealisticLog(int count) {
  const double area = (0.047 / 2) * (0.047 / 2) * 3.14159, mu = 0.0015, dP = 30 * 6894.8;
  const auto tau = [](double W) { return 8e11 * W + 2e13 * std::pow(W, 2.4) / 2.4; };
  CompanionLog log;
  log.file = "realistic.readings.csv";
  for (int i = 0; i <= count; ++i) {
    const double t = std::round(14400.0 * i / count) / 10;
    double lo = 0, hi = 1;
    for (int k = 0; k < 200; ++k) {
      const double mid = (lo + hi) / 2;
      (tau(mid) * mu / dP < t ? lo : hi) = mid;
    }
    log.readings.push_back({lo * area * 1e6, t});
  }
  return log;
}

// The whole command on the trial and its every reading: the match against
// the record, the five fits, 40 block refits of each and the verdict.
void BM_AnalyseEveryReading(benchmark::State& state) {
  const TWineRec rec = bench::RealisticTrial();
  const CompanionLog log = RealisticLog(static_cast<int>(state.range(0)));
  const FoulingOutcome check = AnalyseFouling(rec, SizingRequest{}, &log);
  if (!check.report || !check.report->source.used) {
    state.SkipWithError(check.report ? check.report->source.whyNot.c_str() : "no report");
    return;
  }
  for (auto _ : state) {
    const FoulingOutcome outcome = AnalyseFouling(rec, SizingRequest{}, &log);
    benchmark::DoNotOptimize(MakeVerdict(rec, *outcome.report));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_AnalyseEveryReading)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorsant

BENCHMARK_MAIN();
