#include <gtest/gtest.h>

#include "install_fakes.h"

namespace plumeta {
namespace {

using testing::FakeRecord;
using testing::FieldOf;

class EmbeddedUi : public testing::InstallTest {
 protected:
  void Start() {
    StandardProperties();
    analytics_.OnAnalyticsToggle(installer_);
    analytics_.InitializeEmbeddedUI(installer_);
  }
  void Message(std::uint32_t type, std::u16string text, std::map<unsigned, std::u16string> fields = {}) {
    FakeRecord record(std::move(text), std::move(fields));
    analytics_.EmbeddedUIHandler(type, record);
  }
  void ActionStart(std::u16string name, std::u16string description = u"") {
    Message(kMessageActionStart, u"Action: " + name, {{1, name}, {2, description}});
  }
  void ActionEnded(std::u16string name, std::u16string result) {
    Message(kMessageInfo, u"Action ended 12:00:00: " + name + u". Return value " + result + u".",
            {{1, name}, {2, result}});
  }
  // Everything sent, one line per hit: type and the fields that tell hits apart.
  std::vector<std::string> Sent() {
    std::vector<std::string> lines;
    for (const testing::Fields& hit : Hits()) {
      std::string line = FieldOf(hit, "t");
      for (const char* key : {"lc", "ls", "lb", "exd", "exdt", "exf"}) {
        std::string value = FieldOf(hit, key);
        if (value != "<none>") line += std::string(" ") + key + "=" + value;
      }
      lines.push_back(line);
    }
    return lines;
  }
};

TEST_F(EmbeddedUi, ASuccessfulInstallationIsBracketedByStartAndEnd) {
  Start();
  ActionStart(u"CostInitialize");
  ActionStart(u"WelcomeDlg", u"Dialog created");
  Message(kMessageInstallEnd, u"", {{1, u"Vorsant"}, {3, u"1"}});
  analytics_.ShutdownEmbeddedUI();
  EXPECT_EQ(Sent(), (std::vector<std::string>{"lifecycle lc=start", "screenview lb=WelcomeDlg",
                                              "lifecycle lc=end ls=success"}));
  EXPECT_EQ(analytics_.embeddedUi().currentAction, u"WelcomeDlg");
  EXPECT_TRUE(SessionFilesLeft().empty());
}

TEST_F(EmbeddedUi, TheInstallEndResultNamesTheEndStatus) {
  const std::pair<const char16_t*, const char*> cases[] = {{u"1", "success"},
                                                           {u"2", "user abort"},
                                                           {u"3", "fatal error"},
                                                           {u"4", "user abort"},
                                                           {nullptr, "user abort"}};
  for (const auto& [result, status] : cases) {
    requests_.clear();
    Start();
    if (result != nullptr) Message(kMessageInstallEnd, u"", {{3, result}});
    analytics_.ShutdownEmbeddedUI();
    ASSERT_EQ(requests_.size(), 2u);
    EXPECT_EQ(Sent()[1], std::string("lifecycle lc=end ls=") + status);
  }
}

TEST_F(EmbeddedUi, TheFirstFailedActionIsOneFatalExceptionWithTheLastError) {
  Start();
  ActionStart(u"InstallFiles");
  Message(kMessageError, u"Error 1310. Cannot write C:\\x");
  ActionEnded(u"InstallFiles", u"3");
  ActionStart(u"WriteRegistryValues");
  Message(kMessageError, u"Error 1402. Cannot open key");
  ActionEnded(u"WriteRegistryValues", u"3");
  Message(kMessageInstallEnd, u"", {{3, u"3"}});
  analytics_.ShutdownEmbeddedUI();
  EXPECT_EQ(Sent(), (std::vector<std::string>{
                        "lifecycle lc=start",
                        "exception exd=InstallFiles exdt=Error 1310. Cannot write C:\\x exf=1",
                        "lifecycle lc=end ls=fatal error",
                    }));
}

TEST_F(EmbeddedUi, ASucceedingActionDoesNotUseUpTheFatalReport) {
  Start();
  ActionStart(u"CostFinalize");
  ActionEnded(u"CostFinalize", u"1");
  ActionStart(u"InstallFiles");
  Message(kMessageError, u"Error 1310.");
  ActionEnded(u"InstallFiles", u"3");
  std::vector<std::string> sent;
  analytics_.ShutdownEmbeddedUI();
  EXPECT_EQ(Sent()[1], "exception exd=InstallFiles exdt=Error 1310. exf=1");
  EXPECT_EQ(requests_.size(), 3u);
}

TEST_F(EmbeddedUi, WarningsAndFailedScriptsAreNonFatalExceptions) {
  Start();
  ActionStart(u"CheckDisk");
  Message(kMessageWarning, u"Low disk space");
  ActionStart(u"RunScript");
  Message(kMessageInfo, u"Info 1720. There is a problem with this Windows Installer package.");
  Message(kMessageInfo, u"Action start 12:00:00: Other.");
  analytics_.ShutdownEmbeddedUI();
  EXPECT_EQ(Sent(), (std::vector<std::string>{
                        "lifecycle lc=start", "exception exd=CheckDisk exdt=Low disk space exf=0",
                        "exception exd=RunScript exf=0", "lifecycle lc=end ls=user abort"}));
}

TEST_F(EmbeddedUi, AfterTheFatalReportActionEndedTextsMayStillBeScriptFailures) {
  Start();
  ActionStart(u"A");
  ActionEnded(u"A", u"3");
  // Past the fatal report, "Action ended" is no longer examined, so a text
  // that also carries "Info 1720" counts as a script failure.
  Message(kMessageInfo, u"Action ended: B. Info 1720", {{2, u"3"}});
  analytics_.ShutdownEmbeddedUI();
  EXPECT_EQ(Sent()[1], "exception exd=A exf=1");
  EXPECT_EQ(Sent()[2], "exception exd=A exf=0");
}

TEST_F(EmbeddedUi, OtherMessagesChangeNothingAndHandlerTypeFlagsAreIgnored) {
  Start();
  ActionStart(u"Known");
  Message(0x03000000u, u"user", {{1, u"x"}});
  Message(0x0A000000u, u"progress", {{1, u"x"}});
  // The low bits carry buttons and icons; only the top 8 bits name the kind.
  Message(kMessageActionStart | 0x00000031u, u"", {{1, u"EmptyDlg"}, {2, u"Dialog created"}});
  Message(kMessageActionStart, u"", {{2, u"Dialog created"}});
  analytics_.ShutdownEmbeddedUI();
  EXPECT_EQ(Sent(), (std::vector<std::string>{"lifecycle lc=start", "screenview lb=EmptyDlg", "screenview",
                                              "lifecycle lc=end ls=user abort"}));
}

TEST_F(EmbeddedUi, ShutdownWithoutInitializeSendsNothing) {
  analytics_.ShutdownEmbeddedUI();
  EXPECT_TRUE(requests_.empty());
}

}  // namespace
}  // namespace plumeta
