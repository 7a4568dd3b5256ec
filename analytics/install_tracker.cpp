#include "analytics/install_tracker.h"

namespace plumeta {

void InstallTracker::Send(const ParamList& list) {
  if (flushing_ && !givenUp_) {
    // Unsigned arithmetic keeps the elapsed time right across a wrap of the tick count.
    std::uint32_t elapsed = clock_.TickCount() - flushStart_;
    if (elapsed >= kFlushBudgetMs) givenUp_ = true;
  }
  if (givenUp_) {
    ++skipped_;
    return;
  }
  Tracker::Send(list);
  ++posted_;
  HttpFormClient* sender = client();
  if (flushing_ && sender != nullptr && IsUnreachable(sender->LastError(), sender->LastSystemError())) {
    givenUp_ = true;
  }
}

void InstallTracker::BeforeFlush() {
  flushing_ = true;
  givenUp_ = false;
  flushStart_ = clock_.TickCount();
  posted_ = 0;
  skipped_ = 0;
}

void InstallTracker::AfterFlush() {
  flushing_ = false;
  givenUp_ = false;
}

}  // namespace plumeta
