#include <gtest/gtest.h>

#include "analytics/param_list.h"
#include "test_support.h"

namespace plumeta {
namespace {

using Pairs = std::vector<std::pair<std::u16string, std::u16string>>;

Pairs Flatten(const ParamList& list) {
  Pairs out;
  for (const Param& p : list.items()) out.emplace_back(p.name, p.value);
  return out;
}

Pairs ParamsOf(const Hit& hit) {
  ParamList list;
  HitParamWriter writer(list);
  hit.Accept(writer);
  return Flatten(list);
}

HitStamp Stamp() {
  return {u"{ID}", 4242};
}

TEST(HitParams, EachClassListsTypeCommonPartThenItsOwnParametersInOrder) {
  const Pairs common = {{u"Activity ID", u"{ID}"}, {u"Queue Time", u"4242"}, {u"Content Description", u""}};
  auto expect = [&](std::u16string type, Pairs own) {
    Pairs all{{u"Hit Type", type}};
    all.insert(all.end(), common.begin(), common.end());
    all.insert(all.end(), own.begin(), own.end());
    return all;
  };
  EXPECT_EQ(ParamsOf(LifecycleHit(Stamp(), u"end", u"success")),
            expect(u"lifecycle", {{u"Life control", u"end"}, {u"Life status", u"success"}}));
  EXPECT_EQ(ParamsOf(InstallTypeHit(Stamp(), u"install")), expect(u"installtype", {{u"Value", u"install"}}));
  EXPECT_EQ(ParamsOf(PropertyHit(Stamp(), u"ADDLOCAL", u"Main")),
            expect(u"property", {{u"Label", u"ADDLOCAL"}, {u"Value", u"Main"}}));
  EXPECT_EQ(ParamsOf(ScreenViewHit(Stamp(), u"WelcomeDlg")),
            expect(u"screenview", {{u"Label", u"WelcomeDlg"}}));
  EXPECT_EQ(ParamsOf(ExceptionHit(Stamp(), u"InstallFiles", u"Error 1305", true)),
            expect(u"exception", {{u"Exception Description", u"InstallFiles"},
                                  {u"Exception Details", u"Error 1305"},
                                  {u"Exception Fatal", u"1"}}));
  EXPECT_EQ(ParamsOf(ExceptionHit(Stamp(), u"", u"", false)).back().second, u"0");
}

TEST(HitParams, QueueTimeIsTheCreationTickWithItsUpperHalfZero) {
  testing::FakeClock clock;
  testing::CountingGuids guids;
  clock.tick = 0xFFFFFFFFu;
  LifecycleHit hit(NewHitStamp(clock, guids), u"start", u"");
  EXPECT_EQ(hit.CreationTick(), 0xFFFFFFFFull);
  EXPECT_EQ(ParamsOf(hit)[2], (std::pair<std::u16string, std::u16string>{u"Queue Time", u"4294967295"}));
  EXPECT_EQ(hit.ActivityId(), u"{00000001-0000-0000-0000-000000000000}");
}

TEST(HitParams, HitsMadeWithinOneTickHaveDifferentActivityIds) {
  testing::FakeClock clock;
  auto guids = MakeSystemGuidSource();
  HitStamp first = NewHitStamp(clock, *guids);
  HitStamp second = NewHitStamp(clock, *guids);
  EXPECT_EQ(first.creationTick, second.creationTick);
  EXPECT_NE(first.activityId, second.activityId);
  EXPECT_EQ(first.activityId.size(), 38u);
}

TEST(HitParams, SessionMarksAndContentDescription) {
  LifecycleHit hit(Stamp(), u"start", u"");
  EXPECT_FALSE(hit.StartsSession());
  EXPECT_FALSE(hit.EndsSession());
  hit.MarkSessionStart();
  EXPECT_TRUE(hit.StartsSession());
  hit.MarkSessionEnd();
  EXPECT_TRUE(hit.EndsSession());
  EXPECT_FALSE(hit.StartsSession());

  EXPECT_FALSE(hit.SetContentDescription(u""));
  EXPECT_TRUE(hit.SetContentDescription(u"Welcome"));
  EXPECT_FALSE(hit.SetContentDescription(u"Welcome"));
  EXPECT_TRUE(hit.SetContentDescription(u"WELCOME")) << "the comparison is exact";
  EXPECT_EQ(hit.ContentDescription(), u"WELCOME");
}

TEST(WireKeys, TableLookupIsExactAndCaseSensitive) {
  EXPECT_EQ(WireKey(u"Protocol Version"), u"v");
  EXPECT_EQ(WireKey(u"Exception Details"), u"exdt");
  EXPECT_EQ(WireKey(u"Life control"), u"lc");
  EXPECT_EQ(WireKey(u"Value"), u"val");
  EXPECT_EQ(WireKey(u"Life Control"), u"") << "differs only in case";
  EXPECT_EQ(WireKey(u"value"), u"");
  EXPECT_EQ(WireKey(u"Activity ID"), u"");
  EXPECT_EQ(WireKey(u"Content Description"), u"");
  EXPECT_EQ(WireKey(u"Hit Type "), u"");
}

TEST(WireKeys, FormFieldsDropUnknownNamesAndEmptyValuesKeepingOrder) {
  ParamList list;
  list.Add(u"Hit Type", u"property");
  list.Add(u"Activity ID", u"{X}");
  list.Add(u"Label", u"REMOVE");
  list.Add(u"Value", u"");
  list.Add(u"label", u"lower case");
  list.Add(u"Label", u"again");
  FormFields expected = {{u"t", u"property"}, {u"lb", u"REMOVE"}, {u"lb", u"again"}};
  EXPECT_EQ(ToFormFields(list), expected);
}

TEST(WireKeys, ExceptionWithEmptyDetailsSendsDescriptionAndFatalOnly) {
  ParamList list;
  HitParamWriter writer(list);
  ExceptionHit(Stamp(), u"CostFinalize", u"", false).Accept(writer);
  FormFields fields = ToFormFields(list);
  FormFields expected = {{u"t", u"exception"}, {u"qt", u"4242"}, {u"exd", u"CostFinalize"}, {u"exf", u"0"}};
  EXPECT_EQ(fields, expected);
}

}  // namespace
}  // namespace plumeta
