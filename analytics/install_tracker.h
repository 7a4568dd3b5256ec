#pragma once
// The tracker of an installation: sends like any tracker, but keeps a flush
// short whatever the network does. Once a post finds the endpoint
// unreachable, or the flush has run for kFlushBudgetMs, the remaining hits
// of that flush are not posted; the flush deletes them with their files,
// as it would have after they had failed one by one.

#include <cstdint>
#include <memory>
#include <string>

#include "analytics/system_services.h"
#include "analytics/tracker.h"

namespace plumeta {

inline constexpr std::uint32_t kFlushBudgetMs = 6000;

class InstallTracker final : public Tracker {
 public:
  InstallTracker(std::unique_ptr<HttpFormClient> client, std::u16string endpointUrl, Clock& clock)
      : Tracker(std::move(client), std::move(endpointUrl)), clock_(clock) {}

  void Send(const ParamList& list) override;
  void BeforeFlush() override;
  void AfterFlush() override;

  // Hits of the last flush that were posted and that were given up.
  int postedInFlush() const { return posted_; }
  int skippedInFlush() const { return skipped_; }

 private:
  Clock& clock_;
  bool flushing_ = false;
  bool givenUp_ = false;
  std::uint32_t flushStart_ = 0;
  int posted_ = 0;
  int skipped_ = 0;
};

}  // namespace plumeta
