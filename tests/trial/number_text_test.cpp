#include <string>

#include <gtest/gtest.h>

#include "trial/number_text.h"

namespace vorsant {
namespace {

TEST(ParseDecimal, ReadsTheDecimalGrammar) {
  EXPECT_EQ(ParseDecimal("30"), 30.0);
  EXPECT_EQ(ParseDecimal("  12.5"), 12.5);
  EXPECT_EQ(ParseDecimal("\t7"), 7.0);
  EXPECT_EQ(ParseDecimal("+4.25"), 4.25);
  EXPECT_EQ(ParseDecimal("-0.123"), -0.123);
  EXPECT_EQ(ParseDecimal("1e3"), 1000.0);
  EXPECT_EQ(ParseDecimal("2.5E-2"), 0.025);
  EXPECT_EQ(ParseDecimal("1.5e+2"), 150.0);
  EXPECT_EQ(ParseDecimal(" -0"), 0.0);
  EXPECT_EQ(ParseDecimal("000012.50"), 12.5);
}

TEST(ParseDecimal, RefusesAnythingElse) {
  for (const char* text :
       {"",   " ",  "   ", "12,5", "30 ", "12.5x", "abc",  "1.2.3", "--1", "+",     "-",
        ".5", "5.", "1e",  "1e+",  "e5",  "1 000", "0x10", "inf",   "nan", "1e999", " + 1"}) {
    EXPECT_FALSE(ParseDecimal(text).has_value()) << '"' << text << '"';
  }
}

TEST(ParseDecimal, ReadsOnlyTheGivenCharacters) {
  const std::string text = "12.5junk";
  EXPECT_EQ(ParseDecimal(std::string_view(text).substr(0, 4)), 12.5);
}

TEST(NumberOr0, ReadsFailuresAsZero) {
  EXPECT_EQ(NumberOr0(" 30.0"), 30.0);
  EXPECT_EQ(NumberOr0(""), 0.0);
  EXPECT_EQ(NumberOr0("  "), 0.0);
  EXPECT_EQ(NumberOr0("x1"), 0.0);
}

TEST(ParseStoredNumber, AlsoReadsDigitsCutAtTheirPoint) {
  EXPECT_EQ(ParseStoredNumber("11542."), 11542.0);
  EXPECT_EQ(ParseStoredNumber(" -1234."), -1234.0);
  EXPECT_EQ(ParseStoredNumber("  12.50"), 12.5);
  EXPECT_EQ(ParseStoredNumber("1.5e+2"), 150.0);
  for (const char* text : {"", "      ", ".", " .", "-.", "1.2.", "5.e3", "5. ", "> 1E15"}) {
    EXPECT_FALSE(ParseStoredNumber(text).has_value()) << '"' << text << '"';
  }
  EXPECT_EQ(StoredNumberOr0("> 1E15"), 0.0);
}

TEST(Fixed, RoundsPadsAndNeverCuts) {
  EXPECT_EQ(Fixed(12.5, 5, 3), "12.500");
  EXPECT_EQ(Fixed(-0.123, 5, 3), "-0.123");
  EXPECT_EQ(Fixed(0.39625, 4, 1), " 0.4");
  EXPECT_EQ(Fixed(1435.45, 6, 2), "1435.45");
  EXPECT_EQ(Fixed(5000, 6, 0), "  5000");
  EXPECT_EQ(Fixed(998.6, 3, 0), "999");
  EXPECT_EQ(Fixed(0.00288, 5, 3), "0.003");
  EXPECT_EQ(Fixed(7, 0, 0), "7");
  EXPECT_EQ(Fixed(1e20, 4, 0), "100000000000000000000");
}

TEST(Fixed, RoundsTheDecimalFormHalfAwayFromZero) {
  EXPECT_EQ(Fixed(7.25, 0, 1), "7.3");
  EXPECT_EQ(Fixed(-7.25, 0, 1), "-7.3");
  EXPECT_EQ(Fixed(0.15, 0, 1), "0.2");
  EXPECT_EQ(Fixed(2.5, 0, 0), "3");
  EXPECT_EQ(Fixed(0.5, 0, 0), "1");
  EXPECT_EQ(Fixed(1.2345, 0, 3), "1.235");
  EXPECT_EQ(Fixed(0.1449999, 0, 2), "0.14");
  EXPECT_EQ(Fixed(99.95, 0, 1), "100.0");
  EXPECT_EQ(Fixed(999.96, 0, 1), "1000.0");
  EXPECT_EQ(Fixed(9.5, 0, 0), "10");
  EXPECT_EQ(Fixed(1e-7, 0, 3), "0.000");
  EXPECT_EQ(Fixed(123, 0, 2), "123.00");
  EXPECT_EQ(Fixed(4.9e-324, 0, 1), "0.0");
  EXPECT_EQ(Fixed(1.7976931348623157e308, 0, 0).size(), 309u);
}

TEST(Fixed, ValuesThatRoundToZeroHaveNoSign) {
  EXPECT_EQ(Fixed(-0.0, 3, 0), "  0");
  EXPECT_EQ(Fixed(-0.04, 4, 1), " 0.0");
  EXPECT_EQ(Fixed(-0.05001, 4, 1), "-0.1");
}

TEST(Grouped, GroupsThousandsWithTheGivenSeparator) {
  EXPECT_EQ(Grouped(1234567, ","), "1,234,567");
  EXPECT_EQ(Grouped(1234567, "."), "1.234.567");
  EXPECT_EQ(Grouped(1234567.4, "\xA0"),
            "1\xA0"
            "234\xA0"
            "567");
  EXPECT_EQ(Grouped(999, ","), "999");
  EXPECT_EQ(Grouped(999.7, ","), "1,000");
  EXPECT_EQ(Grouped(0.3, ","), "0");
  EXPECT_EQ(Grouped(123456, ","), "123,456");
  EXPECT_EQ(Grouped(999999999999.0, ","), "999,999,999,999");
  EXPECT_EQ(Grouped(-1234, ","), "-1,234");
}

TEST(LocaleThousandsSeparator, GivesAUsableSeparator) {
  const std::string sep = LocaleThousandsSeparator();
  ASSERT_FALSE(sep.empty());
  EXPECT_LE(sep.size(), 4u);
  EXPECT_EQ(sep.find_first_of("0123456789"), std::string::npos);
}

}  // namespace
}  // namespace vorsant
