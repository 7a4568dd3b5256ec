#include "collector/ingest_queue.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace collector {
namespace {

constexpr std::size_t kMaxBatch = 2048;
constexpr std::int64_t kDayMs = 86'400'000;
constexpr std::chrono::milliseconds kFirstPause{100}, kLongestPause{5000};
constexpr std::int64_t kReportEveryMs = 60'000;
constexpr std::chrono::steady_clock::duration kLongestGather = std::chrono::milliseconds(2);
constexpr std::chrono::steady_clock::duration kGatherAbove = std::chrono::milliseconds(1);
// Transactions on their way at once from a pipelining writer.
constexpr std::size_t kInFlight = 2;
constexpr int kPollMs = 100;
// Old hits deleted in one transaction: a few tens of milliseconds, after
// which the hits that waited meanwhile are committed.
constexpr std::int64_t kRetainRows = 5000;

}  // namespace

namespace {
std::int64_t SteadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

std::int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

IngestQueue::IngestQueue(Opener open, IngestOptions options) : options_(std::move(options)) {
  open_ = [open = std::move(open)]() -> std::shared_ptr<Store> { return open(); };
  Start();
}

IngestQueue::IngestQueue(Store& store, int retainDays) {
  options_.retainDays = retainDays;
  open_ = [&store] { return std::shared_ptr<Store>(&store, [](Store*) {}); };
  Start();
}

void IngestQueue::Start() {
  lastCommitMs_ = SteadyMs();
  if (options_.writers == 0) options_.writers = 1;
  wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  nextRetainMs_ = options_.clock();
  // The first connections are opened here, so that a collector that has
  // just started is ready; a writer that could not open one keeps trying.
  for (std::size_t i = 0; i < options_.writers; ++i) {
    std::shared_ptr<Store> store;
    try {
      store = open_();
      store->connection().SetLockWait(options_.commitWait);
    } catch (const SqlError& e) {
      Report(std::string("cannot open the database: ") + e.what());
      store.reset();
      ++broken_;
    }
    stores_.push_back(std::move(store));
  }
  for (std::size_t i = 0; i < options_.writers; ++i) writers_.emplace_back([this, i] { Run(i); });
}

IngestQueue::~IngestQueue() {
  Stop();
  if (wakeFd_ >= 0) ::close(wakeFd_);
}

void IngestQueue::Submit(HitRecord hit, std::function<void(SubmitOutcome)> completion) {
  SubmitOutcome outcome;
  {
    std::lock_guard lock(mutex_);
    if (stopping_ || pending_.size() >= options_.capacity) {
      outcome = SubmitOutcome::kBusy;
    } else if (!Ready()) {
      outcome = SubmitOutcome::kRefused;
    } else {
      pending_.push_back({std::move(hit), std::move(completion)});
      if (waitingSinceMs_.load() == 0) waitingSinceMs_ = SteadyMs();
      ++changes_;
      if (pending_.size() >= wakeAt_) Wake();
      return;
    }
  }
  completion(outcome);
}

void IngestQueue::CountRejection(std::int64_t receivedMs) {
  std::lock_guard lock(mutex_);
  ++rejections_[DayText(receivedMs)];
  ++changes_;
  work_.notify_one();
}

void IngestQueue::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    Wake();
    work_.notify_all();
  }
  for (std::thread& writer : writers_) {
    if (writer.joinable()) writer.join();
  }
  RefuseWaiting();  // left by writers that could not reach the database
}

// A transaction on its way, and what its outcome answers.
struct IngestQueue::InFlight {
  Batch batch;
  std::map<std::string, std::int64_t> rejections;
  std::vector<std::string> claimed;  // sessions this writer stores meanwhile
  std::unique_ptr<HitBatch> open;    // kept where a retry sends it again as it was
  std::chrono::steady_clock::time_point started, deadline;  // deadline: for retrying it
  int attempt = 0;
};

