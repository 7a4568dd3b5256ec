#include <cmath>
#include <cstdio>

#include <gtest/gtest.h>

#include "flow_fixture.h"
#include "trial/analysis.h"

namespace vorsant::testing {
namespace {

// A sheet that fouls: cumulative volume 1200 * (1 - exp(-t / 400)) ml, read
// every 30 s, typed the way a user would (no padding, one decimal).
struct TypedPoint {
  std::string V, Min, Sec;
};
std::vector<TypedPoint> FoulingTrial(int count) {
  std::vector<TypedPoint> points;
  for (int k = 1; k <= count; ++k) {
    int t = 30 * k;
    char v[16];
    std::snprintf(v, sizeof v, "%.1f", 1200 * (1 - std::exp(-t / 400.0)));
    points.push_back({v, std::to_string(t / 60), std::to_string(t % 60)});
  }
  return points;
}

DataDialogPress TypePoints(std::vector<TypedPoint> points, std::optional<int> skip) {
  return [points = std::move(points), skip](DataInput& boxes) {
    for (std::size_t i = 0; i < points.size(); ++i) {
      boxes.V[i] = points[i].V;
      boxes.Min[i] = points[i].Min;
      boxes.Sec[i] = points[i].Sec;
    }
    if (skip) boxes.Skip = skip;
    return true;
  };
}

const DataDialogPress kPressOk = [](DataInput&) { return true; };
const DataDialogPress kPressCancel = [](DataInput&) { return false; };

class EditDataTest : public FlowTest {
 protected:
  // A stored trial with ten points, MinSkip `skip`, and results that do not
  // belong to its points, as an edited-elsewhere file may have.
  std::string StoredTrial(const std::string& name, std::uint16_t skip) {
    TWineRec rec{};
    rec.Conditions.WineName.Set("Stored");
    rec.Conditions.LabP.Set("30.0");
    rec.Conditions.LabFiltDia.Set("47.0");
    rec.Conditions.ProdP.Set("  30");
    rec.Conditions.ProdA.Set("20.0");
    rec.Conditions.ProdRate.Set("40.0");
    DataInput typed;
    auto points = FoulingTrial(10);
    for (std::size_t i = 0; i < points.size(); ++i) {
      typed.V[i] = points[i].V;
      typed.Min[i] = points[i].Min;
      typed.Sec[i] = points[i].Sec;
    }
    if (DataRangeCheck(typed)) throw std::logic_error("bad sample points");
    TWineClass wine{false, rec};
    ApplyData(typed, wine);
    wine.WineRec.Data.MinSkip = skip;
    wine.WineRec.RmP.Set("  12.5");
    WriteBytes(Path(name), EncodeWineRec(wine.WineRec));
    return Path(name);
  }

