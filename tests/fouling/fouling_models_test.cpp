#include "fouling/fouling_models.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fouling/verdict.h"
#include "law_trials.h"
#include "trial/analysis.h"
#include "trial/number_text.h"

namespace vorsant {
namespace {

using namespace vorsant::testing;

constexpr double kGallon = 3.7854e-3;  // m3, where a test speaks gallons
constexpr double kRm = 5e11;

const ModelFit& Fit(const FoulingReport& r, FoulingLaw law) {
  return r.models[static_cast<std::size_t>(law)];
}

struct Law {
  FoulingLaw law;
  std::function<double(double)> R;
  double wStar;  // where R reaches the production Rmax
};

// Each law fouls the disc from 5E11 to a few times that within the trial.
Law MakeLaw(FoulingLaw law) {
  const double rMax = ProductionRmax();
  switch (law) {
    case FoulingLaw::kComplete: {
      const double k = 1.2;
      return {law, [k](double w) { return kRm / (1 - k * w); }, (1 - kRm / rMax) / k};
    }
    case FoulingLaw::kStandard: {
      const double k = 1.6;
      return {law, [k](double w) { return kRm / std::pow(1 - k * w / 2, 2); },
              2 / k * (1 - std::sqrt(kRm / rMax))};
    }
    case FoulingLaw::kIntermediate: {
      const double k = 2.5;
      return {law, [k](double w) { return kRm * std::exp(k * w); }, std::log(rMax / kRm) / k};
    }
    case FoulingLaw::kCake: {
      const double k = 6;
      return {law, [k](double w) { return kRm * (1 + k * w); }, (rMax / kRm - 1) / k};
    }
    case FoulingLaw::kPower:
      break;
  }
  const double a = 4e12, n = 0.6;
  return {law, [a, n](double w) { return kRm + a * std::pow(w, n); }, std::pow((rMax - kRm) / a, 1 / n)};
}

class LawTrialTest : public ::testing::TestWithParam<FoulingLaw> {};

// A trial that follows one law is recognised as that law, and its
// production volume is recovered from the stored, rounded points.
TEST_P(LawTrialTest, IdentifiesTheLawAndRecoversTheVolume) {
  const Law law = MakeLaw(GetParam());
  const TWineRec rec = LawTrial(law.R, 30, 30);
  const FoulingOutcome outcome = AnalyseFouling(rec, {});
  ASSERT_TRUE(outcome.report) << outcome.failure;
  const FoulingReport& report = *outcome.report;
  EXPECT_EQ(report.best, GetParam());
  const ModelFit& fit = Fit(report, GetParam());
  ASSERT_TRUE(fit.volumeM3);
  const double expected = law.wStar * kProductionArea;
  EXPECT_NEAR(*fit.volumeM3, expected, 0.03 * expected);
  EXPECT_GT(*fit.r2Adjusted, 0.99);

  // The verdict counts the generating law among the plausible ones, and
  // the range it gives holds the true volume.
  const Verdict verdict = MakeVerdict(rec, report);
  EXPECT_THAT(verdict.plausible, ::testing::Contains(GetParam()));
  ASSERT_TRUE(verdict.hasRange);
  EXPECT_LE(*verdict.rangeLowM3, expected);
  EXPECT_GT(*verdict.rangeLowM3, 0);
  if (verdict.rangeHighM3) {
    EXPECT_GE(*verdict.rangeHighM3, expected);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryLaw, LawTrialTest, ::testing::ValuesIn(kFoulingLaws),
                         [](const auto& info) { return std::string(LawKey(info.param)); });

}  // namespace
}  // namespace vorsant

namespace vorsant {
namespace {

using namespace vorsant::testing;

TEST(FoulingFormulas, CakeLineGivesItsVolumeHoursAndSizing) {
  // The same line as a power model fits as closely; the cake law with
  // fewer parameters wins.
  const double rm = std::ldexp(1, 39), k = 4;
  AnalysisPoints p = ExactPoints([&](double w) { return rm * (1 + k * w); }, 1.0 / 16, 8);
  p.powerFitted = true;
  p.R0 = rm;
  p.a = rm * k;
  p.n = 1;
  const FoulingReport report = FitFoulingModels(p, {.targetM3 = 1000 * kGallon, .safety = 1.5, .elementArea = 0.5});
  EXPECT_EQ(report.best, FoulingLaw::kCake);

  const ModelFit& cake = Fit(report, FoulingLaw::kCake);
  EXPECT_NEAR(*cake.rm, rm, 1e-6 * rm);
  EXPECT_NEAR(*cake.k, k, 1e-6 * k);
  EXPECT_FALSE(cake.capacity);
  const double wStar = (p.rMax / rm - 1) / k;
  EXPECT_NEAR(*cake.volumeM3, wStar * 20, 1e-9);
  EXPECT_NEAR(*cake.seconds, wStar * 20 / p.prodFlow, 1e-6);

  // The area is the edge where the volume reaches 1.5 x 1000 gal.
  const double perArea = p.rMax / p.prodArea;
  const auto volumeGal = [&](double area) { return (perArea * area / rm - 1) / k * area / kGallon; };
  ASSERT_TRUE(cake.areaM2);
  EXPECT_GE(volumeGal(*cake.areaM2), 1500);
  EXPECT_LT(volumeGal(*cake.areaM2 * (1 - 2e-6)), 1500);
  EXPECT_EQ(*cake.elements, static_cast<long long>(std::ceil(*cake.areaM2 / 0.5)));

  // Adjusted R2 with tau0, Rm and k over nine readings, against tau0 and R.
  const ModelFit& complete = Fit(report, FoulingLaw::kComplete);
  EXPECT_NEAR(*complete.r2Adjusted, 1 - (1 - *complete.r2) * 7 / 6, 1e-12);
  EXPECT_NEAR(*complete.capacity, 1 / *complete.k, 1e-12);
  EXPECT_NEAR(*Fit(report, FoulingLaw::kStandard).capacity, 2 / *Fit(report, FoulingLaw::kStandard).k,
              1e-9);
  EXPECT_LT(*complete.r2, 1);
}

// Points alone are integrated interval by interval, which costs the
// constants a few tenths of a per cent.
TEST(FoulingFormulas, PoreBlockingLawsRecoverTheirConstants) {
  const double rm = 4e11, k = 1.5;
  const FoulingReport complete =
      FitFoulingModels(ExactPoints([&](double w) { return rm / (1 - k * w); }), {});
  EXPECT_NEAR(*Fit(complete, FoulingLaw::kComplete).k, k, 5e-3 * k);
  EXPECT_NEAR(*Fit(complete, FoulingLaw::kComplete).capacity, 1 / *Fit(complete, FoulingLaw::kComplete).k,
              1e-6);
  const FoulingReport standard =
      FitFoulingModels(ExactPoints([&](double w) { return rm / std::pow(1 - k * w / 2, 2); }), {});
  EXPECT_EQ(standard.best, FoulingLaw::kStandard);
  EXPECT_NEAR(*Fit(standard, FoulingLaw::kStandard).rm, rm, 5e-3 * rm);
  EXPECT_NEAR(*Fit(standard, FoulingLaw::kStandard).k, k, 5e-3 * k);
  const double rMax = standard.points.rMax;
  EXPECT_NEAR(*Fit(standard, FoulingLaw::kStandard).wStar, 2 / k * (1 - std::sqrt(rm / rMax)), 5e-3);
}

TEST(FoulingFormulas, UnmetRequirementsAndUnreachedRmax) {
  // A line through R = 0 before the first point: the cake law's intercept
  // is negative, and 1/R has no positive intercept either.
  const FoulingReport steep = FitFoulingModels(ExactPoints([](double w) { return 1e12 * (w - 0.01); }), {});
  EXPECT_FALSE(Fit(steep, FoulingLaw::kCake).fitted);
  EXPECT_FALSE(Fit(steep, FoulingLaw::kCake).rm);

  // Falling resistance: fitted, but Rmax is never reached.
  const FoulingReport falling = FitFoulingModels(ExactPoints([](double w) { return 9e11 * std::exp(-w); }),
                                                 {.targetM3 = 100 * kGallon, .safety = 1.5, .elementArea = {}});
  const ModelFit& intermediate = Fit(falling, FoulingLaw::kIntermediate);
  EXPECT_TRUE(intermediate.fitted);
  EXPECT_FALSE(intermediate.volumeM3);
  EXPECT_FALSE(intermediate.seconds);
  EXPECT_FALSE(intermediate.areaM2);
  EXPECT_FALSE(Fit(falling, FoulingLaw::kComplete).capacity);

  // Starting above Rmax: no volume at all.
  const FoulingReport clogged = FitFoulingModels(ExactPoints([](double w) { return 6e12 * (1 + w); }), {});
  EXPECT_EQ(*Fit(clogged, FoulingLaw::kCake).volumeM3, 0);
}

TEST(FoulingOutcome, TrialsWithoutPointsGiveTheAnalysisMessage) {
  TWineRec shortTrial = LawTrial([](double w) { return 5e11 * (1 + 6 * w); }, 4, 30);
  shortTrial.Data.MinSkip = 1;
  FoulingOutcome outcome = AnalyseFouling(shortTrial, {});
  EXPECT_FALSE(outcome.report);
  EXPECT_EQ(outcome.failure, kInsufficientDataWarning);

  // A reading that goes backwards stops the analysis, not the models: it
  // is left out and named.
  TWineRec backwards = LawTrial([](double w) { return 5e11 * (1 + 6 * w); }, 8, 30);
  backwards.Data.V[5] = backwards.Data.V[2];
  outcome = AnalyseFouling(backwards, {});
  ASSERT_TRUE(outcome.report);
  ASSERT_EQ(outcome.report->leftOut.size(), 1u);
  EXPECT_EQ(outcome.report->leftOut[0].row, 6u);
  EXPECT_EQ(outcome.report->leftOut[0].why, "goes back in volume (not above reading 5)");

  // The points are the analysis' own after its skip; the record is untouched.
  TWineRec rec = LawTrial([](double w) { return 5e11 * (1 + 6 * w); }, 12, 30);
  rec.Data.MinSkip = 3;
  const TWineRec before = rec;
  const AnalysisPointsOutcome points = AnalyseTrialPoints(rec);
  EXPECT_EQ(points.points.w.size(), 9u);
  EXPECT_EQ(std::memcmp(&before, &rec, sizeof rec), 0);
  TWineRec analysed = rec;
  Calculate(analysed, false);
  EXPECT_NEAR(points.points.R0 / 1e9, NumberOr0(analysed.RmP.Str()), 0.005);
  EXPECT_NEAR(points.points.R[0] / 1e9, NumberOr0(analysed.TableData[3].R.Str()), 0.005);
  EXPECT_NEAR(points.points.rMax / 1e9, NumberOr0(analysed.MaxProdR.Str()), 0.05);
}

}  // namespace
}  // namespace vorsant
