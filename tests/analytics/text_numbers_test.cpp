#include <gtest/gtest.h>

#include <limits>

#include "analytics/guid.h"
#include "analytics/numbers.h"
#include "analytics/text.h"

namespace plumeta {
namespace {

TEST(Text, Utf8RoundTripsEveryPlaneAndReplacesBrokenInput) {
  std::u16string text = u"A\u00E9\u20AC\U0001F600z";
  EXPECT_EQ(ToUtf8(text), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z");
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(FromUtf8("a\xC3"), u"a\uFFFD");
  EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD") << "overlong forms are refused";
  EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD") << "encoded surrogates are refused";
}

TEST(Text, EightBitKeepsCodesUpTo255AndMarksTheRest) {
  EXPECT_EQ(ToEightBit(u"J\u00FCrgen \u00FF"), "J\xFCrgen \xFF");
  EXPECT_EQ(ToEightBit(u"\u20AC\U0001F600."), "??.");
  EXPECT_EQ(FromEightBit("J\xFCrgen"), u"J\u00FCrgen");
}

TEST(Text, CaseIsFoldedForLatinLetters) {
  EXPECT_TRUE(EqualsNoCase(u"Current Session", u"CURRENT session"));
  EXPECT_TRUE(EqualsNoCase(u"\u00E9t\u00E9", u"\u00C9T\u00C9"));
  EXPECT_FALSE(EqualsNoCase(u"\u00F7", u"\u00D7")) << "the division and multiplication signs are not letters";
  EXPECT_FALSE(EqualsNoCase(u"true", u"true "));
  EXPECT_LT(CompareNoCase(u"apple", u"B"), 0);
  EXPECT_GT(CompareNoCase(u"ab", u"A"), 0);
}

TEST(PropertyInt, ReadsDigitsUpToTheFirstNonDigit) {
  EXPECT_EQ(ParsePropertyInt(u"1"), 1);
  EXPECT_EQ(ParsePropertyInt(u"1abc"), 1);
  EXPECT_EQ(ParsePropertyInt(u"-1"), -1);
  EXPECT_EQ(ParsePropertyInt(u"7601"), 7601);
  EXPECT_EQ(ParsePropertyInt(u""), 0);
  EXPECT_EQ(ParsePropertyInt(u"yes"), 0);
  EXPECT_EQ(ParsePropertyInt(u" 1"), 0) << "blanks are not skipped";
  EXPECT_EQ(ParsePropertyInt(u"4294967297"), 1) << "wraps at 32 bits";
}

TEST(PropertyInt, MaximumCountLimitsTheCharactersLookedAt) {
  EXPECT_EQ(ParsePropertyInt(u"601", 1), 6);
  EXPECT_EQ(ParsePropertyInt(u"1", 1), 1);
  EXPECT_EQ(ParsePropertyInt(u"-6", 1), 0) << "the sign is one of the characters looked at";
  EXPECT_EQ(ParsePropertyInt(u"-6", 2), -6);
  EXPECT_EQ(ParsePropertyInt(u"1234", 3), 123);
}

TEST(Int64Text, ReadsAndWritesTheWholeSignedRange) {
  constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  EXPECT_EQ(ParseInt64(u"61000"), 61000);
  EXPECT_EQ(ParseInt64(u"  -42x"), -42);
  EXPECT_EQ(ParseInt64(u"+7"), 7);
  EXPECT_EQ(ParseInt64(u"junk"), 0);
  EXPECT_EQ(ParseInt64(u"-9223372036854775808"), kMin);
  EXPECT_EQ(FormatInt64(kMin), u"-9223372036854775808");
  EXPECT_EQ(FormatInt64(kMax), u"9223372036854775807");
  EXPECT_EQ(FormatInt64(0), u"0");
  EXPECT_EQ(FormatUInt32(4294967295u), u"4294967295");
}

TEST(GuidText, BracedUpperCaseHexInTheGroupsOfAGuid) {
  Guid g{0x0123ABCDu, 0x4E5F, 0x0A0B, {0xC0, 0x01, 0xD0, 0x0D, 0xE1, 0xF2, 0x03, 0x04}};
  EXPECT_EQ(GuidText(g), u"{0123ABCD-4E5F-0A0B-C001-D00DE1F20304}");
  EXPECT_EQ(GuidText(Guid{}).size(), 38u);
  EXPECT_TRUE(IsGuidText(GuidText(g)));
  EXPECT_TRUE(IsGuidText(u"{0123abcd-4e5f-0a0b-c001-d00de1f20304}"));
  EXPECT_FALSE(IsGuidText(u"0123ABCD-4E5F-0A0B-C001-D00DE1F20304"));
  EXPECT_FALSE(IsGuidText(u"{0123ABCD-4E5F-0A0B-C001-D00DE1F2030G}"));
  EXPECT_FALSE(IsGuidText(u"{0123ABCD-4E5F-0A0B+C001-D00DE1F20304}"));
  EXPECT_FALSE(IsGuidText(u""));
}

}  // namespace
}  // namespace plumeta