  std::vector<std::string> LogFrom(std::size_t first) const {
    return {ui.Log.begin() + static_cast<std::ptrdiff_t>(first), ui.Log.end()};
  }
};

TEST_F(EditDataTest, ShowsTheActiveTrialAndCancelLeavesItUntouched) {
  TMDIChild& first = OpenTrial(StoredTrial("first.vrs", 2));
  OpenTrial(TrialFile("second.vrs"));
  ui.Active = &first;
  const TWineRec before = first.WineClass.WineRec;
  const int reports = ui.Reports;
  ui.DataPresses.push_back([](DataInput& boxes) {
    boxes.V[0] = "999";
    boxes.Skip = 5;
    return false;
  });
  form->EditDataExecute();

  ASSERT_EQ(ui.DataShown.size(), 1u);
  const DataInput& shown = ui.DataShown[0];
  EXPECT_EQ(shown.V[0], "  86.7");
  EXPECT_EQ(shown.Min[9], "  5");
  EXPECT_EQ(shown.Sec[0], "30");
  EXPECT_EQ(shown.V[10], "");
  EXPECT_EQ(shown.Skip, 2);
  EXPECT_EQ(first.WineClass.WineRec, before);
  EXPECT_FALSE(first.WineClass.Modified);
  EXPECT_EQ(ui.Reports, reports);
  EXPECT_TRUE(ui.Messages.empty());
}

TEST_F(EditDataTest, OkWithoutAChangeStillMarksTheTrialModifiedAndRecalculates) {
  TMDIChild& w = OpenTrial(StoredTrial("a.vrs", 1));
  TWineRec expected = w.WineClass.WineRec;
  ASSERT_TRUE(Calculate(expected, true).empty());
  ASSERT_NE(expected.RmP.Str(), "  12.5");
  const int reports = ui.Reports;
  ui.DataPresses.push_back(kPressOk);
  form->EditDataExecute();

  EXPECT_TRUE(w.WineClass.Modified);
  EXPECT_EQ(w.WineClass.WineRec, expected) << "the stored results are replaced by fresh ones";
  EXPECT_EQ(ui.Reports, reports + 1);
  EXPECT_TRUE(ui.Messages.empty());
}

TEST_F(EditDataTest, TypedPointsAreStoredInTheirCanonicalFormAndAnalysed) {
  TMDIChild& w = NewTrial();
  const std::size_t logStart = ui.Log.size();
  ui.DataPresses.push_back(TypePoints(FoulingTrial(12), 1));
  form->EditDataExecute();

  const TWineRec& rec = w.WineClass.WineRec;
  EXPECT_EQ(rec.Data.V[0].Str(), "  86.7");
  EXPECT_EQ(rec.Data.V[11].Str(), " 712.1");
  EXPECT_EQ(rec.Data.M[0].Str(), "  0");
  EXPECT_EQ(rec.Data.Sc[0].Str(), "30");
  EXPECT_EQ(rec.Data.Sc[1].Str(), "00");
  EXPECT_EQ(rec.Data.V[12].Str(), "");
  EXPECT_EQ(rec.Data.MinSkip, 1);
  EXPECT_TRUE(w.WineClass.Modified);
  // A clean fouling curve: both models fit and nothing is worth a warning.
  EXPECT_TRUE(ui.Messages.empty());
  EXPECT_NE(rec.RmE.Str(), "   neg");
  EXPECT_NE(rec.TableData[11].VA.Str(), "");
  EXPECT_NE(rec.ExpectedVolP.Str().find_first_not_of(' '), std::string::npos);
  EXPECT_EQ(LogFrom(logStart), (std::vector<std::string>{"data dialog", "report"}));
}

TEST_F(EditDataTest, ARefusedBoxKeepsTheDialogOpenWithTheOneMessage) {
  TMDIChild& w = NewTrial();
  auto points = FoulingTrial(8);
  points[2].V = "0.05";    // the first bad box in checking order
  points[0].Min = "1000";  // bad too, but minutes come after volumes
  ui.DataPresses.push_back(TypePoints(points, std::nullopt));
  DataInput seenOnRetry;
  ui.DataPresses.push_back([&](DataInput& boxes) {
    seenOnRetry = boxes;
    boxes.V[2] = "241.8";
    boxes.Min[0] = "0";
    return true;
  });
  form->EditDataExecute();

  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_EQ(ui.Messages[0].Text,
            "There is an error in the data entry. Please correct it and retry, or cancel. (Volume increments "
            "must be greater than 0.1 ml.)");
  EXPECT_EQ(ui.Messages[0].Icon, MessageIcon::Information);
  EXPECT_EQ(ui.Messages[0].Buttons, MessageButtons::Ok);
  // Boxes before the failure show their canonical text, the failing one and
  // all after it are as typed.
  EXPECT_EQ(seenOnRetry.V[1], " 167.2");
  EXPECT_EQ(seenOnRetry.V[2], "0.05");
  EXPECT_EQ(seenOnRetry.Min[0], "1000");
  EXPECT_EQ(w.WineClass.WineRec.Data.V[2].Str(), " 241.8");
  EXPECT_EQ(w.WineClass.WineRec.Data.M[0].Str(), "  0");
}

TEST_F(EditDataTest, AnalysisWarningsAreWarningBoxesShownBeforeTheReport) {
  TMDIChild& w = NewTrial();
  const std::size_t logStart = ui.Log.size();
  ui.DataPresses.push_back(TypePoints(FoulingTrial(2), std::nullopt));
  form->EditDataExecute();

  EXPECT_EQ(LogFrom(logStart),
            (std::vector<std::string>{"data dialog", "message: " + std::string(kInsufficientDataWarning),
                                      "report"}));
  EXPECT_EQ(ui.Messages.back().Icon, MessageIcon::Warning);
  EXPECT_TRUE(w.WineClass.Modified);
}

TEST_F(EditDataTest, TooFewReadingsAreCountedOnTheStatusBarAtTheAnalysisOwnLimit) {
  // Skipping 1, four readings are too few and five are enough: the number
  // the notice names is the analysis' own.
  NewTrial();
  ui.DataPresses.push_back(TypePoints(FoulingTrial(4), 1));
  form->EditDataExecute();
  EXPECT_EQ(ui.Notices,
            (std::vector<std::string>{"Chardonnay Pad has 4 readings; the analysis needs at least 4 "
                                      "after the 1 skipped"}));
  ui.DataPresses.push_back(TypePoints(FoulingTrial(5), 1));
  form->EditDataExecute();
  EXPECT_EQ(ui.Notices.size(), 1u);
  EXPECT_EQ(ui.Messages.size(), 1u);
}

TEST_F(EditDataTest, ASkipAboveTheChoicesShowsNoButtonAndIsKeptUnlessOneIsChecked) {
  TMDIChild& w = OpenTrial(StoredTrial("a.vrs", 20));
  ui.DataPresses.push_back(kPressOk);
  form->EditDataExecute();
  EXPECT_FALSE(ui.DataShown.back().Skip.has_value());
  EXPECT_EQ(w.WineClass.WineRec.Data.MinSkip, 20);

  ui.DataPresses.push_back([](DataInput& boxes) {
    boxes.Skip = 12;
    return true;
  });
  form->EditDataExecute();
  EXPECT_EQ(w.WineClass.WineRec.Data.MinSkip, 12);
}

using GraphCommandTest = FlowTest;

TEST_F(GraphCommandTest, EachCommandOpensAnotherWindowWithACopyOfTheActiveRecord) {
  TMDIChild& first = NewTrial("First");
  NewTrial("Second");
  ui.Active = &first;
  const TWineRec before = first.WineClass.WineRec;
  const int reports = ui.Reports;
  form->Execute(kCmdLaboratoryGraph);
  form->Execute(kCmdProductionGraph);
  form->Execute(kCmdLaboratoryGraph);
  ASSERT_EQ(ui.GraphWindows.size(), 3u);
  EXPECT_EQ(ui.GraphWindows[0].Kind, GraphWindowKind::Laboratory);
  EXPECT_EQ(ui.GraphWindows[1].Kind, GraphWindowKind::Production);
  EXPECT_EQ(ui.GraphWindows[2].Kind, GraphWindowKind::Laboratory);
  for (const auto& g : ui.GraphWindows) EXPECT_EQ(g.WineRec, first.WineClass.WineRec);
  EXPECT_EQ(first.WineClass.WineRec, before) << "a graph only reads the trial";
  EXPECT_EQ(ui.Reports, reports);
}

TEST_F(GraphCommandTest, TheDataCommandsNeedAnOpenTrial) {
  form->Execute(kCmdLaboratoryGraph);
  form->Execute(kCmdProductionGraph);
  form->Execute(kCmdEditData);
  EXPECT_TRUE(ui.GraphWindows.empty());
  EXPECT_TRUE(ui.DataShown.empty());

  NewTrial();
  ui.DataPresses.push_back(kPressCancel);
  form->Execute(kCmdEditData);
  form->Execute(kCmdProductionGraph);
  EXPECT_EQ(ui.DataShown.size(), 1u);
  EXPECT_EQ(ui.GraphWindows.size(), 1u);
}

}  // namespace
}  // namespace vorsant::testing
