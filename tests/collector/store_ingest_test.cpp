// The writer queue when the database goes away or is locked, and retention
// on a clock of the test's own.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <future>
#include <memory>
#include <map>
#include <mutex>
#include <thread>

#include "collector/ingest_queue.h"
#include "collector/reader_pool.h"
#include "collector/store.h"
#include "store_backends.h"
#include "test_hits.h"

namespace collector {
namespace {

constexpr std::int64_t kDayMs = 86'400'000;

SubmitOutcome SubmitAndWait(IngestQueue& queue, HitRecord hit) {
  std::promise<SubmitOutcome> outcome;
  queue.Submit(std::move(hit), [&](SubmitOutcome o) { outcome.set_value(o); });
  return outcome.get_future().get();
}

HitRecord Numbered(int n, std::int64_t receivedMs) {
  HitRecord hit = Hit(SessionId(n % 50), kClientA, "property", {{"lb", "n"}, {"val", std::to_string(n)}},
                      receivedMs - 10);
  hit.receivedMs = receivedMs;
  return hit;
}

// Opens a store on the prepared database at `url`, as the collector does.
IngestQueue::Opener OpenerFor(const std::string& url) {
  return [url] { return std::make_unique<Store>(OpenSqlConnection(url), false); };
}

// How often each value of the "n" property is stored.
std::map<int, int> StoredNumbers(Store& store) {
  std::map<int, int> stored;
  store.connection().Run("SELECT value FROM hits WHERE label = 'n'", {},
                         [&](const SqlRow& row) { ++stored[std::stoi(*row[0])]; });
  return stored;
}

// Polls `done` for up to 30 s.
bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 3000; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// One writer, as the collector runs, and four, whose hits of one session
// go to one writer at a time.
class PostgresGoingAway : public testing::TestWithParam<std::size_t> {};
INSTANTIATE_TEST_SUITE_P(Writers, PostgresGoingAway, testing::Values(1, 4));

TEST_P(PostgresGoingAway, RefusesHitsAndRecovers) {
  ScratchDatabase db(Backend::kPostgres);
  if (!db.available()) GTEST_SKIP() << "PLUMETA_TEST_POSTGRES is not set (scripts/pg_test_server.sh start)";
  auto reader = std::make_unique<Store>(OpenSqlConnection(db.url()));
  std::string name = db.url().substr(db.url().find(":///") + 4);
  name = name.substr(0, name.find('?'));
  auto admin = OpenSqlConnection(std::getenv("PLUMETA_TEST_POSTGRES"));

  IngestQueue queue(OpenerFor(db.url()), {.writers = GetParam()});
  ReaderPool readers(OpenerFor(db.url()), 1);
  readers.Acquire()->Summarize({});  // a pooled reader whose connection the outage will cut

  constexpr int kThreads = 8;
  std::mutex mutex;
  std::map<int, SubmitOutcome> outcomes;
  std::atomic<int> next{0};
  std::atomic<bool> loading{true};
  std::vector<std::thread> clients;
  for (int t = 0; t < kThreads; ++t) {
    clients.emplace_back([&] {
      while (loading) {
        int n = next++;
        SubmitOutcome outcome = SubmitAndWait(queue, Numbered(n, NowMs()));
        {
          std::lock_guard lock(mutex);
          outcomes[n] = outcome;
        }
        // A refused client tries again later.
        if (outcome != SubmitOutcome::kStored) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    });
  }
  auto count = [&](SubmitOutcome wanted) {
    std::lock_guard lock(mutex);
    int n = 0;
    for (const auto& [_, o] : outcomes) n += o == wanted;
    return n;
  };
  ASSERT_TRUE(WaitFor([&] { return count(SubmitOutcome::kStored) > 500; }));

  // The server drops every connection and takes no new one for a while,
  // as during a restart.
  admin->Script("ALTER DATABASE " + name + " ALLOW_CONNECTIONS false");
  admin->Script("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '" + name + "'");
  ASSERT_TRUE(WaitFor([&] { return !queue.Ready(); })) << "the queue never noticed the lost connections";
  ASSERT_TRUE(WaitFor([&] { return count(SubmitOutcome::kRefused) > 100; }));
  EXPECT_FALSE(queue.Ready());
  admin->Script("ALTER DATABASE " + name + " ALLOW_CONNECTIONS true");
  ASSERT_TRUE(WaitFor([&] { return queue.Ready(); })) << "the queue never reconnected";
  int storedBefore = count(SubmitOutcome::kStored);
  ASSERT_TRUE(WaitFor([&] { return count(SubmitOutcome::kStored) > storedBefore + 500; }));
  loading = false;
  for (auto& client : clients) client.join();
  EXPECT_NO_THROW(readers.Acquire()->Summarize({})) << "the pool lent a reader whose connection was cut";

  reader = std::make_unique<Store>(OpenSqlConnection(db.url()), false);
  std::map<int, int> stored = StoredNumbers(*reader);
  for (const auto& [n, outcome] : outcomes) {
    int times = stored.count(n) ? stored[n] : 0;
    if (outcome == SubmitOutcome::kStored) {
      EXPECT_EQ(times, 1) << "hit " << n << " was acknowledged";
    } else {
      // Only a commit whose answer was lost with the connection may have
      // gone through; the client sends such a hit again.
      EXPECT_LE(times, 1) << "hit " << n;
    }
  }
  EXPECT_EQ(count(SubmitOutcome::kBusy), 0);
}

TEST(IngestQueue, LockedSqliteRefusesHitsUntilTheLockIsGone) {
  ScratchDatabase db(Backend::kSqlite);
  auto store = std::make_unique<Store>(OpenSqlConnection(db.url()));
  IngestQueue queue(OpenerFor(db.url()), {.commitWait = std::chrono::milliseconds(200)});
  ASSERT_EQ(SubmitAndWait(queue, Numbered(1, NowMs())), SubmitOutcome::kStored);

  // An administrator holds the write lock in the sqlite3 shell.
  auto admin = OpenSqlConnection(db.url());
  admin->Script("BEGIN IMMEDIATE");
  EXPECT_EQ(SubmitAndWait(queue, Numbered(2, NowMs())), SubmitOutcome::kRefused);
  EXPECT_FALSE(queue.Ready());
  EXPECT_EQ(SubmitAndWait(queue, Numbered(3, NowMs())), SubmitOutcome::kRefused);
  admin->Script("COMMIT");
  ASSERT_TRUE(WaitFor([&] { return queue.Ready(); }));
  EXPECT_EQ(SubmitAndWait(queue, Numbered(4, NowMs())), SubmitOutcome::kStored);
  EXPECT_EQ(StoredNumbers(*store), (std::map<int, int>{{1, 1}, {4, 1}}));
}

// One client posts while the table is locked, then several, so that two
// transactions are on their way when the lock wait ends them.
TEST(IngestQueue, LockedPostgresTableRefusesHitsUntilTheLockIsGone) {
  ScratchDatabase db(Backend::kPostgres);
  if (!db.available()) GTEST_SKIP() << "PLUMETA_TEST_POSTGRES is not set (scripts/pg_test_server.sh start)";
  auto store = std::make_unique<Store>(OpenSqlConnection(db.url()));
  IngestQueue queue(OpenerFor(db.url()), {.commitWait = std::chrono::milliseconds(200)});
  ASSERT_EQ(SubmitAndWait(queue, Numbered(1, NowMs())), SubmitOutcome::kStored);

  auto admin = OpenSqlConnection(db.url());
  admin->Script("BEGIN; LOCK TABLE hits IN ACCESS EXCLUSIVE MODE");
  std::vector<std::future<SubmitOutcome>> outcomes;
  for (int n = 2; n < 10; ++n) {
    outcomes.push_back(
        std::async(std::launch::async, [&queue, n] { return SubmitAndWait(queue, Numbered(n, NowMs())); }));
    if (n == 2) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  for (auto& outcome : outcomes) EXPECT_EQ(outcome.get(), SubmitOutcome::kRefused);
  admin->Script("COMMIT");
  ASSERT_TRUE(WaitFor([&] { return queue.Ready(); }));
  EXPECT_EQ(SubmitAndWait(queue, Numbered(10, NowMs())), SubmitOutcome::kStored);
  EXPECT_EQ(StoredNumbers(*store), (std::map<int, int>{{1, 1}, {10, 1}}));
}

// On PostgreSQL the writer keeps transactions on their way under steady
// traffic; retention must still find its moment.
// A database that hangs instead of failing (its server process stopped):
// once hits have waited without a commit, the queue says it is not ready
// and refuses new hits at once; the commit that comes makes it ready again.
TEST(IngestQueue, AStoppedPostgresBackendIsNotReadyUntilItCommitsAgain) {
  ScratchDatabase db(Backend::kPostgres);
  if (!db.available()) GTEST_SKIP() << "PLUMETA_TEST_POSTGRES is not set (scripts/pg_test_server.sh start)";
  Store prepared(OpenSqlConnection(db.url()));
  IngestOptions options;
  options.stallAfter = std::chrono::milliseconds(300);
  IngestQueue queue(OpenerFor(db.url()), options);
  ASSERT_EQ(SubmitAndWait(queue, Numbered(1, NowMs())), SubmitOutcome::kStored);
  int backend = 0;
  prepared.connection().Run(
      "SELECT pid FROM pg_stat_activity WHERE datname = current_database() AND pid <> pg_backend_pid()", {},
      [&](const SqlRow& row) { backend = std::stoi(*row[0]); });
  ASSERT_GT(backend, 0);
  ASSERT_EQ(::kill(backend, SIGSTOP), 0);
  // Whatever happens below, the backend goes on again: a stopped server
  // would hang this test and every later one. The outcomes are shared with
  // the queue's callbacks, which may come after a failed check.
  struct Resume {
    int pid;
    ~Resume() { ::kill(pid, SIGCONT); }
  } resume{backend};
  auto hung = std::make_shared<std::promise<SubmitOutcome>>();
  std::future<SubmitOutcome> hungOutcome = hung->get_future();
  queue.Submit(Numbered(2, NowMs()), [hung](SubmitOutcome o) { hung->set_value(o); });
  const bool noticed = WaitFor([&] { return !queue.Ready(); });
  EXPECT_TRUE(noticed);
  if (noticed) {
    auto third = std::make_shared<std::promise<SubmitOutcome>>();
    std::future<SubmitOutcome> thirdOutcome = third->get_future();
    queue.Submit(Numbered(3, NowMs()), [third](SubmitOutcome o) { third->set_value(o); });
    // Refused at once, not left waiting for the stopped server.
    const bool answered = thirdOutcome.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    EXPECT_TRUE(answered);
    if (answered) EXPECT_EQ(thirdOutcome.get(), SubmitOutcome::kRefused);
  }
  ::kill(backend, SIGCONT);
  EXPECT_EQ(hungOutcome.get(), SubmitOutcome::kStored);
  EXPECT_TRUE(queue.Ready());
}

class Retention : public testing::TestWithParam<Backend> {};
INSTANTIATE_TEST_SUITE_P(Databases, Retention, testing::Values(Backend::kSqlite, Backend::kPostgres),
                         BackendName);

TEST_P(Retention, RunsAtStartAndDailyUnderSteadyTraffic) {
  ScratchDatabase db(GetParam());
  if (!db.available()) GTEST_SKIP() << "PLUMETA_TEST_POSTGRES is not set (scripts/pg_test_server.sh start)";
  auto store = std::make_unique<Store>(OpenSqlConnection(db.url()));
  std::atomic<std::int64_t> now{400 * kDayMs};
  store->Insert({Numbered(1, now - 3 * kDayMs), Numbered(2, now - kDayMs / 2)});

  IngestQueue queue(OpenerFor(db.url()), {.retainDays = 1, .clock = [&] { return now.load(); }});
  ASSERT_TRUE(WaitFor([&] { return !StoredNumbers(*store).count(1); })) << "no retention at start";
  EXPECT_TRUE(StoredNumbers(*store).count(2));

  // Hits from four clients at once, as a busy collector gets them, while a
  // day passes on the collector's clock.
  std::atomic<bool> loading{true};
  std::atomic<int> sent{100};
  std::vector<std::thread> traffic;
  for (int client = 0; client < 4; ++client) {
    traffic.emplace_back([&] {
      while (loading) SubmitAndWait(queue, Numbered(sent++, now));
    });
  }
  now += kDayMs - 1;
  // Once hits sent after the clock moved are stored, the writer has looked at it.
  int mark = sent;
  ASSERT_TRUE(WaitFor([&] { return StoredNumbers(*store).rbegin()->first > mark; }));
  EXPECT_TRUE(StoredNumbers(*store).count(2)) << "retention ran before the day was over";
  now += 1;
  bool retained = WaitFor([&] { return !StoredNumbers(*store).count(2); });
  loading = false;
  for (auto& client : traffic) client.join();
  EXPECT_TRUE(retained) << "retention did not run under traffic";
}

// A shortened retention with many hits to delete: a hit that comes at start
// is stored between the parts of the deletion, not after all of it.
TEST_P(Retention, AFirstLongDeletionLetsHitsIn) {
  ScratchDatabase db(GetParam());
  if (!db.available()) GTEST_SKIP() << "PLUMETA_TEST_POSTGRES is not set (scripts/pg_test_server.sh start)";
  auto store = std::make_unique<Store>(OpenSqlConnection(db.url()));
  const std::int64_t now = 400 * kDayMs;
  std::vector<HitRecord> old;
  for (int n = 0; n < 60'000; ++n) old.push_back(Numbered(n, now - 30 * kDayMs));
  store->Insert(old);
  IngestQueue queue(OpenerFor(db.url()), {.retainDays = 1, .clock = [now] { return now; }});
  ASSERT_EQ(SubmitAndWait(queue, Numbered(100'000, now)), SubmitOutcome::kStored);
  std::int64_t left = 0;
  store->connection().Run("SELECT COUNT(*) FROM hits", {}, [&](const SqlRow& row) { left = std::stoll(*row[0]); });
  EXPECT_GT(left, 1) << "the hit waited for the whole deletion";
  EXPECT_TRUE(WaitFor([&] { return StoredNumbers(*store).size() == 1; }));
}

TEST(IngestQueue, AFullDiskIsReportedOnceAMinuteWithACount) {
  ScratchDatabase db(Backend::kSqlite);
  Store(OpenSqlConnection(db.url()));
  std::atomic<std::int64_t> now{400 * kDayMs};
  // A database that may not grow, as on a full disk.
  IngestQueue queue(
      [url = db.url()] {
        auto store = std::make_unique<Store>(OpenSqlConnection(url), false);
        std::string pages;
        store->connection().Run("PRAGMA page_count", {}, [&](const SqlRow& r) { pages = *r[0]; });
        store->connection().Script("PRAGMA max_page_count = " + pages);
        return store;
      },
      {.clock = [&] { return now.load(); }});
  HitRecord large = Numbered(1, now);
  large.exceptionDetails.assign(20'000, 'x');

  testing::internal::CaptureStderr();
  for (int failure = 0; failure < 6; ++failure) {
    if (failure == 5) now += 61'000;
    ASSERT_TRUE(WaitFor([&] { return queue.Ready(); }));
    EXPECT_EQ(SubmitAndWait(queue, large), SubmitOutcome::kRefused);
  }
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
  EXPECT_NE(log.find("full"), std::string::npos) << log;
  EXPECT_NE(log.find("(and 4 more failures in the last minute)"), std::string::npos) << log;
}

}  // namespace
}  // namespace collector
