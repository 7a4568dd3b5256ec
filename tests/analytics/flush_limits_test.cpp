#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "analytics/ini_document.h"
#include "analytics/session_store.h"
#include "analytics/storage_paths.h"
#include "analytics/text.h"
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
  // Every section left in the session files, as (activity, queue time).
  std::vector<std::pair<std::u16string, std::u16string>> KeptHits() {
    std::vector<std::pair<std::u16string, std::u16string>> kept;
    for (const std::u16string& path : SessionFilesLeft()) {
      IniDocument doc(path);
      doc.Load(*reader_);
      for (const IniSection& s : doc.sections()) kept.emplace_back(s.name(), *s.Find(u"Queue Time"));
    }
    return kept;
  }
  std::u16string WriteHits(std::u16string_view name, const std::string& prefix, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
      std::string label = prefix + std::to_string(i);
      text += "[Activity {" + label + "}]\r\nHit Type = property\r\nLabel = " + label + "\r\n\r\n";
    }
    std::u16string path = FilePath(files_, Folder(), name);
    testing::WriteAll(path, text);
    return path;
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
  EXPECT_TRUE(SessionFilesLeft().empty());
}

TEST_F(FlushLimits, AnUnreachableEndpointLeavesTheUntriedHitsForTheNextFlush) {
  bool down = true;
  onSend_ = [&](const FormRequest& r) -> FormResponse {
    ++attempts;
    if (down) throw ClientExcept(kClientSendRequest, kErrorCannotConnect);
    requests_.push_back(r);
    return FormResponse{200, u""};
  };
  clock_.tick = 500;
  TrackTenHitsAndFinish();
  EXPECT_EQ(attempts, 1);
  auto kept = KeptHits();
  ASSERT_EQ(kept.size(), 8u) << "the tried hit never reached the endpoint: it waits too";
  for (const auto& [activity, queueTime] : kept) EXPECT_EQ(queueTime, u"500") << "stored as it was";

  down = false;
  clock_.tick = 2500;
  analytics_.OnAnalyticsLogStart(installer_);
  analytics_.OnAnalyticsLogFinish(installer_);
  std::set<std::string> bodies;
  for (const FormRequest& r : requests_) bodies.insert(JoinFields(r.fields));
  ASSERT_EQ(requests_.size(), 10u) << "the 8 kept hits and the 2 new ones";
  EXPECT_EQ(bodies.size(), 10u) << "each once";
  EXPECT_EQ(testing::FieldOf(Hits()[0], "qt"), "2000");
  EXPECT_TRUE(SessionFilesLeft().empty());
}

TEST_F(FlushLimits, A503KeepsTheHitsForTheNextFlushAndA400DropsOnlyItsOwn) {
  std::uint32_t status = 503;
  onSend_ = [&](const FormRequest& r) {
    ++attempts;
    requests_.push_back(r);
    bool property = JoinFields(r.fields).find("t=property") != std::string::npos;
    return FormResponse{status == 204 && property ? 400u : status, u""};
  };
  TrackTenHitsAndFinish();
  EXPECT_EQ(attempts, 1);
  EXPECT_EQ(KeptHits().size(), 8u) << "the answered hit waits too";
  status = 204;
  requests_.clear();
  analytics_.OnAnalyticsLogStart(installer_);
  analytics_.OnAnalyticsLogFinish(installer_);
  std::set<std::string> bodies;
  for (const FormRequest& r : requests_) bodies.insert(JoinFields(r.fields));
  EXPECT_EQ(bodies.size(), 10u) << "every hit once";
  EXPECT_TRUE(SessionFilesLeft().empty()) << "the refused property hits are not kept";
  EXPECT_NE(installer_.logged.back().find(u"flush: 6 posted, 4 rejected, 0 kept"), std::u16string::npos)
      << ToUtf8(installer_.logged.back());
}

TEST(TrackerSend, TheStatusSaysWhetherTheHitIsDeliveredKeptOrRefused) {
  std::uint32_t status = 0;
  Tracker tracker(
      std::make_unique<HttpFormClient>(std::make_unique<testing::ScriptedSender>([&](const FormRequest&) {
        return FormResponse{status, u""};
      })),
      u"http://c");
  using enum PostOutcome;
  const std::pair<std::uint32_t, PostOutcome> cases[] = {
      {200, kPosted},    {299, kPosted},   {302, kNotPosted}, {400, kRejected}, {407, kRejected},
      {408, kNotPosted}, {413, kRejected}, {429, kNotPosted}, {499, kRejected}, {500, kNotPosted},
      {599, kNotPosted}, {0, kUnreachable}};  // some WinINets end a timed-out request with no status
  for (auto [answer, outcome] : cases) {
    status = answer;
    EXPECT_EQ(tracker.Send(ParamList{}, kNoTimeLimit), outcome) << answer;
  }
}

