#include <gtest/gtest.h>

#include "flow_fixture.h"

namespace vorsant::testing {
namespace {

using NewTest = FlowTest;
using OpenTest = FlowTest;

TEST_F(NewTest, CreatesAnUnsavedModifiedTrialNamedAfterWineAndFilter) {
  TMDIChild& w = NewTrial("Merlot", "K100");
  ASSERT_EQ(ui.ConditionsShown.size(), 1u);
  EXPECT_EQ(ui.ConditionsShown[0].WineType, 0);
  EXPECT_TRUE(ui.ConditionsShown[0].UnitsBPM);
  EXPECT_EQ(ui.ConditionsShown[0].WineName, "");
  EXPECT_EQ(w.Caption, "Merlot K100");
  EXPECT_EQ(w.FileName, "unsaved");
  EXPECT_TRUE(w.WineClass.Modified);
  EXPECT_EQ(w.WineClass.WineRec.Conditions.WineName.Str(), "Merlot");
  EXPECT_EQ(w.WineClass.WineRec.Conditions.VolType, 1);
  EXPECT_EQ(w.WineClass.WineRec.bE.Str(), "     ");
  EXPECT_EQ(form->WineWindowCount, 1);
  EXPECT_EQ(ui.Reports, 1);
  EXPECT_TRUE(ui.Messages.empty()) << "New runs no analysis";
  for (CommandId id : {kCmdFileSave, kCmdFileSaveAs, kCmdFileClose, kCmdEditConditions, kCmdEditData,
                       kCmdSetScaleConnection, kCmdWindowCascade})
    EXPECT_TRUE(form->Enabled(id)) << id;
}

TEST_F(NewTest, CancellingTheConditionsCreatesNothing) {
  ui.ConditionsAnswers.push_back(std::nullopt);
  form->FileNewExecute();
  EXPECT_TRUE(form->Windows().empty());
  EXPECT_EQ(form->WineWindowCount, 0);
  EXPECT_EQ(ui.Reports, 0);
}

TEST_F(NewTest, WindowsStepDownTheDiagonalAndTheNinthStartsAgainAtTheCorner) {
  std::vector<int> lefts;
  for (int i = 0; i < 9; ++i) {
    TMDIChild& w = NewTrial("W" + std::to_string(i));
    EXPECT_EQ(w.Left, w.Top);
    lefts.push_back(w.Left);
  }
  EXPECT_EQ(lefts, (std::vector<int>{0, 30, 60, 90, 120, 150, 180, 210, 0}));
}

TEST_F(NewTest, PlacementFollowsTheCountNotTheWindowsStillOpen) {
  NewTrial("A");
  NewTrial("B");
  TMDIChild& c = NewTrial("C");
  EXPECT_EQ(c.Left, 60);
  ui.Active = form->Windows()[0].get();
  ui.MessageAnswers.push_back(MessageAnswer::No);
  form->FileCloseExecute();
  TMDIChild& d = NewTrial("D");
  EXPECT_EQ(d.Left, 60) << "lands on C, which is still open";
}

TEST_F(OpenTest, ShowsTheStoredTrialUnmodifiedWithoutRecalculating) {
  std::string file = TrialFile("merlot.vrs");
  form->OpenDialog.FileName = "left over";
  TMDIChild& w = OpenTrial(file);
  ASSERT_EQ(ui.FileDialogs.size(), 1u);
  EXPECT_EQ(ui.FileDialogs[0].State.Filter, "VORSANT files|*.vrs");
  EXPECT_EQ(ui.FileDialogs[0].State.FileName, "");
  EXPECT_EQ(w.Caption, "merlot.vrs");
  EXPECT_EQ(w.FileName, file);
  EXPECT_FALSE(w.WineClass.Modified);
  EXPECT_EQ(w.WineClass.WineRec.RmP.Str(), "  12.5");
  EXPECT_EQ(form->OpenDialog.InitialDir, Path(""));
  EXPECT_EQ(ui.Reports, 1);
  EXPECT_TRUE(ui.Messages.empty());
  EXPECT_TRUE(form->Enabled(kCmdEditConditions));
}

TEST_F(OpenTest, CancelOpensNothing) {
  ui.FileChoices.push_back(std::nullopt);
  form->FileOpenExecute();
  EXPECT_TRUE(form->Windows().empty());
  EXPECT_EQ(form->OpenDialog.InitialDir, "");
}

TEST_F(OpenTest, ThePathOfAnOpenTrialIsRefusedButAnotherLetterCaseOpensASecondWindow) {
  std::string file = TrialFile("twice.vrs");
  OpenTrial(file);
  ChooseToOpen(file);
  EXPECT_EQ(form->Windows().size(), 1u);
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"A file with that name is already open. It must be closed or "
                                     "saved under another name before opening again.  " +
                                     file});
  EXPECT_EQ(ui.Messages[0].Icon, MessageIcon::Information);

