#include <gtest/gtest.h>

#include "scale/density_check.h"
#include "scale/point_texts.h"

namespace vorsant {
namespace {

TEST(MakePointTexts, FormatsVolumeMinutesAndSeconds) {
  const PointTexts t = MakePointTexts(12.3, 307.0);
  EXPECT_EQ(t.V, "  12.3");
  EXPECT_EQ(t.M, "  5");
  EXPECT_EQ(t.Sc, "07");
}

TEST(MakePointTexts, SecondsAreRoundedAfterTheMinutesWereTruncated) {
  const PointTexts t = MakePointTexts(1.0, 119.6);
  EXPECT_EQ(t.M, "  1");
  EXPECT_EQ(t.Sc, "60");
  EXPECT_EQ(MakePointTexts(1.0, 119.4).Sc, "59");
  EXPECT_EQ(MakePointTexts(1.0, 0.2).Sc, "00");
}

TEST(MakePointTexts, VolumeTooWideIsCutToItsFirstSixCharacters) {
  EXPECT_EQ(MakePointTexts(9999.94, 15).V, "9999.9");
  EXPECT_EQ(MakePointTexts(12345.67, 15).V, "12345.");
}

TEST(MakePointTexts, LongRunKeepsThreeDigitMinutes) {
  EXPECT_EQ(MakePointTexts(1.0, 8640.3).M, "144");
  EXPECT_EQ(MakePointTexts(1.0, 8640.3).Sc, "00");
}

TEST(CountdownText, CountsWholeMinutesAndSecondsRoundedUp) {
  EXPECT_EQ(CountdownText(9.3), " 0:10");
  EXPECT_EQ(CountdownText(8.5), " 0:09");
  EXPECT_EQ(CountdownText(75.2), " 1:16");
  EXPECT_EQ(CountdownText(0.4), " 0:01");
  // The last second of a minute carries into the minutes.
  EXPECT_EQ(CountdownText(239.5), " 4:00");
  EXPECT_EQ(CountdownText(60.0), " 1:01");
}

TEST(RangeCheck, AcceptsAndReformatsDensitiesFromPointOneToTwo) {
  EXPECT_EQ(RangeCheck("1"), "1.0000");
  EXPECT_EQ(RangeCheck("0.995"), "0.9950");
  EXPECT_EQ(RangeCheck(" 0.1"), "0.1000");
  EXPECT_EQ(RangeCheck("2"), "2.0000");
  EXPECT_EQ(RangeCheck("1.23456"), "1.2346");
}

TEST(RangeCheck, RefusesWhatIsNoNumberOrOutOfRange) {
  EXPECT_EQ(RangeCheck("2.5"), std::nullopt);
  EXPECT_EQ(RangeCheck("0.09"), std::nullopt);
  EXPECT_EQ(RangeCheck("abc"), std::nullopt);
  EXPECT_EQ(RangeCheck(""), std::nullopt);
  EXPECT_EQ(RangeCheck("1,0"), std::nullopt);
  EXPECT_EQ(RangeCheck("1 "), std::nullopt);
}

}  // namespace
}  // namespace vorsant
