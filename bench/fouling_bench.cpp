// The fouling models of a 36-point trial: the whole command (the analysis on
// a copy, then the five fits and their volumes), the fits alone, and the
// fits with the filter sizing, whose bisections are the costliest part.

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "fouling/fouling_models.h"
#include "trial/canonical_number.h"
#include "trial/wine_rec.h"

namespace vorsant {
namespace {

// 47 mm at 30 psi, a reading every 40 s, resistance rising from 0.8e12 /m as
// a power curve (the trial of the analysis benchmark).
TWineRec Trial36() {
  TWineRec rec{};
  rec.Conditions.WineName.Set("Bench");
  rec.Conditions.FilterName.Set("0.45 um");
  rec.Conditions.LabP.Set("30.0");
  rec.Conditions.LabFiltDia.Set("47.0");
  rec.Conditions.ProdP.Set("  30");
  rec.Conditions.ProdA.Set("20.0");
  rec.Conditions.ProdRate.Set("40.0");
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
    const int seconds = 40 * static_cast<int>(i + 1);
    std::string sc = std::to_string(seconds % 60);
    if (sc.size() < 2) sc.insert(0, 1, '0');
    rec.Data.V[i].Set(CanonicalNumber(volume, 1, 6));
    rec.Data.M[i].Set(CanonicalNumber(seconds / 60, 0, 3));
    rec.Data.Sc[i].Set(sc);
  }
  return rec;
}

const SizingRequest kSizing{.targetGal = 20000, .safety = 1.5, .elementArea = 0.6};

void BM_AnalyseFouling(benchmark::State& state) {
  const TWineRec rec = Trial36();
  const FoulingOutcome check = AnalyseFouling(rec, kSizing);
  if (!check.report || check.report->points.w.size() < 30) {
    state.SkipWithError("the trial does not give its points");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(AnalyseFouling(rec, kSizing));
}
BENCHMARK(BM_AnalyseFouling)->Unit(benchmark::kMicrosecond);

void BM_FitFoulingModels(benchmark::State& state) {
  const AnalysisPoints points = AnalyseTrialPoints(Trial36()).points;
  const SizingRequest request = state.range(0) ? kSizing : SizingRequest{};
  for (auto _ : state) benchmark::DoNotOptimize(FitFoulingModels(points, request));
}
BENCHMARK(BM_FitFoulingModels)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vorsant

BENCHMARK_MAIN();
