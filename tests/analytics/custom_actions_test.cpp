#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "analytics/custom_action_names.h"
#include "analytics/guarded.h"
#include "analytics/ini_document.h"
#include "analytics/install_mode.h"
#include "analytics/machine_id.h"
#include "analytics/storage_paths.h"
#include "analytics/text.h"
#include "install_fakes.h"

namespace plumeta {
namespace {

using testing::FieldOf;
using testing::Fields;

class CustomActions : public testing::InstallTest {
 protected:
  std::u16string General(std::u16string_view key) {
    IniDocument ini(FilePath(files_, Folder(), u"tracking.ini"));
    ini.Load(*reader_);
    return ini.Get(u"General", key);
  }
  void RunInstall() {
    analytics_.OnAnalyticsToggle(installer_);
    analytics_.OnAnalyticsLogStart(installer_);
    analytics_.OnAnalyticsLogMachineInfo(installer_);
    analytics_.OnAnalyticsLogInstallData(installer_);
    analytics_.OnAnalyticsLogFinish(installer_);
  }
};

TEST_F(CustomActions, ToggleStoresTrueOnlyForTheNumberOne) {
  StandardProperties();
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"1", u"true"},  {u"1abc", u"true"}, {u"0", u"false"},  {u"-1", u"false"},
      {u"2", u"false"}, {u"", u"false"},    {u"on", u"false"}, {u"01", u"true"},
  };
  for (const auto& [value, stored] : cases) {
    installer_.properties[u"OX_TR_ENABLE"] = value;
    analytics_.OnAnalyticsToggle(installer_);
    EXPECT_EQ(General(u"Active"), stored) << "OX_TR_ENABLE=" << ToUtf8(value);
  }
  installer_.properties.erase(u"OX_TR_ENABLE");
  analytics_.OnAnalyticsToggle(installer_);
  EXPECT_EQ(General(u"Active"), u"false");
  EXPECT_TRUE(requests_.empty());
}

TEST_F(CustomActions, FirstInstallSendsOneSessionInOrderAtTheEnd) {
  StandardProperties();
  installer_.properties[u"UILevel"] = u"2";
  installer_.properties[u"VersionMsi"] = u"5.00";
  installer_.properties[u"ADDLOCAL"] = u"Main,Docs";
  installer_.properties[u"OX_MISSING_PREREQS"] = u"vcredist";
  analytics_.OnAnalyticsToggle(installer_);
  analytics_.OnAnalyticsLogStart(installer_);
  analytics_.OnAnalyticsLogMachineInfo(installer_);
  analytics_.OnAnalyticsLogInstallData(installer_);
  EXPECT_TRUE(requests_.empty()) << "nothing is sent before the installation ends";
  analytics_.OnAnalyticsLogFinish(installer_);

  std::vector<std::string> types = Values("t");
  std::vector<std::string> expected = {"lifecycle", "property", "property", "property",
                                       "property",  "property", "property", "installtype",
                                       "property",  "property", "lifecycle"};
  ASSERT_EQ(types, expected);
  std::vector<Fields> hits = Hits();
  EXPECT_EQ(FieldOf(hits[0], "lc"), "start");
  EXPECT_EQ(FieldOf(hits[0], "ls"), "<none>");
  std::vector<std::string> labels = Values("lb");
  EXPECT_EQ(std::vector<std::string>(labels.begin() + 1, labels.begin() + 7),
            (std::vector<std::string>{"VersionNT", "VersionMsi", "UILevel", "ScreenResolution",
                                      "UserLanguage", "DpiScale"}));
  EXPECT_EQ(FieldOf(hits[4], "val"), "1920x1080");
  EXPECT_EQ(FieldOf(hits[5], "val"), "en-US");
  EXPECT_EQ(FieldOf(hits[6], "val"), "96");
  EXPECT_EQ(FieldOf(hits[7], "val"), "install");
  EXPECT_EQ(FieldOf(hits[8], "lb"), "ADDLOCAL");
  EXPECT_EQ(FieldOf(hits[9], "lb"), "OX_MISSING_PREREQS");
  EXPECT_EQ(FieldOf(hits[10], "lc"), "end");
  EXPECT_EQ(FieldOf(hits[10], "ls"), "success");

  std::string clientId = ToUtf8(MachineId(machine_));
  std::string session = FieldOf(hits[0], "sid");
  EXPECT_TRUE(IsGuidText(FromUtf8(session)));
  for (const Fields& hit : hits) {
    EXPECT_EQ(FieldOf(hit, "sid"), session) << "every hit of the installation shares the start's session";
    EXPECT_EQ(FieldOf(hit, "cid"), clientId);
    EXPECT_EQ(FieldOf(hit, "aid"), "APP-7");
    EXPECT_EQ(FieldOf(hit, "av"), "6.1.0");
    EXPECT_EQ(FieldOf(hit, "v"), "2");
  }
  EXPECT_EQ(requests_.front().url, u"http://default.test");
  EXPECT_TRUE(SessionFilesLeft().empty());
  EXPECT_EQ(General(u"Current Session"), u"");
  EXPECT_EQ(General(u"Active"), u"true");
}

