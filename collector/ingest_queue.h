#pragma once
// Group commit: request threads hand their hit over and wait; a writer
// thread stores everything that waits in one transaction and then wakes
// them, so an answer of 204 always follows a commit, and a burst of hits
// costs one commit instead of one each. SQLite takes one writer at a time;
// a PostgreSQL server commits several transactions at once, so there each
// of a few writers has a connection of its own.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "collector/hit_record.h"
#include "collector/store.h"

namespace collector {

class IngestQueue {
 public:
  // `retainDays`: hits received longer ago are deleted at start and daily
  // (by the first writer). One writer thread per store.
  IngestQueue(Store& store, int retainDays);
  IngestQueue(std::vector<Store*> writers, int retainDays);
  ~IngestQueue();  // Stop()
  IngestQueue(const IngestQueue&) = delete;
  IngestQueue& operator=(const IngestQueue&) = delete;

  // Blocks until the hit is committed: true, or false when the database
  // refused it (nothing stored).
  bool Submit(HitRecord hit);
  // Counts a rejected body (stored with the next commit).
  void CountRejection(std::int64_t receivedMs);
  // Stores what waits and ends the writer; later submits fail.
  void Stop();

 private:
  struct Waiter {
    bool done = false;
    bool stored = false;
  };
  struct Pending {
    HitRecord hit;
    Waiter* waiter;
  };

  void Run(Store& store, bool retains);
  void CommitBatch(Store& store, std::deque<Pending>& batch, std::map<std::string, std::int64_t>& rejections);
  void Retain(Store& store);

  std::vector<Store*> stores_;
  int retainDays_;
  std::mutex mutex_;
  std::condition_variable work_;
  std::condition_variable committed_;
  std::deque<Pending> pending_;
  std::map<std::string, std::int64_t> rejections_;
  bool stopping_ = false;
  std::vector<std::thread> writers_;
};

std::int64_t NowMs();

}  // namespace collector
