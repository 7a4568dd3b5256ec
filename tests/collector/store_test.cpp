// The store on SQLite and on PostgreSQL: what the figures say about a known
// set of installations, reopening, retention, exports, concurrent writers.
#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <thread>

#include "collector/ingest_queue.h"
#include "collector/store.h"
#include "collector/store_claim.h"
#include "store_backends.h"
#include "test_hits.h"

namespace collector {
namespace {

constexpr const char* kAgent86Win10 = "OrvexAnalytics/1.0 (Microsoft Windows NT 10.0.19045 ; x86)";
const std::int64_t kDay1 = *ParseDay("2026-03-10") * 86'400'000;
const std::int64_t kDay2 = kDay1 + 86'400'000;

class StoreTest : public testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (!db_.available())
      GTEST_SKIP() << "PLUMETA_TEST_POSTGRES is not set (scripts/pg_test_server.sh start)";
  }
  std::unique_ptr<Store> Open() { return std::make_unique<Store>(OpenSqlConnection(db_.url())); }
  const std::string& Url() const { return db_.url(); }

  // Four installations on two machines over two days, one of each outcome;
  // the hits of the aborted one arrive in two batches, out of order.
  void StoreKnownInstallations(Store& store) {
    const std::string s1 = SessionId(1), s2 = SessionId(2), s3 = SessionId(3), s4 = SessionId(4);
    std::vector<HitRecord> first = {
        Hit(s1, kClientA, "lifecycle", {{"lc", "start"}}, kDay1 + 1000),
        Hit(s1, kClientA, "property", {{"lb", "UserLanguage"}, {"val", "en-US"}}, kDay1 + 1001),
        Hit(s1, kClientA, "property", {{"lb", "ScreenResolution"}, {"val", "1920x1080"}}, kDay1 + 1002),
        Hit(s1, kClientA, "property", {{"lb", "DpiScale"}, {"val", "96"}}, kDay1 + 1003),
        Hit(s1, kClientA, "installtype", {{"val", "install"}}, kDay1 + 1004),
        Hit(s1, kClientA, "property", {{"lb", "ADDLOCAL"}, {"val", "Main,Docs"}}, kDay1 + 1005),
        Hit(s1, kClientA, "property", {{"lb", "OX_MISSING_PREREQS"}, {"val", "VCRedist"}}, kDay1 + 1006),
        Hit(s1, kClientA, "lifecycle", {{"lc", "end"}, {"ls", "success"}}, kDay1 + 1007),
        Hit(s2, kClientB, "lifecycle", {{"lc", "start"}}, kDay1 + 2000),
        Hit(s2, kClientB, "installtype", {{"val", "install"}}, kDay1 + 2001),
        Hit(s2, kClientB, "screenview", {{"lb", "License"}}, kDay1 + 3000),
        Hit(s2, kClientB, "lifecycle", {{"lc", "end"}, {"ls", "user abort"}}, kDay1 + 4000),
    };
    store.Insert(first, {{"2026-03-10", 2}});
    std::vector<HitRecord> second = {
        Hit(s2, kClientB, "screenview", {{"lb", "Welcome"}}, kDay1 + 2500),
        Hit(s3, kClientB, "lifecycle", {{"lc", "start"}}, kDay2 + 10, "6.0.0", kAgent86Win10),
        Hit(s3, kClientB, "installtype", {{"val", "uninstall"}}, kDay2 + 11, "6.0.0", kAgent86Win10),
        Hit(s3, kClientB, "exception", {{"exd", "InstallFiles"}, {"exdt", "Error 1335"}, {"exf", "1"}},
            kDay2 + 12, "6.0.0", kAgent86Win10),
        Hit(s3, kClientB, "exception", {{"exd", "InstallFiles"}, {"exdt", "Error 1335"}, {"exf", "1"}},
            kDay2 + 13, "6.0.0", kAgent86Win10),
        Hit(s3, kClientB, "exception", {{"exd", "InstallFiles"}, {"exf", "0"}}, kDay2 + 14, "6.0.0",
            kAgent86Win10),
        Hit(s3, kClientB, "lifecycle", {{"lc", "end"}, {"ls", "fatal error"}}, kDay2 + 15, "6.0.0",
            kAgent86Win10),
        Hit(s4, kClientA, "lifecycle", {{"lc", "start"}}, kDay2 + 20),
        Hit(s4, kClientA, "property", {{"lb", "ADDLOCAL"}, {"val", "Main"}}, kDay2 + 21),
    };
    store.Insert(second);
  }

