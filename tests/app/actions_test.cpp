#include <gtest/gtest.h>

#include "app/actions.h"
#include "app/path_text.h"
#include "app/system_text.h"

namespace vorsant {
namespace {

TEST(Actions, AtStartOnlyTheFileHelpAndScaleCommandsAreEnabled) {
  ActionStates states;
  for (const ActionInfo& a : Actions()) {
    bool expected = a.Id == kCmdFileNew || a.Id == kCmdFileOpen || a.Id == kCmdExit ||
                    a.Id == kCmdHelpAbout || a.Id == kCmdSetScaleConnection || a.Id == kCmdBalanceSettings;
    EXPECT_EQ(IsActionEnabled(a.Id, {states, 0}), expected) << a.Name;
  }
}

TEST(Actions, WineActionsSwitchTheDataAndFileDoneCategoriesTogether) {
  ActionStates states;
  states.EnableWineActions();
  for (const ActionInfo& a : Actions()) {
    if (a.Category != ActionCategory::Window) {
      EXPECT_TRUE(IsActionEnabled(a.Id, {states, 0})) << a.Name;
    }
  }
  states.DisableWineActions();
  EXPECT_FALSE(IsActionEnabled(kCmdSetScaleConnection, {states, 0}));
  EXPECT_FALSE(IsActionEnabled(kCmdFileSaveAs, {states, 0}));
  EXPECT_TRUE(IsActionEnabled(kCmdFileNew, {states, 0}));
}

TEST(Actions, WindowArrangementFollowsTheMdiChildrenAlone) {
  ActionStates states;
  states.DisableWineActions();
  EXPECT_FALSE(IsActionEnabled(kCmdWindowTileVertical, {states, 0}));
  EXPECT_TRUE(IsActionEnabled(kCmdWindowTileVertical, {states, 1}));
}

TEST(Actions, HintsSplitIntoTooltipAndStatusText) {
  const ActionInfo* saveAs = FindAction(kCmdFileSaveAs);
  ASSERT_NE(saveAs, nullptr);
  EXPECT_EQ(ShortHint(saveAs->Hint), "Save as");
  EXPECT_EQ(LongHint(saveAs->MenuHint), "Save current file with different name");
  const ActionInfo* cascade = FindAction(kCmdWindowCascade);
  EXPECT_EQ(ShortHint(cascade->Hint), "Cascade");
  EXPECT_EQ(LongHint(cascade->Hint), "Cascade");
  EXPECT_EQ(FindAction(kCmdCollectNewData)->Shortcut, "Ctrl+C");
}

TEST(PathText, SplitsFolderNameAndExtension) {
  EXPECT_EQ(FileNamePart("C:\\wines\\a.b\\merlot.vrs"), "merlot.vrs");
  EXPECT_EQ(FolderPart("C:\\wines\\a.b\\merlot.vrs"), "C:\\wines\\a.b\\");
  EXPECT_EQ(FileNamePart("/tmp/x"), "x");
  EXPECT_EQ(FolderPart("plain"), "");
  EXPECT_EQ(ExtensionPart("C:\\a.b\\noext"), "");
  EXPECT_EQ(WithTrialExtension("C:\\a.b\\noext"), "C:\\a.b\\noext.vrs");
  EXPECT_EQ(WithTrialExtension("C:\\x.VRS"), "C:\\x.VRS");
  EXPECT_EQ(WithTrialExtension("C:\\x.vRS"), "C:\\x.vrs");
  EXPECT_EQ(WithTrialExtension("C:\\x."), "C:\\x.vrs");
}

TEST(SystemText, ComparesNamesIgnoringLetterCaseAndRoundTripsTheCodePage) {
  EXPECT_TRUE(SameFileNameText("C:\\Wines\\A.VRS", "c:\\wines\\a.vrs"));
  EXPECT_FALSE(SameFileNameText("a.vrs", "a.vrs "));
  std::string ansi = Utf8ToAnsi("Ros\xC3\xA9 \xE2\x80\x94");  // "Rosé —"
  EXPECT_EQ(ansi, "Ros\xE9 \x97");
  EXPECT_EQ(AnsiToUtf8(ansi), "Ros\xC3\xA9 \xE2\x80\x94");
  EXPECT_EQ(Utf8ToAnsi("\xE6\xBC\xA2"), "?");
}

}  // namespace
}  // namespace vorsant
