#include "analytics/timed_post.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace plumeta {
namespace {

// What the caller and the post's thread share.
struct PostState {
  std::mutex mutex;
  std::condition_variable finished;
  bool givenUp = false;
  bool bodyStarted = false;
  bool done = false;
  FormResponse response;
  std::exception_ptr failure;
};

void Perform(PostSteps& steps, PostState& state) {
  FormResponse response;
  std::exception_ptr failure;
  try {
    steps.Begin();
    {
      // The fence: given up before the body began, the post stops here.
      std::lock_guard<std::mutex> lock(state.mutex);
      if (state.givenUp) throw ClientExcept(kClientSendRequest, kErrorTimeout);
      state.bodyStarted = true;
    }
    response = steps.Finish();
  } catch (...) {
    failure = std::current_exception();
  }
  std::lock_guard<std::mutex> lock(state.mutex);
  state.response = std::move(response);
  state.failure = failure;
  state.done = true;
  state.finished.notify_all();
}

}  // namespace

FormResponse RunTimedPost(const std::shared_ptr<PostSteps>& steps, std::uint32_t timeLimitMs,
                          const std::function<void()>& onGiveUp) {
  auto state = std::make_shared<PostState>();
  std::thread worker([steps, state] { Perform(*steps, *state); });
  std::unique_lock<std::mutex> lock(state->mutex);
  if (state->finished.wait_for(lock, std::chrono::milliseconds(timeLimitMs), [&] { return state->done; })) {
    lock.unlock();
    worker.join();
    if (state->failure) std::rethrow_exception(state->failure);
    return std::move(state->response);
  }
  state->givenUp = true;
  bool bodyStarted = state->bodyStarted;
  lock.unlock();
  onGiveUp();
  worker.detach();
  if (!bodyStarted) steps->Abort();
  throw ClientExcept(bodyStarted ? kClientWrite : kClientSendRequest, kErrorTimeout);
}

}  // namespace plumeta