  // Only the exact path counts as open; the file system decides whether the
  // other spelling exists.
  std::string upper = file.substr(0, file.size() - 9) + "TWICE.vrs";
  TrialFile("TWICE.vrs");
  OpenTrial(upper);
  EXPECT_EQ(form->Windows().size(), 2u);
}

TEST_F(OpenTest, AMissingFileLeavesNoWindowAndTheCountBackWhereItWas) {
  ChooseToOpen(Path("missing.vrs"));
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Can not locate file."});
  EXPECT_EQ(ui.Messages[0].Icon, MessageIcon::Information);
  EXPECT_TRUE(form->Windows().empty());
  EXPECT_TRUE(ui.Open.empty());
  EXPECT_EQ(form->WineWindowCount, 0);
  EXPECT_FALSE(form->Enabled(kCmdFileClose));
  EXPECT_FALSE(form->Enabled(kCmdSetScaleConnection));
}

TEST_F(OpenTest, OnlyFilesHoldingExactlyOneWholeRecordOpen) {
  struct Case {
    std::size_t size;
    bool opens;
  };
  for (Case c : {Case{2180, false}, Case{2181, true}, Case{4361, true}, Case{4362, false}, Case{0, false}}) {
    ui.Messages.clear();
    std::string file = TrialFile("size" + std::to_string(c.size) + ".vrs", c.size);
    std::size_t before = form->Windows().size();
    ChooseToOpen(file);
    EXPECT_EQ(form->Windows().size(), before + (c.opens ? 1 : 0)) << c.size;
    if (c.opens) {
      EXPECT_TRUE(ui.Messages.empty()) << c.size;
      EXPECT_EQ(form->Windows().back()->WineClass.WineRec.Conditions.WineName.Str(), "Stored");
    } else {
      ASSERT_EQ(ui.Messages.size(), 1u) << c.size;
      EXPECT_EQ(ui.Messages[0].Text, "Error reading the data file.");
      EXPECT_EQ(ui.Messages[0].Icon, MessageIcon::Error);
    }
  }
  EXPECT_EQ(form->WineWindowCount, 2);
  EXPECT_EQ(ui.Notices, (std::vector<std::string>{"size2180.vrs is 2,180 bytes; a trial file is 2,181",
                                                  "size4362.vrs is 4,362 bytes; a trial file is 2,181",
                                                  "size0.vrs is 0 bytes; a trial file is 2,181"}));
}

TEST_F(OpenTest, AFileThatCannotBeReadReportsTheSystemError) {
  // A folder exists but cannot be read as a file.
  std::filesystem::create_directories(Path("folder.vrs"));
  ChooseToOpen(Path("folder.vrs"));
  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_EQ(ui.Messages[0].Text.rfind("I/O Error type ", 0), 0u);
  EXPECT_NE(ui.Messages[0].Text.find(" occurred while reading file."), std::string::npos);
  EXPECT_TRUE(form->Windows().empty());
}

}  // namespace
}  // namespace vorsant::testing
