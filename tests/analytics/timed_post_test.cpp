#include "analytics/timed_post.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace plumeta {
namespace {

// Steps whose headers wait until the test lets them go.
class HeldSteps final : public PostSteps {
 public:
  std::atomic<bool> bodyWritten{false};
  std::atomic<bool> aborted{false};

  void Begin() override {
    std::unique_lock<std::mutex> lock(mutex_);
    released_.wait(lock, [this] { return free_; });
  }
  FormResponse Finish() override {
    bodyWritten = true;
    return {200, u"ok"};
  }
  void Abort() override { aborted = true; }
  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    free_ = true;
    released_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable released_;
  bool free_ = false;
};

TEST(TimedPost, APostWithinItsLimitAnswers) {
  auto steps = std::make_shared<HeldSteps>();
  steps->Release();
  EXPECT_EQ(RunTimedPost(steps, 5000, [] {}).status, 200u);
  EXPECT_TRUE(steps->bodyWritten);
}

TEST(TimedPost, APostGivenUpInItsHeadersNeverWritesItsBody) {
  auto steps = std::make_shared<HeldSteps>();
  bool gaveUp = false;
  int code = 0;
  try {
    RunTimedPost(steps, 20, [&] { gaveUp = true; });
  } catch (const ClientExcept& failure) {
    code = failure.code();
  }
  EXPECT_TRUE(gaveUp);
  EXPECT_TRUE(steps->aborted);
  EXPECT_FALSE(MayHaveArrived(code)) << code;
  // The headers go through only now, after the caller has given up.
  steps->Release();
  // The thread lets go of the steps when it ends.
  for (int i = 0; i < 500 && steps.use_count() > 1; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  ASSERT_EQ(steps.use_count(), 1) << "the thread has ended";
  EXPECT_FALSE(steps->bodyWritten);
}

}  // namespace
}  // namespace plumeta
