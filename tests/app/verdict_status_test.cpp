// The frame's one-line verdict: the best law's volume and range, and why the
// report's headline differs when it does.

#include "app/verdict_status.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vorsant::testing {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;

Verdict CakeVerdict(double reportGal) {
  Verdict v;
  v.fit = FitQuality::kGood;
  v.best = FoulingLaw::kCake;
  v.volumeGal = 2695;
  v.hasRange = true;
  v.rangeLowGal = 2400;
  v.reportVolumeGal = reportGal;
  return v;
}

TEST(VerdictStatusLine, NamesTheReportsFigureOnlyWhenItIsMoreThanATenthApart) {
  const std::string far = VerdictStatusLine(CakeVerdict(13268));
  EXPECT_THAT(far, HasSubstr("Cake filtration: 2,700 gal (2,400\u2013no limit)"));
  EXPECT_THAT(far, HasSubstr("; report 13,268 differs: "));
  EXPECT_THAT(far, EndsWith("the report's figure is the power model's."));

  EXPECT_THAT(VerdictStatusLine(CakeVerdict(2900)), Not(HasSubstr("; report")));
  Verdict narrow = CakeVerdict(2900);
  narrow.rangeLowGal = 2690;
  narrow.rangeHighGal = 2700;
  EXPECT_EQ(VerdictStatusLine(narrow), "Cake filtration: 2,700 gal.");
  Verdict power = CakeVerdict(13268);
  power.best = FoulingLaw::kPower;
  EXPECT_THAT(VerdictStatusLine(power), Not(HasSubstr("; report")));
}

}  // namespace
}  // namespace vorsant::testing
