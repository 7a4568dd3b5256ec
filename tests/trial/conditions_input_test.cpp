#include <string>

#include <gtest/gtest.h>

#include "trial/conditions_input.h"

namespace vorsant {
namespace {

// Runs the conditions dialog's Format and gives the box's text afterwards,
// or "ERROR:<text>" when the check failed.
std::string Formatted(std::string text, int decimal, int width, double lower, double upper) {
  bool error = false;
  conditions_input::Format(text, error, decimal, width, lower, upper);
  return error ? "ERROR:" + text : text;
}

ConditionsInput ValidInput() {
  ConditionsInput in;
  in.WineName = "Riesling";
  in.FilterName = "Pad K250";
  in.LabPressure = "30";
  in.FilterDiameter = "47";
  in.MaxPressure = "30";
  in.Area = "20";
  in.Rate = "40";
  return in;
}

TEST(ConditionsFormat, RewritesNumbersInTheirFixedWidth) {
  // Laboratory pressure: 1 decimal in 4 characters.
  EXPECT_EQ(Formatted("100", 1, 4, 0.1, 1000), " 100");
  EXPECT_EQ(Formatted("1000", 1, 4, 0.1, 1000), "1000");
  EXPECT_EQ(Formatted("30", 1, 4, 0.1, 1000), "30.0");
  EXPECT_EQ(Formatted("0.1", 1, 4, 0.1, 1000), " 0.1");
  EXPECT_EQ(Formatted("  7.25", 1, 4, 0.1, 1000), " 7.3");
  EXPECT_EQ(Formatted("1e2", 1, 4, 0.1, 1000), " 100");
  // Area: 2 decimals in 4 characters.
  EXPECT_EQ(Formatted("150", 2, 4, 0.2, 1000), " 150");
  EXPECT_EQ(Formatted("2.5", 2, 4, 0.2, 1000), "2.50");
  EXPECT_EQ(Formatted("12.5", 2, 4, 0.2, 1000), "12.5");
  EXPECT_EQ(Formatted("999.999", 2, 4, 0.2, 1000), "1000");
  // Maximum pressure: no decimals.
  EXPECT_EQ(Formatted("75", 0, 4, 1, 1000), "  75");
  EXPECT_EQ(Formatted("1.4", 0, 4, 1, 1000), "   1");
}

TEST(ConditionsFormat, RefusesBadTextAndKeepsIt) {
  EXPECT_EQ(Formatted("", 1, 4, 0.1, 1000), "ERROR:");
  EXPECT_EQ(Formatted("   ", 1, 4, 0.1, 1000), "ERROR:   ");
  EXPECT_EQ(Formatted("2,5", 1, 4, 0.1, 1000), "ERROR:2,5");
  EXPECT_EQ(Formatted("30 ", 1, 4, 0.1, 1000), "ERROR:30 ");
  EXPECT_EQ(Formatted("psi", 1, 4, 0.1, 1000), "ERROR:psi");
}

TEST(ConditionsFormat, BoundsAreInclusive) {
  EXPECT_EQ(Formatted("1999", 1, 4, 0.1, 1999), "1999");
  EXPECT_EQ(Formatted("1999.01", 1, 4, 0.1, 1999), "ERROR:1999.01");
  EXPECT_EQ(Formatted("2000", 1, 4, 0.1, 1999), "ERROR:2000");
  EXPECT_EQ(Formatted("0.2", 2, 4, 0.2, 1000), "0.20");
  EXPECT_EQ(Formatted("0.19", 2, 4, 0.2, 1000), "ERROR:0.19");
  EXPECT_EQ(Formatted("-5", 0, 4, 1, 1000), "ERROR:-5");
}

TEST(ConditionsRangeCheck, AcceptsValidBoxesAndRewritesThem) {
  ConditionsInput in = ValidInput();
  in.Area = "2.5";
  in.Rate = "1999";
  EXPECT_FALSE(ConditionsRangeCheck(in).has_value());
  EXPECT_EQ(in.LabPressure, "30.0");
  EXPECT_EQ(in.FilterDiameter, "47.0");
  EXPECT_EQ(in.MaxPressure, "  30");
  EXPECT_EQ(in.Area, "2.50");
  EXPECT_EQ(in.Rate, "1999");
  EXPECT_EQ(in.WineName, "Riesling");
}

TEST(ConditionsRangeCheck, ReportsEachBoxWithItsMessageInOrder) {
  struct Case {
    std::string ConditionsInput::*box;
    ConditionsBox id;
    const char* message;
  };
  const Case cases[] = {
      {&ConditionsInput::WineName, ConditionsBox::WineName,
       "Wine Name field is blank; please enter a name for this wine."},
      {&ConditionsInput::FilterName, ConditionsBox::FilterName,
       "Filter Name field is blank; please enter a name for this filter."},
      {&ConditionsInput::LabPressure, ConditionsBox::LabPressure,
       "Laboratory Pressure is out of Range. Please enter a value between 1000 and 0.1."},
      {&ConditionsInput::FilterDiameter, ConditionsBox::FilterDiameter,
       "Laboratory Filter Diameter is out of Range. Please enter a value between 1000 and 1."},
      {&ConditionsInput::MaxPressure, ConditionsBox::MaxPressure,
       "Maximum Full-Scale Pressure is out of Range. Please enter a value between 1000 and 1."},
      {&ConditionsInput::Area, ConditionsBox::Area,
       "Full-Scale Area is out of Range. Please enter a value between 1000 and 0.2."},
      {&ConditionsInput::Rate, ConditionsBox::Rate,
       "Full-Scale Rate is out of Range. Please enter a value between 1999 and 0.1."},
  };
  // Every box empty at once: the first is reported; once it is filled, the
  // next one is, and so on down the order.
  ConditionsInput in;
  const ConditionsInput valid = ValidInput();
  for (const Case& c : cases) {
    const auto failure = ConditionsRangeCheck(in);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->Box, c.id);
    EXPECT_EQ(failure->Message, c.message);
    in.*c.box = valid.*c.box;
  }
  EXPECT_FALSE(ConditionsRangeCheck(in).has_value());
}

TEST(ConditionsRangeCheck, EarlierBoxesAreRewrittenAndTheFailingOneKept) {
  ConditionsInput in = ValidInput();
  in.MaxPressure = "75";
  in.Area = "1000.5";
  in.Rate = "nonsense";
  const auto failure = ConditionsRangeCheck(in);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->Box, ConditionsBox::Area);
  EXPECT_EQ(in.LabPressure, "30.0");
  EXPECT_EQ(in.MaxPressure, "  75");
  EXPECT_EQ(in.Area, "1000.5");
  EXPECT_EQ(in.Rate, "nonsense");
}