  ScratchDatabase db_{GetParam()};
};

TEST_P(StoreTest, SummaryAnswersTheDeployersQuestions) {
  auto store = Open();
  StoreKnownInstallations(*store);
  EXPECT_EQ(
      SummaryJson(store->Summarize({})),
      R"({"hits":21,"rejected":2,"sessions":4,"machines":2,)"
      R"("outcomes":{"success":1,"user_abort":1,"fatal_error":1,"unfinished":1},)"
      R"("install_types":{"install":2,"uninstall":1},)"
      R"("by_version":[{"app":"Vorsant","version":"6.1.0","sessions":3,"success":1,"user_abort":1,"fatal_error":0,"unfinished":1},)"
      R"({"app":"Vorsant","version":"6.0.0","sessions":1,"success":0,"user_abort":0,"fatal_error":1,"unfinished":0}],)"
      R"("per_day":[{"date":"2026-03-10","sessions":2,"success":1,"user_abort":1,"fatal_error":0,"unfinished":0},)"
      R"({"date":"2026-03-11","sessions":2,"success":0,"user_abort":0,"fatal_error":1,"unfinished":1}],)"
      R"("abort_screens":[{"screen":"License","sessions":1}],)"
      R"("errors":[{"action":"InstallFiles","details":"Error 1335","fatal":true,"sessions":1},)"
      R"({"action":"InstallFiles","details":"","fatal":false,"sessions":1}],)"
      R"("machine":{"os_versions":[{"value":"6.1.7601","machines":2},{"value":"10.0.19045","machines":1}],)"
      R"("architectures":[{"value":"x64","machines":2},{"value":"x86","machines":1}],)"
      R"("languages":[{"value":"en-US","machines":1}],"screens":[{"value":"1920x1080","machines":1}],)"
      R"("dpi":[{"value":"96","machines":1}]},)"
      R"("features":[{"feature":"Main","sessions":2},{"feature":"Docs","sessions":1}],)"
      R"("missing_prerequisites":[{"value":"VCRedist","sessions":1}]})");

  Filters older;
  older.version = "6.0.0";
  Summary s = store->Summarize(older);
  EXPECT_EQ(s.outcomes.sessions, 1);
  EXPECT_EQ(s.hits, 6);
  EXPECT_EQ(s.outcomes.fatalError, 1);
  Filters secondDay;
  secondDay.sinceDay = secondDay.untilDay = ParseDay("2026-03-11");
  s = store->Summarize(secondDay);
  EXPECT_EQ(s.outcomes.sessions, 2);
  EXPECT_EQ(s.rejected, 0);
  ASSERT_EQ(s.features.size(), 1u);
  Filters firstDay;
  firstDay.untilDay = ParseDay("2026-03-10");
  EXPECT_EQ(store->Summarize(firstDay).outcomes.sessions, 2);
  Filters other;
  other.app = "Other";
  EXPECT_EQ(SummaryJson(store->Summarize(other)).substr(0, 52),
            R"({"hits":0,"rejected":2,"sessions":0,"machines":0,"ou)");
}

TEST_P(StoreTest, ReopeningKeepsEveryHitAndRetentionDropsOnlyOldOnes) {
  StoreKnownInstallations(*Open());
  auto store = Open();  // the schema step runs again
  EXPECT_EQ(store->Summarize({}).hits, 21);
  store->DeleteReceivedBefore(kDay2);
  Summary s = store->Summarize({});
  EXPECT_EQ(s.hits, 8);
  EXPECT_EQ(s.outcomes.sessions, 2);
  EXPECT_EQ(s.rejected, 0);
  std::size_t rows = 0;
  store->ExportHits({}, [&](const std::vector<std::string>&) { ++rows; });
  EXPECT_EQ(rows, 1u + 8u);
}