TEST_F(CustomActions, SendingOffDeletesTheHitsUnsent) {
  StandardProperties();
  installer_.properties[u"OX_TR_ENABLE"] = u"0";
  analytics_.OnAnalyticsToggle(installer_);
  analytics_.OnAnalyticsLogStart(installer_);
  analytics_.OnAnalyticsLogMachineInfo(installer_);
  EXPECT_EQ(SessionFilesLeft().size(), 1u);
  analytics_.OnAnalyticsLogFinish(installer_);
  EXPECT_TRUE(requests_.empty());
  EXPECT_TRUE(SessionFilesLeft().empty());
}

TEST_F(CustomActions, AbortAndFatalErrorEndTheSessionWithTheirStatus) {
  StandardProperties();
  analytics_.OnAnalyticsToggle(installer_);
  analytics_.OnAnalyticsLogStart(installer_);
  analytics_.OnAnalyticsLogUserAbort(installer_);
  analytics_.OnAnalyticsLogStart(installer_);
  analytics_.OnAnalyticsLogFatalError(installer_);
  EXPECT_EQ(Values("ls"), (std::vector<std::string>{"<none>", "user abort", "<none>", "fatal error"}));
  std::vector<std::string> sessions = Values("sid");
  EXPECT_EQ(sessions[0], sessions[1]);
  EXPECT_EQ(sessions[2], sessions[3]);
  EXPECT_NE(sessions[0], sessions[2]);
}

TEST_F(CustomActions, InstallModeFollowsTheLastSatisfiedCondition) {
  StandardProperties();
  const std::u16string notInstalled = u"NOT Installed";
  const std::u16string maintenance = u"Installed AND (REMOVE<>\"ALL\")";
  const std::u16string uninstall = u"Installed AND ((REMOVE=\"ALL\") OR (OX_INSTALL_MODE=\"Remove\"))";
  const std::u16string upgrading = u"UPGRADINGPRODUCTCODE";
  const std::u16string oldProducts = u"OLDPRODUCTS";
  const std::u16string patch = u"PATCH AND PATCH<>\"MEDIASRCPROPNAME\"";
  const std::u16string sideBySide = u"(NOT Installed) AND (OX_UPGRADE=\"No\") AND OLDPRODUCTS";
  const std::pair<std::set<std::u16string>, std::u16string> cases[] = {
      {{notInstalled}, u"install"},
      {{maintenance}, u"maintenance"},
      {{uninstall}, u"uninstall"},
      {{uninstall, upgrading}, u"uninstallbyupgrade"},
      {{notInstalled, oldProducts}, u"upgrade"},
      {{maintenance, patch}, u"patch"},
      {{notInstalled, oldProducts, sideBySide}, u"installsbs"},
      {{}, u""},
  };
  for (const auto& [conditions, word] : cases) {
    installer_.trueConditions = conditions;
    installer_.asked.clear();
    EXPECT_EQ(DetectInstallMode(installer_), word);
    EXPECT_EQ(installer_.asked.size(), 7u) << "every condition is evaluated";
  }
}

TEST_F(CustomActions, PrerequisitesAreLoggedOnlyForAFirstInstallation) {
  StandardProperties();
  installer_.properties[u"INSTALLLEVEL"] = u"1";
  installer_.properties[u"REMOVE"] = u"ALL";
  installer_.properties[u"OX_MISSING_PREREQS"] = u"a";
  installer_.properties[u"OX_FOUND_PREREQS"] = u"b";
  analytics_.OnAnalyticsToggle(installer_);
  analytics_.OnAnalyticsLogInstallData(installer_);
  installer_.trueConditions = {u"Installed AND ((REMOVE=\"ALL\") OR (OX_INSTALL_MODE=\"Remove\"))"};
  analytics_.OnAnalyticsLogInstallData(installer_);
  installer_.trueConditions = {};
  analytics_.OnAnalyticsLogInstallData(installer_);
  analytics_.OnAnalyticsLogFinish(installer_);
  EXPECT_EQ(Values("val"), (std::vector<std::string>{"install", "1", "ALL", "a", "b", "uninstall", "1", "ALL",
                                                     "<none>", "1", "ALL", "<none>"}));
  EXPECT_EQ(Values("t")[8], "installtype") << "an empty mode is still tracked, without its value";
}

