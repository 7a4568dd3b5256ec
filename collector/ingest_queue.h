#pragma once
// Group commit: the network hands a hit over and goes on; a writer thread
// stores everything that waits in one transaction and then tells each hit's
// completion whether it is stored, so a 204 always follows a commit and a
// burst of hits costs one commit instead of one each. With several
// writers (each with a connection of its own), one session's hits are
// stored by one writer at a time, so that no writer waits on another's
// row locks.
//
// A lone writer on a database a round trip away (PostgreSQL) sends the
// next transaction while the server still commits the one before, so that
// the server never waits for the writer between commits. Every writer runs
// the same loop; how its transactions reach the store (committed one at a
// time, or sent ahead) is its committer's part.
//
// A writer whose commit fails refuses its hits (the client sends them
// again), reopens its connection with a growing pause and tries an empty
// commit until one works: Ready() says false meanwhile, for /healthz, and
// new hits are refused at once instead of waiting on a dead database. A
// database that hangs instead of failing (a stopped server, a full disk)
// counts the same once hits have waited `stallAfter` without a commit.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "collector/hit_record.h"
#include "collector/store.h"

namespace collector {

// kRefused: the database failed, nothing stored; kBusy: the queue is full or stopping.
enum class SubmitOutcome { kStored, kRefused, kBusy };

std::int64_t NowMs();

struct IngestOptions {
  // Hits received longer ago are deleted at start and every 24 hours of `clock`.
  int retainDays = 400;
  std::size_t writers = 1;
  // Hits waiting for a writer; more are answered kBusy.
  std::size_t capacity = 16384;
  // The longest a commit waits for a lock before its hits are refused: the
  // installer library gives up on an answer after 3 s.
  std::chrono::milliseconds commitWait{2000};
  // Hits waiting this long with no commit meanwhile: the store is stalled.
  std::chrono::milliseconds stallAfter{5000};
  // How often an idle writer looks at the clock.
  std::chrono::milliseconds idleWake{60'000};
  // Milliseconds since 1970: for retention and for pacing failure messages.
  std::function<std::int64_t()> clock = NowMs;
};

class IngestQueue {
 public:
  // Opens one store per writer; called again to replace a broken one.
  using Opener = std::function<std::unique_ptr<Store>()>;

  IngestQueue(Opener open, IngestOptions options);
  // One writer on a store the caller keeps (reused as it is after a failure).
  IngestQueue(Store& store, int retainDays);
  ~IngestQueue();  // Stop()
  IngestQueue(const IngestQueue&) = delete;
  IngestQueue& operator=(const IngestQueue&) = delete;

  // Never blocks; `completion` runs exactly once, on a writer thread, or at
  // once on the caller when the hit is not queued.
  void Submit(HitRecord hit, std::function<void(SubmitOutcome)> completion);
  // False while the store cannot commit, or hits wait and nothing commits.
  bool Ready() const { return broken_.load() == 0 && !Stalled(); }
  // Counts a rejected body (stored with the next commit).
  void CountRejection(std::int64_t receivedMs);
  // Stores what waits and ends the writers; later submits are kBusy.
  void Stop();

 private:
  struct Pending {
    HitRecord hit;
    std::function<void(SubmitOutcome)> completion;
  };
  // A deque: hits taken while a batch is being written join it, and the
  // ones already added must not move.
  using Batch = std::deque<Pending>;

  // A transaction on its way, and how a writer's transactions reach its
  // store: committed one at a time, or sent ahead (defined with the loop).
  struct InFlight;
  class Committer;
  class DirectCommitter;
  class PipelinedCommitter;

  void Start();
  void Run(std::size_t index);
  bool Retain(Store& store);
  void Gather(std::unique_lock<std::mutex>& lock, std::size_t lastBatch,
              std::chrono::steady_clock::duration lastCommit);
  void AwaitAnswerOrHits(SqlConnection& db, std::size_t wakeAt);
  void Wake();
  void Broke(std::shared_ptr<Store>& store);
  void GiveBack(const std::map<std::string, std::int64_t>& rejections);
  bool Reopen(std::shared_ptr<Store>& store);
  void Take(std::size_t index, Batch& batch, std::map<std::string, std::int64_t>& rejections,
            std::vector<std::string>& claimed);
  void TakeHits(std::size_t index, Batch& batch, std::vector<std::string>& claimed);
  bool TakeMore(std::size_t index, Batch& batch, std::vector<std::string>& claimed);
  void Release(std::size_t index, const std::vector<std::string>& claimed, bool hadRejections);
  bool Send(std::size_t index, Committer& committer, InFlight& flight, std::string& error);
  void Answer(std::size_t index, InFlight& flight, SubmitOutcome outcome);
  void RefuseWaiting();
  void Report(const std::string& what);
  void Finish(Batch& batch, SubmitOutcome outcome);
  // Whether hits have waited past stallAfter without a commit; says so once.
  bool Stalled() const;

  // Steady-clock milliseconds of the last commit, and since when hits have
  // waited (0: none wait); the stall said in the log.
  std::atomic<std::int64_t> lastCommitMs_, waitingSinceMs_{0};
  mutable std::atomic<bool> stallSaid_{false};

  std::function<std::shared_ptr<Store>()> open_;
  IngestOptions options_;
  std::vector<std::shared_ptr<Store>> stores_;  // each writer's, while it starts
  std::atomic<int> broken_{0};                  // writers without a store that commits
  std::mutex mutex_;
  std::condition_variable work_;
  std::deque<Pending> pending_;
  std::map<std::string, std::int64_t> rejections_;
  // With several writers: which writer stores each session's hits now, and
  // which one holds rejection counts; bumped whenever that or pending_ changes.
  static constexpr std::size_t kNobody = static_cast<std::size_t>(-1);
  std::unordered_map<std::string, std::size_t> sessionWriters_;
  std::size_t rejectionsWriter_ = kNobody;
  std::uint64_t changes_ = 0;
  std::size_t wakeAt_ = 1;  // pending hits at which Submit wakes a writer
  bool polling_ = false;    // the writer waits on wakeFd_ and its connection
  int wakeFd_ = -1;         // an eventfd
  bool stopping_ = false;
  std::int64_t nextRetainMs_ = 0;
  bool retainPartly_ = false;  // old hits are left: retention goes on once waiting hits are in
  // Failures are reported once a minute (of `clock`) with how many there were.
  std::mutex reportMutex_;
  bool reported_ = false;
  std::int64_t lastReportMs_ = 0;
  std::int64_t unreported_ = 0;
  std::vector<std::thread> writers_;
};

}  // namespace collector
