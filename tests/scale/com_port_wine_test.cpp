// The Windows serial port against the balance simulator, through COM ports
// that the Wine prefix maps to the simulator's pseudo-terminals. Run by
// scripts/e2e/scale_com_port.sh, which starts the simulators and names the
// ports in the environment:
//   VORSANT_TEST_COM_PORT         a balance that answers
//   VORSANT_TEST_SILENT_COM_PORT  a balance that never answers
//   VORSANT_TEST_MISSING_COM_PORT a port that does not exist
//   VORSANT_TEST_XOFF_COM_PORT    a balance that holds the line in XOFF
//   VORSANT_TEST_UNMAPPED_PTY_COM_PORT a pseudo-terminal reached through a
//                                 symlink, so not known as one

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "scale/balance.h"
#include "scale/balance_port.h"
#include "scale/com_port.h"

namespace vorsant {
namespace {

std::string PortFromEnvironment(const char* variable) {
  const char* value = std::getenv(variable);
  return value == nullptr ? std::string() : std::string(value);
}

class WineComPort : public ::testing::Test {
 protected:
  void SetUp() override {
    name_ = PortFromEnvironment("VORSANT_TEST_COM_PORT");
    ASSERT_FALSE(name_.empty()) << "run through scripts/e2e/scale_com_port.sh";
    SetBalanceLineSettings(port_);
    port_.SetDeviceName(name_);
  }
  std::string name_;
  TComPort port_;
};

// Wine does not enforce the exclusive sharing mode on serial devices, so a
// second opener is not checked here.
TEST_F(WineComPort, OpensClosesAndOpensAgain) {
  port_.SetActive(true);
  EXPECT_TRUE(port_.Active());
  EXPECT_THROW(port_.SetDeviceName("COM1"), EComError);
  port_.SetActive(false);
  EXPECT_FALSE(port_.Active());
  port_.SetActive(true);
  EXPECT_TRUE(port_.Active());
  port_.SetParity(TParity::paEven);  // an open port takes new line settings at once
  port_.SetParity(TParity::paOdd);
  EXPECT_TRUE(port_.Active());
}

TEST_F(WineComPort, TareAndWeightThroughTheComPort) {
  SendTare(port_);
  EXPECT_FALSE(port_.Active());
  Sleep(300);
  const TWeightReading first = GetWeight(port_);
  ASSERT_FALSE(first.Error) << "[" << first.WeightStr << "]";
  EXPECT_EQ(first.WeightStr.size(), 9u);
  EXPECT_FALSE(port_.Active());
  Sleep(300);
  const TWeightReading second = GetWeight(port_);
  ASSERT_FALSE(second.Error);
  EXPECT_GT(second.WeightVal, first.WeightVal);
}

TEST_F(WineComPort, ReadAnsiLineStopsAtCrAndReopeningDiscardsTheRest) {
  port_.SetActive(true);
  for (char c : kWeightRequest) port_.WriteAnsiChar(c);
  const std::string line = port_.ReadAnsiLine();
  EXPECT_EQ(line.size(), 13u);
  EXPECT_EQ(line.front(), '+');
  EXPECT_EQ(line.back(), '\r');
  EXPECT_EQ(port_.ReadAnsiChar(), '\n');

  for (char c : kWeightRequest) port_.WriteAnsiChar(c);
  Sleep(300);
  port_.SetActive(false);
  port_.SetActive(true);
  EXPECT_EQ(port_.ReadAnsiCharWithin(std::chrono::milliseconds(300)), std::nullopt);
}

TEST(WineComPortFaults, SilentBalanceEndsTheWaitWithAnError) {
  const std::string name = PortFromEnvironment("VORSANT_TEST_SILENT_COM_PORT");
  ASSERT_FALSE(name.empty());
  TComPort port;
  SetBalanceLineSettings(port);
  port.SetDeviceName(name);
  const auto start = std::chrono::steady_clock::now();
  const TWeightReading r = GetWeight(port, std::chrono::milliseconds(500));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(r.Error);
  EXPECT_FALSE(port.Active());
  EXPECT_LT(waited, std::chrono::seconds(3));
  // The abandoned read leaves the port usable.
  port.SetActive(true);
  EXPECT_TRUE(port.Active());
}

TEST(WineComPortFaults, LineHeldInXoffEndsTheExchangeWithATimeout) {
  const std::string name = PortFromEnvironment("VORSANT_TEST_XOFF_COM_PORT");
  ASSERT_FALSE(name.empty());
  TComPort port;
  SetBalanceLineSettings(port);
  port.SetDeviceName(name);
  const auto start = std::chrono::steady_clock::now();
  try {
    GetWeight(port);
    FAIL() << "a weight request went out on a line held in XOFF";
  } catch (const EComError& e) {
    EXPECT_STREQ(e.what(), "Timeout");
    EXPECT_EQ(e.ErrorCode(), 0);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
  EXPECT_FALSE(port.Active());
}

// What a real port that cannot take 7 bits and odd parity does: the open
// fails with the system's error instead of running on at its old framing.
TEST(WineComPortFaults, RefusedFramingOnAPortNotKnownAsAPseudoTerminalIsRaised) {
  const std::string name = PortFromEnvironment("VORSANT_TEST_UNMAPPED_PTY_COM_PORT");
  ASSERT_FALSE(name.empty());
  TComPort port;
  SetBalanceLineSettings(port);
  port.SetDeviceName(name);
  try {
    port.SetActive(true);
    FAIL() << "opened " << name << " at a framing it refuses";
  } catch (const EComError& e) {
    EXPECT_EQ(e.ErrorCode(), ERROR_INVALID_PARAMETER);
    EXPECT_STRNE(e.what(), "");
    std::printf("refused framing: %d %s\n", e.ErrorCode(), e.what());
  }
  EXPECT_FALSE(port.Active());
}

TEST(WineComPortFaults, MissingPortRaisesTheSystemError) {
  const std::string name = PortFromEnvironment("VORSANT_TEST_MISSING_COM_PORT");
  ASSERT_FALSE(name.empty());
  TComPort port;
  port.SetDeviceName(name);
  try {
    port.SetActive(true);
    FAIL() << "opened " << name;
  } catch (const EComError& e) {
    EXPECT_EQ(e.ErrorCode(), ERROR_FILE_NOT_FOUND);
    EXPECT_STRNE(e.what(), "");
    std::printf("missing port: %d %s\n", e.ErrorCode(), e.what());
  }
  EXPECT_FALSE(port.Active());
}

}  // namespace
}  // namespace vorsant