// How a writer's transactions reach its store. Both write a batch in one
// transaction and are told its outcome in the order sent.
class IngestQueue::Committer {
 public:
  explicit Committer(Store& store) : store_(store) {}
  virtual ~Committer() = default;
  // How many transactions may be on their way at once; with one, Send
  // returns once the transaction is committed.
  virtual std::size_t Depth() const = 0;
  // Writes the flight's hits and rejection counts; `more` adds hits that
  // arrived meanwhile to the batch, where they can still join. SqlError
  // leaves nothing of the flight stored.
  virtual void Send(InFlight& flight, const std::function<bool()>& more) = 0;
  // The outcome of the oldest transaction sent: SqlError when it was not
  // carried out.
  virtual void Await() = 0;

 protected:
  Store& store_;
};

// One transaction at a time, committed before the next is taken: SQLite,
// where the hits that arrive while the batch is written join it, and
// PostgreSQL with several writers.
class IngestQueue::DirectCommitter : public IngestQueue::Committer {
 public:
  using Committer::Committer;
  std::size_t Depth() const override { return 1; }
  void Send(InFlight& flight, const std::function<bool()>& more) override {
    HitBatch open(store_);
    do {
      for (std::size_t i = open.size(); i < flight.batch.size(); ++i) open.Add(flight.batch[i].hit);
    } while (flight.attempt == 0 && flight.batch.size() < kMaxBatch && more());
    open.Commit(flight.rejections);
  }
  void Await() override {}
};

// The lone writer on a database a round trip away: up to kInFlight
// transactions on their way, so that the server never waits for the
// writer between commits. A transaction that failed for a moment is sent
// again as it was.
class IngestQueue::PipelinedCommitter : public IngestQueue::Committer {
 public:
  using Committer::Committer;
  std::size_t Depth() const override { return kInFlight; }
  void Send(InFlight& flight, const std::function<bool()>&) override {
    if (!flight.open) {
      flight.open = std::make_unique<HitBatch>(store_);
      for (Pending& p : flight.batch) flight.open->Add(p.hit);
    }
    flight.open->Send(flight.rejections);
  }
  void Await() override { store_.connection().AwaitTransaction(); }
};

