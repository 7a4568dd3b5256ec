// The library as the installer uses it: plumeta.dll loaded from beside this
// program, its exports called by name with the handle of a real installer
// session on a small package and with real message records, posting to a
// collector on the loopback interface.

#include <winsock2.h>
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "analytics/custom_action_names.h"
#include "loopback_collector_win.h"

namespace plumeta::testing {
namespace {

namespace names = plumeta::export_names;

std::wstring BesideThisProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

class Library {
 public:
  using Action = UINT(__stdcall*)(MSIHANDLE);
  using Initialize = UINT(__stdcall*)(MSIHANDLE, LPCWSTR, LPDWORD);
  using Handler = INT(__stdcall*)(UINT, MSIHANDLE);
  using Shutdown = DWORD(__stdcall*)();

  Library() : module_(LoadLibraryW(BesideThisProgram(L"plumeta.dll").c_str())) {}
  ~Library() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  bool loaded() const { return module_ != nullptr; }
  template <typename F>
  F Get(const char* name) const {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
  }
  UINT Call(const char* action, MSIHANDLE install) const {
    Action f = Get<Action>(action);
    return f == nullptr ? 0xDEAD : f(install);
  }

 private:
  HMODULE module_;
};

// The library stays loaded for the whole program, as it does for the
// installer's calls of one embedded UI.
const Library& Plumeta() {
  static Library library;
  return library;
}

class Session {
 public:
  Session() {
    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    result_ = MsiOpenPackageW(BesideThisProgram(L"plumeta_probe.msi").c_str(), &handle_);
  }
  ~Session() {
    if (handle_ != 0) MsiCloseHandle(handle_);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  UINT result() const { return result_; }
  MSIHANDLE handle() const { return handle_; }
  void Set(const wchar_t* name, const std::wstring& value) { MsiSetPropertyW(handle_, name, value.c_str()); }
  std::wstring Get(const wchar_t* name) const {
    wchar_t value[256] = {};
    DWORD size = 256;
    MsiGetPropertyW(handle_, name, value, &size);
    return value;
  }

 private:
  MSIHANDLE handle_ = 0;
  UINT result_ = 0;
};

class Record {
 public:
  explicit Record(std::map<unsigned, std::wstring> fields) : handle_(MsiCreateRecord(4)) {
    for (const auto& [index, text] : fields) MsiRecordSetStringW(handle_, index, text.c_str());
  }
  ~Record() { MsiCloseHandle(handle_); }
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;
  MSIHANDLE handle() const { return handle_; }

 private:
  MSIHANDLE handle_;
};

using Fields = std::map<std::string, std::string>;

Fields BodyFields(const std::string& body) {
  Fields fields;
  std::size_t start = 0;
  while (start <= body.size()) {
    std::size_t end = body.find('&', start);
    std::string field = body.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::size_t eq = field.find('=');
    fields[field.substr(0, eq)] = eq == std::string::npos ? "" : field.substr(eq + 1);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return fields;
}

std::string Of(const Fields& fields, const std::string& key) {
  auto it = fields.find(key);
  return it == fields.end() ? "<none>" : it->second;
}

std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

std::wstring TempFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, path);
  return path;
}

// Each test names its own product, so each has its own storage folder.
std::wstring UniqueProduct(const char* test) {
  static int counter = 0;
  return L"Probe-" + std::wstring(test, test + std::strlen(test)) + L"-" +
         std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class PlumetaDll : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Plumeta().loaded()) << "plumeta.dll beside the test program";
    ASSERT_EQ(session_.result(), 0u) << "the probe package opens";
    product_ = UniqueProduct(::testing::UnitTest::GetInstance()->current_test_info()->name());
    session_.Set(L"ProductName", product_);
    session_.Set(L"OX_TR_ENABLE", L"1");
    session_.Set(L"OX_TR_ENDPOINT", collector_.Url());
  }
  // Hits a test leaves waiting must not reach a later run of the same name.
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(Folder()), ignored);
  }
  std::wstring Folder() const { return TempFolder() + L"OrvexAnalytics\\" + product_ + L"\\1.2.3\\"; }
  std::string TrackingIni() const { return ReadFileBytes(Folder() + L"tracking.ini"); }
  int SessionFilesLeft() const {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((Folder() + L"*.session").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do ++count;
    while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
  }
  void Run(std::initializer_list<const char*> actions) {
    for (const char* action : actions) EXPECT_EQ(Plumeta().Call(action, session_.handle()), 0u) << action;
  }
  std::vector<Fields> Hits() {
    std::vector<Fields> hits;
    for (const RecordedRequest& r : collector_.Requests()) hits.push_back(BodyFields(r.body));
    return hits;
  }
  std::vector<std::string> Column(const std::string& key) {
    std::vector<std::string> values;
    for (const Fields& hit : Hits()) values.push_back(Of(hit, key));
    return values;
  }

  LoopbackCollector collector_;
  Session session_;
  std::wstring product_;
};

