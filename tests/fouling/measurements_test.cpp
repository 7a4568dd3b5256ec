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

// A plate-and-frame press test: 3 bar over 2.72 m2, whole seconds, and the
// published least-squares line of its t/V against V: 3506.6 s/m3 +
// 14714.4 s/m6 x V (R2 0.994). The readings are put onto a 47 mm disc at
// the same throughput V/A. Cake filtration must describe them, with the
// cake's growth that the line gives: R = Rm (1 + k w) integrates to
// t = c1 A2 w2 + c0 A w, so k = 2 c1 A / c0 whatever the viscosity (22.8;
// the fit on cumulative times, with its own start, gives 22.3).
TEST(Measurements, APublishedPressTestReadsAsCakeWithItsOwnConstants) {
  constexpr double kPressM2 = 2.72, kC0 = 3506.6392, kC1 = 14714.417;
  const double discM2 = 3.14159265358979 * 0.0235 * 0.0235;
  const std::array<double, 7> seconds = {92, 160, 232, 327, 418, 472, 538};
  const std::array<double, 7> m3 = {0.024, 0.039, 0.054, 0.071, 0.088, 0.096, 0.106};
  std::vector<Row> rows;
  for (std::size_t i = 0; i < m3.size(); ++i) rows.push_back({std::round(m3[i] / kPressM2 * discM2 * 1e7) / 10, seconds[i]});
  const TWineRec rec = Trial(rows, "47.0", "43.5");
  const FoulingReport report = *AnalyseFouling(rec, {}).report;
  const Verdict v = MakeVerdict(rec, report);
  ASSERT_NE(std::find(v.plausible.begin(), v.plausible.end(), FoulingLaw::kCake), v.plausible.end());
  const ModelFit& cake = report.models[static_cast<std::size_t>(FoulingLaw::kCake)];
  ASSERT_TRUE(cake.fitted && cake.rm && cake.k);
  EXPECT_NEAR(*cake.k, 2 * kC1 * kPressM2 / kC0, 0.05 * 2 * kC1 * kPressM2 / kC0);
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

namespace vorsant {
namespace {

std::string Text(const Verdict& v, const SizingRequest& request = {}) {
  std::string text;
  for (const std::string& s : VerdictSentences(v, request, Presentation{})) text += s + "\n";
  return text;
}

// A blank time in the published cake filtration leaves that reading out,
// names it, and the fit of the other nine gives the same answer.
TEST(EveryReading, ABlankTimeLeavesOnlyThatReadingOut) {
  const TWineRec whole = Trial(kTextbookCake, "236.4", "49.0");
  TWineRec blank = whole;
  blank.Data.M[5].Clear();
  blank.Data.Sc[5].Clear();
  const FoulingReport all = *AnalyseFouling(whole, {}).report;
  const FoulingReport report = *AnalyseFouling(blank, {}).report;
  ASSERT_EQ(report.best, FoulingLaw::kCake);
  EXPECT_EQ(report.readingW.size(), kTextbookCake.size());  // the start and nine readings
  const Verdict v = MakeVerdict(blank, report);
  ASSERT_EQ(v.leftOut.size(), 1u);
  EXPECT_EQ(v.leftOut[0].row, 6u);
  EXPECT_NEAR(*v.volumeM3, *MakeVerdict(whole, all).volumeM3, 0.02 * *v.volumeM3);
  EXPECT_THAT(Text(v), HasSubstr("Reading 6 has no time and was left out."));
}

// 62.5 s and 63.3 s are both stored as 63 s: both readings stay in the
// fit, which agrees with the same trial timed to the tenth of a second.
TEST(EveryReading, TwoReadingsInOneSecondAreBothKept) {
  std::vector<Row> rows;
  const double rm = 5e11, k = 4, perSecond = 30 * 6894.8 / 0.0015, area = 0.0235 * 0.0235 * 3.14159;
  for (double t : {20.0, 41.0, 62.5, 63.3, 85.0, 107.0, 130.0, 152.0, 175.0, 199.0}) {
    const double tau = t * perSecond;
    rows.push_back({tau / (rm + k * tau / 2) * area * 1e6, t});  // standard blocking
  }
  const TWineRec rec = Trial(rows, "47.0", "30.0");
  ASSERT_EQ(rec.Data.Sc[2].Str(), rec.Data.Sc[3].Str());
  const FoulingReport report = *AnalyseFouling(rec, {}).report;
  EXPECT_TRUE(report.leftOut.empty());
  EXPECT_EQ(report.readingW.size(), rows.size() + 1);
  ASSERT_EQ(report.best, FoulingLaw::kStandard);
  const ModelFit& fit = report.models[static_cast<std::size_t>(FoulingLaw::kStandard)];
  EXPECT_NEAR(*fit.rm, rm, 0.02 * rm);
  EXPECT_NEAR(*fit.k, k, 0.05 * k);
}

// A reading without which another law wins widens the range to that
// law's answer, and the verdict says which reading it is.
TEST(EveryReading, AReadingThatFlipsTheLawWidensTheRange) {
  const TWineRec rec = Trial(
      {{100, 43}, {200, 76}, {300, 146}, {400, 238}, {500, 336}, {600, 485}, {700, 642}}, "25.0", "29.0");
  const Verdict v = MakeVerdict(rec, *AnalyseFouling(rec, {}).report);
  ASSERT_EQ(v.volumeLaw, FoulingLaw::kCake);
  ASSERT_FALSE(v.flips.empty());
  for (const LawFlip& f : v.flips) {
    EXPECT_NE(f.law, FoulingLaw::kCake);
    ASSERT_TRUE(f.volumeM3);
    EXPECT_GE(*f.volumeM3, *v.rangeLowM3);
    EXPECT_LE(*f.volumeM3, *v.rangeHighM3);
  }
  std::string law(LawName(v.flips[0].law));
  law[0] = static_cast<char>(law[0] - 'A' + 'a');
  EXPECT_THAT(Text(v), HasSubstr("without reading " + std::to_string(v.flips[0].row) + " the trial reads as " + law));
}

// Constant flow typed in whole seconds: no fouling, and that is a result:
// the trial's own volume on the production filter, no table of millions.
TEST(EveryReading, ACleanWineIsAResult) {
  std::vector<Row> rows;
  const double area = 0.0235 * 0.0235 * 3.14159, perSecond = 30 * 6894.8 / 0.0015;
  for (int j = 1; j <= 12; ++j) rows.push_back({37.3 * j * perSecond / 5e11 * area * 1e6, 37.3 * j});
  const TWineRec rec = Trial(rows, "47.0", "30.0");
  const FoulingReport report = *AnalyseFouling(rec, {}).report;
  ASSERT_TRUE(report.noFouling);
  for (const ModelFit& fit : report.models) EXPECT_FALSE(fit.volumeM3);
  const Verdict v = MakeVerdict(rec, report);
  ASSERT_TRUE(v.provenM3);
  EXPECT_NEAR(*v.provenM3, rows.back().ml / 1e6 / area * 20, 1e-3 * *v.provenM3);
  const std::string text = Text(v);
  EXPECT_THAT(text, HasSubstr("did not foul in the trial's 7 minutes"));
  EXPECT_THAT(text, HasSubstr("will pass at least"));
  EXPECT_EQ(text.find("not reliable"), std::string::npos);
}

// Laws that fit alike: each candidate's sizing, their spread, and the
// volume from which their predicted times part beyond the readings' scatter.
TEST(EveryReading, AnUndeterminedVerdictSaysWhatWouldDecide) {
  std::vector<Row> rows;
  const double area = 0.0235 * 0.0235 * 3.14159, perSecond = 30 * 6894.8 / 0.0015, rm = 5e11, k = 3;
  for (int j = 1; j <= 9; ++j) {
    const double tau = 40.0 * j * perSecond;
    rows.push_back({std::log1p(k * tau / rm) / k * area * 1e6, 40.0 * j});  // intermediate blocking
  }
  const TWineRec rec = Trial(rows, "47.0", "30.0");
  const SizingRequest request{.targetM3 = 5000 * 3.7854e-3, .safety = 1.5, .elementArea = 0.6};
  const FoulingReport report = *AnalyseFouling(rec, request).report;
  const Verdict v = MakeVerdict(rec, report);
  ASSERT_EQ(v.mechanism, Mechanism::kUndetermined);
  ASSERT_GE(v.candidates.size(), 2u);
  ASSERT_TRUE(v.decisiveMl && v.decisiveMinutes);
  EXPECT_GT(*v.decisiveMl, rows.back().ml);
  EXPECT_LT(*v.decisiveMl, 10 * rows.back().ml);
  EXPECT_GT(*v.decisiveMinutes, 6);
  // There the first two candidates' predicted times have parted.
  const auto seconds = [&](const CandidateLaw& c, double ml) {
    const ModelFit& fit = report.models[static_cast<std::size_t>(c.law)];
    return (*fit.offset + *ModelIntegral(fit, ml / 1e6 / area)) / perSecond;
  };
  const double apart = std::abs(seconds(v.candidates[0], *v.decisiveMl) - seconds(v.candidates[1], *v.decisiveMl));
  EXPECT_GT(apart, 2 / std::sqrt(12.0));
  const std::string text = Text(v, request);
  EXPECT_THAT(text, HasSubstr("the filter needs between"));
  EXPECT_THAT(text, HasSubstr("Running the trial to about"));
  // The report's figure and the verdict's, each with the fit it comes from.
  EXPECT_THAT(text, HasSubstr("is the power model fitted to the resistances, as the report has always done; "
                              "fitted to the readings themselves it gives"));
}

}  // namespace
}  // namespace vorsant
