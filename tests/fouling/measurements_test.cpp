#include <algorithm>
// Trials as wineries and textbooks measure them: whole seconds, a few
// readings, a published filtration.

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fouling/integral_fit.h"
#include "fouling/trial_readings.h"
#include "fouling/verdict.h"
#include "law_trials.h"
#include "present/verdict_text.h"
#include "trial/data_input.h"

namespace vorsant {
namespace {

using ::testing::HasSubstr;

struct Row {
  double ml, seconds;
};

// A trial of `rows` through a `diameter` mm disc at `psi`, the seconds
// rounded to whole ones as the data dialog stores them; production 20 m2 at
// the same pressure, 40 bpm.
TWineRec Trial(const std::vector<Row>& rows, const char* diameter, const char* psi) {
  DataInput input;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const long s = std::lround(rows[i].seconds);
    input.V[i] = std::to_string(rows[i].ml);
    input.Min[i] = std::to_string(s / 60);
    input.Sec[i] = std::to_string(s % 60);
  }
  input.Skip = 0;
  EXPECT_FALSE(DataRangeCheck(input).has_value());
  TWineClass wine;
  TConditions& k = wine.WineRec.Conditions;
  k.LabP.Set(psi);
  k.LabFiltDia.Set(diameter);
  k.ProdP.Set(std::string(psi).substr(0, 2));
  k.ProdA.Set("20.0");
  k.ProdRate.Set("40.0");
  ApplyData(input, wine);
  return wine.WineRec;
}

// Constant-pressure cake filtration of a CaCO3 slurry, 338 kN/m2 over
// 0.0439 m2 (a 236.4 mm disc), times to 0.1 s: Geankoplis, Transport
// Processes and Unit Operations, 3rd ed., Example 14.2-1.
const std::vector<Row> kTextbookCake = {{498, 4.4},   {1000, 9.5},  {1501, 16.3}, {2000, 24.6}, {2498, 34.7},
                                        {3002, 46.1}, {3506, 59.0}, {4004, 73.6}, {4502, 89.4}, {5009, 107.3}};

// Typed in whole seconds (+-0.5 s on intervals of 5 s) the cake stays the
// best law, its fit good and its volume within a few per cent of the same
// readings fitted to the tenth of a second.
TEST(Measurements, TextbookCakeSurvivesWholeSeconds) {
  const TWineRec rec = Trial(kTextbookCake, "236.4", "49.0");
  const FoulingReport rounded = *AnalyseFouling(rec, {}).report;
  ASSERT_EQ(rounded.best, FoulingLaw::kCake);
  const Verdict v = MakeVerdict(rec, rounded);
  EXPECT_EQ(v.fit, FitQuality::kGood);

  CumulativeReadings exact = FittedReadings(rec, rounded.points);
  ASSERT_EQ(exact.w.size(), kTextbookCake.size() + 1);
  for (std::size_t i = 1; i < exact.w.size(); ++i) exact.tau[i] = kTextbookCake[i - 1].seconds * exact.tauPerSecond;
  const FoulingReport unrounded = FitFoulingReadings(rounded.points, exact, {});
  ASSERT_EQ(unrounded.best, FoulingLaw::kCake);
  const double truth = *unrounded.models[static_cast<std::size_t>(FoulingLaw::kCake)].volumeM3;
  EXPECT_NEAR(*v.volumeM3, truth, 0.03 * truth);
  // The range is an estimate around a positive volume, never from 0.
  ASSERT_TRUE(v.hasRange);
  EXPECT_GT(*v.rangeLowM3, 0.5 * truth);
  EXPECT_LT(*v.rangeLowM3, *v.volumeM3);
}

// The winery's test: two readings give the index and its band, not a
// failure; four readings fit several laws that name different mechanisms.
TEST(Measurements, FilterabilityTestsOfTwoAndFourReadings) {
  const TWineRec two = Trial({{200, 103}, {400, 208}}, "25.0", "29.0");
  const FoulingOutcome outcome = AnalyseFouling(two, {});
  ASSERT_TRUE(outcome.report) << outcome.failure;
  EXPECT_TRUE(outcome.report->insufficient);
  const Verdict v = MakeVerdict(two, *outcome.report);
  EXPECT_EQ(v.fit, FitQuality::kInsufficient);
  EXPECT_EQ(v.filterability.trialS, 2.0);
  EXPECT_EQ(v.filterability.band, "very good");
  EXPECT_THAT(VerdictSentences(v, {}, Presentation{})[0], HasSubstr("needs 2 more readings"));
  // The same readings through a 47 mm disc are no filterability test.
  EXPECT_FALSE(AnalyseFouling(Trial({{200, 103}, {400, 208}}, "47.0", "29.0"), {}).report);

  // Four readings of a wine that has barely begun to foul.
  const TWineRec four = Trial({{100, 50}, {200, 101}, {300, 153}, {400, 206}}, "25.0", "29.0");
  const FoulingReport report = *AnalyseFouling(four, {}).report;
  const Verdict w = MakeVerdict(four, report);
  EXPECT_EQ(w.filterability.trialS, 206 - 2 * 101.0);
  EXPECT_GE(w.plausible.size(), 3u);
  EXPECT_GE(w.mechanisms.size(), 2u);
  EXPECT_EQ(w.mechanism, Mechanism::kUndetermined);
  std::string text;
  for (const std::string& s : VerdictSentences(w, {}, Presentation{})) text += s + "\n";
  EXPECT_THAT(text, HasSubstr("cannot tell apart"));
  EXPECT_THAT(text, HasSubstr("enzymes"));       // the colloids' remedy
  EXPECT_THAT(text, HasSubstr("a prefilter"));   // the particles'
  EXPECT_THAT(text, HasSubstr("More readings, or a longer trial"));
  // The headline volume is the law that fouls first, not the closest fit's.
  ASSERT_TRUE(w.volumeM3 && w.volumeLaw);
  EXPECT_NE(w.volumeLaw, w.best);
  for (const ModelFit& fit : report.models)
    if (fit.law != FoulingLaw::kPower && fit.volumeM3 &&
        std::find(w.plausible.begin(), w.plausible.end(), fit.law) != w.plausible.end()) {
      EXPECT_LE(*w.volumeM3, *fit.volumeM3);
    }
  EXPECT_THAT(text, HasSubstr("by the law that fouls first"));
}

// A cake trial of seven readings: without one of them the law cannot be
// fitted at all. That refit is left out and counted, and is no bound; the
// readings without which another law wins bound the range instead.
TEST(Measurements, AFailedRefitIsLeftOutOfTheRange) {
  const TWineRec rec = Trial(
      {{100, 43}, {200, 76}, {300, 146}, {400, 238}, {500, 336}, {600, 485}, {700, 642}}, "25.0", "29.0");
  const Verdict v = MakeVerdict(rec, *AnalyseFouling(rec, {}).report);
  ASSERT_EQ(v.best, FoulingLaw::kCake);
  EXPECT_GE(v.refitsLeftOut, 1);
  ASSERT_TRUE(v.hasRange && v.rangeHighM3);
  double lowest = 0.5 * *v.volumeM3;
  for (const LawFlip& f : v.flips) lowest = std::min(lowest, f.volumeM3.value_or(lowest));
  EXPECT_GT(*v.rangeLowM3, 0);
  EXPECT_GE(*v.rangeLowM3, 0.99 * lowest);
  EXPECT_LT(*v.rangeHighM3, 2 * *v.volumeM3);
}

}  // namespace
}  // namespace vorsant
