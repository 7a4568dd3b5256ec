#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "scale/balance.h"
#include "scale/balance_port.h"
#include "scale/balance_protocol.h"
#include "tests/scale/scripted_balance.h"

namespace vorsant {
namespace {

using testing::FakeClock;
using testing::ScriptedBalancePort;

TEST(ParseWeightReply, NegativeSignAppliesToARightAlignedNumber) {
  const TWeightReading r = ParseWeightReply("-      0.5 g\r");
  EXPECT_FALSE(r.Error);
  EXPECT_DOUBLE_EQ(r.WeightVal, -0.5);
  EXPECT_EQ(r.WeightStr, "      0.5");
}

TEST(ParseWeightReply, PlusOrBlankSignIsPositive) {
  EXPECT_DOUBLE_EQ(ParseWeightReply("+   123.45 g\r").WeightVal, 123.45);
  EXPECT_DOUBLE_EQ(ParseWeightReply("    123.45 g\r").WeightVal, 123.45);
  EXPECT_DOUBLE_EQ(ParseWeightReply("+      1E2\r").WeightVal, 100.0);
}

TEST(ParseWeightReply, BlankOrUnitInsidePositionsTwoToTenIsNoNumber) {
  EXPECT_TRUE(ParseWeightReply("+123.45 g  \r").Error);
  EXPECT_TRUE(ParseWeightReply("+  123.45 \r").Error);
  EXPECT_TRUE(ParseWeightReply("+   12,345\r").Error);
}

TEST(ParseWeightReply, ShortRepliesAreUnreadable) {
  const TWeightReading bare = ParseWeightReply("\r");
  EXPECT_TRUE(bare.Error);
  EXPECT_EQ(bare.WeightStr, "");
  // The CR falls inside positions 2..10.
  const TWeightReading shortOne = ParseWeightReply("+  12.5\r");
  EXPECT_TRUE(shortOne.Error);
  EXPECT_EQ(shortOne.WeightStr, "  12.5\r");
  EXPECT_TRUE(ParseWeightReply("").Error);
}

TEST(ParseWeightReply, MinusSignIsNotAppliedToANonNumber) {
  const TWeightReading r = ParseWeightReply("-   abc.de g\r");
  EXPECT_TRUE(r.Error);
  EXPECT_EQ(r.WeightVal, 0.0);
}

TEST(BalanceCommands, AreTheThreeBytesOfEachCommand) {
  EXPECT_EQ(std::string(kTareCommand.begin(), kTareCommand.end()), std::string({27, 84, 13}));
  EXPECT_EQ(std::string(kWeightRequest.begin(), kWeightRequest.end()), std::string({27, 80, 13}));
}

struct ExchangeFixture : ::testing::Test {
  FakeClock clock;
  ScriptedBalancePort port{clock};
};

TEST_F(ExchangeFixture, GetWeightOpensRequestsReadsOneLineAndCloses) {
  port.replyAt = [](double) { return std::string("+    42.10 g\r\n+    99.99 g\r"); };
  const TWeightReading r = GetWeight(port);
  EXPECT_FALSE(r.Error);
  EXPECT_DOUBLE_EQ(r.WeightVal, 42.10);
  EXPECT_EQ(port.commands, std::vector<std::string>({std::string({27, 'P', 13})}));
  EXPECT_EQ(port.opens, 1);
  EXPECT_FALSE(port.Active());
}

TEST_F(ExchangeFixture, TareSendsItsCommandAndReadsNothing) {
  SendTare(port);
  EXPECT_EQ(port.commands, std::vector<std::string>({std::string({27, 'T', 13})}));
  EXPECT_EQ(port.requests, 0);
  EXPECT_FALSE(port.Active());
}

TEST_F(ExchangeFixture, SilentOrCutShortReplyIsAnErrorNotAHang) {
  port.replyAt = [](double) { return std::nullopt; };
  EXPECT_TRUE(GetWeight(port).Error);
  port.replyAt = [](double) { return std::string("+    42.10"); };  // no CR ever comes
  const TWeightReading r = GetWeight(port);
  EXPECT_TRUE(r.Error);
  EXPECT_EQ(r.WeightStr, "    42.10");
  EXPECT_FALSE(port.Active());
}

TEST_F(ExchangeFixture, EndlessLineWithoutCrIsCutOff) {
  port.replyAt = [](double) { return std::string(10000, '7'); };
  EXPECT_TRUE(GetWeight(port).Error);
}

TEST_F(ExchangeFixture, PortThatCannotOpenRaisesItsSystemError) {
  port.failOnOpen = 1;
  try {
    GetWeight(port);
    FAIL() << "no error raised";
  } catch (const EComError& e) {
    EXPECT_EQ(e.ErrorCode(), 2);
  }
  EXPECT_FALSE(port.Active());
}

TEST(BalancePort, StartUpSetsTheBalanceLineAndTheDeviceName) {
  TComPort port;
  ConfigureScalePort(port, 3);
  EXPECT_EQ(port.DeviceName(), "COM3");
  EXPECT_EQ(port.BaudRate(), TBaudRate::br1200);
  EXPECT_EQ(port.DataBits(), TDataBits::db7);
  EXPECT_EQ(port.Parity(), TParity::paOdd);
  EXPECT_EQ(port.StopBits(), TStopBits::sb1);
  EXPECT_EQ(ComDeviceName(12), "COM12");
}

}  // namespace
}  // namespace vorsant
