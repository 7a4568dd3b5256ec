#pragma once
// A post that must not outlast its time limit runs on a thread of its own,
// and the caller stops waiting once the limit has passed. What the thread
// may still do then is fenced: a post given up before its body began never
// sends its body, so a hit the flush keeps for later does not also arrive
// now.

#include <cstdint>
#include <functional>
#include <memory>

#include "analytics/http_form_client.h"

namespace plumeta {

// The two halves of one post, as the platform performs them.
class PostSteps {
 public:
  virtual ~PostSteps() = default;
  // Everything up to the first byte of the body: connection, request, headers.
  virtual void Begin() = 0;
  // The body, the end of the request and the response.
  virtual FormResponse Finish() = 0;
  // Called from the caller's thread once it has given up before the body
  // began: ends a step that still waits, so the thread ends sooner.
  virtual void Abort() = 0;
};

// Runs the steps on a thread and waits up to `timeLimitMs` for them: the
// response, or the failure of a step raised again. When the limit passes
// first, raises ClientExcept with kClientWrite when the body had begun
// (the hit may arrive) or kClientSendRequest when it had not (it never
// will); `onGiveUp` runs before the thread is left to end on its own.
FormResponse RunTimedPost(const std::shared_ptr<PostSteps>& steps, std::uint32_t timeLimitMs,
                          const std::function<void()>& onGiveUp);

}  // namespace plumeta
