#include "collector/ingest_queue.h"

#include <chrono>
#include <cstdio>

namespace collector {
namespace {

constexpr std::size_t kMaxBatch = 2048;
constexpr std::int64_t kDayMs = 86'400'000;

}  // namespace

std::int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

IngestQueue::IngestQueue(Store& store, int retainDays)
    : IngestQueue(std::vector<Store*>{&store}, retainDays) {}

IngestQueue::IngestQueue(std::vector<Store*> writers, int retainDays)
    : stores_(std::move(writers)), retainDays_(retainDays) {
  Retain(*stores_.front());
  for (std::size_t i = 0; i < stores_.size(); ++i) {
    writers_.emplace_back([this, i] { Run(*stores_[i], i == 0); });
  }
}

IngestQueue::~IngestQueue() {
  Stop();
}

bool IngestQueue::Submit(HitRecord hit) {
  Waiter waiter;
  std::unique_lock lock(mutex_);
  if (stopping_) return false;
  pending_.push_back({std::move(hit), &waiter});
  work_.notify_one();
  committed_.wait(lock, [&] { return waiter.done; });
  return waiter.stored;
}

void IngestQueue::CountRejection(std::int64_t receivedMs) {
  std::lock_guard lock(mutex_);
  ++rejections_[DayText(receivedMs)];
  work_.notify_one();
}

void IngestQueue::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    work_.notify_all();
  }
  for (std::thread& writer : writers_) {
    if (writer.joinable()) writer.join();
  }
}

void IngestQueue::Run(Store& store, bool retains) {
  auto lastRetain = std::chrono::steady_clock::now();
  std::unique_lock lock(mutex_);
  for (;;) {
    work_.wait_for(lock, std::chrono::minutes(10),
                   [&] { return stopping_ || !pending_.empty() || !rejections_.empty(); });
    if (pending_.empty() && rejections_.empty()) {
      if (stopping_) return;
      if (retains && std::chrono::steady_clock::now() - lastRetain >= std::chrono::hours(24)) {
        lock.unlock();
        Retain(store);
        lastRetain = std::chrono::steady_clock::now();
        lock.lock();
      }
      continue;
    }
    std::deque<Pending> batch;
    while (!pending_.empty() && batch.size() < kMaxBatch) {
      batch.push_back(std::move(pending_.front()));
      pending_.pop_front();
    }
    std::map<std::string, std::int64_t> rejections;
    rejections.swap(rejections_);
    lock.unlock();
    CommitBatch(store, batch, rejections);
    lock.lock();
    for (Pending& p : batch) p.waiter->done = true;
    committed_.notify_all();
  }
}

void IngestQueue::CommitBatch(Store& store, std::deque<Pending>& batch,
                              std::map<std::string, std::int64_t>& rejections) {
  std::vector<HitRecord> hits;
  hits.reserve(batch.size());
  for (const Pending& p : batch) hits.push_back(p.hit);
  // A deadlock between two collectors on one PostgreSQL database, or a busy
  // SQLite file, passes; anything else is reported and the hits refused.
  for (int attempt = 0;; ++attempt) {
    try {
      store.Insert(hits, rejections);
      for (Pending& p : batch) p.waiter->stored = true;
      return;
    } catch (const SqlError& e) {
      if (e.retryable() && attempt < 20) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1 + attempt * 2));
        continue;
      }
      std::fprintf(stderr, "plumeta-collector: storing %zu hits failed: %s\n", hits.size(), e.what());
      return;
    }
  }
}

void IngestQueue::Retain(Store& store) {
  try {
    store.DeleteReceivedBefore(NowMs() - static_cast<std::int64_t>(retainDays_) * kDayMs);
  } catch (const SqlError& e) {
    std::fprintf(stderr, "plumeta-collector: deleting old hits failed: %s\n", e.what());
  }
}

}  // namespace collector