TEST_P(StoreTest, ExportsListTheHitsAndSessionsOfTheFilter) {
  auto store = Open();
  StoreKnownInstallations(*store);
  std::vector<std::vector<std::string>> hits, sessions;
  Filters older;
  older.version = "6.0.0";
  store->ExportHits(older, [&](const std::vector<std::string>& r) { hits.push_back(r); });
  store->ExportSessions({}, [&](const std::vector<std::string>& r) { sessions.push_back(r); });
  ASSERT_EQ(hits.size(), 7u);
  EXPECT_EQ(hits[0][0], "received");
  EXPECT_EQ(hits[3][7], "exception");
  EXPECT_EQ(hits[3][13], "Error 1335");
  EXPECT_EQ(hits[1][1], "2026-03-11T00:00:00.010Z");  // made
  ASSERT_EQ(sessions.size(), 5u);
  EXPECT_EQ(sessions[0][7], "outcome");
  std::vector<std::string> outcomes;
  for (std::size_t i = 1; i < sessions.size(); ++i) outcomes.push_back(sessions[i][7]);
  EXPECT_EQ(outcomes, (std::vector<std::string>{"success", "user_abort", "fatal_error", "unfinished"}));
  EXPECT_EQ(sessions[2][9], "License");
  EXPECT_EQ(sessions[1][15], "Main,Docs");
}

