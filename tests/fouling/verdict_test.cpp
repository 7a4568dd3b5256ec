#include "fouling/verdict.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fouling/filterability.h"
#include "law_trials.h"
#include "trial/analysis.h"

namespace vorsant {
namespace {

using namespace vorsant::testing;

// A cake trial that stops far short of Rmax: a good fit, the cake's
// mechanism, a prediction that reaches far beyond the trial, and the power
// model's adjusted R2 counted with its three parameters.
TEST(Verdict, FindsTheMechanismAndHowFarItExtrapolates) {
  TWineRec rec = LawTrial([](double w) { return 5e11 * (1 + 20 * w); }, 20, 30);
  const FoulingReport report = *AnalyseFouling(rec, {}).report;
  const Verdict v = MakeVerdict(rec, report);
  EXPECT_EQ(v.fit, FitQuality::kGood);
  EXPECT_EQ(v.best, FoulingLaw::kCake);
  EXPECT_EQ(v.mechanism, Mechanism::kCake);
  ASSERT_TRUE(v.throughputRatio);
  EXPECT_GT(*v.throughputRatio, kFarThroughputRatio);
  EXPECT_EQ(v.mechanisms, std::vector<Mechanism>{Mechanism::kCake});
  EXPECT_EQ(v.volumeLaw, FoulingLaw::kCake);
  EXPECT_EQ(v.volumeM3, report.models[static_cast<std::size_t>(FoulingLaw::kCake)].volumeM3);

  const ModelFit& power = report.models[static_cast<std::size_t>(FoulingLaw::kPower)];
  const double c = static_cast<double>(report.readingW.size());
  EXPECT_NEAR(*power.r2Adjusted, 1 - (1 - *power.r2) * (c - 2) / (c - 4), 1e-12);
}

TEST(Verdict, APoorFitMarksNoModelAndSaysTheVolumesAreNotReliable) {
  // A resistance that rises and falls: no law describes it.
  const FoulingReport report =
      FitFoulingModels(ExactPoints([](double w) { return 1e12 * (1.5 + std::sin(20 * w)); }), {});
  const Verdict v = MakeVerdict(TWineRec{}, report);
  EXPECT_EQ(v.fit, FitQuality::kPoor);
  EXPECT_FALSE(v.best);
  EXPECT_TRUE(v.plausible.empty());
  EXPECT_FALSE(v.filterability.band);
  EXPECT_FALSE(v.mechanism);
}

// T400 - 2 T200 read off readings at or close around 200 and 400 ml;
// comparable only at 2 bar through 25 mm; never across a wide gap.
TEST(Filterability, ReadsTheIndexOffTheTrialAndPredictsItForTheStandardDisc) {
  TWineRec rec;
  const auto set = [&](std::vector<std::array<const char*, 3>> readings) {
    rec.Data = TData{};
    for (std::size_t i = 0; i < readings.size(); ++i) {
      rec.Data.V[i].Set(readings[i][0]);
      rec.Data.M[i].Set(readings[i][1]);
      rec.Data.Sc[i].Set(readings[i][2]);
    }
  };
  set({{" 150.0", "  1", "00"}, {" 250.0", "  2", "30"}, {" 350.0", "  4", "00"}, {" 450.0", "  5", "30"}});
  rec.Conditions.LabFiltDia.Set("25.0");
  rec.Conditions.LabP.Set("29.0");
  // A cake law fitted exactly: T(V) = mu/dP (Rm W + Rm k W^2 / 2), so
  // FI = mu/dP Rm k W200^2 with W200 = 200 ml over the disc.
  const double rm = 4e11, k = 30;
  const FoulingReport cake = FitFoulingModels(ExactPoints([&](double w) { return rm * (1 + k * w); }), {});
  ASSERT_EQ(cake.best, FoulingLaw::kCake);
  Filterability f = AssessFilterability(rec, cake);
  ASSERT_TRUE(f.trialS);
  EXPECT_NEAR(*f.trialS, (240 + 0.5 * 90) - 2 * (60 + 0.5 * 90), 1e-9);
  EXPECT_TRUE(f.trialStandard);
  const double w200 = 200e-6 / (3.14159 * 1.25 * 1.25 / 1e4);
  ASSERT_TRUE(f.standardS);
  EXPECT_NEAR(*f.standardS, 0.0015 / (29.0075 * 6894.8) * rm * k * w200 * w200, 1e-6);
  // On a standard trial the band is the measured index's.
  EXPECT_EQ(f.band, FilterabilityBand(f.trialS));
  EXPECT_TRUE(f.bandMeasured);

  rec.Conditions.LabFiltDia.Set("47.0");
  EXPECT_FALSE(AssessFilterability(rec, cake).trialStandard);
  rec.Data.V[3].Set(" 395.0");  // short of 400 ml
  EXPECT_EQ(AssessFilterability(rec, cake).trialGap, IndexGap::kShortOf400);
  // A first reading beyond 400 ml: nothing measures T200 or T400.
  set({{" 460.0", "  4", "00"}, {" 560.0", "  5", "10"}});
  f = AssessFilterability(rec, cake);
  EXPECT_FALSE(f.trialS);
  EXPECT_EQ(f.trialGap, IndexGap::kNo200);
  set({{" 200.0", "  1", "43"}, {" 300.0", "  2", "40"}, {" 520.0", "  5", "00"}});
  EXPECT_EQ(AssessFilterability(rec, cake).trialGap, IndexGap::kNo400);

  // Complete blocking whose capacity a 25 mm disc reaches before 400 ml.
  const FoulingReport blocked = FitFoulingModels(ExactPoints([](double w) { return 4e11 / (1 - 1.5 * w); }), {});
  ASSERT_EQ(blocked.best, FoulingLaw::kComplete);
  f = AssessFilterability(rec, blocked);
  EXPECT_FALSE(f.standardS);
  EXPECT_TRUE(f.blocksBeforeStandard);
  EXPECT_EQ(f.band, "very poor");

  EXPECT_EQ(FilterabilityBand(24.9), "very good");
  EXPECT_EQ(FilterabilityBand(25), "good");
  EXPECT_EQ(FilterabilityBand(50), "poor");
  EXPECT_EQ(FilterabilityBand(100), "poor");
  EXPECT_EQ(FilterabilityBand(100.1), "very poor");
}

}  // namespace
}  // namespace vorsant
