#include <cmath>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fouling/companion_readings.h"
#include "fouling/fouling_models.h"
#include "fouling/verdict.h"
#include "law_trials.h"
#include "present/verdict_text.h"

namespace vorsant {
namespace {

using ::testing::HasSubstr;

// Intermediate blocking, R = Rm e^(k w): the production filter reaches Rmax
// at w* = ln(Rmax / Rm) / k.
constexpr double kRm = 5e11, kK = 4;
double Intermediate(double w) { return kRm * std::exp(kK * w); }
double TrueVolumeM3() { return std::log(testing::ProductionRmax() / kRm) / kK * testing::kProductionArea; }

CompanionLog LogOf(std::vector<Reading> readings) {
  return CompanionLog{"law.readings.csv", std::move(readings), 0, ""};
}

std::string Sentences(const Verdict& v) {
  std::string all;
  for (const std::string& s : VerdictSentences(v, SizingRequest{}, Presentation{})) all += s + "\n";
  return all;
}

// A balance read every second for 18 minutes, 0.05 ml of noise; the record
// keeps the readings every 30 s. Every reading pins the law down far
// better than the 36 points, and the range still holds the true volume.
TEST(CompanionReadings, EveryReadingNarrowsTheRangeAndStillHoldsTheTrueVolume) {
  for (unsigned seed : {5u, 6u, 7u}) {
    SCOPED_TRACE(seed);
    const testing::CollectedRun run = testing::CollectedTrial(Intermediate, 36, 30, 0.05, seed);
    const CompanionLog log = LogOf(run.log);
    const FoulingOutcome points = AnalyseFouling(run.rec, SizingRequest{});
    const FoulingOutcome every = AnalyseFouling(run.rec, SizingRequest{}, &log);
    ASSERT_TRUE(points.report && every.report);
    const Verdict vp = MakeVerdict(run.rec, *points.report), ve = MakeVerdict(run.rec, *every.report);
    EXPECT_FALSE(vp.source.used);
    EXPECT_TRUE(ve.source.used);
    EXPECT_EQ(ve.source.fitted, 1081u);
    ASSERT_EQ(vp.best, FoulingLaw::kIntermediate);
    ASSERT_EQ(ve.best, FoulingLaw::kIntermediate);
    ASSERT_TRUE(vp.hasRange && vp.rangeHighM3 && ve.hasRange && ve.rangeHighM3);
    const double truth = TrueVolumeM3();
    EXPECT_LE(*vp.rangeLowM3, truth);
    EXPECT_GE(*vp.rangeHighM3, truth);
    EXPECT_LE(*ve.rangeLowM3, truth);
    EXPECT_GE(*ve.rangeHighM3, truth);
    EXPECT_LT(*ve.rangeHighM3 - *ve.rangeLowM3, (*vp.rangeHighM3 - *vp.rangeLowM3) / 3);
    EXPECT_THAT(Sentences(ve), HasSubstr("Fitted on 1,081 readings the balance gave during the collection "
                                         "(law.readings.csv)."));
  }
}

// A log that is not this trial's, or adds nothing to it, is named and
// passed over: the fits are the record's own. Readings that go back are
// left out and counted, and the rest still used.
TEST(CompanionReadings, FallsBackToTheRecordWhenTheLogDoesNotMatch) {
  const testing::CollectedRun run = testing::CollectedTrial(Intermediate, 36, 30, 0.05, 5);
  const FoulingOutcome own = AnalyseFouling(run.rec, SizingRequest{});
  ASSERT_TRUE(own.report);
  const auto fallback = [&](std::vector<Reading> readings, const std::string& why) {
    SCOPED_TRACE(why);
    const CompanionLog log = LogOf(std::move(readings));
    const FoulingOutcome outcome = AnalyseFouling(run.rec, SizingRequest{}, &log);
    ASSERT_TRUE(outcome.report);
    const Verdict v = MakeVerdict(run.rec, *outcome.report);
    EXPECT_FALSE(v.source.used);
    EXPECT_THAT(v.source.whyNot, HasSubstr(why));
    EXPECT_EQ(v.source.fitted, 36u);
    EXPECT_EQ(outcome.report->models[2].volumeM3, own.report->models[2].volumeM3);
    EXPECT_THAT(Sentences(v), HasSubstr("law.readings.csv was not used: " + why));
  };
  // Another wine: the flow a fifth faster.
  std::vector<Reading> other = run.log;
  for (Reading& r : other) r.ml *= 1.2;
  fallback(other, "it reads 17.1 ml at 0:30 where reading 1 has 14.2 ml, so it does not match this trial");
  fallback(std::vector<Reading>(run.log.begin(), run.log.begin() + 600), "its readings end at 9:59, before reading 21 at 10:30");
  std::vector<Reading> sparse;
  for (std::size_t i = 0; i < run.log.size(); i += 30) sparse.push_back(run.log[i]);
  fallback(sparse, "it has no more readings than the trial itself");
  fallback({}, "it holds no readings");

  std::vector<Reading> jumpy = run.log;
  jumpy[100].ml = jumpy[99].ml - 1;  // a knock on the bench
  jumpy[200].seconds = 150;          // a reading out of its place
  const CompanionLog log = LogOf(jumpy);
  const FoulingOutcome outcome = AnalyseFouling(run.rec, SizingRequest{}, &log);
  ASSERT_TRUE(outcome.report);
  EXPECT_TRUE(outcome.report->source.used);
  EXPECT_EQ(outcome.report->source.notRising, 2u);
  EXPECT_EQ(outcome.report->source.fitted, 1079u);
  EXPECT_THAT(Sentences(MakeVerdict(run.rec, *outcome.report)), HasSubstr("; 2 readings not above the one before were left out."));
}

}  // namespace
}  // namespace vorsant