TEST_P(StoreTest, TwoCollectorsWritingAtOnceLoseNothing) {
  auto storeA = Open();
  auto storeB = Open();
  IngestQueue queueA(*storeA, 400), queueB(*storeB, 400);
  constexpr int kThreads = 8, kHitsEach = 150, kSessions = 10;
  std::atomic<int> refused{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      IngestQueue& queue = t % 2 ? queueB : queueA;
      for (int i = 0; i < kHitsEach; ++i) {
        // Both collectors update the same sessions.
        HitRecord hit =
            Hit(SessionId((i + t) % kSessions), kClientA, "property", {{"lb", "x"}, {"val", "y"}}, NowMs());
        std::promise<SubmitOutcome> outcome;
        queue.Submit(std::move(hit), [&](SubmitOutcome o) { outcome.set_value(o); });
        if (outcome.get_future().get() != SubmitOutcome::kStored) ++refused;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(refused, 0);
  Summary s = storeA->Summarize({});
  EXPECT_EQ(s.hits, kThreads * kHitsEach);
  EXPECT_EQ(s.outcomes.sessions, kSessions);
  std::size_t rows = 0;
  storeB->ExportHits({}, [&](const std::vector<std::string>&) { ++rows; });
  EXPECT_EQ(rows, 1u + kThreads * kHitsEach);
}

// A commit's statements go out together (in one round trip to PostgreSQL):
// one that fails takes the others back with it, and the connection goes on.
TEST_P(StoreTest, AFailedStatementUndoesItsWholeTransaction) {
  auto store = Open();
  SqlConnection& db = store->connection();
  EXPECT_THROW(db.RunTransaction({{"INSERT INTO rejections (day, count) VALUES (?, ?)", {std::string("2026-03-10"), std::int64_t{1}}},
                                  {"INSERT INTO rejections (day, count) VALUES (?, NULL)", {std::string("2026-03-11")}},
                                  {"INSERT INTO rejections (day, count) VALUES ('2026-03-12', 1)", {}}}),
               SqlError);
  // A batch whose rows are written as they come, left before its commit
  // (its writer failed): nothing of it stays, and the next one commits.
  HitRecord lost = Hit(SessionId(1), kClientA, "lifecycle", {{"lc", "start"}}, kDay1);
  {
    HitBatch left(*store);
    left.Add(lost);
  }
  store->Insert({}, {{"2026-03-13", 4}});
  std::vector<std::string> days;
  db.Run("SELECT day, count FROM rejections", {}, [&](const SqlRow& r) { days.push_back(*r[0] + "=" + *r[1]); });
  EXPECT_EQ(days, std::vector<std::string>{"2026-03-13=4"});
  EXPECT_EQ(store->Summarize({}).hits, 0);
}

// The move a growing deployment makes: a SQLite store copied into this
// database, where a collector has already stored one of the sessions' hits.
TEST_P(StoreTest, ImportCopiesEveryHitSessionAndRejection) {
  ScratchDatabase old(Backend::kSqlite);
  auto source = std::make_unique<Store>(OpenSqlConnection(old.url()));
  StoreKnownInstallations(*source);
  auto target = Open();
  const std::string s4 = SessionId(4);
  target->Insert({Hit(s4, kClientA, "lifecycle", {{"lc", "end"}, {"ls", "success"}}, kDay2 + 30)}, {{"2026-03-11", 1}});

  auto readOnly = std::make_unique<Store>(OpenSqlConnection(old.url(), OpenMode::kReadOnly), false);
  EXPECT_EQ(target->ImportFrom(*readOnly), 21);
  source->Insert({Hit(s4, kClientA, "lifecycle", {{"lc", "end"}, {"ls", "success"}}, kDay2 + 30)}, {{"2026-03-11", 1}});
  EXPECT_EQ(SummaryJson(target->Summarize({})), SummaryJson(source->Summarize({})));
  std::vector<std::vector<std::string>> copied, original;
  target->ExportSessions({}, [&](const std::vector<std::string>& r) { copied.push_back(r); });
  source->ExportSessions({}, [&](const std::vector<std::string>& r) { original.push_back(r); });
  EXPECT_EQ(copied, original);
  copied.clear(), original.clear();
  target->ExportHits({}, [&](const std::vector<std::string>& r) { copied.push_back(r); });
  source->ExportHits({}, [&](const std::vector<std::string>& r) { original.push_back(r); });
  ASSERT_EQ(copied.size(), original.size());
  // The hit stored first in the target comes first there.
  EXPECT_EQ(copied[1], original.back());
  EXPECT_EQ(std::vector(copied.begin() + 2, copied.end()), std::vector(original.begin() + 1, original.end() - 1));
}

// An import run again adds only what the source gained; the same database
// is known under another name; a serving collector and an import keep out
// of each other's way.
TEST_P(StoreTest, ASecondImportAddsOnlyWhatTheSourceGained) {
  ScratchDatabase old(Backend::kSqlite);
  auto source = std::make_unique<Store>(OpenSqlConnection(old.url()));
  StoreKnownInstallations(*source);
  auto readOnly = std::make_unique<Store>(OpenSqlConnection(old.url(), OpenMode::kReadOnly), false);
  auto target = Open();
  EXPECT_EQ(target->ImportFrom(*readOnly), 21);
  EXPECT_EQ(target->ImportFrom(*readOnly), 0);
  EXPECT_EQ(SummaryJson(target->Summarize({})), SummaryJson(source->Summarize({})));
  source->Insert({Hit(SessionId(4), kClientA, "lifecycle", {{"lc", "end"}, {"ls", "success"}}, kDay2 + 30)},
                 {{"2026-03-10", 3}});
  EXPECT_EQ(target->ImportFrom(*readOnly), 1);
  EXPECT_EQ(target->ImportFrom(*readOnly), 0);
  EXPECT_EQ(SummaryJson(target->Summarize({})), SummaryJson(source->Summarize({})));

  const std::string path = old.url().substr(7);
  auto renamed = OpenSqlConnection("sqlite:" + path.substr(0, path.rfind('/')) + "/./" +
                                   path.substr(path.rfind('/') + 1), OpenMode::kReadOnly);
  EXPECT_EQ(renamed->Identity(), readOnly->connection().Identity());
  auto again = OpenSqlConnection(GetParam() == Backend::kPostgres ? Url() + "&application_name=again" : Url());
  EXPECT_EQ(again->Identity(), target->connection().Identity());
  EXPECT_NE(again->Identity(), readOnly->connection().Identity());

  auto serving = StoreClaim::TryTake(target->connection(), StoreClaim::Kind::kServing);
  ASSERT_TRUE(serving);
  EXPECT_FALSE(StoreClaim::TryTake(*again, StoreClaim::Kind::kImporting));
  serving.reset();
  // On PostgreSQL the lock lasts as long as its session, whose backend may
  // outlive a closed connection for a moment.
  if (GetParam() == Backend::kPostgres) target->connection().Script("SELECT pg_advisory_unlock_all()");
  auto importing = StoreClaim::TryTake(*again, StoreClaim::Kind::kImporting);
  EXPECT_TRUE(importing);
  auto third = OpenSqlConnection(Url());
  EXPECT_FALSE(StoreClaim::TryTake(*third, StoreClaim::Kind::kServing));
}

// Every list is ranked and cut by the database: it must say what one pass
// over the sessions says, ties, "other" rows, blanks in lists, unknown
// statuses and the days past the listed ones included.
TEST_P(StoreTest, ListsRankedByTheDatabaseSayWhatOnePassOverTheSessionsSays) {
  auto store = Open();
  const char* statuses[] = {"success", "user abort", "fatal error", nullptr, "restarted"};
  std::vector<SqlStatement> rows;
  for (int i = 0; i < 400; ++i) {
    auto text = [](const std::string& prefix, int n) { return SqlValue(prefix + std::to_string(n)); };
    rows.push_back({"INSERT INTO sessions (session_id, app, version, client_id, first_made_ms, day, "
                    "last_received_ms, hits, end_status, install_type, last_screen, os_version, architecture, "
                    "language, screen, dpi, features, missing_prerequisites) "
                    "VALUES (?, ?, ?, ?, 0, ?, 0, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                    {text("s", i), text("App", i % 2), text("v", i % 23), text("c", i % 53), text("2026-", 100 + i % 120),
                     std::int64_t{i % 7 + 1}, statuses[i % 5] ? SqlValue(statuses[i % 5]) : SqlValue(nullptr),
                     i % 4 ? text("t", i % 3) : SqlValue(nullptr), text("S", i % 30), text("os", i % 25),
                     text("a", i % 2), text("l", i * 7 % 37), text("r", i % 11), text("d", i % 3),
                     SqlValue(" F" + std::to_string(i % 31) + ", ,F" + std::to_string(i * 3 % 29) + ","),
                     i % 4 ? text("P", i % 5) : SqlValue(nullptr)}});
  }
  store->connection().RunTransaction(rows);
  SummaryBuilder builder;
  store->connection().Run(
      "SELECT client_id, app, version, day, hits, end_status, install_type, last_screen, os_version, architecture, "
      "language, screen, dpi, features, missing_prerequisites FROM sessions",
      {}, [&](const SqlRow& r) {
        builder.Add({*r[0], *r[1], *r[2], *r[3], std::stoll(*r[4]), r[5], r[6], r[7], r[8], r[9], r[10], r[11],
                     r[12], r[13], r[14]});
      });
  Summary expected = builder.Finish(0, {});
  ASSERT_EQ(expected.perDay.front().others, 30);
  ASSERT_EQ(expected.languages.back().others, 17);
  EXPECT_EQ(SummaryJson(store->Summarize({})), SummaryJson(expected));
}

// A batch merges its sessions' hits itself and the database merges the
// batches: one batch, a batch per hit or any cut between leave one row.
TEST_P(StoreTest, ASessionReadsTheSameHoweverItsHitsAreBatched) {
  auto store = Open();
  auto hitsOf = [](int session) {
    const std::string id = SessionId(session);
    return std::vector<HitRecord>{
        Hit(id, kClientA, "screenview", {{"lb", "Welcome"}}, kDay1 + 50, "6.1.0", ""),
        Hit(id, kClientA, "lifecycle", {{"lc", "start"}}, kDay1 + 40),  // made first, comes second
        Hit(id, kClientA, "property", {{"lb", "UserLanguage"}, {"val", "de-DE"}}, kDay1 + 60, "6.1.0",
            kAgent86Win10),
        Hit(id, kClientA, "screenview", {{"lb", "License"}}, kDay1 + 70),
        Hit(id, kClientA, "screenview", {{"lb", "Older"}}, kDay1 + 45),
        Hit(id, kClientA, "property", {{"lb", "UserLanguage"}, {"val", "fr-FR"}}, kDay1 + 55),
        Hit(id, kClientA, "lifecycle", {{"lc", "end"}, {"ls", "user abort"}}, kDay1 + 80),
        Hit(id, kClientA, "installtype", {{"val", "repair"}}, kDay1 + 85),
    };
  };
  const std::size_t cuts[] = {8, 1, 3};
  for (int session = 0; session < 3; ++session) {
    std::vector<HitRecord> hits = hitsOf(session + 1);
    for (std::size_t start = 0; start < hits.size(); start += cuts[session]) {
      store->Insert({hits.begin() + static_cast<std::ptrdiff_t>(start),
                     hits.begin() + static_cast<std::ptrdiff_t>(std::min(hits.size(), start + cuts[session]))});
    }
  }
  std::vector<std::vector<std::string>> rows;
  store->ExportSessions({}, [&](const std::vector<std::string>& r) {
    rows.push_back(std::vector<std::string>(r.begin() + 1, r.end()));  // all but the id
  });
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1], (std::vector<std::string>{kClientA, "Vorsant", "6.1.0", "2026-03-10T00:00:00.040Z",
                                               "2026-03-10", "8", "user_abort", "repair", "License", "6.1.7601",
                                               "x64", "fr-FR", "", "", "", ""}));
  EXPECT_EQ(rows[2], rows[1]);
  EXPECT_EQ(rows[3], rows[1]);
  EXPECT_EQ(store->Summarize({}).abortScreens.front().value, "License");
}

