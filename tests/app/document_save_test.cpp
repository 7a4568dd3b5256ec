#include <cerrno>
#include <fstream>

#include <gtest/gtest.h>

#include "flow_fixture.h"

namespace vorsant::testing {
namespace {

using SaveAsTest = FlowTest;
using SaveTest = FlowTest;

TEST_F(SaveAsTest, SavesTheActiveTrialAndNamesTheWindowAfterTheFile) {
  TMDIChild& w = NewTrial();
  ui.FileChoices.push_back(Path("new"));
  form->FileSaveAsExecute();
  EXPECT_EQ(w.FileName, Path("new.vrs"));
  EXPECT_EQ(w.Caption, "new.vrs");
  EXPECT_FALSE(w.WineClass.Modified);
  EXPECT_FALSE(form->SaveCancelled);
  auto bytes = ReadBytes(Path("new.vrs"));
  auto image = EncodeWineRec(w.WineClass.WineRec);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), image.begin(), image.end()));
  EXPECT_EQ(ui.StatusTexts, (std::vector<std::string>{"File Saved", ""}));
  EXPECT_EQ(ui.Waits, std::vector<int>{400});
  EXPECT_EQ(form->OpenDialog.InitialDir, Path(""));
  EXPECT_EQ(ui.FileDialogs[0].State.Filter, "VORSANT files|*.vrs");
}

TEST_F(SaveTest, AReadOnlyFileIsRefusedWithTheIoErrorAndLeftUntouched) {
  const std::string path = TrialFile("kept.vrs");
  const auto before = ReadBytes(path);
  namespace fs = std::filesystem;
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  TMDIChild& w = OpenTrial(path);
  w.WineClass.Modified = true;
  form->FileSaveExecute();
  ASSERT_EQ(ui.Messages.size(), 1u);
#ifdef _WIN32
  const int denied = 5;  // ERROR_ACCESS_DENIED, as Windows refuses to replace the file
#else
  const int denied = EACCES;
#endif
  EXPECT_EQ(ui.Messages[0].Text, "I/O Error type " + std::to_string(denied) +
                                     " occurred while saving the wine file. Your data was not saved!");
  EXPECT_TRUE(w.WineClass.Modified);
  EXPECT_EQ(ReadBytes(path), before);
  for (const auto& entry : fs::directory_iterator(fs::path(path).parent_path()))
    EXPECT_NE(entry.path().extension(), ".tmp") << "no temporary file is left";
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);  // so the folder can go
}

TEST_F(SaveAsTest, GivesEveryNameTheTrialExtension) {
  struct Case {
    const char* typed;
    const char* saved;
  };
  for (Case c : {Case{"plain", "plain.vrs"}, Case{"upper.VRS", "upper.VRS"}, Case{"mixed.Vrs", "mixed.vrs"},
                 Case{"other.txt", "other.vrs"}, Case{"two.dots.vrs", "two.dots.vrs"}}) {
    NewTrial();
    ui.FileChoices.push_back(Path(c.typed));
    form->FileSaveAsExecute();
    EXPECT_EQ(form->Windows().back()->FileName, Path(c.saved)) << c.typed;
    EXPECT_TRUE(std::filesystem::exists(Path(c.saved))) << c.typed;
  }
}

TEST_F(SaveAsTest, StartsInTheFolderOfASavedTrialWithAnEmptyName) {
  std::string file = TrialFile("kept.vrs");
  OpenTrial(file);
  form->SaveDialog.FileName = "previous";
  form->SaveDialog.InitialDir = "elsewhere";
  ui.FileChoices.push_back(std::nullopt);
  form->FileSaveAsExecute();
  EXPECT_EQ(ui.FileDialogs.back().State.InitialDir, Path(""));
  EXPECT_EQ(ui.FileDialogs.back().State.FileName, "");
  EXPECT_TRUE(form->SaveCancelled);
}

TEST_F(SaveAsTest, RefusesTheFileOfAnotherOpenTrialInAnyLetterCaseAndAsksAgain) {
  std::string file = TrialFile("taken.vrs");
  OpenTrial(file);
  TMDIChild& w = NewTrial();
  ui.FileChoices.push_back(Path("TAKEN.VRS"));
  ui.FileChoices.push_back(Path("free"));
  form->FileSaveAsExecute();
  ASSERT_EQ(ui.Messages.size(), 1u);
  const std::string refused = Path("TAKEN.VRS");
  EXPECT_EQ(ui.Messages[0].Text,
            "That file is open in another window. Please choose another file name or close that window. " +
                refused);
  EXPECT_EQ(ui.Messages[0].Icon, MessageIcon::Information);
  EXPECT_EQ(w.FileName, Path("free.vrs"));
  EXPECT_EQ(ui.FileDialogs.size(), 3u);  // open, refused save, accepted save
}

