#include <gtest/gtest.h>

#include <algorithm>

#include "analytics/ini_document.h"
#include "analytics/session_store.h"
#include "analytics/storage_paths.h"
#include "analytics/text.h"
#include "test_support.h"

namespace plumeta {
namespace {

std::u16string Id(std::uint32_t n) {
  return GuidText(Guid{n, 0, 0, {}});
}

// Sends through a real form client into a recording sender and notes the
// flush hooks among the sends.
class RecordingTracker final : public Tracker {
 public:
  explicit RecordingTracker(std::vector<FormRequest>& requests)
      : Tracker(std::make_unique<HttpFormClient>(std::make_unique<testing::RecordingSender>(requests)),
                u"http://collector.test") {}
  std::vector<std::string> events;
  PostOutcome Send(const ParamList& list, std::uint32_t timeLimitMs) override {
    events.push_back("send");
    return Tracker::Send(list, timeLimitMs);
  }
  void BeforeFlush() override { events.push_back("before"); }
  void AfterFlush() override { events.push_back("after"); }
};

class SessionStoreTest : public ::testing::Test {
 protected:
  SessionStoreTest()
      : files_(scratch_.path()),
        reader_(MakeSystemProfileReader(files_)),
        store_(StoreServices{files_, clock_, guids_}),
        tracker_(requests_) {}

  void Prepare() { store_.Prepare(tracker_, AppInfo{u"APP", u"Vorsant", u"Vorsant", u"6.1"}, u"CID"); }
  std::u16string Folder() { return StorageFolder(files_, u"Vorsant", u"6.1"); }
  std::u16string PathOf(std::u16string_view name) { return FilePath(files_, Folder(), name); }
  std::u16string SessionPath(const std::u16string& id) { return PathOf(id + u".session"); }
  std::u16string General(std::u16string_view key) {
    IniDocument ini(PathOf(u"tracking.ini"));
    ini.Load(*reader_);
    return ini.Get(u"General", key);
  }
  IniDocument LoadFile(const std::u16string& path) {
    IniDocument doc(path);
    doc.Load(*reader_);
    return doc;
  }

  std::unique_ptr<LifecycleHit> Lifecycle(std::u16string control, std::u16string status) {
    auto hit =
        std::make_unique<LifecycleHit>(NewHitStamp(clock_, guids_), std::move(control), std::move(status));
    if (hit->LifeControl() == u"start") hit->MarkSessionStart();
    if (hit->LifeControl() == u"end") hit->MarkSessionEnd();
    return hit;
  }
  std::unique_ptr<PropertyHit> Property(std::u16string label, std::u16string value) {
    return std::make_unique<PropertyHit>(NewHitStamp(clock_, guids_), std::move(label), std::move(value));
  }
  std::vector<std::string> Bodies() {
    std::vector<std::string> out;
    for (const FormRequest& r : requests_) out.push_back(JoinFields(r.fields));
    return out;
  }