// The writer's one loop. The next transaction is taken once hits or
// rejection counts wait and fewer than Depth() are on their way; with
// some on their way, once as many hits wait as the last one carries, so
// that each disk flush carries a full batch and the server always has the
// next at hand. Retention runs when nothing is on its way.
void IngestQueue::Run(std::size_t index) {
  std::shared_ptr<Store> store = std::move(stores_[index]);
  const bool retains = index == 0;
  std::unique_ptr<Committer> committer;
  std::deque<InFlight> flying;
  std::size_t lastBatch = 0;
  std::chrono::steady_clock::duration lastCommit{};
  auto retentionDue = [&] {
    return retains && !stopping_ && options_.clock() >= nextRetainMs_ && !(retainPartly_ && !pending_.empty());
  };
  // A failed flight is refused, those still on their way are answered as
  // their own outcomes say, and the store is left to be reopened.
  auto fail = [&](InFlight failed, const std::string& what) {
    Report("storing " + std::to_string(failed.batch.size()) + " hits failed: " + what);
    ++broken_;  // before the answers, so that a refused client finds the queue not ready
    Answer(index, failed, SubmitOutcome::kRefused);
    for (InFlight& flight : flying) {
      try {
        committer->Await();
        Answer(index, flight, SubmitOutcome::kStored);
      } catch (const SqlError&) {
        Answer(index, flight, SubmitOutcome::kRefused);
      }
    }
    flying.clear();
    committer.reset();
    store.reset();
    RefuseWaiting();
  };
  for (;;) {
    if (!store) {
      if (!Reopen(store)) return;
      committer.reset();
    }
    if (!committer) {
      if (options_.writers == 1 && store->connection().AnswerHandle() >= 0) {
        committer = std::make_unique<PipelinedCommitter>(*store);
      } else {
        committer = std::make_unique<DirectCommitter>(*store);
      }
    }
    std::unique_lock lock(mutex_);
    if (flying.empty()) {
      work_.wait_for(lock, options_.idleWake,
                     [&] { return stopping_ || !pending_.empty() || !rejections_.empty() || retentionDue(); });
      if (retentionDue()) {
        lock.unlock();
        if (!Retain(*store)) Broke(store);
        continue;
      }
      if (pending_.empty() && rejections_.empty()) {
        if (stopping_) return;
        continue;
      }
      if (!store->connection().Alive()) {
        // Closed by its server while idle (a restart): reconnect first, and
        // leave the hits to a writer whose connection works, if any.
        lock.unlock();
        store.reset();
        if (broken_.fetch_add(1) + 1 == static_cast<int>(options_.writers)) RefuseWaiting();
        work_.notify_all();
        continue;
      }
      if (committer->Depth() == 1) Gather(lock, lastBatch, lastCommit);
    }
    // Retention waits for the transactions on their way, and new ones for
    // it; with none on their way it was looked at above.
    const bool retaining = !flying.empty() && retentionDue();
    const std::size_t sendAt = flying.empty() ? 1 : std::max<std::size_t>(1, flying.back().batch.size());
    if (!retaining && flying.size() < committer->Depth() &&
        (flying.empty() || pending_.size() >= sendAt || (stopping_ && !pending_.empty()))) {
      InFlight& next = flying.emplace_back();
      Take(index, next.batch, next.rejections, next.claimed);
      if (retains) retainPartly_ = false;  // the hits that waited went first; retention's next part now
      if (next.batch.empty() && next.rejections.empty()) {
        // Everything waiting belongs to sessions another writer is storing.
        flying.pop_back();
        if (!flying.empty()) continue;
        std::uint64_t seen = changes_;
        work_.wait_for(lock, options_.idleWake, [&] { return changes_ != seen; });
        continue;
      }
      lock.unlock();
      next.started = std::chrono::steady_clock::now();
      next.deadline = next.started + options_.commitWait;
      std::string error;
      if (!Send(index, *committer, next, error)) {
        InFlight failed = std::move(flying.back());
        flying.pop_back();
        fail(std::move(failed), error);
        continue;
      }
      if (committer->Depth() > 1) continue;
    } else {
      lock.unlock();
      if (!retaining && flying.size() < committer->Depth() && !stopping_) {
        AwaitAnswerOrHits(store->connection(), sendAt);
        if (!store->connection().Answered()) continue;
      }
    }
    InFlight first = std::move(flying.front());
    flying.pop_front();
    try {
      committer->Await();
      lastCommit = std::chrono::steady_clock::now() - first.started;
      lastBatch = first.batch.size();
      Answer(index, first, SubmitOutcome::kStored);
    } catch (const SqlError& e) {
      // A deadlock with another collector, or a lock held for a moment,
      // passes: the transaction goes again, after the others on their way.
      std::string error = e.what();
      if (!e.retryable() || std::chrono::steady_clock::now() >= first.deadline ||
          !Send(index, *committer, first, error)) {
        fail(std::move(first), error);
        continue;
      }
      flying.push_back(std::move(first));
    }
  }
}

// The clients the last commit answered send their next hits a moment
// later: wait for as many (at most half a commit's time), so that one
// commit, and on PostgreSQL one disk flush, carries them all instead of a
// few now and the rest a whole commit later. A lone hit never waits. Only
// then is the writer woken, not for every hit. A commit without a flush
// (SQLite's) is cheaper than that wait: the hits that arrive while it is
// written join it instead.
void IngestQueue::Gather(std::unique_lock<std::mutex>& lock, std::size_t lastBatch,
                         std::chrono::steady_clock::duration lastCommit) {
  if (pending_.size() >= lastBatch || lastCommit < kGatherAbove || stopping_) return;
  wakeAt_ = lastBatch;
  work_.wait_for(lock, std::min(lastCommit / 2, kLongestGather),
                 [&] { return stopping_ || pending_.size() >= lastBatch; });
  wakeAt_ = 1;
}

