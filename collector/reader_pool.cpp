#include "collector/reader_pool.h"

namespace collector {

ReaderPool::Lease::~Lease() {
  if (store_) pool_.GiveBack(std::move(store_));
}

ReaderPool::ReaderPool(Opener open, std::size_t size) : open_(std::move(open)), size_(size ? size : 1) {}

ReaderPool::Lease ReaderPool::Acquire() {
  std::unique_ptr<Store> store;
  {
    std::unique_lock lock(mutex_);
    returned_.wait(lock, [&] { return lent_ < size_; });
    ++lent_;
    while (!idle_.empty() && !store) {
      store = std::move(idle_.back());
      idle_.pop_back();
      if (!store->connection().Alive()) store.reset();  // closed by its server meanwhile
    }
  }
  if (!store) {
    try {
      store = open_();
    } catch (...) {
      std::lock_guard lock(mutex_);
      --lent_;
      returned_.notify_one();
      throw;
    }
  }
  return Lease(*this, std::move(store));
}

void ReaderPool::GiveBack(std::unique_ptr<Store> store) {
  bool keep = store->connection().Alive();
  std::lock_guard lock(mutex_);
  if (keep) idle_.push_back(std::move(store));
  --lent_;
  returned_.notify_one();
}

}  // namespace collector
