#include "trial/cp1252.h"

#include <gtest/gtest.h>

namespace vorsant {
namespace {

TEST(Cp1252, DecodesEveryByteToOneCharacter) {
  EXPECT_EQ(Windows1252ToUtf8("Ros\xE9 \x97 \x80"), "Ros\u00E9 \u2014 \u20AC");
  EXPECT_EQ(Windows1252ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(Windows1252ToUtf8("\x81\x9D"), "\u0081\u009D");  // unassigned bytes
  // Every byte survives a round trip.
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
}

TEST(Cp1252, ReplacesWhatTheCodePageCannotHold) {
  EXPECT_EQ(Utf8ToWindows1252("Gew\u00FCrztraminer \u2013 \u20AC5"),
            "Gew\xFCrztraminer \x96 \x80"
            "5");
  EXPECT_EQ(Utf8ToWindows1252("\u65E5\u672C"), "??");
  EXPECT_EQ(Utf8ToWindows1252("\xF0\x9F\x8D\xB7"), "?");  // outside the page
  EXPECT_EQ(Utf8ToWindows1252("a\xFF"
                              "b"),
            "a?b");                                  // not UTF-8
  EXPECT_EQ(Utf8ToWindows1252("\xC0\xAF"), "?");     // overlong
  EXPECT_EQ(Utf8ToWindows1252("x\xE2\x80"), "x??");  // cut short
}

}  // namespace
}  // namespace vorsant
