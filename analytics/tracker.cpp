#include "analytics/tracker.h"

namespace plumeta {

void Tracker::AppendHit(ParamList& list, const Hit& hit) {
  HitParamWriter writer(list);
  hit.Accept(writer);
}

void Tracker::AppendSession(ParamList& list, const TrackingSession& session) {
  list.Add(u"Client ID", session.clientId);
  list.Add(u"Session ID", session.sessionId);
}

void Tracker::AppendEnvironment(ParamList&) {}

void Tracker::AppendApplication(ParamList& list, const AppInfo& app) {
  list.Add(u"Protocol Version", u"2");
  list.Add(u"Application ID", app.applicationId);
  list.Add(u"Application Version", app.productVersion);
}

PostOutcome Tracker::Send(const ParamList& list, std::uint32_t timeLimitMs) {
  if (!client_) return PostOutcome::kNotPosted;
  client_->ClearFields();
  for (const auto& [key, value] : ToFormFields(list)) client_->AddField(key, value);
  std::uint32_t status = 0;
  if (client_->Post(endpointUrl_, status, timeLimitMs) == kClientNoSession) return PostOutcome::kNotPosted;
  int error = client_->LastError();
  if (error == 0) {
    switch (ClassifyAnswer(status)) {
      case AnswerClass::kDelivered:
        return PostOutcome::kPosted;
      case AnswerClass::kRefused:
        return PostOutcome::kRejected;
      case AnswerClass::kRetryLater:
        return PostOutcome::kNotPosted;
      case AnswerClass::kNoAnswer:
        return PostOutcome::kUnreachable;
    }
  }
  if (!IsUnreachable(error, client_->LastSystemError())) return PostOutcome::kPosted;
  return MayHaveArrived(error) ? PostOutcome::kUnreachable : PostOutcome::kNotPosted;
}

ParamList BuildParamList(Tracker& tracker, const TrackingSession& session, const Hit& hit) {
  ParamList list;
  tracker.AppendApplication(list, session.app);
  tracker.AppendEnvironment(list);
  tracker.AppendSession(list, session);
  tracker.AppendHit(list, hit);
  return list;
}

}  // namespace plumeta