TEST_F(CustomActions, MachineInfoWithoutPropertiesStillSendsTheProbedFacts) {
  installer_.properties = {{u"OX_TR_ENABLE", u"1"}};
  display_.screen.reset();
  display_.country = u"";
  display_.dpi = 120;
  analytics_.OnAnalyticsToggle(installer_);
  analytics_.OnAnalyticsLogMachineInfo(installer_);
  analytics_.OnAnalyticsLogFinish(installer_);
  EXPECT_EQ(Values("lb"),
            (std::vector<std::string>{"ScreenResolution", "UserLanguage", "DpiScale", "<none>"}));
  EXPECT_EQ(Values("val"), (std::vector<std::string>{"0x0", "en-", "120", "<none>"}));
}

TEST_F(CustomActions, UserAgentIsComposedOnceFromTheFirstVersionProperties) {
  StandardProperties();
  analytics_.OnAnalyticsToggle(installer_);
  installer_.properties[u"VersionNT"] = u"1000";
  installer_.properties[u"WindowsBuild"] = u"19045";
  analytics_.OnAnalyticsLogStart(installer_);
  analytics_.OnAnalyticsLogFinish(installer_);
  ASSERT_EQ(userAgents_.size(), 1u);
  EXPECT_EQ(userAgents_[0], u"OrvexAnalytics/1.0 (Microsoft Windows NT 6.1.7601 ; x64)");
  // The property version is read once per process as well.
  EXPECT_EQ(analytics_.activeVersion().major, 6u);
  EXPECT_EQ(analytics_.activeVersion().build, 7601u);
}

TEST_F(CustomActions, EndpointComesFromThePackageWhenItIsAnHttpUrl) {
  StandardProperties();
  analytics_.OnAnalyticsToggle(installer_);
  installer_.properties[u"OX_TR_ENDPOINT"] = u"http://127.0.0.1:8123";
  analytics_.OnAnalyticsLogStart(installer_);
  analytics_.OnAnalyticsLogFinish(installer_);
  installer_.properties[u"OX_TR_ENDPOINT"] = u"ftp://elsewhere";
  analytics_.OnAnalyticsLogStart(installer_);
  analytics_.OnAnalyticsLogFinish(installer_);
  ASSERT_EQ(requests_.size(), 4u);
  EXPECT_EQ(requests_[0].url, u"http://127.0.0.1:8123");
  EXPECT_EQ(requests_[3].url, u"http://default.test");
}

TEST_F(CustomActions, HitsOfLaterActionsJoinTheSessionOfAnotherProcess) {
  // Each custom action may run in a freshly loaded library: a second
  // InstallAnalytics over the same folder stands for that.
  StandardProperties();
  analytics_.OnAnalyticsToggle(installer_);
  analytics_.OnAnalyticsLogStart(installer_);
  InstallAnalytics other(Platform{files_, clock_, guids_, machine_, display_, false,
                                  [this](const std::u16string&) -> std::unique_ptr<FormSender> {
                                    return std::make_unique<testing::ScriptedSender>(onSend_);
                                  },
                                  u"http://default.test"});
  other.OnAnalyticsLogInstallData(installer_);
  other.OnAnalyticsLogFinish(installer_);
  std::vector<std::string> sessions = Values("sid");
  ASSERT_EQ(sessions.size(), 3u);
  EXPECT_EQ(sessions[0], sessions[1]);
  EXPECT_EQ(sessions[1], sessions[2]);
}

TEST_F(CustomActions, UnwritableStorageFolderLosesHitsQuietly) {
  StandardProperties();
  // A file stands where the product's folder should be.
  std::u16string root = scratch_.path() + u"OrvexAnalytics";
  files_.MakeFolders(root);
  testing::WriteAll(root + files_.Separator() + u"Vorsant", "not a folder");
  RunInstall();
  EXPECT_TRUE(requests_.empty());
}

TEST_F(CustomActions, JunkInTheStoreDoesNotStopTheInstallationsHits) {
  StandardProperties();
  analytics_.OnAnalyticsToggle(installer_);
  std::u16string folder = Folder();
  std::string junk;
  for (int i = 0; i < 4096; ++i) {
    char c = static_cast<char>((i * 7919) & 0xFF);
    junk.push_back(c == '[' ? 'x' : c);  // no sections: nothing of the junk is a hit
  }
  testing::WriteAll(FilePath(files_, folder, u"tracking.ini"), junk + "\r\n[General]\r\nActive = true\r\n");
  testing::WriteAll(FilePath(files_, folder, u"junk.session"), junk);
  analytics_.OnAnalyticsLogStart(installer_);
  analytics_.OnAnalyticsLogFinish(installer_);
  EXPECT_EQ(Values("lc"), (std::vector<std::string>{"start", "end"}));
  EXPECT_TRUE(SessionFilesLeft().empty());
}