TEST_F(FlushLimits, ATimeOutAtAnyStepCountsAsUnreachable) {
  onSend_ = [this](const FormRequest&) -> FormResponse {
    ++attempts;
    clock_.tick += kReceiveTimeoutMs;
    throw ClientExcept(kClientEndRequest, kErrorTimeout);
  };
  TrackTenHitsAndFinish();
  EXPECT_EQ(attempts, 1);
  EXPECT_EQ(KeptHits().size(), 7u) << "the hit that went out may have arrived: it is not sent again";
}

TEST_F(FlushLimits, OtherFailuresLoseOnlyTheirOwnHit) {
  onSend_ = [this](const FormRequest&) -> FormResponse {
    ++attempts;
    throw ClientExcept(kClientReadResponse, 12152);
  };
  TrackTenHitsAndFinish();
  EXPECT_EQ(attempts, 8);
  EXPECT_TRUE(SessionFilesLeft().empty()) << "a posted hit is not retried";
}

TEST_F(FlushLimits, ASlowEndpointGetsTheRestOfTheBudgetAndTheOtherHitsWait) {
  std::vector<std::uint32_t> limits;
  onSend_ = [&](const FormRequest& r) {
    limits.push_back(r.timeLimitMs);
    clock_.tick += 2500;
    return FormResponse{200, u""};
  };
  TrackTenHitsAndFinish();
  // 0, 2500 and 5000 ms into the flush are within the budget; 7500 is not.
  EXPECT_EQ(limits, (std::vector<std::uint32_t>{6000, 3500, 1000}));
  EXPECT_EQ(KeptHits().size(), 5u);
}

TEST_F(FlushLimits, TheFolderKeepsTheNewestThousandHitsOfTheLastThirtyDays) {
  onSend_ = [](const FormRequest&) -> FormResponse { throw ClientExcept(kClientConnect); };
  TrackTenHitsAndFinish();
  const std::int64_t now = files_.Now();
  constexpr std::int64_t kDay = 24 * 60 * 60;
  files_.SetModifiedTime(WriteHits(u"A.session", "old", 1), now - 31 * kDay);
  files_.SetModifiedTime(WriteHits(u"B.session", "b", 10), now - 29 * kDay);
  files_.SetModifiedTime(WriteHits(u"C.session", "c", 985), now - kDay);
  // Within 30 days: 8 kept from the installation, 2 new ones, 10 + 986.
  requests_.clear();
  onSend_ = [this](const FormRequest& r) {
    requests_.push_back(r);
    return FormResponse{200, u""};
  };
  analytics_.OnAnalyticsLogStart(installer_);
  analytics_.OnAnalyticsLogFinish(installer_);
  std::vector<std::string> labels;
  for (const auto& hit : Hits()) labels.push_back(testing::FieldOf(hit, "lb"));
  ASSERT_EQ(labels.size(), 1000u);
  EXPECT_EQ(labels[0], "b5") << "the oldest hits beyond the thousand are dropped";
  EXPECT_EQ(std::count(labels.begin(), labels.end(), "old"), 0);
}

TEST_F(FlushLimits, AKeptFileKeepsItsAgeAndGoesUnsentAfterThirtyDays) {
  // Each flush gets one hit out, then rewrites the files with the rest.
  onSend_ = [](const FormRequest&) -> FormResponse { throw ClientExcept(kClientEndRequest, kErrorTimeout); };
  TrackTenHitsAndFinish();
  const std::int64_t stored = files_.Now() - 20 * 24 * 60 * 60;
  for (const std::u16string& path : SessionFilesLeft()) files_.SetModifiedTime(path, stored);
  analytics_.store().FlushQueue();
  ASSERT_FALSE(SessionFilesLeft().empty());
  for (const std::u16string& path : SessionFilesLeft()) EXPECT_EQ(files_.ModifiedTime(path), stored);
  files_.nowShift = 11 * 24 * 60 * 60;
  attempts = 0;
  onSend_ = [this](const FormRequest&) {
    ++attempts;
    return FormResponse{200, u""};
  };
  analytics_.store().FlushQueue();
  EXPECT_EQ(attempts, 0);
  EXPECT_TRUE(SessionFilesLeft().empty());
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
