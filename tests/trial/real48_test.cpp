#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "trial/wine_rec.h"

namespace vorsant {
namespace {

Real48 Bytes(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4,
             std::uint8_t b5) {
  return Real48{{b0, b1, b2, b3, b4, b5}};
}

TEST(Real48, EncodesTheDocumentedExamples) {
  EXPECT_EQ(Real48::FromDouble(1.0), Bytes(0x81, 0, 0, 0, 0, 0));
  EXPECT_EQ(Real48::FromDouble(-1.0), Bytes(0x81, 0, 0, 0, 0, 0x80));
  EXPECT_EQ(Real48::FromDouble(0.5), Bytes(0x80, 0, 0, 0, 0, 0));
  EXPECT_EQ(Real48::FromDouble(3.0e11), Bytes(0xA7, 0x00, 0x70, 0xC9, 0xB2, 0x0B));
  EXPECT_EQ(Real48::FromDouble(0.0), Bytes(0, 0, 0, 0, 0, 0));
}

TEST(Real48, DecodesTheDocumentedExamples) {
  EXPECT_EQ(Bytes(0x81, 0, 0, 0, 0, 0).Value(), 1.0);
  EXPECT_EQ(Bytes(0x81, 0, 0, 0, 0, 0x80).Value(), -1.0);
  EXPECT_EQ(Bytes(0x80, 0, 0, 0, 0, 0).Value(), 0.5);
  EXPECT_EQ(Bytes(0xA7, 0x00, 0x70, 0xC9, 0xB2, 0x0B).Value(), 3.0e11);
}

TEST(Real48, ZeroExponentReadsAsZeroWhateverFollows) {
  EXPECT_EQ(Bytes(0, 0, 0, 0, 0, 0).Value(), 0.0);
  EXPECT_EQ(Bytes(0, 0xFF, 0x12, 0x34, 0x56, 0xFF).Value(), 0.0);
}

TEST(Real48, ValuesWithFortySignificantBitsSurviveARoundTrip) {
  const double values[] = {3.14159,     -2.718281828, 1e-30,    6.02e23,
                           123456789.0, 0.1,          -7.5e-12, 1.0 + std::ldexp(1.0, -39),
                           1.43545e12,  5.51584e12};
  for (double v : values) {
    const auto r = Real48::FromDouble(v);
    ASSERT_TRUE(r.has_value()) << v;
    // Rounding at the 40th bit: relative error at most half a unit there.
    EXPECT_NEAR(r->Value(), v, std::fabs(v) * std::ldexp(1.0, -40)) << v;
    EXPECT_EQ(Real48::FromDouble(r->Value()), r) << v;
  }
}

TEST(Real48, RoundsToNearestWithTiesAwayFromZero) {
  const double ulp = std::ldexp(1.0, -39);  // last fraction bit at exponent 0
  // Exactly half a unit: away from zero, on both signs.
  EXPECT_EQ(Real48::FromDouble(1.0 + ulp / 2)->Value(), 1.0 + ulp);
  EXPECT_EQ(Real48::FromDouble(-(1.0 + ulp / 2))->Value(), -(1.0 + ulp));
  // Also for an even last bit, where ties-to-even would go down.
  EXPECT_EQ(Real48::FromDouble(1.0 + 2 * ulp + ulp / 2)->Value(), 1.0 + 3 * ulp);
  // Below and above half a unit.
  EXPECT_EQ(Real48::FromDouble(1.0 + ulp / 4)->Value(), 1.0);
  EXPECT_EQ(Real48::FromDouble(1.0 + ulp * 3 / 4)->Value(), 1.0 + ulp);
  // Rounding up out of the fraction carries into the exponent.
  EXPECT_EQ(Real48::FromDouble(2.0 - ulp / 2), Bytes(0x82, 0, 0, 0, 0, 0));
}

TEST(Real48, LimitsOfTheExponent) {
  const double largest = std::ldexp(2.0 - std::ldexp(1.0, -39), 126);
  const auto top = Real48::FromDouble(largest);
  ASSERT_TRUE(top.has_value());
  EXPECT_EQ(top->bytes[0], 255);
  EXPECT_EQ(top->Value(), largest);
  EXPECT_FALSE(Real48::FromDouble(std::ldexp(1.0, 127)).has_value());
  EXPECT_FALSE(Real48::FromDouble(-std::ldexp(1.0, 127)).has_value());
  // Just below 2^127, rounding pushes the exponent past the top.
  EXPECT_FALSE(Real48::FromDouble(std::ldexp(2.0 - std::ldexp(1.0, -45), 126)).has_value());

  const auto smallest = Real48::FromDouble(std::ldexp(1.0, -128));
  ASSERT_TRUE(smallest.has_value());
  EXPECT_EQ(smallest, Bytes(1, 0, 0, 0, 0, 0));
  // Biased exponent 0 or less: six zero bytes, also for negative values.
  EXPECT_EQ(Real48::FromDouble(std::ldexp(1.5, -129)), Bytes(0, 0, 0, 0, 0, 0));
  EXPECT_EQ(Real48::FromDouble(-1e-300), Bytes(0, 0, 0, 0, 0, 0));
  // Rounding decides the exponent: this one rounds up to 2^-128.
  EXPECT_EQ(Real48::FromDouble(std::ldexp(2.0 - std::ldexp(1.0, -45), -129)), Bytes(1, 0, 0, 0, 0, 0));
}

TEST(Real48, RefusesValuesThatAreNotFinite) {
  EXPECT_FALSE(Real48::FromDouble(INFINITY).has_value());
  EXPECT_FALSE(Real48::FromDouble(-INFINITY).has_value());
  EXPECT_FALSE(Real48::FromDouble(NAN).has_value());
}

}  // namespace
}  // namespace vorsant
