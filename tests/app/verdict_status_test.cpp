// The frame's one-line verdict: the best law's volume and range, and why the
// report's headline differs when it does.

#include "app/verdict_status.h"

#include <cmath>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "law_trials.h"

namespace vorsant::testing {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;

double M3(double gallons) {
  return FromVolumeUnit(gallons, VolumeUnit::kUsGallon);
}

Verdict CakeVerdict(double reportGal) {
  Verdict v;
  v.fit = FitQuality::kGood;
  v.best = FoulingLaw::kCake;
  v.volumeM3 = M3(2695);
  v.hasRange = true;
  v.rangeLowM3 = M3(2400);
  v.reportVolumeM3 = M3(reportGal);
  return v;
}

std::string VerdictStatusLine(const Verdict& v) {
  return vorsant::VerdictStatusLine(v, Presentation{});
}

TEST(VerdictStatusLine, NamesTheReportsFigureOnlyWhenItIsMoreThanATenthApart) {
  const std::string far = VerdictStatusLine(CakeVerdict(13268));
  EXPECT_THAT(far, HasSubstr("Cake filtration: 2,700 gal (2,400\u2013no limit)"));
  EXPECT_THAT(far, HasSubstr("; report 13,268 gal differs: "));
  EXPECT_THAT(far, EndsWith("the report's figure is the power model's."));

  EXPECT_THAT(VerdictStatusLine(CakeVerdict(2900)), Not(HasSubstr("; report")));
  Verdict narrow = CakeVerdict(2900);
  narrow.rangeLowM3 = M3(2690);
  narrow.rangeHighM3 = M3(2700);
  EXPECT_EQ(VerdictStatusLine(narrow), "Cake filtration: 2,700 gal.");
  Verdict power = CakeVerdict(13268);
  power.best = FoulingLaw::kPower;
  EXPECT_THAT(VerdictStatusLine(power), Not(HasSubstr("; report")));

  // In metric the volumes are litres or hectolitres, the report's figure
  // too: one line, one unit system.
  const std::string metric = vorsant::VerdictStatusLine(CakeVerdict(13268), {UnitSystem::kMetric, {}});
  EXPECT_THAT(metric, HasSubstr("Cake filtration: 102 hL (90.8\u2013no limit)"));
  EXPECT_THAT(metric, HasSubstr("; report 502 hL differs: "));
  EXPECT_THAT(metric, Not(HasSubstr("gal")));
}

}  // namespace
}  // namespace vorsant::testing

namespace vorsant::testing {
namespace {

// A kept verdict is the trial's until its record changes, never a stale one.
TEST(VerdictCache, RefitsATrialWhoseRecordChanged) {
  TWineRec rec{};
  rec.Conditions.LabP.Set("30.0");
  rec.Conditions.LabFiltDia.Set("47.0");
  rec.Conditions.ProdP.Set("  30");
  rec.Conditions.ProdA.Set("20.0");
  rec.Conditions.ProdRate.Set("40.0");
  const char* volumes[] = {"  20.0", "  38.0", "  54.0", "  68.0", "  80.0", "  90.0", "  99.0", " 107.0"};
  for (std::size_t i = 0; i < 8; ++i) {
    rec.Data.V[i].Set(volumes[i]);
    rec.Data.M[i].Set("  " + std::to_string(i + 1));
    rec.Data.Sc[i].Set("00");
  }
  VerdictCache cache;
  const std::optional<Verdict> first = cache.For(rec);
  ASSERT_TRUE(first && first->volumeM3);
  EXPECT_EQ(cache.For(rec)->volumeM3, first->volumeM3);
  rec.Data.Sc[3].Clear();
  rec.Data.M[3].Clear();
  const std::optional<Verdict> changed = cache.For(rec);
  ASSERT_TRUE(changed);
  ASSERT_EQ(changed->leftOut.size(), 1u);
  EXPECT_EQ(changed->leftOut[0].row, 4u);
}

// The status bar's verdict is the models window's: from every reading when
// they are beside the trial, and fitted again when the log is another.
TEST(VerdictCache, TakesTheReadingsBesideTheTrialAndRefitsForAnotherLog) {
  const CollectedRun run = CollectedTrial([](double w) { return 5e11 * std::exp(4 * w); }, 36, 30, 0.05, 5);
  CompanionLog log{"run.readings.csv", run.log, 0, ""};
  VerdictCache cache;
  const std::optional<Verdict> points = cache.For(run.rec);
  const std::optional<Verdict> every = cache.For(run.rec, &log);
  ASSERT_TRUE(points && every);
  EXPECT_FALSE(points->source.used);
  EXPECT_TRUE(every->source.used);
  EXPECT_EQ(every->source.fitted, 1081u);
  log.readings.erase(log.readings.begin() + 500);
  const std::optional<Verdict> fewer = cache.For(run.rec, &log);
  ASSERT_TRUE(fewer);
  EXPECT_EQ(fewer->source.fitted, 1080u);
}

}  // namespace
}  // namespace vorsant::testing
