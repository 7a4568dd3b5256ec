#include <algorithm>

#include <gtest/gtest.h>

#include "flow_fixture.h"

namespace vorsant::testing {
namespace {

using StartUpTest = FlowTest;

TEST(EnvironmentRecord, KeepsTheReservedBytesAndReadsThePortAtItsOffset) {
  std::vector<std::uint8_t> image(kEnvironmentRecSize);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7);
  image[1540] = 3;
  image[1541] = image[1542] = image[1543] = 0;
  TEnvironmentRec rec = DecodeEnvironmentRec(image);
  EXPECT_EQ(rec.ScalePort, 3);
  auto again = EncodeEnvironmentRec(rec);
  EXPECT_TRUE(std::equal(again.begin(), again.end(), image.begin()));
  rec.ScalePort = -2;
  again = EncodeEnvironmentRec(rec);
  EXPECT_EQ(again[1540], 0xFE);
  EXPECT_EQ(again[1543], 0xFF);
  EXPECT_THROW(DecodeEnvironmentRec(std::span(image).first(1543)), std::out_of_range);
}

TEST_F(StartUpTest, ReadsThePortShowsTheSplashAndSetsTheDialogFolders) {
  ASSERT_TRUE(form->StartUp());
  EXPECT_EQ(form->Environment.ScalePort, 2);
  EXPECT_EQ(ui.Splashes, 1);
  EXPECT_TRUE(form->ShowWelcome);
  EXPECT_EQ(form->WineWindowCount, 0);
  EXPECT_EQ(form->OpenDialog.InitialDir, ui.Documents);
  EXPECT_EQ(form->SaveDialog.InitialDir, ui.Documents);
  EXPECT_TRUE(ui.Messages.empty());
}

TEST_F(StartUpTest, RewritesTheEnvironmentFileKeepingItsReservedBytesAndPermissions) {
  std::vector<std::uint8_t> image(kEnvironmentRecSize, 0x5A);
  WriteBytes(Path("vorsant.dat"), image);
  // Made writable for every user of a shared PC: the rewrite must keep that.
  namespace fs = std::filesystem;
  fs::permissions(Path("vorsant.dat"), fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::add);
  const fs::perms shared = fs::status(Path("vorsant.dat")).permissions();
  ASSERT_TRUE(form->StartUp());
  form->Environment.ScalePort = 7;
  ASSERT_EQ(form->WriteDataFile(), 0);
  EXPECT_EQ(fs::status(Path("vorsant.dat")).permissions(), shared);
  auto written = ReadBytes(Path("vorsant.dat"));
  ASSERT_EQ(written.size(), kEnvironmentRecSize);
  EXPECT_TRUE(std::all_of(written.begin(), written.begin() + 1540, [](auto b) { return b == 0x5A; }));
  EXPECT_EQ(DecodeEnvironmentRec(written).ScalePort, 7);
  EXPECT_FALSE(std::filesystem::exists(Path("vorsant.dat.new")));
}

TEST_F(StartUpTest, AnEnvironmentFileThatCannotBeWrittenReportsTheErrorAndKeepsTheOldFile) {
  TMainForm elsewhere(ui, Path("missing/vorsant.dat"));
  EXPECT_NE(elsewhere.WriteDataFile(), 0);
  EXPECT_FALSE(std::filesystem::exists(Path("missing")));
}

TEST_F(StartUpTest, LeavesTheFoldersUnsetWhenTheDocumentsFolderIsUnknown) {
  ui.Documents.clear();
  ASSERT_TRUE(form->StartUp());
  EXPECT_EQ(form->OpenDialog.InitialDir, "");
}

TEST_F(StartUpTest, AMissingEnvironmentFileEndsTheProgramBeforeTheSplash) {
  TMainForm missing(ui, Path("nowhere.dat"));
  EXPECT_FALSE(missing.StartUp());
  ASSERT_EQ(ui.Messages.size(), 1u);
  // 2 is "file not found" both as errno and as a Windows error.
  EXPECT_EQ(
      ui.Messages[0].Text,
      "I/O Error type 2 occurred while loading environment file VORSANT.DAT. VORSANT will have to exit.");
  EXPECT_EQ(ui.Messages[0].Icon, MessageIcon::Error);
  EXPECT_EQ(ui.Splashes, 0);
}

TEST_F(StartUpTest, AnEnvironmentFileTooShortForItsRecordIsUnreadable) {
  WriteBytes(Path("short.dat"), std::vector<std::uint8_t>(1543));
  TMainForm shortFile(ui, Path("short.dat"));
  EXPECT_FALSE(shortFile.StartUp());
  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_NE(ui.Messages[0].Text.find("I/O Error type 38 "), std::string::npos);
}

TEST_F(StartUpTest, ClosingTheWelcomeChoiceBeginsANewWineAndIsOfferedOnce) {
  ASSERT_TRUE(form->StartUp());
  ui.WelcomeAnswers.push_back(false);
  ui.ConditionsAnswers.push_back(GoodConditions());
  form->Welcome();
  EXPECT_EQ(form->Windows().size(), 1u);
  EXPECT_FALSE(form->ShowWelcome);
  form->Welcome();
  EXPECT_EQ(ui.Welcomes, 1);
}

TEST_F(StartUpTest, CancellingTheFirstNewLeavesTheFrameEmpty) {
  ASSERT_TRUE(form->StartUp());
  ui.WelcomeAnswers.push_back(false);
  ui.ConditionsAnswers.push_back(std::nullopt);
  form->Welcome();
  EXPECT_TRUE(form->Windows().empty());
  EXPECT_EQ(form->WineWindowCount, 0);
  EXPECT_FALSE(form->Enabled(kCmdFileSave));
}

TEST_F(StartUpTest, TheOpenChoiceRunsOpen) {
  std::string file = TrialFile("a.vrs");
  ASSERT_TRUE(form->StartUp());
  ui.WelcomeAnswers.push_back(true);
  ui.FileChoices.push_back(file);
  form->Welcome();
  ASSERT_EQ(form->Windows().size(), 1u);
  EXPECT_EQ(form->Windows()[0]->FileName, file);
}

TEST_F(StartUpTest, AFileNamedOnTheCommandLineOpensInsteadOfTheWelcomeChoice) {
  std::string file = TrialFile("start.vrs");
  ASSERT_TRUE(form->StartUp(file));
  form->Welcome();
  EXPECT_EQ(ui.Welcomes, 0);
  ASSERT_EQ(form->Windows().size(), 1u);
  EXPECT_EQ(form->Windows()[0]->Caption, "start.vrs");
  EXPECT_EQ(form->OpenDialog.InitialDir, Path(""));
  form->Welcome();
  EXPECT_EQ(form->Windows().size(), 1u);
}

TEST_F(StartUpTest, AMissingCommandLineFileIsReportedAndLeavesNoWindow) {
  ASSERT_TRUE(form->StartUp(Path("gone.vrs")));
  form->Welcome();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Can not locate file."});
  EXPECT_TRUE(form->Windows().empty());
}

}  // namespace
}  // namespace vorsant::testing