TEST_F(PlumetaDll, AnInstallationsActionsPostOneSessionWhenItEnds) {
  Run({names::OnAnalyticsToggle, names::OnAnalyticsLogStart, names::OnAnalyticsLogMachineInfo,
       names::OnAnalyticsLogInstallData});
  EXPECT_TRUE(collector_.Requests().empty()) << "nothing is sent before the end";
  EXPECT_NE(TrackingIni().find("Active = true"), std::string::npos);
  EXPECT_EQ(SessionFilesLeft(), 1);
  Run({names::OnAnalyticsLogFinish});

  std::vector<RecordedRequest> requests = collector_.Requests();
  ASSERT_GE(requests.size(), 6u);
  std::vector<Fields> hits = Hits();
  EXPECT_EQ(Of(hits.front(), "lc"), "start");
  EXPECT_EQ(Of(hits.back(), "lc"), "end");
  EXPECT_EQ(Of(hits.back(), "ls"), "success");
  std::vector<std::string> labels = Column("lb");
  for (const char* label : {"VersionNT", "ScreenResolution", "UserLanguage", "DpiScale"}) {
    EXPECT_NE(std::find(labels.begin(), labels.end(), label), labels.end()) << label;
  }
  std::vector<std::string> types = Column("t");
  auto installType = std::find(types.begin(), types.end(), "installtype");
  ASSERT_NE(installType, types.end());
  EXPECT_EQ(Of(hits[installType - types.begin()], "val"), "install");
  for (std::size_t i = 0; i < hits.size(); ++i) {
    if (Of(hits[i], "lb") == "VersionNT") {
      EXPECT_EQ(Of(hits[i], "val"), Narrow(session_.Get(L"VersionNT")));
    }
    if (Of(hits[i], "lb") == "ScreenResolution") {
      EXPECT_TRUE(std::regex_match(Of(hits[i], "val"), std::regex("[1-9][0-9]*x[1-9][0-9]*")));
    }
    if (Of(hits[i], "lb") == "DpiScale") {
      EXPECT_TRUE(std::regex_match(Of(hits[i], "val"), std::regex("[1-9][0-9]*")));
    }
    EXPECT_EQ(Of(hits[i], "sid"), Of(hits[0], "sid"));
    EXPECT_TRUE(std::regex_match(Of(hits[i], "cid"), std::regex("[0-9A-F]{40}")));
    EXPECT_EQ(Of(hits[i], "aid"), "probe-app");
    EXPECT_EQ(Of(hits[i], "av"), "1.2.3");
  }
  // Either library runs on a 64-bit system: the i686 one under WoW64.
  const std::string arch = "x64";
  for (const RecordedRequest& r : requests) {
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.path, "/");
    EXPECT_EQ(r.headers.at("content-type"), "application/x-www-form-urlencoded; charset=utf-8");
    EXPECT_TRUE(std::regex_match(
        r.headers.at("user-agent"),
        std::regex(R"(OrvexAnalytics/1\.0 \(Microsoft Windows NT \d+\.\d+\.\d+ ; )" + arch + R"(\))")))
        << r.headers.at("user-agent");
  }
  EXPECT_EQ(SessionFilesLeft(), 0);
}

TEST_F(PlumetaDll, TheToggleReadsTheSwitchAsAnInteger) {
  const std::pair<const wchar_t*, const char*> cases[] = {
      {L"1", "true"}, {L"1abc", "true"}, {L"0", "false"}, {L"-1", "false"}, {L"2", "false"}, {L"", "false"}};
  for (const auto& [value, stored] : cases) {
    session_.Set(L"OX_TR_ENABLE", value);
    Run({names::OnAnalyticsToggle});
    EXPECT_NE(TrackingIni().find(std::string("Active = ") + stored), std::string::npos) << Narrow(value);
  }
}

TEST_F(PlumetaDll, SendingOffDeletesTheHitsUnsent) {
  session_.Set(L"OX_TR_ENABLE", L"0");
  Run({names::OnAnalyticsToggle, names::OnAnalyticsLogStart, names::OnAnalyticsLogMachineInfo,
       names::OnAnalyticsLogFinish});
  EXPECT_TRUE(collector_.Requests().empty());
  EXPECT_EQ(SessionFilesLeft(), 0);
}