TEST(ConditionsRangeCheck, BlankNamesCountAsNames) {
  ConditionsInput in = ValidInput();
  in.WineName = " ";
  in.FilterName = "  ";
  EXPECT_FALSE(ConditionsRangeCheck(in).has_value());
}

TEST(TransferConditions, CopiesTheBoxesCutToTheirFields) {
  ConditionsInput in = ValidInput();
  ASSERT_FALSE(ConditionsRangeCheck(in).has_value());
  in.WineName = "A very long wine name indeed";
  in.WineType = 1;
  in.UnitsBPM = false;
  TConditions c;
  c.VolType = 7;
  TransferConditions(in, c);
  EXPECT_EQ(c.WineName.Str(), "A very long wine");
  EXPECT_EQ(c.FilterName.Str(), "Pad K250");
  EXPECT_EQ(c.WineType, 1);
  EXPECT_EQ(c.LabP.Str(), "30.0");
  EXPECT_EQ(c.LabFiltDia.Str(), "47.0");
  EXPECT_EQ(c.ProdP.Str(), "  30");
  EXPECT_EQ(c.ProdA.Str(), "20.0");
  EXPECT_EQ(c.ProdRate.Str(), "40.0");
  EXPECT_EQ(c.ProdRateUnits, 1);
  EXPECT_EQ(c.VolType, 7);

  in.UnitsBPM = true;
  TransferConditions(in, c);
  EXPECT_EQ(c.ProdRateUnits, 0);
}

TEST(LoadConditions, ShowsTheStoredTextsAndChoices) {
  ConditionsInput in = ValidInput();
  in.WineType = 1;
  in.UnitsBPM = false;
  ASSERT_FALSE(ConditionsRangeCheck(in).has_value());
  TConditions c;
  TransferConditions(in, c);
  const ConditionsInput loaded = LoadConditions(c);
  EXPECT_EQ(loaded.WineName, in.WineName);
  EXPECT_EQ(loaded.LabPressure, "30.0");
  EXPECT_EQ(loaded.Rate, "40.0");
  EXPECT_EQ(loaded.WineType, 1);
  EXPECT_FALSE(loaded.UnitsBPM);

  c.WineType = 5;  // a foreign file: read as Dessert, like the analysis does
  c.ProdRateUnits = 3;
  EXPECT_EQ(LoadConditions(c).WineType, 1);
  EXPECT_FALSE(LoadConditions(c).UnitsBPM);
}

TEST(LabAreaText, GivesSquareCentimetresOfTheDisc) {
  EXPECT_EQ(LabAreaText("47.0"), " 17.3");
  EXPECT_EQ(LabAreaText("  25"), "  4.9");
  EXPECT_EQ(LabAreaText(" 1.0"), "  0.0");
  EXPECT_EQ(LabAreaText("1000"), " 7854");
  // 999.5 cm² and above lose the decimal; 356.7 mm gives about 999.33.
  EXPECT_EQ(LabAreaText("356.7"), "999.3");
  EXPECT_EQ(LabAreaText("357.0"), " 1001");
}

TEST(ApplyConditions, StoresTheBoxesTheAreaAndMarksTheTrialModified) {
  ConditionsInput in = ValidInput();
  ASSERT_FALSE(ConditionsRangeCheck(in).has_value());
  TWineClass wine;
  wine.WineRec.Conditions.VolType = 1;
  wine.WineRec.bE.Set("1.234");
  ApplyConditions(in, wine);
  EXPECT_TRUE(wine.Modified);
  EXPECT_EQ(wine.WineRec.LabA.Str(), " 17.3");
  EXPECT_EQ(wine.WineRec.Conditions.LabP.Str(), "30.0");
  EXPECT_EQ(wine.WineRec.Conditions.VolType, 1);
  EXPECT_EQ(wine.WineRec.bE.Str(), "1.234");
}

}  // namespace
}  // namespace vorsant