INSTANTIATE_TEST_SUITE_P(Databases, StoreTest, testing::Values(Backend::kSqlite, Backend::kPostgres),
                         BackendName);

// The commands that only read: never a file created, migrated or switched
// to another journal; the collector's own files are the owner's only.
TEST(StoreFiles, ReadersRefuseWhatIsNotACollectorDatabase) {
  ScratchDatabase scratch(Backend::kSqlite);
  const std::string path = scratch.url().substr(7);
  const std::string folder = path.substr(0, path.rfind('/'));
  EXPECT_THROW(OpenSqlConnection("sqlite:" + folder + "/mistyped.db", OpenMode::kReadOnly), SqlError);
  EXPECT_FALSE(std::filesystem::exists(folder + "/mistyped.db"));

  const std::string foreign = folder + "/foreign.db";
  OpenSqlite(foreign, OpenMode::kReadWrite)->Script("PRAGMA journal_mode=DELETE; CREATE TABLE notes (text TEXT)");
  EXPECT_THROW(Store(OpenSqlConnection("sqlite:" + foreign, OpenMode::kReadOnly), false), SqlError);
  std::string mode;
  OpenSqlite(foreign, OpenMode::kReadOnly)->Run("PRAGMA journal_mode", {}, [&](const SqlRow& r) { mode = *r[0]; });
  EXPECT_EQ(mode, "delete");

  Store store(OpenSqlConnection(scratch.url()));
  store.Insert({Hit(SessionId(1), kClientA, "lifecycle", {{"lc", "start"}}, kDay1)});
  for (const std::string& file : {path, path + "-wal", path + "-shm"}) {
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write)
        << file;
  }
  EXPECT_EQ(Store(OpenSqlConnection(scratch.url(), OpenMode::kReadOnly), false).Summarize({}).hits, 1);
}

