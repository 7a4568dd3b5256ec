#include <gtest/gtest.h>

#include "analytics/tracker.h"
#include "test_support.h"

namespace plumeta {
namespace {

TrackingSession Session() {
  return {{u"APP-7", u"Vorsant", u"Vorsant", u"6.1.0"}, u"C1D", u"{S}", u""};
}

TEST(BuildParamList, ApplicationSessionThenHitParameters) {
  Tracker tracker(nullptr, u"http://collector");
  PropertyHit hit({u"{A}", 10}, u"UILevel", u"5");
  std::vector<std::u16string> names;
  ParamList list = BuildParamList(tracker, Session(), hit);
  for (const Param& p : list.items()) names.push_back(p.name);
  std::vector<std::u16string> expected = {u"Protocol Version",
                                          u"Application ID",
                                          u"Application Version",
                                          u"Client ID",
                                          u"Session ID",
                                          u"Hit Type",
                                          u"Activity ID",
                                          u"Queue Time",
                                          u"Content Description",
                                          u"Label",
                                          u"Value"};
  EXPECT_EQ(names, expected);
}

// Records the order in which BuildParamList asks the tracker's sources.
class OrderTracker final : public Tracker {
 public:
  OrderTracker() : Tracker(nullptr, u"") {}
  std::vector<std::string> calls;
  void AppendHit(ParamList& l, const Hit& h) override { calls.push_back("hit"), Tracker::AppendHit(l, h); }
  void AppendSession(ParamList& l, const TrackingSession& s) override {
    calls.push_back("session"), Tracker::AppendSession(l, s);
  }
  void AppendEnvironment(ParamList& l) override {
    calls.push_back("environment"), Tracker::AppendEnvironment(l);
  }
  void AppendApplication(ParamList& l, const AppInfo& a) override {
    calls.push_back("application"), Tracker::AppendApplication(l, a);
  }
};

TEST(BuildParamList, AsksApplicationEnvironmentSessionThenHit) {
  OrderTracker tracker;
  BuildParamList(tracker, Session(), ScreenViewHit({u"{A}", 1}, u"Dlg"));
  EXPECT_EQ(tracker.calls, (std::vector<std::string>{"application", "environment", "session", "hit"}));
}

TEST(TrackerSend, StartHitBodyCarriesTheFieldsInOrder) {
  std::vector<FormRequest> sent;
  Tracker tracker(std::make_unique<HttpFormClient>(std::make_unique<testing::RecordingSender>(sent)),
                  u"http://collector.example");
  LifecycleHit hit({u"{A}", 1234}, u"start", u"");
  tracker.Send(BuildParamList(tracker, Session(), hit), kNoTimeLimit);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].url, u"http://collector.example");
  EXPECT_EQ(sent[0].headers, u"Content-Type:application/x-www-form-urlencoded; charset=utf-8\r\n");
  EXPECT_EQ(JoinFields(sent[0].fields),
            "v=2&aid=APP-7&av=6.1.0&cid=C1D&sid={S}&t=lifecycle&qt=1234&lc=start");
  EXPECT_EQ(sent[0].BodyLength(), JoinFields(sent[0].fields).size());
}

TEST(TrackerSend, EachSendStartsFromAnEmptyFieldList) {
  std::vector<FormRequest> sent;
  Tracker tracker(std::make_unique<HttpFormClient>(std::make_unique<testing::RecordingSender>(sent)),
                  u"http://c");
  ParamList first, second;
  first.Add(u"Label", u"one");
  second.Add(u"Value", u"two");
  tracker.Send(first, kNoTimeLimit);
  tracker.Send(second, kNoTimeLimit);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(JoinFields(sent[1].fields), "val=two");
}

}  // namespace
}  // namespace plumeta