// Sends the flight, again after a pause while it fails for a moment (a
// deadlock between two collectors on one PostgreSQL database, or a SQLite
// file busy for a moment) and its deadline has not passed; false with
// `error` otherwise. Hits that arrive while the first attempt is written
// join it, where the committer lets them.
bool IngestQueue::Send(std::size_t index, Committer& committer, InFlight& flight, std::string& error) {
  for (;;) {
    if (flight.attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1 + (flight.attempt - 1) * 2));
    try {
      committer.Send(flight, [&] { return TakeMore(index, flight.batch, flight.claimed); });
      ++flight.attempt;
      return true;
    } catch (const SqlError& e) {
      ++flight.attempt;
      error = e.what();
      if (!e.retryable() || std::chrono::steady_clock::now() >= flight.deadline) return false;
    }
  }
}

// The flight's sessions are free again, and its hits answered; rejection
// counts not stored go back for the next commit.
void IngestQueue::Answer(std::size_t index, InFlight& flight, SubmitOutcome outcome) {
  Release(index, flight.claimed, !flight.rejections.empty());
  if (outcome != SubmitOutcome::kStored) GiveBack(flight.rejections);
  Finish(flight.batch, outcome);
}

// Waits until the connection has an answer, `wakeAt` hits wait, or a while
// has passed.
void IngestQueue::AwaitAnswerOrHits(SqlConnection& db, std::size_t wakeAt) {
  {
    std::lock_guard lock(mutex_);
    if (pending_.size() >= wakeAt || stopping_) return;
    wakeAt_ = wakeAt;
    polling_ = true;
  }
  // The answer may be read already, while the transaction was sent.
  if (!db.Answered()) {
    pollfd handles[2] = {{db.AnswerHandle(), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    ::poll(handles, 2, kPollMs);
  }
  std::lock_guard lock(mutex_);
  polling_ = false;
  wakeAt_ = 1;
  std::uint64_t wakes = 0;
  [[maybe_unused]] ssize_t ignored = ::read(wakeFd_, &wakes, sizeof wakes);
}

// Called with mutex_ held.
void IngestQueue::Wake() {
  work_.notify_one();
  if (polling_) {
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t ignored = ::write(wakeFd_, &one, sizeof one);
  }
}

// A store that failed is given up: the queue is not ready until a writer
// has reopened one, and the hits waiting are refused.
void IngestQueue::Broke(std::shared_ptr<Store>& store) {
  ++broken_;
  store.reset();
  RefuseWaiting();
}

// Rejection counts a failed commit did not store, for the next one.
void IngestQueue::GiveBack(const std::map<std::string, std::int64_t>& rejections) {
  std::lock_guard lock(mutex_);
  for (const auto& [day, count] : rejections) rejections_[day] += count;
}

// False when the old hits could not be deleted (reported).
bool IngestQueue::Retain(Store& store) {
  try {
    const std::int64_t cutoff = options_.clock() - static_cast<std::int64_t>(options_.retainDays) * kDayMs;
    retainPartly_ = !store.DeleteReceivedBefore(cutoff, kRetainRows);
    if (!retainPartly_) nextRetainMs_ = options_.clock() + kDayMs;
    return true;
  } catch (const SqlError& e) {
    Report(std::string("deleting old hits failed: ") + e.what());
    return false;
  }
}

// Until an empty commit works or the queue stops, with a pause that grows
// so that a database coming back is not flooded by connections.
bool IngestQueue::Reopen(std::shared_ptr<Store>& store) {
  std::chrono::milliseconds pause = kFirstPause;
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      if (work_.wait_for(lock, pause, [&] { return stopping_; })) return false;
    }
    try {
      store = open_();
      store->connection().SetLockWait(options_.commitWait);
      store->Probe();
      --broken_;
      return true;
    } catch (const SqlError& e) {
      store.reset();
      Report(std::string("the database cannot commit: ") + e.what());
    }
    pause = std::min(pause * 2, kLongestPause);
  }
}

// Called with mutex_ held. With several writers, a hit whose session
// another writer is storing stays for later, and only one writer at a time
// takes the rejection counts: two transactions that update one row wait for
// each other's commit, and on PostgreSQL that wait is a whole disk flush.
void IngestQueue::Take(std::size_t index, Batch& batch, std::map<std::string, std::int64_t>& rejections,
                       std::vector<std::string>& claimed) {
  const bool alone = options_.writers == 1;
  if (alone || rejectionsWriter_ == kNobody) {
    rejections.swap(rejections_);
    if (!rejections.empty() && !alone) rejectionsWriter_ = index;
  }
  TakeHits(index, batch, claimed);
}

