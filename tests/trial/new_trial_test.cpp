#include <string>

#include <gtest/gtest.h>

#include "trial/new_trial.h"

namespace vorsant {
namespace {

ConditionsInput Accepted(const char* rate, bool bpm, const char* area = "20") {
  ConditionsInput in;
  in.WineName = "Merlot 2023";
  in.FilterName = "Membrane";
  in.WineType = 1;
  in.LabPressure = "30";
  in.FilterDiameter = "47";
  in.MaxPressure = "30";
  in.Area = area;
  in.Rate = rate;
  in.UnitsBPM = bpm;
  EXPECT_FALSE(ConditionsRangeCheck(in).has_value());
  return in;
}

TEST(NewWineRec, HoldsTheConditionsAndBlankResults) {
  const TWineRec rec = NewWineRec(Accepted("40", true));
  EXPECT_EQ(rec.Conditions.WineName.Str(), "Merlot 2023");
  EXPECT_EQ(rec.Conditions.FilterName.Str(), "Membrane");
  EXPECT_EQ(rec.Conditions.WineType, 1);
  EXPECT_EQ(rec.Conditions.VolType, 1);
  EXPECT_EQ(rec.Conditions.LabP.Str(), "30.0");
  EXPECT_EQ(rec.Conditions.ProdA.Str(), "20.0");
  EXPECT_EQ(rec.Conditions.ProdRateUnits, 0);
  EXPECT_EQ(rec.Model, 0);
  // 40 bottles per minute over 20 m².
  EXPECT_EQ(rec.ProdFaceVel.Str(), " 0.4");
  EXPECT_EQ(rec.LabA.Str(), " 17.3");
  for (const std::string& blank5 : {rec.bE.Str(), rec.bP.Str(), rec.rE.Str(), rec.rP.Str()})
    EXPECT_EQ(blank5, "     ");
  EXPECT_EQ(rec.a.Str(), "       ");
  for (const std::string& blank6 :
       {rec.RmE.Str(), rec.RmP.Str(), rec.MaxProdR.Str(), rec.ExpectedVolE.Str(), rec.ExpectedVolP.Str()})
    EXPECT_EQ(blank6, "      ");
  EXPECT_EQ(rec.LabEquivVol.Str(), "    ");
  EXPECT_EQ(rec.LabFaceVel.Str(), "    ");
}

TEST(NewWineRec, LeavesPointsTableAndRealZero) {
  const TWineRec rec = NewWineRec(Accepted("40", true));
  const auto image = EncodeWineRec(rec);
  // Data (73..578), aReal (663..668) and the table (705..) are all zero bytes.
  for (std::size_t i = 73; i < 579; ++i) ASSERT_EQ(image[i], 0) << i;
  for (std::size_t i = 663; i < 669; ++i) ASSERT_EQ(image[i], 0) << i;
  for (std::size_t i = 705; i < kWineRecSize; ++i) ASSERT_EQ(image[i], 0) << i;
}

TEST(ProdFaceVelText, ConvertsTheRateAndPicksTheDecimals) {
  EXPECT_EQ(ProdFaceVelText("40.0", 0, "20.0"), " 0.4");
  EXPECT_EQ(ProdFaceVelText("40.0", 1, "20.0"), " 2.0");
  EXPECT_EQ(ProdFaceVelText("99.4", 1, "1.00"), "99.4");
  EXPECT_EQ(ProdFaceVelText("99.5", 1, "1.00"), " 100");
  EXPECT_EQ(ProdFaceVelText("1999", 1, "0.20"), "9995");
  // Bottles of 0.75 l to gallons of 3.7854 l: 1999 bpm over 0.2 m² is 1980.2.
  EXPECT_EQ(ProdFaceVelText("1999", 0, "0.20"), "1980");
}

TEST(ProdFaceVelText, StaysBlankWithoutAnArea) {
  EXPECT_EQ(ProdFaceVelText("40.0", 0, ""), "    ");
  EXPECT_EQ(ProdFaceVelText("", 0, ""), "    ");
}

TEST(NewWineClass, StartsModified) {
  const TWineClass wine = NewWineClass(Accepted("12", false, "2.5"));
  EXPECT_TRUE(wine.Modified);
  EXPECT_EQ(wine.WineRec.Conditions.ProdRateUnits, 1);
  EXPECT_EQ(wine.WineRec.ProdFaceVel.Str(), " 4.8");
}

}  // namespace
}  // namespace vorsant
