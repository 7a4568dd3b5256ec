#include <gtest/gtest.h>

#include "flow_fixture.h"

namespace vorsant::testing {
namespace {

using CloseCommandTest = FlowTest;
using CloseQueryTest = FlowTest;
using ExitTest = FlowTest;

TEST_F(CloseCommandTest, AnUnmodifiedTrialClosesWithoutAQuestion) {
  OpenTrial(TrialFile("a.vrs"));
  form->FileCloseExecute();
  EXPECT_TRUE(ui.Messages.empty());
  EXPECT_TRUE(form->Windows().empty());
  EXPECT_EQ(form->WineWindowCount, 0);
}

TEST_F(CloseCommandTest, NoDiscardsTheChanges) {
  NewTrial();
  ui.MessageAnswers.push_back(MessageAnswer::No);
  form->FileCloseExecute();
  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_EQ(ui.Messages[0].Text, "Save Chardonnay Pad before closing?");
  EXPECT_EQ(ui.Messages[0].Icon, MessageIcon::Warning);
  EXPECT_EQ(ui.Messages[0].Buttons, MessageButtons::YesNo);
  EXPECT_EQ(ui.Messages[0].Default, MessageAnswer::Yes);
  EXPECT_TRUE(form->Windows().empty());
}

TEST_F(CloseCommandTest, EscapeOrTheBoxsCloseButtonKeepsTheTrialOpenAndChanged) {
  TMDIChild& w = NewTrial();
  ui.MessageAnswers.push_back(MessageAnswer::Cancel);  // what a closed Yes/No box answers
  form->FileCloseExecute();
  ASSERT_EQ(form->Windows().size(), 1u);
  EXPECT_TRUE(w.WineClass.Modified);
  EXPECT_EQ(form->WineWindowCount, 1);
  EXPECT_EQ(ui.Messages.size(), 1u);
}

TEST_F(CloseCommandTest, YesThenCancelInTheSaveDialogKeepsTheWindowModified) {
  TMDIChild& w = NewTrial();
  ui.MessageAnswers.push_back(MessageAnswer::Yes);
  ui.FileChoices.push_back(std::nullopt);
  form->FileCloseExecute();
  ASSERT_EQ(form->Windows().size(), 1u);
  EXPECT_TRUE(w.WineClass.Modified);
  EXPECT_EQ(form->WineWindowCount, 1);
}

TEST_F(CloseCommandTest, YesSavesThenClosesWithoutTheWindowsOwnQuestion) {
  NewTrial();
  ui.MessageAnswers.push_back(MessageAnswer::Yes);
  ui.FileChoices.push_back(Path("closing"));
  form->FileCloseExecute();
  EXPECT_TRUE(form->Windows().empty());
  EXPECT_TRUE(std::filesystem::exists(Path("closing.vrs")));
  EXPECT_EQ(ui.Messages.size(), 1u);
}

TEST_F(CloseCommandTest, ClosingTheLastTrialDisablesTheTrialCommandsOnly) {
  NewTrial("A");
  NewTrial("B");
  ui.MessageAnswers = {MessageAnswer::No, MessageAnswer::No};
  form->FileCloseExecute();
  EXPECT_TRUE(form->Enabled(kCmdFileSave)) << "one trial is still open";
  form->FileCloseExecute();
  for (CommandId id :
       {kCmdFileClose, kCmdFileSave, kCmdFileSaveAs, kCmdEditConditions, kCmdEditData, kCmdCollectNewData,
        kCmdLaboratoryGraph, kCmdProductionGraph, kCmdSetScaleConnection, kCmdWindowCascade})
    EXPECT_FALSE(form->Enabled(id)) << id;
  for (CommandId id : {kCmdFileNew, kCmdFileOpen, kCmdExit, kCmdHelpAbout})
    EXPECT_TRUE(form->Enabled(id)) << id;
}

TEST_F(CloseQueryTest, AnUnmodifiedWindowClosesWithoutAQuestion) {
  TMDIChild& w = OpenTrial(TrialFile("a.vrs"));
  form->CloseTrialWindow(w);
  EXPECT_TRUE(ui.Messages.empty());
  EXPECT_TRUE(form->Windows().empty());
  EXPECT_EQ(form->WineWindowCount, 0);
  EXPECT_FALSE(form->Enabled(kCmdFileSave));
}

TEST_F(CloseQueryTest, NoClosesAndCancelKeepsTheWindow) {
  TMDIChild& w = NewTrial();
  ui.MessageAnswers.push_back(MessageAnswer::Cancel);
  form->CloseTrialWindow(w);
  ASSERT_EQ(form->Windows().size(), 1u);
  EXPECT_EQ(ui.Messages[0].Text, "Save the changes to Chardonnay Pad?");
  EXPECT_EQ(ui.Messages[0].Buttons, MessageButtons::YesNoCancel);
  EXPECT_EQ(ui.Messages[0].Default, MessageAnswer::Yes);
  ui.MessageAnswers.push_back(MessageAnswer::No);
  form->CloseTrialWindow(w);
  EXPECT_TRUE(form->Windows().empty());
}

TEST_F(CloseQueryTest, ATrialSavedAtItsOwnCloseQuestionJoinsTheRecentTrials) {
  TMDIChild& w = NewTrial();
  ui.MessageAnswers.push_back(MessageAnswer::Yes);
  ui.FileChoices.push_back(Path("kept"));
  form->CloseTrialWindow(w);
  ASSERT_TRUE(form->Windows().empty());
  ASSERT_FALSE(form->Recent.Paths().empty());
  EXPECT_EQ(form->Recent.Paths().front(), Path("kept.vrs"));
}

TEST_F(CloseQueryTest, YesThenCancelKeepsTheWindowAndItsChanges) {
  TMDIChild& w = NewTrial();
  ui.MessageAnswers.push_back(MessageAnswer::Yes);
  ui.FileChoices.push_back(std::nullopt);
  form->CloseTrialWindow(w);
  ASSERT_EQ(form->Windows().size(), 1u);
  EXPECT_TRUE(w.WineClass.Modified);
  EXPECT_EQ(ui.FileDialogs[0].State.Filter, "VORSANT files|*.vrs");
}

TEST_F(CloseQueryTest, YesOnASavedTrialStillAsksForAFileAndTheOverwrite) {
  std::string file = TrialFile("mine.vrs");
  TMDIChild& w = OpenTrial(file);
  w.WineClass.Modified = true;
  ui.MessageAnswers = {MessageAnswer::Yes, MessageAnswer::Ok};
  ui.FileChoices.push_back(file);
  form->CloseTrialWindow(w);
  EXPECT_TRUE(form->Windows().empty());
  ASSERT_EQ(ui.FileDialogs.size(), 2u);
  EXPECT_EQ(ui.FileDialogs[1].State.InitialDir, Path(""));
  EXPECT_EQ(MessageTexts()[1], "A file with that name already exists. Overwrite it?");
  EXPECT_EQ(ui.Waits, std::vector<int>{200});
}

TEST_F(CloseQueryTest, RefusesANameWhoseFilePartIsAnotherWindowsCaptionAndRemembersTheLastChoice) {
  std::filesystem::create_directories(Path("other"));
  OpenTrial(TrialFile("shared.vrs"));
  TMDIChild& w = NewTrial();
  ui.MessageAnswers.push_back(MessageAnswer::Yes);
  ui.FileChoices.push_back(Path("other/SHARED"));
  ui.FileChoices.push_back(std::nullopt);
  form->CloseTrialWindow(w);
  ASSERT_EQ(ui.Messages.size(), 2u);
  EXPECT_EQ(
      ui.Messages[1].Text,
      "A wine with that file name is open in another window. Please choose another file name or close that "
      "window. " +
          Path("other/SHARED.vrs"));
  EXPECT_EQ(ui.Messages[1].Icon, MessageIcon::Information);
  EXPECT_EQ(ui.FileDialogs.back().State.FileName, Path("other/SHARED"))
      << "the second try starts from the first";
  EXPECT_EQ(ui.Waits, std::vector<int>{200});
  EXPECT_EQ(form->Windows().size(), 2u);
  EXPECT_TRUE(w.WineClass.Modified);
}

TEST_F(CloseQueryTest, AFailedSaveReportsItsErrorAndOffersTheDialogAgain) {
  TMDIChild& w = NewTrial();
  ui.MessageAnswers.push_back(MessageAnswer::Yes);
  ui.FileChoices.push_back(Path("missing/x"));
  ui.FileChoices.push_back(Path("good"));
  form->CloseTrialWindow(w);
  ASSERT_EQ(ui.Messages.size(), 2u);
  EXPECT_EQ(ui.Messages[1].Text.rfind("I/O Error type ", 0), 0u);
  EXPECT_NE(ui.Messages[1].Text.find(" - The file did not get saved."), std::string::npos);
  EXPECT_EQ(ui.Messages[1].Icon, MessageIcon::Error);
  EXPECT_TRUE(form->Windows().empty());
  EXPECT_TRUE(std::filesystem::exists(Path("good.vrs")));
  EXPECT_TRUE(ui.StatusTexts.empty()) << "the window's own save shows no notice";
}

TEST_F(ExitTest, OneVetoKeepsEveryWindowOpenAndASaveDuringExitStaysSaved) {
  TMDIChild& a = NewTrial("A");
  NewTrial("B");
  form->FileExitExecute();
  EXPECT_EQ(ui.CloseRequests, 1);
  ui.MessageAnswers = {MessageAnswer::Yes, MessageAnswer::Cancel};
  ui.FileChoices.push_back(Path("a"));
  EXPECT_FALSE(form->CloseQuery());
  EXPECT_EQ(form->Windows().size(), 2u);
  EXPECT_FALSE(a.WineClass.Modified);
  EXPECT_EQ(a.Caption, "a.vrs");
}

TEST_F(ExitTest, ClosesWhenEveryWindowAgrees) {
  NewTrial("A");
  OpenTrial(TrialFile("b.vrs"));
  ui.MessageAnswers = {MessageAnswer::No};
  EXPECT_TRUE(form->CloseQuery());
}

}  // namespace
}  // namespace vorsant::testing
