#include "trial/analysis.h"

#include <cmath>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "trial/number_text.h"
#include "trial_builder.h"

namespace vorsant {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace vorsant::testing;

const std::string kBlank4(4, ' '), kBlank5(5, ' '), kBlank6(6, ' '), kBlank7(7, ' ');

// Resistance of 1/m shown in the report's unit (10^9 /m).
double Shown(const ShortText<6>& t) {
  return NumberOr0(t.Str()) * 1e9;
}

// A realistic trial: the power model R0 + a w^n with a clean fit.
std::vector<Point> PowerTrial(int count = 12) {
  return PointsFollowing([](double w) { return 8e11 + 2e13 * std::pow(w, 1.4); }, count, 60);
}

// Points whose interval resistances are these multiples of 10^9 /m.
std::vector<Point> Resistances(std::vector<double> gigas) {
  for (double& r : gigas) r *= 1e9;
  return PointsWithResistances(gigas, 60);
}

// Every result field, for comparing two runs.
std::vector<std::string> Results(const TWineRec& r) {
  return {r.bE.Str(),
          r.bP.Str(),
          r.ExpectedVolE.Str(),
          r.ExpectedVolP.Str(),
          r.rE.Str(),
          r.rP.Str(),
          r.a.Str(),
          r.RmE.Str(),
          r.RmP.Str(),
          r.MaxProdR.Str(),
          r.LabEquivVol.Str(),
          r.LabFaceVel.Str(),
          r.ProdFaceVel.Str(),
          std::to_string(r.Model)};
}

// The significant texts of the result table, row by row.
std::vector<std::string> TableTexts(const TWineRec& r) {
  std::vector<std::string> texts;
  for (const TTableRow& row : r.TableData) {
    for (const std::string& t : {row.V.Str(), row.M.Str(), row.Sc.Str(), row.VA.Str(), row.R.Str(),
                                 row.RmodelE.Str(), row.RmodelP.Str()}) {
      texts.push_back(t);
    }
  }
  return texts;
}

void ExpectFitBlanks(const TWineRec& rec, const std::string& rmE) {
  EXPECT_EQ(rec.RmE.Str(), rmE);
  EXPECT_EQ(rec.RmP.Str(), kBlank6);
  for (const auto* t : {&rec.rE, &rec.rP, &rec.bE, &rec.bP}) EXPECT_EQ(t->Str(), kBlank5);
  EXPECT_EQ(rec.a.Str(), kBlank7);
  EXPECT_EQ(rec.ExpectedVolE.Str(), kBlank6);
  EXPECT_EQ(rec.ExpectedVolP.Str(), kBlank6);
  for (const auto* t : {&rec.LabEquivVol, &rec.LabFaceVel, &rec.ProdFaceVel}) EXPECT_EQ(t->Str(), kBlank4);
  EXPECT_EQ(rec.Model, 0);
  for (const TTableRow& row : rec.TableData) {
    EXPECT_TRUE(row.RmodelE.Empty());
    EXPECT_TRUE(row.RmodelP.Empty());
  }
}

void ExpectPowerFailed(const TWineRec& rec) {
  EXPECT_EQ(rec.RmP.Str(), kBlank6);
  EXPECT_EQ(rec.a.Str(), kBlank7);
  EXPECT_EQ(rec.bP.Str(), kBlank5);
  EXPECT_EQ(rec.rP.Str(), kBlank5);
  EXPECT_EQ(rec.ExpectedVolP.Str(), kBlank6);
  EXPECT_EQ(rec.Model, 0);
  for (const TTableRow& row : rec.TableData) EXPECT_EQ(row.RmodelP.Str(), kBlank6);
}

// --- Worked values -------------------------------------------------------

TEST(Calculate, ReproducesTheWorkedValuesOfA47mmDiscAt30Psi) {
  TWineRec rec = MakeTrial();
  SetPoints(rec, {{10.0, 60}, {19.0, 120}, {27.0, 180}, {34.0, 240}, {40.0, 300}});
  EXPECT_THAT(Calculate(rec, true), IsEmpty());
  EXPECT_EQ(rec.TableData[0].VA.Str(), "0.003");  // w = 0.00288 m
  EXPECT_EQ(rec.TableData[0].R.Str(), "1435.4");  // 1435.45 cut to six characters
  EXPECT_EQ(rec.MaxProdR.Str(), "5515.8");        // 40 bpm on 20 m² at 30 psi
  EXPECT_EQ(rec.ProdFaceVel.Str(), " 0.4");
  // The table's copies of the points.
  EXPECT_EQ(rec.TableData[1].V.Str(), "  19.0");
  EXPECT_EQ(rec.TableData[1].M.Str(), "  2");
  EXPECT_EQ(rec.TableData[1].Sc.Str(), "00");
}

TEST(Calculate, TakesTheRateUnitAndTheWineTypeIntoAccount) {
  Conditions gpm;
  gpm.ProdRateUnits = 1;
  TWineRec rec = MakeTrial(gpm);
  SetPoints(rec, {{10.0, 60}});
  Calculate(rec, false);
  EXPECT_EQ(rec.MaxProdR.Str(), "1092.8");    // 40 US gallons a minute
  EXPECT_EQ(rec.ProdFaceVel.Str(), kBlank4);  // too few points: blanks
  Conditions dessert;
  dessert.WineType = 1;
  rec = MakeTrial(dessert);
  SetPoints(rec, {{10.0, 60}, {19.0, 120}, {27.0, 180}, {34.0, 240}});
  Calculate(rec, false);
  EXPECT_EQ(rec.TableData[0].R.Str(), "1025.3");  // viscosity 0.0021 instead of 0.0015
  EXPECT_EQ(rec.MaxProdR.Str(), "3939.8");
}

TEST(Calculate, RecoversTheModelsOfARealisticTrial) {
  TWineRec rec = MakeTrial();
  SetPoints(rec, PowerTrial());
  EXPECT_THAT(Calculate(rec, true), IsEmpty());
  // R0 = 0.8e12, n = 1.4, within what 0.1 ml volumes and whole seconds allow.
  EXPECT_NEAR(Shown(rec.RmP), 8e11, 2e10);
  EXPECT_NEAR(NumberOr0(rec.bP.Str()), 1.4, 0.05);
  EXPECT_EQ(rec.rP.Str(), "1.000");
  EXPECT_EQ(rec.rE.Str(), "0.999");
  EXPECT_EQ(rec.Model, 1);  // the power model fits at least as well
  EXPECT_NEAR(rec.aReal.Value(), 2e13, 2e12);
  // The coefficient's text comes from the value the 6-byte real holds.
  EXPECT_EQ(rec.a.Str(), Fixed(rec.aReal.Value() / 1e9, 7, 3).substr(0, 7));
  EXPECT_EQ(rec.ExpectedVolP.Str(), "1,951");
  EXPECT_EQ(rec.ExpectedVolE.Str(), "  1423");
  EXPECT_EQ(rec.LabEquivVol.Str(), " 481");  // 157.9 ml scaled from 17.3 cm² to 20 m²
  EXPECT_EQ(rec.LabFaceVel.Str(), " 2.0");
  // Both model columns follow the measured resistances.
  for (int j = 0; j < 12; ++j) {
    const TTableRow& row = rec.TableData[static_cast<std::size_t>(j)];
    EXPECT_NEAR(Shown(row.RmodelP), Shown(row.R), 0.02 * Shown(row.R)) << "row " << j + 1;
    EXPECT_NEAR(Shown(row.RmodelE), Shown(row.R), 0.03 * Shown(row.R)) << "row " << j + 1;
  }
  EXPECT_TRUE(rec.TableData[12].V.Empty());
}

// --- Which points take part ---------------------------------------------

TEST(Calculate, SkipsLeadingPointsWhileTheResistanceFalls) {
  const auto points = Resistances({5, 4, 3, 6, 7, 8, 9});
  TWineRec base = MakeTrial();
  SetPoints(base, points);
  Calculate(base, false);
  EXPECT_NE(base.bE.Str(), kBlank5);
  // MinSkip 1 and 2 end at the same place: points 3 to 7.
  for (std::uint16_t skip : {1, 2}) {
    TWineRec rec = MakeTrial();
    SetPoints(rec, points);
    rec.Data.MinSkip = skip;
    Calculate(rec, false);
    EXPECT_EQ(Results(rec), Results(base)) << "MinSkip " << skip;
  }
  // Other falling resistances before point 3 (same volume at point 2) leave
  // the fit as it was; only their own R texts change.
  TWineRec other = MakeTrial();
  auto moved = points;
  moved[0].volumeMl *= 0.8;  // R1 6.25e9, R2 about 3.45e9: still falling
  SetPoints(other, moved);
  Calculate(other, false);
  EXPECT_EQ(Results(other), Results(base));
  EXPECT_NE(other.TableData[0].R.Str(), base.TableData[0].R.Str());
  // Skipped points keep their rows, with the models evaluated there.
  EXPECT_NE(base.TableData[0].R.Str(), "");
  EXPECT_NE(base.TableData[0].RmodelE.Str(), "");

  // MinSkip 3: points 4 to 7, a different fit.
  TWineRec three = MakeTrial();
  SetPoints(three, points);
  three.Data.MinSkip = 3;
  EXPECT_THAT(Calculate(three, true), IsEmpty());
  EXPECT_NE(three.bE.Str(), base.bE.Str());
  // MinSkip 4 leaves three points.
  TWineRec four = MakeTrial();
  SetPoints(four, points);
  four.Data.MinSkip = 4;
  EXPECT_THAT(Calculate(four, true), ElementsAre(kInsufficientDataWarning));
  ExpectFitBlanks(four, kBlank6);
  EXPECT_EQ(four.TableData[6].R.Str(), "  9.00");  // the R column stays
}

TEST(Calculate, FitsFourPointsButNotThree) {
  TWineRec rec = MakeTrial();
  SetPoints(rec, Resistances({3, 4, 5, 6}));
  EXPECT_THAT(Calculate(rec, true), IsEmpty());
  EXPECT_NE(rec.bE.Str(), kBlank5);
  SetPoints(rec, Resistances({3, 4, 5}));
  EXPECT_THAT(Calculate(rec, true), ElementsAre(kInsufficientDataWarning));
  ExpectFitBlanks(rec, kBlank6);
  EXPECT_EQ(rec.TableData[2].R.Str(), "  5.00");
  EXPECT_TRUE(rec.TableData[3].V.Empty());
}

TEST(Calculate, ATrialWithoutPointsOnlyComputesTheProductionLimit) {
  TWineRec rec = MakeTrial();
  EXPECT_THAT(Calculate(rec, true), ElementsAre(kInsufficientDataWarning));
  EXPECT_EQ(rec.MaxProdR.Str(), "5515.8");
  ExpectFitBlanks(rec, kBlank6);
  EXPECT_THAT(Calculate(rec, false), IsEmpty());
}

TEST(Calculate, AnEqualLastTimeEndsThePointsWithoutWarning) {
  TWineRec rec = MakeTrial();
  // Volume steps of 12, 11, 10 and 9 ml: the resistance rises.
  SetPoints(rec, {{12.0, 30}, {23.0, 60}, {33.0, 90}, {42.0, 120}, {50.0, 120}});
  EXPECT_THAT(Calculate(rec, true), IsEmpty());
  EXPECT_NE(rec.bE.Str(), kBlank5);  // four points fitted
  EXPECT_FALSE(rec.TableData[3].R.Empty());
  EXPECT_TRUE(rec.TableData[4].V.Empty());  // the fifth row is emptied
  EXPECT_TRUE(rec.TableData[4].VA.Empty());
  EXPECT_EQ(rec.Data.V[4].Str(), "  50.0");  // the points themselves stay
}

TEST(Calculate, AZeroIntervalInTheMiddleEndsThePointsThere) {
  // Points 1 to 6 with an equal time at 6, then two more points.
  auto points = PowerTrial(8);
  points[5].seconds = points[4].seconds;
  TWineRec shortened = MakeTrial();
  SetPoints(shortened, std::vector<Point>(points.begin(), points.begin() + 6));
  Calculate(shortened, false);
  TWineRec full = MakeTrial();
  SetPoints(full, points);
  EXPECT_THAT(Calculate(full, true), IsEmpty());
  EXPECT_NE(full.bE.Str(), kBlank5);
  EXPECT_EQ(Results(full), Results(shortened));
  EXPECT_EQ(TableTexts(full), TableTexts(shortened));
  for (std::size_t k = 5; k < kPointCount; ++k) EXPECT_TRUE(full.TableData[k].V.Empty()) << k + 1;

  // A middle row whose time texts are blanks reads as time 0: same ending.
  TWineRec blanks = MakeTrial();
  SetPoints(blanks, points);
  blanks.Data.M[5].Set("   ");
  blanks.Data.Sc[5].Set("  ");
  Calculate(blanks, false);
  EXPECT_EQ(Results(blanks), Results(shortened));
}

// --- Warnings -----------------------------------------------------------

TEST(Calculate, RefusesATimeThatGoesBack) {
  TWineRec rec = MakeTrial();
  SetPoints(rec, {{10.0, 60}, {20.0, 50}, {30.0, 120}, {40.0, 180}});
  EXPECT_THAT(Calculate(rec, true), ElementsAre(kTimeIntervalWarning));
  ExpectFitBlanks(rec, "   neg");
  for (const TTableRow& row : rec.TableData) EXPECT_TRUE(row.R.Empty());
  // A falling volume as well: the time warning alone is shown.
  SetPoints(rec, {{10.0, 60}, {5.0, 50}, {30.0, 120}, {40.0, 180}});
  EXPECT_THAT(Calculate(rec, true), ElementsAre(kTimeIntervalWarning));
}

TEST(Calculate, RefusesAVolumeThatGoesBackWithOrWithoutDialogs) {
  TWineRec shown = MakeTrial();
  SetPoints(shown, {{10.0, 60}, {20.0, 120}, {15.0, 180}});
  EXPECT_THAT(Calculate(shown, true), ElementsAre(kVolumeIntervalWarning));
  ExpectFitBlanks(shown, "   neg");
  for (const TTableRow& row : shown.TableData) EXPECT_TRUE(row.R.Empty());
  EXPECT_EQ(shown.TableData[2].VA.Str(), "0.010");  // V/A stays
  TWineRec silent = MakeTrial();
  SetPoints(silent, {{10.0, 60}, {20.0, 120}, {15.0, 180}});
  EXPECT_THAT(Calculate(silent, false), IsEmpty());
  EXPECT_EQ(silent, shown);
}

TEST(Calculate, ReportsARmAboveTheProductionLimit) {
  Conditions fast;  // 1999 bpm through 0.2 m² at 1 psi
  fast.ProdP = "   1";
  fast.ProdA = "0.20";
  fast.ProdRate = "1999";
  TWineRec rec = MakeTrial(fast);
  SetPoints(rec, PowerTrial());
  const auto warnings = Calculate(rec, true);
  ASSERT_FALSE(warnings.empty());
  EXPECT_EQ(warnings[0], kRmAboveRmaxWarning);
  EXPECT_EQ(rec.ExpectedVolE.Str(), "  0");
  EXPECT_NE(rec.bE.Str(), kBlank5);  // both fits are still written
  EXPECT_NE(rec.bP.Str(), kBlank5);
}

TEST(Calculate, LeavesThePowerVolumeWhenLnAReachesATinyLimit) {
  Conditions damaged;  // only a foreign file holds such a pressure and area
  damaged.ProdP = "1e-9";
  damaged.ProdA = "1e-9";
  TWineRec rec = MakeTrial(damaged);
  SetPoints(rec, PowerTrial());
  EXPECT_THAT(Calculate(rec, true), ElementsAre(kRmAboveRmaxWarning));
  EXPECT_EQ(rec.ExpectedVolP.Str(), "  0");  // from the exponential step, untouched
  EXPECT_NE(rec.bP.Str(), kBlank5);
}

TEST(Calculate, ReportsNoFoulingForAConstantResistance) {
  TWineRec rec = MakeTrial();
  // 100 ml every minute: 0.14e12 /m throughout.
  SetPoints(rec, {{100, 60}, {200, 120}, {300, 180}, {400, 240}, {500, 300}, {600, 360}});
  EXPECT_THAT(Calculate(rec, true), ElementsAre(kNoFoulingWarning));
  EXPECT_EQ(rec.bE.Str(), "0.000");
  EXPECT_EQ(rec.rE.Str(), "0.000");
  EXPECT_EQ(rec.ExpectedVolE.Str(), kBlank6);
  // The power model finds no slope either and never reaches the limit.
  EXPECT_EQ(rec.bP.Str(), "0.000");
  EXPECT_EQ(rec.ExpectedVolP.Str(), " incalculably high");
}

TEST(Calculate, ReportsAPowerOffsetAboveTheProductionLimit) {
  Conditions c;  // a limit between the exponential Rm and the power R0
  c.ProdRate = " 283";
  TWineRec rec = MakeTrial(c);
  SetPoints(rec, PowerTrial());
  EXPECT_THAT(Calculate(rec, true), ElementsAre(kPowerRmAboveRmaxWarning));
  EXPECT_LT(Shown(rec.RmE), Shown(rec.MaxProdR));
  EXPECT_GE(Shown(rec.RmP), Shown(rec.MaxProdR));
  EXPECT_EQ(rec.ExpectedVolP.Str(), "  0");
  EXPECT_NE(rec.ExpectedVolE.Str(), kBlank6);
  TWineRec silent = MakeTrial(c);
  SetPoints(silent, PowerTrial());
  EXPECT_THAT(Calculate(silent, false), IsEmpty());
  EXPECT_EQ(silent, rec);
}

// --- Sound behaviour where the arithmetic would break ------------------

TEST(Calculate, AFirstReadingThatRoundsToZeroVolumePerAreaAddsNoPowerTerm) {
  // About 1 ml on a 47 mm disc: V/A reads "0.000", and ln 0 is no number.
  auto points = PowerTrial();
  points.insert(points.begin(), Point{1.0, 6});
  for (std::size_t i = 1; i < points.size(); ++i) points[i].volumeMl += 1.0, points[i].seconds += 6;
  TWineRec rec = MakeTrial();
  SetPoints(rec, points);
  Calculate(rec, false);
  ASSERT_EQ(rec.TableData[0].VA.Str(), "0.000");
  ASSERT_NE(rec.RmP.Str(), kBlank6);
  EXPECT_EQ(rec.TableData[0].RmodelP.Str(), rec.RmP.Str());  // R0 + 0
}

TEST(Calculate, ACoefficientTooLargeForTheStoredRealFailsThePowerFit) {
  // A long first interval, then resistance shooting up over a sliver of
  // volume: the power exponent comes out near 100 and a near e^217.
  auto points = Resistances({1, 1.5, 2.5, 4.5, 9, 20});
  for (auto& p : points) p.seconds += 19 * 60;
  const double first = points[0].volumeMl;
  points[0] = {first * 20, 20 * 60};
  for (std::size_t i = 1; i < points.size(); ++i) points[i].volumeMl += 19 * first;
  TWineRec rec = MakeTrial();
  SetPoints(rec, points);
  rec.Data.MinSkip = 1;
  rec.aReal = *Real48::FromDouble(3.0e11);
  const Real48 before = rec.aReal;
  EXPECT_THAT(Calculate(rec, true), IsEmpty());
  EXPECT_NE(rec.bE.Str(), kBlank5);
  ExpectPowerFailed(rec);
  EXPECT_EQ(rec.aReal, before);  // a failed fit writes no coefficient
}

TEST(Calculate, BoundsThePowerSearchAtAMillionStepsAPhase) {
  // A constant resistance keeps the search climbing to the resistance itself
  // in steps of 10^9. 1000 psi on a 644 mm disc and 100 ml a minute give
  // about 0.90e15 /m: under the bound. The same with 134 s intervals gives
  // about 2.0e15 /m: past it.
  Conditions big;
  big.LabP = "1000";
  big.LabFiltDia = " 644";
  big.ProdP = "1000";
  big.ProdA = "1000";
  big.ProdRate = " 0.1";
  TWineRec under = MakeTrial(big);
  SetPoints(under, {{100, 60}, {200, 120}, {300, 180}, {400, 240}});
  EXPECT_THAT(Calculate(under, true), ElementsAre(kNoFoulingWarning));
  EXPECT_EQ(under.TableData[0].R.Str(), "898344");
  EXPECT_NE(under.RmP.Str(), kBlank6);
  EXPECT_EQ(under.ExpectedVolP.Str(), " incalculably high");
  EXPECT_EQ(under.Model, 1);  // 0 <= 0

  TWineRec over = MakeTrial(big);
  SetPoints(over, {{100, 134}, {200, 268}, {300, 402}, {400, 536}});
  EXPECT_THAT(Calculate(over, true), ElementsAre(kNoFoulingWarning));
  EXPECT_EQ(over.TableData[0].R.Str(), "> 1E15");
  ExpectPowerFailed(over);
}

TEST(Calculate, BlanksTheResultsSilentlyWhenTheExponentialFitIsNotFinite) {
  // A zero filter diameter (only in a damaged file) makes every w infinite
  // and every resistance 0.
  Conditions damaged;
  damaged.LabFiltDia = "   0";
  TWineRec rec = MakeTrial(damaged);
  SetPoints(rec, PowerTrial());
  EXPECT_THAT(Calculate(rec, true), IsEmpty());
  ExpectFitBlanks(rec, kBlank6);
  for (const TTableRow& row : rec.TableData) {
    EXPECT_EQ(row.VA.Str().find_first_of("ni"), std::string::npos);
    EXPECT_EQ(row.R.Str().find_first_of("ni"), std::string::npos);
  }
}

TEST(Calculate, ReadsDamagedValuesSafely) {
  TWineRec rec = MakeTrial();
  SetPoints(rec, PowerTrial());
  rec.Data.MinSkip = 60000;  // far past the 36 points
  EXPECT_THAT(Calculate(rec, true), ElementsAre(kInsufficientDataWarning));
  ExpectFitBlanks(rec, kBlank6);

  // Texts that are no numbers read as 0: a point without a time ends the
  // list, a condition without a value gives a zero limit.
  rec = MakeTrial();
  SetPoints(rec, PowerTrial());
  rec.Data.M[6].Set("x1");
  rec.Conditions.ProdRate.Set("abc");
  rec.Conditions.ProdP.Set("?");
  Calculate(rec, false);
  EXPECT_TRUE(rec.TableData[6].V.Empty());
  EXPECT_NE(rec.bE.Str(), kBlank5);
  EXPECT_EQ(rec.MaxProdR.Str(), kBlank6);  // 0 / 0 is no resistance
  EXPECT_EQ(rec.ProdFaceVel.Str(), " 0.0");

  // Length bytes beyond the capacity read only the capacity.
  rec = MakeTrial();
  SetPoints(rec, PowerTrial());
  rec.Data.V[0].len = 200;
  rec.TableData[20].RmodelE.len = 255;
  Calculate(rec, false);
  EXPECT_EQ(rec.TableData[0].V.Str().size(), 6u);
  EXPECT_TRUE(rec.TableData[20].RmodelE.Empty());
}

TEST(Calculate, ReadsVolumesCollectedPastTenLitresAsTheirDigits) {
  // The collection stores 10000.0 ml as "10000." (cut to six characters).
  TWineRec typed = MakeTrial();
  SetPoints(typed, {{10000, 60}, {19000, 120}, {27000, 180}, {34000, 240}, {40000, 300}});
  TWineRec collected = typed;
  for (auto& v : collected.Data.V) {
    if (!v.Empty()) v.Set(Fixed(NumberOr0(v.Str()), 6, 1));
  }
  ASSERT_EQ(collected.Data.V[0].Str(), "10000.");
  Calculate(typed, false);
  Calculate(collected, false);
  EXPECT_NE(collected.RmE.Str(), "   neg");
  EXPECT_EQ(Results(collected), Results(typed));
}

TEST(Calculate, WritesEveryNumberWithADecimalPoint) {
  TWineRec rec = MakeTrial();
  SetPoints(rec, PowerTrial());
  Calculate(rec, false, ".");
  EXPECT_EQ(rec.ExpectedVolP.Str(), "1.951");  // grouped with the given separator
  EXPECT_EQ(rec.TableData[0].VA.Str(), "0.005");
  EXPECT_EQ(rec.LabFaceVel.Str(), " 2.0");
}

// --- Runs, collapse -----------------------------------------------------

TEST(Calculate, ReplacesThePreviousResultsAndIgnoresOldTableRows) {
  TWineRec rec = MakeTrial();
  SetPoints(rec, PowerTrial(20));
  Calculate(rec, false);
  // Fewer points now: the rows past them must not keep old texts.
  SetPoints(rec, PowerTrial(10));
  Calculate(rec, false);
  TWineRec fresh = MakeTrial();
  SetPoints(fresh, PowerTrial(10));
  Calculate(fresh, false);
  EXPECT_EQ(Results(rec), Results(fresh));
  for (std::size_t k = 0; k < kPointCount; ++k) {
    EXPECT_EQ(rec.TableData[k].V.Str(), fresh.TableData[k].V.Str());
    EXPECT_EQ(rec.TableData[k].RmodelP.Str(), fresh.TableData[k].RmodelP.Str());
    EXPECT_EQ(rec.TableData[k].R.Str(), fresh.TableData[k].R.Str());
  }
  const TWineRec once = rec;
  Calculate(rec, false);
  EXPECT_EQ(rec, once);
}

TEST(DataCollapse, KeepsEverySecondPointAndRecalculates) {
  TWineRec rec = MakeTrial();
  const auto points = PointsFollowing([](double w) { return 8e11 + 2e13 * std::pow(w, 1.4); }, 36, 30);
  SetPoints(rec, points);
  rec.Data.MinSkip = 1;
  const TData before = rec.Data;
  DataCollapse(rec);
  for (std::size_t k = 0; k < 18; ++k) {
    EXPECT_EQ(rec.Data.V[k], before.V[2 * k + 1]) << k + 1;
    EXPECT_EQ(rec.Data.M[k], before.M[2 * k + 1]) << k + 1;
    EXPECT_EQ(rec.Data.Sc[k], before.Sc[2 * k + 1]) << k + 1;
  }
  for (std::size_t k = 18; k < kPointCount; ++k) {
    EXPECT_TRUE(rec.Data.V[k].Empty() && rec.Data.M[k].Empty() && rec.Data.Sc[k].Empty()) << k + 1;
    EXPECT_TRUE(rec.TableData[k].V.Empty()) << k + 1;
  }
  EXPECT_EQ(rec.Data.MinSkip, 1);
  EXPECT_EQ(rec.TableData[0].V, before.V[1]);
  TWineRec expected = rec;
  Calculate(expected, false);
  EXPECT_EQ(rec, expected);
  EXPECT_NE(rec.bP.Str(), kBlank5);
}

}  // namespace
}  // namespace vorsant
