#include <gtest/gtest.h>

#include "app/export_report.h"
#include "export/report_html.h"
#include "flow_fixture.h"

namespace vorsant::testing {
namespace {

using ExportReportTest = FlowTest;
using ModelCommandsTest = FlowTest;

std::string Text(const std::vector<std::uint8_t>& bytes) {
  return {bytes.begin(), bytes.end()};
}

TEST_F(ExportReportTest, ProposesTheTrialsNameInItsFolderAndWritesTheReport) {
  TMDIChild& w = OpenTrial(TrialFile("merlot.vrs"));
  ui.FileChoices.push_back(Path("merlot"));
  form->ExportReportExecute();
  const ShownFileDialog& shown = ui.FileDialogs.back();
  EXPECT_TRUE(shown.Save);
  EXPECT_EQ(shown.State.Filter, "Web page (*.html)|*.html");
  EXPECT_EQ(shown.State.InitialDir, Path(""));
  EXPECT_EQ(shown.State.FileName, "merlot.html");
  EXPECT_EQ(Text(ReadBytes(Path("merlot.html"))),
            TrialReportHtml(w.WineClass.WineRec, "merlot.vrs", ui.Date));
  EXPECT_TRUE(ui.Messages.empty());
  // Save As still starts where it did.
  EXPECT_EQ(form->SaveDialog.Filter, "");
}

TEST_F(ExportReportTest, AnUnsavedTrialIsProposedUnderItsCaptionInDocuments) {
  NewTrial("Pinot: Noir", "K/250");
  ui.FileChoices.push_back(std::nullopt);
  form->ExportReportExecute();
  EXPECT_EQ(ui.FileDialogs.back().State.InitialDir, ui.Documents);
  EXPECT_EQ(ui.FileDialogs.back().State.FileName, "Pinot_ Noir K_250.html");
  EXPECT_EQ(WithReportExtension("a.HTM"), "a.HTM");
  EXPECT_EQ(WithReportExtension("lot 2024.06"), "lot 2024.06.html");
}

TEST_F(ExportReportTest, CancelOnTheOverwriteQuestionAsksForANameAgainAndKeepsTheFile) {
  OpenTrial(TrialFile("merlot.vrs"));
  WriteBytes(Path("kept.html"), std::string("old"));
  ui.FileChoices.push_back(Path("kept.html"));
  ui.MessageAnswers.push_back(MessageAnswer::Cancel);
  ui.FileChoices.push_back(std::nullopt);
  form->ExportReportExecute();
  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_EQ(ui.Messages[0].Text, "A file with that name already exists. Overwrite it?");
  EXPECT_EQ(ui.Messages[0].Icon, MessageIcon::Warning);
  EXPECT_EQ(ui.Messages[0].Buttons, MessageButtons::OkCancel);
  EXPECT_EQ(ui.Messages[0].Default, MessageAnswer::Cancel);
  EXPECT_EQ(Text(ReadBytes(Path("kept.html"))), "old");
  EXPECT_EQ(ui.FileDialogs.size(), 3u);  // open, refused name, cancelled
}

TEST_F(ExportReportTest, AFileThatCannotBeWrittenIsReportedWithItsErrorNumberAndTheDialogShownAgain) {
  OpenTrial(TrialFile("merlot.vrs"));
  ui.FileChoices.push_back(Path("no/such/folder/r.html"));
  ui.FileChoices.push_back(std::nullopt);
  form->ExportReportExecute();
  ASSERT_EQ(ui.Messages.size(), 1u);
  const std::string& text = ui.Messages[0].Text;
  const std::string tail = " occurred while exporting the report. The report was not saved!";
  ASSERT_EQ(text.rfind("I/O Error type ", 0), 0u);
  ASSERT_GT(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  EXPECT_GT(std::stoi(text.substr(15)), 0);
  EXPECT_EQ(ui.Messages[0].Icon, MessageIcon::Warning);
  EXPECT_EQ(ui.FileDialogs.size(), 3u);
}

TEST_F(ModelCommandsTest, FoulingModelsOfATrialWithoutPointsWarnsAndOpensNoWindow) {
  NewTrial();
  form->FoulingModelsExecute();
  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_EQ(ui.Messages[0].Text, "Data is insufficient to calculate fouling constants.");
  EXPECT_EQ(ui.Messages[0].Icon, MessageIcon::Warning);
  EXPECT_TRUE(ui.FoulingWindows.empty());
}

TEST_F(ModelCommandsTest, CompareOfOneTrialAsksForASecondAndOpensNoWindow) {
  NewTrial("Wine1", "F");
  form->CompareOpenTrialsExecute();
  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_EQ(ui.Messages[0].Text, "Open at least two trials to compare them.");
  EXPECT_TRUE(ui.CompareWindows.empty());
}

TEST_F(ModelCommandsTest, CompareTakesTheFirstEightOpenTrialsInWindowOrderAndSaysSo) {
  for (int i = 1; i <= 9; ++i) NewTrial("Wine" + std::to_string(i), "F");
  ui.Active = form->Windows()[4].get();
  form->CompareOpenTrialsExecute();
  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_EQ(ui.Messages[0].Text, "Only the first 8 of the 9 open trials are compared.");
  ASSERT_EQ(ui.CompareWindows.size(), 1u);
  ASSERT_EQ(ui.CompareWindows[0].size(), 8u);
  EXPECT_EQ(ui.CompareWindows[0][0].file, "Wine1 F");
  EXPECT_EQ(ui.CompareWindows[0][7].file, "Wine8 F");
}

}  // namespace
}  // namespace vorsant::testing