TEST_F(CustomActions, AHitThatThrowsLosesOnlyItselfAndTheFlushStillRuns) {
  StandardProperties();
  analytics_.OnAnalyticsToggle(installer_);
  analytics_.OnAnalyticsLogStart(installer_);
  files_.throwOnWrite = 2;  // the second machine fact
  analytics_.OnAnalyticsLogMachineInfo(installer_);
  files_.throwOnWrite = 1;  // the end hit
  analytics_.OnAnalyticsLogFinish(installer_);
  std::vector<std::string> types = Values("t");
  EXPECT_EQ(std::count(types.begin(), types.end(), "property"), 3) << "4 machine facts, one lost";
  EXPECT_EQ(Values("lc"), (std::vector<std::string>{"start", "<none>", "<none>", "<none>"}));
  EXPECT_TRUE(SessionFilesLeft().empty());
}

TEST_F(CustomActions, AFailureAnExportAbsorbsIsOneLineInTheInstallerLog) {
  auto diskFull = +[]() -> std::uint32_t { return 112; };
  Guarded(&installer_, action_names::OnAnalyticsLogStart, diskFull,
          [] { throw std::runtime_error("the session file could not be written"); });
  Guarded(&installer_, action_names::OnAnalyticsLogFinish, diskFull, [] { throw 7; });
  // Work that does not throw adds no line of its own.
  Guarded(&installer_, action_names::OnAnalyticsToggle, diskFull,
          [this] { analytics_.OnAnalyticsToggle(installer_); });
  EXPECT_EQ(installer_.logged,
            (std::vector<std::u16string>{
                u"plumeta: OnAnalyticsLogStart: failed, skipped: the session file could not be written "
                u"(Windows error 112)",
                u"plumeta: OnAnalyticsLogFinish: failed, skipped: an exception of an unknown kind "
                u"(Windows error 112)",
                u"plumeta: OnAnalyticsToggle: 0 hits stored",
            }));
  // A log that fails too loses the line, and nothing leaves the export.
  installer_.logFails = true;
  Guarded(&installer_, action_names::OnAnalyticsLogStart, diskFull, [] { throw std::bad_alloc(); });
  Guarded(nullptr, u"ShutdownEmbeddedUI", diskFull, [] { throw std::bad_alloc(); });
  EXPECT_EQ(installer_.logged.size(), 3u);
}

TEST_F(CustomActions, EachActionWritesOneLineIntoTheInstallerLog) {
  StandardProperties();
  onSend_ = [this](const FormRequest& r) {
    requests_.push_back(r);
    clock_.tick += 10;
    return FormResponse{200, u""};
  };
  RunInstall();
  ASSERT_EQ(requests_.size(), 7u);
  EXPECT_EQ(installer_.logged,
            (std::vector<std::u16string>{
                u"plumeta: OnAnalyticsToggle: 0 hits stored",
                u"plumeta: OnAnalyticsLogStart: 1 hit stored",
                u"plumeta: OnAnalyticsLogMachineInfo: 4 hits stored",
                u"plumeta: OnAnalyticsLogInstallData: 1 hit stored",
                u"plumeta: OnAnalyticsLogFinish: 1 hit stored; flush: 7 posted, 0 rejected, "
                u"0 kept, 0 dropped, 0 deleted unsent in 70 ms (http://default.test)",
            }));

  // A file where the product's folder belongs.
  std::u16string root = scratch_.path() + u"OrvexAnalytics";
  std::filesystem::remove_all(testing::ToFsPath(root));
  files_.MakeFolders(root);
  testing::WriteAll(root + files_.Separator() + u"Vorsant", "not a folder");
  installer_.logged.clear();
  analytics_.OnAnalyticsLogStart(installer_);
  char16_t sep = files_.Separator();
  EXPECT_EQ(installer_.logged,
            (std::vector<std::u16string>{u"plumeta: OnAnalyticsLogStart: nothing done: the "
                                         u"storage folder " +
                                         root + sep + u"Vorsant" + sep +
                                         u"6.1.0 is refused: a link, junction or file "
                                         u"stands in its place or in that of its tracking.ini"}));

  // A log that fails changes nothing.
  std::filesystem::remove_all(testing::ToFsPath(root));
  requests_.clear();
  installer_.logFails = true;
  RunInstall();
  EXPECT_EQ(requests_.size(), 7u);
}

}  // namespace
}  // namespace plumeta