// A deployer's database made by the first collector, before exceptions
// were keyed and hits imported: the tables as they were written then, which
// a new one must migrate, read and fill alike.
TEST(StoreFiles, ADatabaseOfTheEarlierLayoutIsReadAndWrittenAsBefore) {
  ScratchDatabase earlier(Backend::kSqlite), fresh(Backend::kSqlite);
  OpenSqlConnection(earlier.url())->Script(R"sql(
    CREATE TABLE hits (id INTEGER PRIMARY KEY, received_ms BIGINT NOT NULL, made_ms BIGINT NOT NULL,
      queue_ms BIGINT NOT NULL, app TEXT NOT NULL, version TEXT NOT NULL, client_id TEXT NOT NULL,
      session_id TEXT NOT NULL, type TEXT NOT NULL, life_control TEXT, life_status TEXT, label TEXT, value TEXT,
      exception_description TEXT, exception_details TEXT, exception_fatal TEXT, os_version TEXT,
      architecture TEXT, extra TEXT);
    CREATE TABLE sessions (session_id TEXT PRIMARY KEY, app TEXT NOT NULL, version TEXT NOT NULL,
      client_id TEXT NOT NULL, first_made_ms BIGINT NOT NULL, day TEXT NOT NULL, last_received_ms BIGINT NOT NULL,
      hits BIGINT NOT NULL, end_status TEXT, install_type TEXT, last_screen TEXT, last_screen_ms BIGINT,
      os_version TEXT, architecture TEXT, language TEXT, screen TEXT, dpi TEXT, features TEXT,
      missing_prerequisites TEXT);
    CREATE TABLE rejections (day TEXT PRIMARY KEY, count BIGINT NOT NULL);
    CREATE TABLE imported_rejections (source TEXT NOT NULL, day TEXT NOT NULL, count BIGINT NOT NULL,
      PRIMARY KEY (source, day));
    CREATE TABLE collector_schema (version INTEGER NOT NULL);
    INSERT INTO collector_schema VALUES (1);
    INSERT INTO hits VALUES (1, 1773100800010, 1773100800000, 10, 'Vorsant', '6.1.0',
      '00112233445566778899AABBCCDDEEFF00112233', '{00000001-0000-4000-8000-000000000001}', 'exception',
      NULL, NULL, NULL, NULL, 'InstallFiles', 'Error 1335', '1', '6.1.7601', 'x64', NULL);
    INSERT INTO sessions VALUES ('{00000001-0000-4000-8000-000000000001}', 'Vorsant', '6.1.0',
      '00112233445566778899AABBCCDDEEFF00112233', 1773100800000, '2026-03-10', 1773100800010, 1, NULL, NULL,
      NULL, NULL, '6.1.7601', 'x64', NULL, NULL, NULL, NULL, NULL);
  )sql");
  Store store(OpenSqlConnection(earlier.url()));
  store.Insert({Hit(SessionId(1), kClientA, "lifecycle", {{"lc", "end"}, {"ls", "success"}}, kDay1 + 5)});
  std::vector<std::vector<std::string>> hits, sessions;
  store.ExportHits({}, [&](const std::vector<std::string>& r) { hits.push_back(r); });
  store.ExportSessions({}, [&](const std::vector<std::string>& r) { sessions.push_back(r); });
  ASSERT_EQ(hits.size(), 3u);
  EXPECT_EQ(hits[1][0] + hits[1][7] + hits[1][13] + hits[1][15], "2026-03-10T00:00:00.010ZexceptionError 13356.1.7601");
  EXPECT_EQ(hits[2][7] + hits[2][9], "lifecyclesuccess");
  ASSERT_EQ(sessions.size(), 2u);
  EXPECT_EQ(sessions[1][6] + sessions[1][7], "2success");
  std::vector<ErrorGroup> errors = store.Summarize({}).errors;
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].details + " " + std::to_string(errors[0].sessions), "Error 1335 1");

  // A database made now has the same tables, column for column.
  Store made(OpenSqlConnection(fresh.url()));
  auto columns = [](SqlConnection& db) {
    std::string all;
    for (const char* table : {"hits", "sessions", "rejections", "imported_rejections"}) {
      db.Run(std::string("PRAGMA table_info(") + table + ")", {},
             [&](const SqlRow& r) { all += *r[1] + " " + *r[2] + " " + *r[3] + *r[5] + ", "; });
    }
    return all;
  };
  EXPECT_EQ(columns(made.connection()), columns(store.connection()));
}

