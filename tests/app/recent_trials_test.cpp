#include <gtest/gtest.h>

#include "app/recent_trials.h"
#include "flow_fixture.h"

namespace vorsant::testing {
namespace {

struct MemoryStore : RecentTrialsStore {
  std::vector<std::string> Saved;
  int Saves = 0;
  std::vector<std::string> Load() override { return Saved; }
  void Save(const std::vector<std::string>& paths) override {
    Saved = paths;
    ++Saves;
  }
};

TEST(RecentTrials, NewestFirstFourAtMostAndEachPathOnceInAnyLetterCase) {
  RecentTrials recent;
  recent.Load({"a", "", "A", "b", "c", "d", "e"});
  EXPECT_EQ(recent.Paths(), (std::vector<std::string>{"a", "b", "c", "d"}));
  recent.Add("C");
  EXPECT_EQ(recent.Paths(), (std::vector<std::string>{"C", "a", "b", "d"}));
  recent.Add("e");
  EXPECT_EQ(recent.Paths(), (std::vector<std::string>{"e", "C", "a", "b"}));
  recent.Remove("A");
  EXPECT_EQ(recent.Paths(), (std::vector<std::string>{"e", "C", "b"}));
}

TEST(RecentTrials, MenuCaptionsAreNumberedShortenedInTheMiddleAndShowAmpersands) {
  EXPECT_EQ(RecentMenuCaption(0, "C:\\Trials\\R&D.vrs"), "&1 C:\\Trials\\R&&D.vrs");
  std::string longPath = "C:\\Users\\winemaker\\Documents\\Vintage 2026\\Cellar 3\\merlot-tank-12.vrs";
  std::string shortened = ShortenedPath(longPath, 40);
  EXPECT_EQ(shortened, "C:\\...\\Cellar 3\\merlot-tank-12.vrs");
  EXPECT_EQ(ShortenedPath("\\\\server\\share\\a\\very\\long\\folder\\name\\trial.vrs", 30),
            "\\\\server\\share\\...\\trial.vrs");
  std::string name = ShortenedPath("C:\\" + std::string(60, 'x') + ".vrs", 20);
  EXPECT_EQ(name.size(), 20u);
  EXPECT_EQ(name.substr(name.size() - 4), ".vrs");
  EXPECT_NE(name.find("..."), std::string::npos);
  EXPECT_EQ(RecentMenuCaption(3, "C:\\a.vrs"), "&4 C:\\a.vrs");
}

using RecentFlowTest = FlowTest;

TEST_F(RecentFlowTest, OpenedAndSavedTrialsAreListedAndKeptInTheStore) {
  MemoryStore store;
  store.Saved = {Path("old.vrs")};
  form->RecentStore = &store;
  ASSERT_TRUE(form->StartUp());
  std::string file = TrialFile("merlot.vrs");
  OpenTrial(file);
  EXPECT_EQ(store.Saved, (std::vector<std::string>{file, Path("old.vrs")}));
  ui.FileChoices.push_back(Path("copy"));
  form->FileSaveAsExecute();
  EXPECT_EQ(form->Recent.Paths().front(), Path("copy.vrs"));
  EXPECT_EQ(store.Saved, form->Recent.Paths());
}

TEST_F(RecentFlowTest, ChoosingATrialThatCannotBeReadShowsTheOpenMessageAndDropsIt) {
  MemoryStore store;
  form->RecentStore = &store;
  std::string kept = TrialFile("kept.vrs");
  store.Saved = {Path("gone.vrs"), kept};
  ASSERT_TRUE(form->StartUp());
  form->OpenRecentExecute(0);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Can not locate file."});
  EXPECT_EQ(store.Saved, std::vector<std::string>{kept});
  form->OpenRecentExecute(0);
  ASSERT_EQ(form->Windows().size(), 1u);
  EXPECT_EQ(form->Windows()[0]->FileName, kept);
  // Already open: its message, and it stays listed.
  form->OpenRecentExecute(0);
  EXPECT_EQ(ui.Messages.size(), 2u);
  EXPECT_EQ(store.Saved, std::vector<std::string>{kept});
  form->OpenRecentExecute(3);  // no such entry
  EXPECT_EQ(ui.Messages.size(), 2u);
}

TEST_F(RecentFlowTest, DroppedFilesOpenOneByOneWithTheOpenCommandsMessages) {
  std::string a = TrialFile("a.vrs");
  std::string shortFile = TrialFile("short.vrs", 100);
  form->OpenDroppedFiles({a, Path("missing.vrs"), shortFile, a});
  ASSERT_EQ(form->Windows().size(), 1u);
  EXPECT_EQ(form->Windows()[0]->FileName, a);
  ASSERT_EQ(ui.Messages.size(), 3u);
  EXPECT_EQ(ui.Messages[0].Text, "Can not locate file.");
  EXPECT_EQ(ui.Messages[1].Text, "Error reading the data file.");
  EXPECT_EQ(ui.Messages[2].Text.rfind("A file with that name is already open.", 0), 0u);
  EXPECT_EQ(form->OpenDialog.InitialDir, Path(""));
}

}  // namespace
}  // namespace vorsant::testing
