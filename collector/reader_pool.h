#pragma once
// Stores that read (the dashboard, the figures, the exports), opened once
// and lent to one request at a time instead of a connection per request.
// A store whose connection was lost is not lent again: a new one is opened
// in its place.

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "collector/store.h"

namespace collector {

class ReaderPool {
 public:
  using Opener = std::function<std::unique_ptr<Store>()>;

  // A store lent by the pool; given back when the lease ends.
  class Lease {
   public:
    Lease(Lease&& other) noexcept : pool_(other.pool_), store_(std::move(other.store_)) {}
    Lease& operator=(Lease&&) = delete;
    ~Lease();
    Store& operator*() const { return *store_; }
    Store* operator->() const { return store_.get(); }

   private:
    friend class ReaderPool;
    Lease(ReaderPool& pool, std::unique_ptr<Store> store) : pool_(pool), store_(std::move(store)) {}
    ReaderPool& pool_;
    std::unique_ptr<Store> store_;
  };

  ReaderPool(Opener open, std::size_t size);
  ReaderPool(const ReaderPool&) = delete;
  ReaderPool& operator=(const ReaderPool&) = delete;

  // Waits while all `size` stores are lent; throws SqlError when a new one
  // cannot be opened.
  Lease Acquire();

 private:
  void GiveBack(std::unique_ptr<Store> store);

  Opener open_;
  std::size_t size_;
  std::mutex mutex_;
  std::condition_variable returned_;
  std::vector<std::unique_ptr<Store>> idle_;
  std::size_t lent_ = 0;
};

}  // namespace collector