// The log is copied into the database on a thread of its own while hits
// keep coming; it must still start over, or it grows without end.
TEST(StoreFiles, TheWriteAheadLogStaysBoundedUnderSteadyWriting) {
  ScratchDatabase scratch(Backend::kSqlite);
  const std::string log = scratch.url().substr(7) + "-wal";
  Store store(OpenSqlConnection(scratch.url()));
  const std::string details(900, 'x');  // about a page for every four hits
  std::uintmax_t largest = 0;
  for (int batch = 0; batch < 1200; ++batch) {
    std::vector<HitRecord> hits;
    for (int i = 0; i < 16; ++i) {
      hits.push_back(Hit(SessionId(batch), kClientA, "exception", {{"exd", "InstallFiles"}, {"exdt", details}},
                         kDay1 + batch * 16 + i));
    }
    store.Insert(hits);
    largest = std::max(largest, std::filesystem::file_size(log));
    std::this_thread::sleep_for(std::chrono::microseconds(200));  // hits arrive, they are not a bulk load
  }
  // About 20 MB went through the log; a log that starts over after its
  // 1000 pages (4 MB) never holds more than a few times that.
  EXPECT_LT(largest, 12u << 20);
  EXPECT_EQ(store.Summarize({}).hits, 1200 * 16);
}


