#include <gtest/gtest.h>

#include "flow_fixture.h"

namespace vorsant::testing {
namespace {

using EditConditionsTest = FlowTest;

TEST_F(EditConditionsTest, LoadsTheBoxesFromTheRecord) {
  TMDIChild& w = NewTrial("Riesling", "EK");
  w.WineClass.WineRec.Conditions.ProdRateUnits = 1;
  w.WineClass.WineRec.Conditions.WineType = 1;
  ui.ConditionsAnswers.push_back(std::nullopt);
  form->EditConditionsExecute();
  ASSERT_EQ(ui.ConditionsShown.size(), 2u);
  const ConditionsInput& shown = ui.ConditionsShown[1];
  EXPECT_EQ(shown.WineName, "Riesling");
  EXPECT_EQ(shown.FilterName, "EK");
  EXPECT_EQ(shown.LabPressure, "30.0");
  EXPECT_EQ(shown.WineType, 1);
  EXPECT_FALSE(shown.UnitsBPM);
}

TEST_F(EditConditionsTest, CancelLeavesTheTrialUntouched) {
  TMDIChild& w = OpenTrial(TrialFile("a.vrs"));
  TWineRec before = w.WineClass.WineRec;
  int reports = ui.Reports;
  ui.ConditionsAnswers.push_back(std::nullopt);
  form->EditConditionsExecute();
  EXPECT_EQ(w.WineClass.WineRec, before);
  EXPECT_FALSE(w.WineClass.Modified);
  EXPECT_EQ(ui.Reports, reports);
}

TEST_F(EditConditionsTest, OkMarksTheTrialModifiedRecalculatesAndShowsTheWarnings) {
  TMDIChild& w = OpenTrial(TrialFile("a.vrs"));
  int reports = ui.Reports;
  ui.ConditionsAnswers.push_back(GoodConditions("Same", "Pad"));
  form->EditConditionsExecute();
  EXPECT_TRUE(w.WineClass.Modified);
  EXPECT_EQ(w.WineClass.WineRec.Conditions.WineName.Str(), "Same");
  EXPECT_EQ(w.WineClass.WineRec.LabA.Str(), " 17.3");
  // No points yet: the analysis finds too little data but still computes
  // the production limit.
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Data is insufficient to calculate fouling constants."});
  EXPECT_EQ(ui.Messages[0].Icon, MessageIcon::Warning);
  EXPECT_EQ(w.WineClass.WineRec.MaxProdR.Str(), "5515.8");
  EXPECT_EQ(ui.Reports, reports + 1);
  EXPECT_EQ(w.Caption, "a.vrs") << "the caption stays the file's name";
}

TEST_F(EditConditionsTest, TheDialogsOkReportsOnlyTheFirstBadBoxAndRewritesTheOnesBefore) {
  ConditionsInput input = GoodConditions();
  input.LabPressure = "100";
  input.FilterDiameter = "1,5";
  input.Rate = "2000";
  auto failed = CheckConditionsDialog(input, ui);
  ASSERT_TRUE(failed.has_value());
  EXPECT_EQ(*failed, ConditionsBox::FilterDiameter);
  EXPECT_EQ(input.LabPressure, " 100");
  EXPECT_EQ(input.FilterDiameter, "1,5");
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"Laboratory Filter Diameter is out of Range. Please enter a "
                                     "value between 1000 and 1."});
  EXPECT_EQ(ui.Messages[0].Icon, MessageIcon::Information);

  input.FilterDiameter = "47";
  failed = CheckConditionsDialog(input, ui);
  ASSERT_TRUE(failed.has_value());
  EXPECT_EQ(*failed, ConditionsBox::Rate);
  EXPECT_EQ(ui.Messages.back().Text,
            "Full-Scale Rate is out of Range. Please enter a value between 1999 and 0.1.");

  input.Rate = "1999";
  EXPECT_FALSE(CheckConditionsDialog(input, ui).has_value());
  EXPECT_EQ(input.FilterDiameter, "47.0");
  EXPECT_EQ(input.Rate, "1999");
}

TEST_F(EditConditionsTest, TheDialogsBoxesTakeTheirCanonicalForms) {
  struct Case {
    const char* pressure;
    const char* area;
    const char* maxPressure;
    const char* wantPressure;
    const char* wantArea;
    const char* wantMax;
  };
  for (Case c :
       {Case{"1000", "150", "75", "1000", " 150", "  75"}, Case{"30", "2.5", "1", "30.0", "2.50", "   1"},
        Case{"0.1", "12.5", "1000", " 0.1", "12.5", "1000"}}) {
    ConditionsInput input = GoodConditions();
    input.LabPressure = c.pressure;
    input.Area = c.area;
    input.MaxPressure = c.maxPressure;
    EXPECT_FALSE(CheckConditionsDialog(input, ui).has_value()) << c.pressure;
    EXPECT_EQ(input.LabPressure, c.wantPressure);
    EXPECT_EQ(input.Area, c.wantArea);
    EXPECT_EQ(input.MaxPressure, c.wantMax);
  }
  EXPECT_TRUE(ui.Messages.empty());
}

TEST_F(EditConditionsTest, BlankNamesPassButEmptyOnesAndBlankNumbersDoNot) {
  ConditionsInput input = GoodConditions(" ", " ");
  EXPECT_FALSE(CheckConditionsDialog(input, ui).has_value());
  input.WineName.clear();
  EXPECT_EQ(CheckConditionsDialog(input, ui), ConditionsBox::WineName);
  EXPECT_EQ(ui.Messages.back().Text, "Wine Name field is blank; please enter a name for this wine.");
  input = GoodConditions();
  input.LabPressure = "30 ";
  EXPECT_EQ(CheckConditionsDialog(input, ui), ConditionsBox::LabPressure);
  EXPECT_EQ(input.LabPressure, "30 ");
}

}  // namespace
}  // namespace vorsant::testing
