#include <gtest/gtest.h>

#include "analytics/install_tracker.h"
#include "install_fakes.h"

namespace plumeta {
namespace {

// An installation of ten hits whose flush runs against a scripted network.
class FlushLimits : public testing::InstallTest {
 protected:
  int attempts = 0;
  void TrackTenHitsAndFinish() {
    StandardProperties();
    analytics_.OnAnalyticsToggle(installer_);
    analytics_.OnAnalyticsLogStart(installer_);
    analytics_.OnAnalyticsLogMachineInfo(installer_);  // VersionNT, 3 probed facts
    analytics_.OnAnalyticsLogInstallData(installer_);  // install type
    analytics_.OnAnalyticsLogStart(installer_);        // a second session file
    analytics_.OnAnalyticsLogFinish(installer_);
  }
};

TEST_F(FlushLimits, AllHitsArePostedWhenTheEndpointAnswers) {
  onSend_ = [this](const FormRequest&) {
    ++attempts;
    clock_.tick += 100;
    return FormResponse{200, u""};
  };
  TrackTenHitsAndFinish();
  EXPECT_EQ(attempts, 8);
  EXPECT_EQ(analytics_.tracker()->skippedInFlush(), 0);
}

TEST_F(FlushLimits, ARefusedConnectionSkipsTheRestOfTheFlush) {
  onSend_ = [this](const FormRequest&) -> FormResponse {
    ++attempts;
    throw ClientExcept(kClientSendRequest, kErrorCannotConnect);
  };
  TrackTenHitsAndFinish();
  EXPECT_EQ(attempts, 1);
  EXPECT_EQ(analytics_.tracker()->skippedInFlush(), 7);
  EXPECT_TRUE(SessionFilesLeft().empty()) << "skipped hits go with their files";
}

TEST_F(FlushLimits, ATimeOutAtAnyStepCountsAsUnreachable) {
  onSend_ = [this](const FormRequest&) -> FormResponse {
    ++attempts;
    clock_.tick += kReceiveTimeoutMs;
    throw ClientExcept(kClientEndRequest, kErrorTimeout);
  };
  TrackTenHitsAndFinish();
  EXPECT_EQ(attempts, 1);
}

TEST_F(FlushLimits, OtherFailuresLoseOnlyTheirOwnHit) {
  onSend_ = [this](const FormRequest&) -> FormResponse {
    ++attempts;
    throw ClientExcept(kClientReadResponse, 12152);
  };
  TrackTenHitsAndFinish();
  EXPECT_EQ(attempts, 8);
}

TEST_F(FlushLimits, ASlowEndpointIsGivenUpWhenTheBudgetIsSpent) {
  onSend_ = [this](const FormRequest&) {
    ++attempts;
    clock_.tick += 2500;
    return FormResponse{200, u""};
  };
  TrackTenHitsAndFinish();
  // 0, 2500 and 5000 ms into the flush are within the budget; 7500 is not.
  EXPECT_EQ(attempts, 3);
  EXPECT_EQ(analytics_.tracker()->skippedInFlush(), 5);
}

TEST_F(FlushLimits, TheNextFlushTriesAgain) {
  bool down = true;
  onSend_ = [&](const FormRequest& r) -> FormResponse {
    ++attempts;
    if (down) throw ClientExcept(kClientConnect);
    requests_.push_back(r);
    return FormResponse{200, u""};
  };
  TrackTenHitsAndFinish();
  EXPECT_EQ(attempts, 1);
  down = false;
  analytics_.OnAnalyticsLogStart(installer_);
  analytics_.OnAnalyticsLogFinish(installer_);
  EXPECT_EQ(requests_.size(), 2u);
}

TEST(IsUnreachable, ConnectFailuresAndNetworkErrorsOnly) {
  EXPECT_TRUE(IsUnreachable(kClientConnect, 0));
  for (std::uint32_t error : {kErrorTimeout, kErrorNameNotResolved, kErrorCannotConnect,
                              kErrorConnectionAborted, kErrorConnectionReset, kErrorSocketTimeout}) {
    EXPECT_TRUE(IsUnreachable(kClientSendRequest, error)) << error;
  }
  EXPECT_FALSE(IsUnreachable(0, kErrorTimeout)) << "a delivered post";
  EXPECT_FALSE(IsUnreachable(kClientFieldTooLong, 0));
  EXPECT_FALSE(IsUnreachable(kClientSendRequest, kErrorInvalidCa));
  EXPECT_FALSE(IsUnreachable(kClientNoSession, 0));
}

}  // namespace
}  // namespace plumeta