// The checkpoint's connection could not open (here the file is briefly
// gone; in the field a descriptor limit): it is said once, tried again at
// the next request, and the log is copied once it opens.
TEST(StoreFiles, TheCheckpointConnectionOpensAgainAfterAFailure) {
  ScratchDatabase scratch(Backend::kSqlite);
  const std::string path = scratch.url().substr(7);
  auto db = OpenSqlConnection(scratch.url());
  db->Script("CREATE TABLE t (b BLOB)");
  auto write = [&](int megabytes) {
    for (int i = 0; i < megabytes; ++i) db->Script("INSERT INTO t VALUES (randomblob(1000000))");
  };
  testing::internal::CaptureStderr();
  std::filesystem::rename(path, path + ".away");
  write(6);  // past 1000 pages: checkpoints are asked for and cannot open
  std::this_thread::sleep_for(std::chrono::seconds(1));
  write(2);
  std::this_thread::sleep_for(std::chrono::seconds(1));
  std::filesystem::rename(path + ".away", path);
  for (int i = 0; i < 100 && std::filesystem::file_size(path) < (6u << 20); ++i) {
    write(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_GE(std::filesystem::file_size(path), 6u << 20);
  db.reset();  // its checkpoint thread has said all it will
  std::string said = testing::internal::GetCapturedStderr();
  auto count = [&](const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = said.find(what); at != std::string::npos; at = said.find(what, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("cannot checkpoint " + path), 1u) << said;
  EXPECT_EQ(count("checkpoints of " + path + " resumed"), 1u) << said;
}

// An export whose client reads slowly, or goes away mid-way, must not keep
// a read snapshot: the log could then never be copied and would grow.
TEST(StoreFiles, AnExportReadingOrCutHoldsNoSnapshot) {
  ScratchDatabase scratch(Backend::kSqlite);
  const std::string path = scratch.url().substr(7);
  Store writer(OpenSqlConnection(scratch.url()));
  std::vector<HitRecord> hits;
  for (int i = 0; i < 12'000; ++i) hits.push_back(Hit(SessionId(i % 50), kClientA, "screenview", {{"lb", "W"}}, kDay1 + i));
  writer.Insert(hits);
  Store reader(OpenSqlConnection(scratch.url(), OpenMode::kReadOnly), false);
  struct Cut {};
  int rows = 0;
  bool copiedWhileReading = false;
  EXPECT_THROW(reader.ExportHits({}, [&](const std::vector<std::string>&) {
    if (++rows == 7000) {  // within the second page
      writer.Insert({Hit(SessionId(99), kClientB, "lifecycle", {{"lc", "start"}}, kDay2)});
      copiedWhileReading = SqliteLogCopiesWhole(path);
      throw Cut{};
    }
  }), Cut);
  EXPECT_TRUE(copiedWhileReading);
  writer.Insert({Hit(SessionId(98), kClientB, "lifecycle", {{"lc", "start"}}, kDay2)});
  EXPECT_TRUE(SqliteLogCopiesWhole(path));
  EXPECT_EQ(reader.Summarize({}).hits, 12'002);
}

}  // namespace
}  // namespace collector
