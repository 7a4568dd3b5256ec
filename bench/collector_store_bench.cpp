// The collector's store without its HTTP layer (figures in docs/benchmarks.md):
//
//   Summary: GET /api/summary, the dashboard and "report" over 1,000,000
//     hits of 100,000 installations on as many machines, each with a
//     language and a screen of its own, the worst case for counting
//     distinct machines per value. Reports the time and the peak resident
//     memory the summary added.
//   SummaryExceptionTexts: the summary over 20,000 or 60,000 exception
//     hits with distinct 8 KiB details in one installation: time and peak
//     resident memory added.
//   Ingest: hits committed per second through the writer queue by 32
//     clients that each wait for their answer, as 32 keep-alive
//     connections do, on SQLite and (with PLUMETA_TEST_POSTGRES set, see
//     scripts/pg_test_server.sh) on PostgreSQL, there with a sync per
//     commit (/0) and without (/1).
//
// The databases are made in a scratch folder (or a scratch PostgreSQL
// database) and removed at the end; COLLECTOR_BENCH_KEEP=1 keeps the SQLite
// files, to try other programs on them.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "collector/ingest_queue.h"
#include "collector/store.h"

namespace {

using namespace collector;

constexpr int kSessions = 100'000;
constexpr int kHitsPerSession = 10;
constexpr const char* kPlatformAgent = "OrvexAnalytics/1.0 (Microsoft Windows NT 10.0.19045 ; x64)";

std::string Hex(std::uint64_t n, int digits) {
  std::string text(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0 && n; --i, n >>= 4) text[static_cast<std::size_t>(i)] = "0123456789ABCDEF"[n & 15];
  return text;
}

std::string SessionGuid(int n) {
  std::string h = Hex(static_cast<std::uint64_t>(n), 32);
  return "{" + h.substr(0, 8) + "-" + h.substr(8, 4) + "-" + h.substr(12, 4) + "-" + h.substr(16, 4) + "-" +
         h.substr(20) + "}";
}

// One hit of installation `session` on its own machine, from a real body.
HitRecord MakeHit(int session, int index, std::int64_t now) {
  std::string body = "v=2&aid=Vorsant&av=6.1.0&cid=" + Hex(static_cast<std::uint64_t>(session) + 1, 40) +
                     "&sid=" + SessionGuid(session) + "&qt=0&";
  switch (index) {
    case 0:
      body += "t=lifecycle&lc=start";
      break;
    case 1:
      body += "t=property&lb=UserLanguage&val=lang-" + std::to_string(session);
      break;
    case 2:
      body += "t=property&lb=ScreenResolution&val=" + std::to_string(800 + session) + "x600";
      break;
    case 3:
      body += "t=property&lb=DpiScale&val=96";
      break;
    case 4:
      body += "t=installtype&val=install";
      break;
    case 9:
      body += session % 7 ? "t=lifecycle&lc=end&ls=success" : "t=lifecycle&lc=end&ls=user abort";
      break;
    default:
      body += "t=screenview&lb=Screen" + std::to_string(index);
      break;
  }
  std::string reason;
  std::optional<HitRecord> hit = MakeHitRecord(body, kPlatformAgent, now, &reason);
  if (!hit) {
    std::fprintf(stderr, "collector_store_bench: %s: %s\n", body.c_str(), reason.c_str());
    std::abort();
  }
  return *hit;
}

class ScratchFolder {
 public:
  ScratchFolder() {
    path_ = std::filesystem::temp_directory_path() / ("collector_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() { if (!std::getenv("COLLECTOR_BENCH_KEEP")) std::filesystem::remove_all(path_); }
  std::string Url(const std::string& name) const { return "sqlite:" + (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// A PostgreSQL database of the benchmark's own, dropped at the end; empty
// url() without PLUMETA_TEST_POSTGRES.
class ScratchPostgres {
 public:
  ScratchPostgres() {
    const char* base = std::getenv("PLUMETA_TEST_POSTGRES");
    if (!base) return;
    base_ = base;
    name_ = "collector_bench_" + std::to_string(getpid());
    OpenSqlConnection(base_)->Script("CREATE DATABASE " + name_);
    std::size_t slash = base_.find('/', base_.find("://") + 3);
    std::size_t query = base_.find('?', slash);
    url_ = base_.substr(0, slash + 1) + name_ + (query == std::string::npos ? "" : base_.substr(query));
  }
  ~ScratchPostgres() {
    if (!name_.empty()) OpenSqlConnection(base_)->Script("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
  }
  const std::string& url() const { return url_; }

 private:
  std::string base_, name_, url_;
};

// Kilobytes of the process's peak resident memory (VmHWM).
long PeakKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// Lets the next PeakKb() count from the memory in use now.
void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_Summary(benchmark::State& state) {
  ScratchFolder folder;
  Store store(OpenSqlConnection(folder.Url("summary.db")));
  const std::int64_t now = NowMs();
  std::vector<HitRecord> batch;
  for (int session = 0; session < kSessions; ++session) {
    for (int index = 0; index < kHitsPerSession; ++index) batch.push_back(MakeHit(session, index, now));
    if (batch.size() >= 20'000) store.Insert(batch), batch.clear();
  }
  if (!batch.empty()) store.Insert(batch);

  long addedKb = 0;
  std::size_t languages = 0, jsonBytes = 0;
  for (auto _ : state) {
    ResetPeak();
    long before = PeakKb();
    Summary summary = store.Summarize({});
    jsonBytes = SummaryJson(summary).size();
    addedKb = std::max(addedKb, PeakKb() - before);
    languages = summary.languages.size();
    if (summary.hits != static_cast<std::int64_t>(kSessions) * kHitsPerSession) state.SkipWithError("hits lost");
  }
  state.counters["peak_added_MB"] = static_cast<double>(addedKb) / 1024.0;
  state.counters["language_rows"] = static_cast<double>(languages);
  state.counters["json_bytes"] = static_cast<double>(jsonBytes);
}
BENCHMARK(BM_Summary)->Unit(benchmark::kMillisecond)->Iterations(5);

// Exception hits with distinct 8 KiB details, all in one installation: the
// error list must not gather every group to show twenty. Argument: the
// number of distinct texts; /1 on PostgreSQL (with PLUMETA_TEST_POSTGRES).
void BM_SummaryExceptionTexts(benchmark::State& state) {
  const int texts = static_cast<int>(state.range(0));
  ScratchFolder folder;
  ScratchPostgres postgres;
  if (state.range(1) && postgres.url().empty()) return state.SkipWithError("PLUMETA_TEST_POSTGRES is not set");
  Store store(OpenSqlConnection(state.range(1) ? postgres.url() : folder.Url("exceptions.db")));
  const std::int64_t now = NowMs();
  std::vector<HitRecord> batch;
  for (int i = 0; i < texts; ++i) {
    HitRecord hit = MakeHit(0, 0, now);
    hit.type = "exception";
    hit.lifeControl.clear();
    hit.exceptionDescription = "InstallFiles";
    hit.exceptionDetails = std::to_string(i) + std::string(8 * 1024 - 8, 'x');
    batch.push_back(std::move(hit));
    if (batch.size() >= 2'000) store.Insert(batch), batch.clear();
  }
  if (!batch.empty()) store.Insert(batch);
  long addedKb = 0;
  for (auto _ : state) {
    ResetPeak();
    long before = PeakKb();
    Summary summary = store.Summarize({});
    addedKb = std::max(addedKb, PeakKb() - before);
    if (summary.errors.size() != kListed + 1 || summary.errors.back().others != texts - static_cast<int>(kListed))
      state.SkipWithError("the error list is not twenty and the rest");
  }
  state.counters["peak_added_MB"] = static_cast<double>(addedKb) / 1024.0;
}
BENCHMARK(BM_SummaryExceptionTexts)
    ->Args({20'000, 0})->Args({60'000, 0})->Args({60'000, 1})
    ->Unit(benchmark::kMillisecond)->Iterations(5);

// Hits per second through the writer queue, 32 clients each waiting for
// its answer before sending the next hit.
void Ingest(benchmark::State& state, const std::string& url, std::size_t writers) {
  constexpr int kClients = 32, kHitsEach = 1500;
  {
    Store migrate(OpenSqlConnection(url));
  }
  IngestQueue queue([url] { return std::make_unique<Store>(OpenSqlConnection(url), false); },
                    {.writers = writers});
  std::int64_t stored = 0;
  int round = 0;
  for (auto _ : state) {
    std::atomic<int> refused{0};
    std::vector<std::thread> clients;
    const std::int64_t now = NowMs();
    for (int c = 0; c < kClients; ++c) {
      clients.emplace_back([&, c] {
        int session = (round * kClients + c) * 1000;
        for (int i = 0; i < kHitsEach; ++i) {
          std::promise<SubmitOutcome> outcome;
          queue.Submit(MakeHit(session + i / kHitsPerSession, i % kHitsPerSession, now),
                       [&](SubmitOutcome o) { outcome.set_value(o); });
          if (outcome.get_future().get() != SubmitOutcome::kStored) ++refused;
        }
      });
    }
    for (auto& client : clients) client.join();
    ++round;
    if (refused) state.SkipWithError("hits refused");
    stored += kClients * kHitsEach;
  }
  state.SetItemsProcessed(stored);
}

void BM_IngestSqlite(benchmark::State& state) {
  ScratchFolder folder;
  Ingest(state, folder.Url("ingest.db"), 1);
}
BENCHMARK(BM_IngestSqlite)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_IngestPostgres(benchmark::State& state) {
  ScratchPostgres db;
  if (db.url().empty()) {
    state.SkipWithError("PLUMETA_TEST_POSTGRES is not set");
    for (auto _ : state) {
    }
    return;
  }
  // First argument 1: commits acknowledged once in the server's memory and
  // on disk a moment later, as SQLite's WAL without a sync per commit is.
  // Second: the writers; the collector runs one, which sends the next
  // transaction while the server commits the one before.
  std::string url = db.url() + (state.range(0) ? "&options=-c%20synchronous_commit%3Doff" : "");
  Ingest(state, url, static_cast<std::size_t>(state.range(1)));
}
BENCHMARK(BM_IngestPostgres)->Args({0, 1})->Args({0, 4})->Args({1, 1})->Args({1, 4})->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