TEST_F(PlumetaDll, TheInstallModeFollowsTheInstallersConditions) {
  const std::pair<std::map<std::wstring, std::wstring>, const char*> cases[] = {
      {{}, "install"},
      {{{L"Installed", L"1"}}, "maintenance"},
      {{{L"Installed", L"1"}, {L"REMOVE", L"ALL"}}, "uninstall"},
      {{{L"Installed", L"1"}, {L"OX_INSTALL_MODE", L"Remove"}}, "uninstall"},
      {{{L"Installed", L"1"}, {L"REMOVE", L"ALL"}, {L"UPGRADINGPRODUCTCODE", L"{X}"}}, "uninstallbyupgrade"},
      {{{L"OLDPRODUCTS", L"{X}"}}, "upgrade"},
      {{{L"OLDPRODUCTS", L"{X}"}, {L"OX_UPGRADE", L"No"}}, "installsbs"},
      {{{L"Installed", L"1"}, {L"PATCH", L"C:\\fix.msp"}}, "patch"},
  };
  Run({names::OnAnalyticsToggle});
  for (const auto& [properties, mode] : cases) {
    Session session;
    session.Set(L"ProductName", product_);
    session.Set(L"OX_TR_ENDPOINT", collector_.Url());
    session.Set(L"OX_MISSING_PREREQS", L"runtime");
    for (const auto& [name, value] : properties) session.Set(name.c_str(), value);
    EXPECT_EQ(Plumeta().Call(names::OnAnalyticsLogInstallData, session.handle()), 0u);
    EXPECT_EQ(Plumeta().Call(names::OnAnalyticsLogFinish, session.handle()), 0u);
  }
  std::vector<std::string> modes;
  std::vector<std::string> prerequisites;
  for (const Fields& hit : Hits()) {
    if (Of(hit, "t") == "installtype") modes.push_back(Of(hit, "val"));
    if (Of(hit, "lb") == "OX_MISSING_PREREQS") prerequisites.push_back(modes.back());
  }
  std::vector<std::string> expected;
  for (const auto& c : cases) expected.push_back(c.second);
  EXPECT_EQ(modes, expected);
  EXPECT_EQ(prerequisites, std::vector<std::string>{"install"}) << "only a first installation logs them";
}

TEST_F(PlumetaDll, AnEndpointThatRefusesConnectionsEndsTheFlushAtOnce) {
  session_.Set(L"OX_TR_ENDPOINT", L"http://127.0.0.1:" + std::to_wstring(ClosedLoopbackPort()));
  Run({names::OnAnalyticsToggle, names::OnAnalyticsLogStart, names::OnAnalyticsLogMachineInfo,
       names::OnAnalyticsLogInstallData});
  DWORD start = GetTickCount();
  Run({names::OnAnalyticsLogFinish});
  EXPECT_LT(GetTickCount() - start, 10000u);
  EXPECT_GT(SessionFilesLeft(), 0) << "the untried hits wait for the next flush";
}

TEST_F(PlumetaDll, AnEndpointThatNeverAnswersIsGivenUpWithinSeconds) {
  LoopbackCollector silent(LoopbackCollector::Mode::kSilent);
  session_.Set(L"OX_TR_ENDPOINT", silent.Url());
  Run({names::OnAnalyticsToggle, names::OnAnalyticsLogStart, names::OnAnalyticsLogMachineInfo,
       names::OnAnalyticsLogInstallData});
  DWORD start = GetTickCount();
  Run({names::OnAnalyticsLogFinish});
  // One request's time limits (Wine waits out the receive limit twice), then
  // the rest waits for the next flush.
  EXPECT_LT(GetTickCount() - start, 10000u);
  EXPECT_GT(SessionFilesLeft(), 0);
}

class EmbeddedHandler : public PlumetaDll {
 protected:
  void Message(UINT type, std::map<unsigned, std::wstring> fields) {
    Record record(std::move(fields));
    EXPECT_EQ(Plumeta().Get<Library::Handler>(names::EmbeddedUIHandler)(type, record.handle()), 0);
  }
  std::vector<std::string> Sent() {
    std::vector<std::string> lines;
    for (const Fields& hit : Hits()) {
      std::string line = Of(hit, "t");
      for (const char* key : {"lc", "ls", "lb", "exd", "exdt", "exf"}) {
        if (hit.count(key) != 0) line += std::string(" ") + key + "=" + hit.at(key);
      }
      lines.push_back(line);
    }
    return lines;
  }
};

