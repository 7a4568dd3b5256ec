#include "trial/byte_codec.h"

#include <array>

#include <gtest/gtest.h>

namespace vorsant {
namespace {

TEST(ByteCodec, ReadsAndWritesLittleEndianIntegers) {
  std::array<std::uint8_t, 8> buf{};
  PutI16(buf, 0, -2);
  PutU16(buf, 2, 0x1234);
  PutI32(buf, 4, 9);
  EXPECT_EQ(buf[0], 0xFE);
  EXPECT_EQ(buf[1], 0xFF);
  EXPECT_EQ(buf[2], 0x34);
  EXPECT_EQ(buf[3], 0x12);
  EXPECT_EQ(GetI16(buf, 0), -2);
  EXPECT_EQ(GetU16(buf, 2), 0x1234);
  EXPECT_EQ(GetI32(buf, 4), 9);
}

TEST(ByteCodec, RefusesAccessPastTheEnd) {
  std::array<std::uint8_t, 4> buf{};
  EXPECT_THROW(GetU16(buf, 3), std::out_of_range);
  EXPECT_THROW(GetI32(buf, 1), std::out_of_range);
  EXPECT_THROW(PutU16(buf, 4, 1), std::out_of_range);
  EXPECT_THROW(GetU16(buf, static_cast<std::size_t>(-1)), std::out_of_range);
}

}  // namespace
}  // namespace vorsant
