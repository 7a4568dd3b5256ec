// The body decoder, the checks of a hit, the User-Agent, outcomes and dates.
#include <gtest/gtest.h>

#include "collector/filters.h"
#include "collector/form_decoder.h"
#include "collector/hit_record.h"
#include "collector/user_agent.h"
#include "test_hits.h"

namespace collector {
namespace {

TEST(FormDecoder, DecodesPercentEscapesOnlyAndKeepsPlusAndBlanks) {
  auto fields = DecodeForm("lb=a+b c&val=100%25%26%2B%0D%0A&exdt=%C3%A9t%C3%A9&e=", nullptr);
  ASSERT_TRUE(fields);
  ASSERT_EQ(fields->size(), 4u);
  EXPECT_EQ((*fields)[0].second, "a+b c");
  EXPECT_EQ((*fields)[1].second, "100%&+\r\n");
  EXPECT_EQ((*fields)[2].second, "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ((*fields)[3].second, "");
}

TEST(FormDecoder, RefusesMalformedBodiesWithAReason) {
  for (const char* body :
       {"", "v=2&novalue", "v=2&=x", "v=%2", "v=%zz", "v=2&", "v=%C3", "v=%C0%AF", "v=%ED%A0%80", "v=\xFF",
        "v=a%00b", "v%00=1"}) {
    FormError error;
    EXPECT_FALSE(DecodeForm(body, &error)) << body;
    EXPECT_FALSE(error.reason.empty()) << body;
    EXPECT_EQ(error.reason.find('\n'), std::string::npos);
  }
}

TEST(HitRecord, KeepsEveryFieldTheAgeAndTheAgentsPlatform) {
  std::string reason;
  auto hit = MakeHitRecord(Body({{"t", "exception"},
                                 {"qt", "1500"},
                                 {"exd", "InstallFiles"},
                                 {"exdt", "Error 1335 a+b"},
                                 {"exf", "1"},
                                 {"new", "x&y"}}),
                           kAgent64, 10'000, &reason);
  ASSERT_TRUE(hit) << reason;
  EXPECT_EQ(hit->madeMs, 8'500);
  EXPECT_EQ(hit->app, "Vorsant");
  EXPECT_EQ(hit->exceptionDetails, "Error 1335 a+b");
  EXPECT_EQ(hit->exceptionFatal, "1");
  EXPECT_EQ(hit->extra, "new=x%26y");  // unknown keys are kept
  EXPECT_EQ(hit->osVersion, "6.1.7601");
  EXPECT_EQ(hit->architecture, "x64");
  // A queue time that is not a number leaves the hit at the time it arrived.
  hit = MakeHitRecord(Body({{"qt", "-5"}}), "curl/8", 10'000, &reason);
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->madeMs, 10'000);
  EXPECT_EQ(hit->osVersion, "");
}

TEST(HitRecord, RefusesWrongProtocolTypeClientSessionAndSize) {
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"v", "1"},
      {"v", ""},
      {"t", "pageview"},
      {"t", "Lifecycle"},
      {"cid", std::string(39, 'A')},
      {"cid", std::string(39, 'A') + "G"},
      {"sid", "11111111-2222-3333-4444-555555555555"},
      {"sid", "{11111111-2222-3333-4444-55555555555X}"}};
  for (const auto& [key, value] : bad) {
    std::string reason;
    EXPECT_FALSE(MakeHitRecord(Body({{key, value}}), kAgent64, 0, &reason)) << key << "=" << value;
    EXPECT_FALSE(reason.empty());
  }
  std::string reason;
  std::string big = Body({{"exdt", std::string(kMaxBodyBytes, 'x')}});
  EXPECT_FALSE(MakeHitRecord(big, kAgent64, 0, &reason));
  for (const char* type : {"lifecycle", "installtype", "property", "screenview", "exception"}) {
    EXPECT_TRUE(MakeHitRecord(Body({{"t", type}}), kAgent64, 0, &reason)) << type;
  }
}

TEST(UserAgent, ReadsTheLibrarysAgentAndNothingElse) {
  EXPECT_EQ(ParseUserAgent("OrvexAnalytics/1.0 (Microsoft Windows NT 10.0.19045 ; x86)").osVersion,
            "10.0.19045");
  EXPECT_EQ(ParseUserAgent("OrvexAnalytics/1.0 (Microsoft Windows NT 10.0.19045 ; x86)").architecture, "x86");
  AgentPlatform withPack =
      ParseUserAgent("OrvexAnalytics/1.0 (Microsoft Windows NT 6.1.7601 Service Pack 1; x64)");
  EXPECT_EQ(withPack.osVersion, "6.1.7601");
  EXPECT_EQ(withPack.architecture, "x64");
  for (const char* agent :
       {"", "Mozilla/5.0 (Windows NT 10.0; Win64; x64)", "(Microsoft Windows NT 6.1 ; x64)",
        "(Microsoft Windows NT 6.1.x ; arm64)", "(Microsoft Windows NT "}) {
    AgentPlatform p = ParseUserAgent(agent);
    EXPECT_EQ(p.osVersion, "") << agent;
  }
  EXPECT_EQ(ParseUserAgent("(Microsoft Windows NT 6.1.1 ; arm64)").architecture, "");
}

TEST(Outcome, FollowsTheEndHitsStatus) {
  EXPECT_EQ(OutcomeOf(std::string("success")), Outcome::kSuccess);
  EXPECT_EQ(OutcomeOf(std::string("user abort")), Outcome::kUserAbort);
  EXPECT_EQ(OutcomeOf(std::string("fatal error")), Outcome::kFatalError);
  EXPECT_EQ(OutcomeOf(std::nullopt), Outcome::kUnfinished);
  EXPECT_EQ(OutcomeOf(std::string("")), Outcome::kUnfinished);
}

TEST(Filters, DatesAreCheckedAndCoverWholeUtcDays) {
  Filters f;
  std::string reason;
  EXPECT_TRUE(SetFilter(f, "since", "2024-02-29", &reason));
  EXPECT_TRUE(SetFilter(f, "until", "2024-03-01", &reason));
  EXPECT_EQ(*f.SinceMs(), 1'709'164'800'000);
  EXPECT_EQ(*f.UntilMs() - *f.SinceMs(), 2 * 86'400'000LL);
  for (const char* bad : {"2023-02-29", "2024-13-01", "2024-1-01", "24-01-01", "2024-01-00", "2024/01/01"}) {
    EXPECT_FALSE(SetFilter(f, "since", bad, &reason)) << bad;
  }
  EXPECT_FALSE(SetFilter(f, "colour", "red", &reason));
  EXPECT_EQ(DayText(1'709'164'800'000 - 1), "2024-02-28");
  EXPECT_EQ(TimeText(-1), "1969-12-31T23:59:59.999Z");
  f.app = "A&B";
  EXPECT_EQ(FiltersQuery(f), "app=A%26B&since=2024-02-29&until=2024-03-01");
}

}  // namespace
}  // namespace collector