  testing::ScratchFolder scratch_;
  testing::RootedFiles files_;
  std::unique_ptr<ProfileReader> reader_;
  testing::FakeClock clock_;
  testing::CountingGuids guids_;
  SessionStore store_;
  std::vector<FormRequest> requests_;
  RecordingTracker tracker_;
};

TEST_F(SessionStoreTest, WithoutAPreparedTrackerNothingIsStoredOrSent) {
  EXPECT_FALSE(store_.TrackHit(Property(u"A", u"B")));
  store_.FlushQueue();
  EXPECT_EQ(store_.ReadGeneral(u"Active"), u"");
  EXPECT_EQ(store_.keptHits(), 0u);
  EXPECT_FALSE(files_.ListFolder(scratch_.path() + u"OrvexAnalytics").has_value());
}

TEST_F(SessionStoreTest, StartHitOpensASessionAndIsStoredUnderItsActivity) {
  clock_.tick = 1000;
  Prepare();  // fresh session id 1
  EXPECT_EQ(store_.session().sessionId, Id(1));
  ASSERT_TRUE(store_.TrackHit(Lifecycle(u"start", u"")));  // activity 2, new session 3
  EXPECT_EQ(store_.session().sessionId, Id(3));
  EXPECT_EQ(General(u"Current Session"), Id(3));
  std::string expected = "[Activity " + ToEightBit(Id(2)) + "]\r\n" +
                         "Protocol Version = 2\r\nApplication ID = APP\r\nApplication Version = 6.1\r\n"
                         "Client ID = CID\r\nSession ID = " +
                         ToEightBit(Id(3)) + "\r\n" +
                         "Hit Type = lifecycle\r\nActivity ID = " + ToEightBit(Id(2)) + "\r\n" +
                         "Queue Time = 1000\r\nLife control = start\r\n";
  EXPECT_EQ(testing::ReadAll(SessionPath(Id(3))), expected);
  EXPECT_EQ(store_.keptHits(), 1u);
}

TEST_F(SessionStoreTest, EndHitIsStoredInItsSessionThenTheNextSessionIsAnnounced) {
  Prepare();
  store_.TrackHit(Lifecycle(u"start", u""));  // session 3
  store_.TrackHit(Property(u"UILevel", u"5"));
  store_.TrackHit(Lifecycle(u"end", u"success"));  // activity 5, then session 6
  EXPECT_EQ(LoadFile(SessionPath(Id(3))).sections().size(), 3u);
  EXPECT_EQ(LoadFile(SessionPath(Id(3))).Get(u"Activity " + Id(5), u"Session ID"), Id(3));
  EXPECT_EQ(store_.session().sessionId, Id(6));
  EXPECT_EQ(General(u"Current Session"), Id(6));
  EXPECT_FALSE(files_.ReadBytes(SessionPath(Id(6))).has_value())
      << "nothing is stored in the new session yet";
}

TEST_F(SessionStoreTest, ALaterCustomActionJoinsTheSessionNamedInTrackingIni) {
  Prepare();
  store_.TrackHit(Lifecycle(u"start", u""));  // session 3
  // The next custom action runs in a fresh copy of the library.
  SessionStore next(StoreServices{files_, clock_, guids_});
  next.Prepare(tracker_, AppInfo{u"APP", u"Vorsant", u"Vorsant", u"6.1"}, u"CID");
  EXPECT_EQ(next.session().sessionId, Id(3));
  next.TrackHit(Property(u"ADDLOCAL", u"Main"));
  EXPECT_EQ(LoadFile(SessionPath(Id(3))).sections().size(), 2u);
}

TEST_F(SessionStoreTest, AStoredSessionIdThatIsNoGuidCannotSteerTheFileName) {
  Prepare();
  for (std::u16string planted : {u"..\\..\\evil", u"../../evil", u"{00000009-0000-0000-0000-00000000000}"}) {
    store_.WriteGeneral(u"Current Session", planted);
    Prepare();
    EXPECT_TRUE(IsGuidText(store_.session().sessionId));
    EXPECT_NE(store_.session().sessionId, planted);
  }
  store_.WriteGeneral(u"Current Session", u"{0000000a-0000-0000-0000-00000000000b}");
  Prepare();
  EXPECT_EQ(store_.session().sessionId, u"{0000000a-0000-0000-0000-00000000000b}");
}

TEST_F(SessionStoreTest, AnEmptyContentDescriptionTakesTheLastOneSeen) {
  Prepare();
  auto first = Property(u"A", u"1");
  first->SetContentDescription(u"WelcomeDlg");
  store_.TrackHit(std::move(first));
  auto second = Property(u"B", u"2");
  std::u16string secondId = second->ActivityId();
  store_.TrackHit(std::move(second));
  EXPECT_EQ(store_.session().contentDescription, u"WelcomeDlg");
  EXPECT_EQ(LoadFile(SessionPath(Id(1))).Get(u"Activity " + secondId, u"Content Description"), u"WelcomeDlg");
}

TEST_F(SessionStoreTest, HitsWithOneActivityIdShareASectionLaterValuesWinKeyByKey) {
  Prepare();
  store_.TrackHit(std::make_unique<PropertyHit>(HitStamp{u"{SAME}", 5}, u"Label1", u"old"));
  store_.TrackHit(std::make_unique<ScreenViewHit>(HitStamp{u"{SAME}", 7}, u"Dlg"));
  IniDocument doc = LoadFile(SessionPath(Id(1)));
  ASSERT_EQ(doc.sections().size(), 1u);
  EXPECT_EQ(doc.Get(u"Activity {SAME}", u"Hit Type"), u"screenview");
  EXPECT_EQ(doc.Get(u"Activity {SAME}", u"Label"), u"Dlg");
  EXPECT_EQ(doc.Get(u"Activity {SAME}", u"Value"), u"old");
  EXPECT_EQ(doc.Get(u"Activity {SAME}", u"Queue Time"), u"7");
}

TEST_F(SessionStoreTest, AFileThatCannotBeWrittenLosesTheHitAndSaysSo) {
  Prepare();
  files_.failWrites = true;
  EXPECT_FALSE(store_.TrackHit(Property(u"A", u"1")));
  EXPECT_EQ(store_.keptHits(), 1u) << "the store still owns the hit";
}

TEST_F(SessionStoreTest, FlushSendsEveryFileInNameOrderThenDeletesThemAndTheSessionId) {
  store_.Prepare(tracker_, AppInfo{u"APP", u"Vorsant", u"Vorsant", u"6.1"}, u"CID");
  store_.WriteGeneral(u"Active", u"true");
  // An older session left behind, named to sort before the current one.
  testing::WriteAll(SessionPath(u"{00000000-OLD}"),
                    "[Activity {9}]\r\nHit Type = property\r\nLabel = left\r\n");
  store_.TrackHit(Lifecycle(u"start", u""));
  store_.TrackHit(Lifecycle(u"end", u"success"));
  store_.FlushQueue();

  EXPECT_EQ(tracker_.events, (std::vector<std::string>{"before", "send", "send", "send", "after"}));
  std::vector<std::string> bodies = Bodies();
  ASSERT_EQ(bodies.size(), 3u);
  const std::string head = "v=2&aid=APP&av=6.1&cid=CID&sid=" + ToEightBit(Id(3));
  EXPECT_EQ(bodies[0], "t=property&lb=left");
  EXPECT_EQ(bodies[1], head + "&t=lifecycle&qt=0&lc=start");
  EXPECT_EQ(bodies[2], head + "&t=lifecycle&qt=0&lc=end&ls=success");

  EXPECT_TRUE(SessionFiles(files_, Folder()).empty());
  EXPECT_EQ(store_.session().sessionId, u"");
  EXPECT_EQ(General(u"Current Session"), u"");
  EXPECT_EQ(General(u"Active"), u"true");
}

TEST_F(SessionStoreTest, QueueTimeIsSentAsTheAgeOfTheHit) {
  Prepare();
  store_.WriteGeneral(u"Active", u"true");
  clock_.tick = 1000;
  store_.TrackHit(Property(u"A", u"1"));
  clock_.tick = 61000;
  store_.FlushQueue();
  ASSERT_EQ(Bodies().size(), 1u);
  EXPECT_NE(Bodies()[0].find("&qt=60000&"), std::string::npos) << Bodies()[0];
}

TEST_F(SessionStoreTest, AHitStoredBeforeARestartGetsANegativeAge) {
  Prepare();
  store_.WriteGeneral(u"Active", u"true");
  clock_.tick = 4000000000u;
  store_.TrackHit(Property(u"A", u"1"));
  clock_.tick = 5000;
  store_.FlushQueue();
  ASSERT_EQ(Bodies().size(), 1u);
  EXPECT_NE(Bodies()[0].find("&qt=-3999995000&"), std::string::npos) << Bodies()[0];
}

TEST_F(SessionStoreTest, ActiveIsTrueInAnyCaseAndEverythingElseDeletesUnsent) {
  struct Case {
    const char16_t* active;
    bool sends;
  };
  for (Case c : {Case{u"TRUE", true}, Case{u"True", true}, Case{nullptr, false}, Case{u"false", false},
                 Case{u"1", false}, Case{u"true!", false}}) {
    requests_.clear();
    Prepare();
    IniDocument ini(PathOf(u"tracking.ini"));
    ini.Set(u"General", u"Other", u"kept so the file is rewritten");
    ini.Set(u"General", u"Active", c.active != nullptr ? c.active : u"");
    ASSERT_TRUE(ini.Save(files_));
    store_.TrackHit(Lifecycle(u"start", u""));
    std::u16string current = store_.session().sessionId;
    store_.FlushQueue();
    std::u16string label = c.active != nullptr ? c.active : u"(missing)";
    EXPECT_EQ(requests_.size(), c.sends ? 1u : 0u) << ToEightBit(label);
    EXPECT_TRUE(SessionFiles(files_, Folder()).empty()) << ToEightBit(label);
    // Only a sending flush clears the session; a discarding one stops early.
    EXPECT_EQ(General(u"Current Session"), c.sends ? u"" : current) << ToEightBit(label);
  }
}

TEST_F(SessionStoreTest, OnlyFilesWithTheSessionExtensionAreFlushed) {
  Prepare();
  store_.WriteGeneral(u"Active", u"true");
  const std::string content = "[Activity {X}]\r\nHit Type = screenview\r\n";
  testing::WriteAll(PathOf(u".SESSION"), content);
  testing::WriteAll(PathOf(u"session"), content);
  testing::WriteAll(PathOf(u"x.session.bak"), content);
  store_.FlushQueue();
  EXPECT_EQ(Bodies(), std::vector<std::string>{"t=screenview"});
  EXPECT_FALSE(files_.ReadBytes(PathOf(u".SESSION")).has_value());
  EXPECT_TRUE(files_.ReadBytes(PathOf(u"session")).has_value());
  EXPECT_TRUE(files_.ReadBytes(PathOf(u"x.session.bak")).has_value());
}

TEST_F(SessionStoreTest, AHitAfterTheFlushWaitsInADotSessionFileForTheNextFlush) {
  Prepare();
  store_.WriteGeneral(u"Active", u"true");
  store_.FlushQueue();
  store_.TrackHit(Property(u"Late", u"1"));
  EXPECT_TRUE(files_.ReadBytes(PathOf(u".session")).has_value());
  store_.FlushQueue();
  ASSERT_EQ(Bodies().size(), 1u);
  EXPECT_NE(Bodies()[0].find("lb=Late&val=1"), std::string::npos);
}

TEST_F(SessionStoreTest, AFailedSendStillDeletesTheFileAfterEveryHitWasTried) {
  std::vector<FormRequest> none;
  Tracker failing(
      std::make_unique<HttpFormClient>(std::make_unique<testing::RecordingSender>(none, kClientReadResponse)),
      u"http://down");
  store_.Prepare(failing, AppInfo{u"APP", u"Vorsant", u"Vorsant", u"6.1"}, u"CID");
  store_.WriteGeneral(u"Active", u"true");
  store_.TrackHit(Property(u"A", u"1"));
  store_.TrackHit(Property(u"B", u"2"));
  store_.FlushQueue();
  EXPECT_EQ(failing.client()->LastError(), kClientReadResponse);
  EXPECT_TRUE(SessionFiles(files_, Folder()).empty());
}

TEST_F(SessionStoreTest, ValuesThatWouldBreakTheFileOrTheBodyArriveIntact) {
  Prepare();
  store_.WriteGeneral(u"Active", u"true");
  store_.TrackHit(std::make_unique<ExceptionHit>(NewHitStamp(clock_, guids_), u"InstallFiles",
                                                 u"Error 1335.\r\nC:\\Program Files\\A&B\\C++ 100%", true));
  store_.TrackHit(Property(u"After", u"intact"));
  store_.FlushQueue();
  std::vector<std::string> bodies = Bodies();
  ASSERT_EQ(bodies.size(), 2u);
  EXPECT_NE(bodies[0].find("&exdt=Error 1335.  C:\\Program Files\\A%26B\\C%2B%2B 100%25&exf=1"),
            std::string::npos)
      << bodies[0];
  EXPECT_NE(bodies[1].find("lb=After&val=intact"), std::string::npos);
}

TEST_F(SessionStoreTest, ALongFatalReportIsCutToItsBufferAndStillSent) {
  Prepare();
  store_.WriteGeneral(u"Active", u"true");
  store_.TrackHit(std::make_unique<ExceptionHit>(NewHitStamp(clock_, guids_), u"InstallFiles",
                                                 std::u16string(5000, u'e'), true));
  store_.FlushQueue();
  ASSERT_EQ(requests_.size(), 1u);
  const std::vector<std::string>& fields = requests_[0].fields;
  auto details =
      std::find_if(fields.begin(), fields.end(), [](const auto& f) { return f.starts_with("exdt="); });
  ASSERT_NE(details, fields.end());
  EXPECT_EQ(details->size(), 1024u);
  EXPECT_EQ(fields.back(), "exf=1");
}

TEST_F(SessionStoreTest, LongStorageFoldersStillStoreAndFlush) {
  // 230: the folder needs no long form but its session files do; 250 and
  // 300: the folder itself needs it.
  for (std::size_t target : {230u, 250u, 300u}) {
    requests_.clear();
    std::size_t fixed = scratch_.path().size() + std::u16string_view(u"OrvexAnalytics").size() + 2 + 3;
    AppInfo app{u"APP", std::u16string(target - fixed, u'p'), u"", u"6.1"};
    store_.Prepare(tracker_, app, u"CID");
    std::u16string folder = StorageFolder(files_, app.productName, app.productVersion);
    ASSERT_TRUE(store_.WriteGeneral(u"Active", u"true")) << target;
    EXPECT_TRUE(store_.TrackHit(Lifecycle(u"start", u""))) << target;
    EXPECT_TRUE(store_.TrackHit(Property(u"A", u"1"))) << target;
    EXPECT_EQ(SessionFiles(files_, folder).size(), 1u) << target;
    store_.FlushQueue();
    EXPECT_EQ(requests_.size(), 2u) << target;
    EXPECT_TRUE(SessionFiles(files_, folder).empty()) << target;
  }
}

}  // namespace
}  // namespace plumeta
