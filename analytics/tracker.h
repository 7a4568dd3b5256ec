#pragma once
// The tracker: the sources of a hit's parameters and the slot that sends a
// parameter list through the form client.

#include <cstdint>
#include <memory>
#include <string>

#include "analytics/hit.h"
#include "analytics/http_form_client.h"
#include "analytics/param_list.h"

namespace plumeta {

struct AppInfo {
  std::u16string applicationId;
  std::u16string productName;
  std::u16string productNameCopy;  // the product name given a second time
  std::u16string productVersion;
};

// The installation's session as this process knows it.
struct TrackingSession {
  AppInfo app;
  std::u16string clientId;            // the machine id
  std::u16string sessionId;           // GUID text, or empty
  std::u16string contentDescription;  // the last non-empty one seen
};

// What a post tells the flush.
enum class PostOutcome {
  kPosted,       // the hit was delivered, or went out and failed in a way no retry mends
  kRejected,     // the endpoint answered that it refuses this hit
  kUnreachable,  // the hit may have gone out, then the endpoint stopped answering
  kNotPosted,    // the hit never left (no session, the endpoint cannot be reached),
                 // or the endpoint answered that it could not take it now
};

class Tracker {
 public:
  // `client` may be null for a tracker that sends nothing.
  Tracker(std::unique_ptr<HttpFormClient> client, std::u16string endpointUrl)
      : client_(std::move(client)), endpointUrl_(std::move(endpointUrl)) {}
  virtual ~Tracker() = default;
  Tracker(const Tracker&) = delete;
  Tracker& operator=(const Tracker&) = delete;

  virtual void AppendHit(ParamList& list, const Hit& hit);
  // "Client ID", "Session ID".
  virtual void AppendSession(ParamList& list, const TrackingSession& session);
  // Nothing describes the environment yet; kept as a place for it.
  virtual void AppendEnvironment(ParamList& list);
  // "Protocol Version", "Application ID", "Application Version".
  virtual void AppendApplication(ParamList& list, const AppInfo& app);
  // Posts the list's form fields to the endpoint, taking at most about
  // `timeLimitMs` (kNoTimeLimit: the client's own limits only).
  virtual PostOutcome Send(const ParamList& list, std::uint32_t timeLimitMs);
  // Called around the sending of the stored hits.
  virtual void BeforeFlush() {}
  virtual void AfterFlush() {}

  HttpFormClient* client() { return client_.get(); }
  const std::u16string& endpointUrl() const { return endpointUrl_; }
  void SetEndpointUrl(std::u16string url) { endpointUrl_ = std::move(url); }

 private:
  std::unique_ptr<HttpFormClient> client_;
  std::u16string endpointUrl_;
};

// Application, environment, session, then the hit's own parameters:
// "Protocol Version", "Application ID", "Application Version", "Client ID",
// "Session ID", "Hit Type", "Activity ID", "Queue Time", "Content
// Description", then the class's parameters.
ParamList BuildParamList(Tracker& tracker, const TrackingSession& session, const Hit& hit);

}  // namespace plumeta