TEST_F(SaveAsTest, CancelOnTheOverwriteQuestionShowsTheDialogAgainAndCancelThereEndsIt) {
  std::string file = TrialFile("exists.vrs");
  auto before = ReadBytes(file);
  TMDIChild& w = NewTrial();
  ui.FileChoices.push_back(file);
  ui.MessageAnswers.push_back(MessageAnswer::Cancel);
  ui.FileChoices.push_back(std::nullopt);
  form->FileSaveAsExecute();
  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_EQ(ui.Messages[0].Text, "A file with that name already exists. Overwrite it?");
  EXPECT_EQ(ui.Messages[0].Icon, MessageIcon::Warning);
  EXPECT_EQ(ui.Messages[0].Buttons, MessageButtons::OkCancel);
  EXPECT_EQ(ui.Messages[0].Default, MessageAnswer::Cancel);
  EXPECT_TRUE(form->SaveCancelled);
  EXPECT_TRUE(w.WineClass.Modified);
  EXPECT_EQ(w.FileName, "unsaved");
  EXPECT_EQ(ReadBytes(file), before);
}

TEST_F(SaveAsTest, OkOnTheOverwriteQuestionReplacesTheFile) {
  std::string file = TrialFile("exists.vrs");
  TMDIChild& w = NewTrial();
  ui.FileChoices.push_back(file);
  ui.MessageAnswers.push_back(MessageAnswer::Ok);
  form->FileSaveAsExecute();
  EXPECT_EQ(w.FileName, file);
  EXPECT_EQ(DecodeWineRec(ReadBytes(file)).Conditions.WineName.Str(), "Chardonnay");
}

// The readings beside a trial go with it to its new name; the old name
// keeps its own.
TEST_F(SaveAsTest, ATrialSavedUnderAnotherNameTakesItsReadingsAlong) {
  const std::string file = TrialFile("first.vrs");
  const std::string readings = "0.0,0.00,0.00\n15.0,12.30,12.30\n";
  std::ofstream(Path("first.readings.csv"), std::ios::binary) << readings;
  std::ofstream(Path("second.readings.csv"), std::ios::binary) << "another trial's\n";
  OpenTrial(file);
  ui.FileChoices.push_back(Path("second.vrs"));
  ui.MessageAnswers.push_back(MessageAnswer::Ok);
  form->FileSaveAsExecute();
  for (const char* name : {"first.readings.csv", "second.readings.csv"}) {
    const std::vector<std::uint8_t> bytes = ReadBytes(Path(name));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), readings) << name;
  }
}

TEST_F(SaveAsTest, AFileThatCannotBeCreatedIsReportedAndTheDialogShownAgain) {
  TMDIChild& w = NewTrial();
  ui.FileChoices.push_back(Path("no/such/folder/x.vrs"));
  ui.FileChoices.push_back(std::nullopt);
  form->FileSaveAsExecute();
  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_EQ(ui.Messages[0].Text.rfind("I/O Error type ", 0), 0u);
  EXPECT_NE(ui.Messages[0].Text.find(" occurred while saving the wine file. Your data was not saved!"),
            std::string::npos);
  EXPECT_EQ(ui.Messages[0].Icon, MessageIcon::Warning);
  EXPECT_EQ(w.FileName, "unsaved");
  EXPECT_EQ(w.Caption, "Chardonnay Pad");
  EXPECT_TRUE(w.WineClass.Modified);
  EXPECT_TRUE(ui.StatusTexts.empty());
}

TEST_F(SaveTest, ATrialNeverSavedGoesThroughSaveAs) {
  TMDIChild& w = NewTrial();
  ui.FileChoices.push_back(Path("first"));
  form->FileSaveExecute();
  EXPECT_EQ(ui.FileDialogs.size(), 1u);
  EXPECT_EQ(w.FileName, Path("first.vrs"));
}

TEST_F(SaveTest, ASavedTrialIsRewrittenInPlaceWithoutQuestions) {
  std::string file = TrialFile("inplace.vrs", 3000);
  TMDIChild& w = OpenTrial(file);
  w.WineClass.WineRec.Conditions.FilterName.Set("Changed");
  w.WineClass.Modified = true;
  form->FileSaveExecute();
  EXPECT_TRUE(ui.Messages.empty());
  EXPECT_EQ(ui.FileDialogs.size(), 1u) << "only the open dialog";
  EXPECT_FALSE(w.WineClass.Modified);
  auto bytes = ReadBytes(file);
  EXPECT_EQ(bytes.size(), kWineRecSize);
  EXPECT_EQ(DecodeWineRec(bytes).Conditions.FilterName.Str(), "Changed");
}

TEST_F(SaveTest, SavingAnOpenedTrialUnchangedReproducesItsFile) {
  std::string file = TrialFile("same.vrs");
  auto before = ReadBytes(file);
  OpenTrial(file);
  form->FileSaveExecute();
  EXPECT_EQ(ReadBytes(file), before);
}

}  // namespace
}  // namespace vorsant::testing