// Called with mutex_ held: moves waiting hits to the end of `batch`.
void IngestQueue::TakeHits(std::size_t index, Batch& batch, std::vector<std::string>& claimed) {
  if (options_.writers == 1) {
    while (!pending_.empty() && batch.size() < kMaxBatch) {
      batch.push_back(std::move(pending_.front()));
      pending_.pop_front();
    }
    return;
  }
  std::deque<Pending> left;
  while (!pending_.empty() && batch.size() < kMaxBatch) {
    Pending& next = pending_.front();
    auto [owner, added] = sessionWriters_.try_emplace(next.hit.sessionId, index);
    if (added) claimed.push_back(next.hit.sessionId);
    if (added || owner->second == index) {
      batch.push_back(std::move(next));
    } else {
      left.push_back(std::move(next));
    }
    pending_.pop_front();
  }
  while (!left.empty()) {
    pending_.push_front(std::move(left.back()));
    left.pop_back();
  }
}

// The sessions and rejection counts of a finished commit are free again
// (by the ids Take noted).
void IngestQueue::Release(std::size_t index, const std::vector<std::string>& claimed, bool hadRejections) {
  if (options_.writers == 1) return;
  std::lock_guard lock(mutex_);
  for (const std::string& session : claimed) sessionWriters_.erase(session);
  if (hadRejections && rejectionsWriter_ == index) rejectionsWriter_ = kNobody;
  ++changes_;
  work_.notify_all();
}

// Whether hits arrived since the batch was taken; they join it.
bool IngestQueue::TakeMore(std::size_t index, Batch& batch, std::vector<std::string>& claimed) {
  std::lock_guard lock(mutex_);
  std::size_t before = batch.size();
  TakeHits(index, batch, claimed);
  return batch.size() > before;
}

void IngestQueue::RefuseWaiting() {
  std::deque<Pending> waiting;
  {
    std::lock_guard lock(mutex_);
    waiting.swap(pending_);
    waitingSinceMs_ = 0;
  }
  for (Pending& p : waiting) p.completion(SubmitOutcome::kRefused);
}

void IngestQueue::Finish(Batch& batch, SubmitOutcome outcome) {
  if (outcome == SubmitOutcome::kStored) {
    lastCommitMs_ = SteadyMs();
    {
      std::lock_guard lock(mutex_);
      waitingSinceMs_ = pending_.empty() ? 0 : SteadyMs();
    }
    if (stallSaid_.exchange(false)) std::fprintf(stderr, "plumeta-collector: hits are committed again\n");
  }
  for (Pending& p : batch) p.completion(outcome);
}

bool IngestQueue::Stalled() const {
  const std::int64_t now = SteadyMs(), since = waitingSinceMs_.load(), limit = options_.stallAfter.count();
  if (since == 0 || now - since <= limit || now - lastCommitMs_.load() <= limit) return false;
  if (!stallSaid_.exchange(true)) {
    std::fprintf(stderr, "plumeta-collector: hits have waited more than %lld ms without a commit\n",
                 static_cast<long long>(limit));
  }
  return true;
}

void IngestQueue::Report(const std::string& what) {
  std::lock_guard lock(reportMutex_);
  std::int64_t now = options_.clock();
  if (reported_ && now - lastReportMs_ < kReportEveryMs) {
    ++unreported_;
    return;
  }
  if (unreported_ > 0) {
    std::fprintf(stderr, "plumeta-collector: %s (and %lld more failures in the last minute)\n", what.c_str(),
                 static_cast<long long>(unreported_));
  } else {
    std::fprintf(stderr, "plumeta-collector: %s\n", what.c_str());
  }
  reported_ = true;
  lastReportMs_ = now;
  unreported_ = 0;
}

}  // namespace collector