TEST_F(EmbeddedHandler, RecordsDialogsWarningsAndTheFirstFailedAction) {
  Run({names::OnAnalyticsToggle});
  DWORD level = INSTALLUILEVEL_FULL;
  ASSERT_EQ(
      Plumeta().Get<Library::Initialize>(names::InitializeEmbeddedUI)(session_.handle(), L"C:\\src", &level),
      0u);
  EXPECT_EQ(level, static_cast<DWORD>(INSTALLUILEVEL_FULL)) << "the UI level is left as it was";
  // Field 0 is the text the installer formats; the other fields are data.
  Message(INSTALLMESSAGE_ACTIONSTART, {{0, L"Action: [1]"}, {1, L"WelcomeDlg"}, {2, L"Dialog created"}});
  Message(INSTALLMESSAGE_ACTIONSTART, {{0, L"Action: [1]"}, {1, L"CostFinalize"}, {2, L"Computing space"}});
  Message(INSTALLMESSAGE_INFO,
          {{0, L"Action ended: [1]. Return value [2]."}, {1, L"CostFinalize"}, {2, L"1"}});
  Message(INSTALLMESSAGE_WARNING | MB_OK, {{0, L"Disk [1] is nearly full"}, {1, L"C:"}});
  Message(INSTALLMESSAGE_ACTIONSTART, {{0, L"Action: [1]"}, {1, L"InstallFiles"}});
  Message(INSTALLMESSAGE_ERROR | MB_ICONERROR, {{0, L"Error 1310. Cannot write [1]"}, {1, L"C:\\x"}});
  Message(INSTALLMESSAGE_INFO,
          {{0, L"Action ended: [1]. Return value [2]."}, {1, L"InstallFiles"}, {2, L"3"}});
  Message(INSTALLMESSAGE_INFO, {{0, L"Action ended: [1]. Return value [2]."}, {1, L"Rollback"}, {2, L"3"}});
  Message(INSTALLMESSAGE_INFO, {{0, L"Info 1720. Script failed."}});
  Message(INSTALLMESSAGE_PROGRESS, {{1, L"0"}});
  Message(INSTALLMESSAGE_INSTALLEND, {{1, L"PlumetaProbe"}, {3, L"3"}});
  EXPECT_EQ(Plumeta().Get<Library::Shutdown>(names::ShutdownEmbeddedUI)(), 0u);
  EXPECT_EQ(Sent(), (std::vector<std::string>{
                        "lifecycle lc=start",
                        "screenview lb=WelcomeDlg",
                        "exception exd=CostFinalize exdt=Disk C: is nearly full exf=0",
                        "exception exd=InstallFiles exdt=Error 1310. Cannot write C:\\x exf=1",
                        "exception exd=InstallFiles exf=0",
                        "lifecycle lc=end ls=fatal error",
                    }));
  EXPECT_EQ(SessionFilesLeft(), 0);
}

TEST_F(PlumetaDll, AFileWhereTheStorageFolderBelongsChangesNothingForTheInstaller) {
  CreateDirectoryW((TempFolder() + L"OrvexAnalytics").c_str(), nullptr);
  std::wstring blocked = TempFolder() + L"OrvexAnalytics\\" + product_;
  { std::ofstream(std::filesystem::path(blocked)) << "not a folder"; }
  DWORD start = GetTickCount();
  Run({names::OnAnalyticsToggle, names::OnAnalyticsLogStart, names::OnAnalyticsLogMachineInfo,
       names::OnAnalyticsLogInstallData, names::OnAnalyticsLogUserAbort, names::OnAnalyticsLogFatalError});
  EXPECT_LT(GetTickCount() - start, 10000u);
  EXPECT_TRUE(collector_.Requests().empty());
  DeleteFileW(blocked.c_str());
}

TEST_F(PlumetaDll, JunkAndHugeFilesInTheStoreChangeNothingForTheInstaller) {
  Run({names::OnAnalyticsToggle});
  std::string junk;
  for (int i = 0; i < 65536; ++i) junk.push_back(static_cast<char>((i * 7919 + i / 3) & 0xFF));
  { std::ofstream(std::filesystem::path(Folder() + L"tracking.ini"), std::ios::binary) << junk; }
  {
    std::ofstream huge(std::filesystem::path(Folder() + L"huge.session"), std::ios::binary);
    huge << "[Activity x]\r\n";
    for (int i = 0; i < 512; ++i) huge << junk;  // 32 MiB
  }
  DWORD start = GetTickCount();
  Run({names::OnAnalyticsToggle, names::OnAnalyticsLogStart, names::OnAnalyticsLogFinish});
  EXPECT_LT(GetTickCount() - start, 30000u);
  EXPECT_EQ(SessionFilesLeft(), 0);
}

}  // namespace
}  // namespace plumeta::testing
