// TComPort on a real pseudo-terminal with the balance simulator on the other
// end, served from a thread of the test.

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>
#include <thread>

#include "scale/balance.h"
#include "scale/balance_port.h"
#include "scale/com_port.h"
#include "tools/balance_sim/pseudo_terminal.h"
#include "tools/balance_sim/simulated_balance.h"

namespace vorsant {
namespace {

using SteadyClock = std::chrono::steady_clock;

double SimulatorNow() {
  static const SteadyClock::time_point origin = SteadyClock::now();
  return std::chrono::duration<double>(SteadyClock::now() - origin).count();
}

class PtyBalance : public ::testing::Test {
 protected:
  void Start(sim::BalanceFaults faults = {}) {
    balance_ = std::make_unique<sim::SimulatedBalance>(sim::FiltrationCurve{}, faults, 100.0);
    server_ = std::thread([this] { sim::ServeBalance(pty_, *balance_, stop_, SimulatorNow); });
    SetBalanceLineSettings(port_);
    port_.SetDeviceName(pty_.SlavePath());
  }
  void TearDown() override {
    port_.SetActive(false);
    stop_ = true;
    if (server_.joinable()) server_.join();
  }
  // The simulator works on its own thread: wait for it to catch up.
  template <typename Condition>
  bool Eventually(Condition done) {
    const auto until = SteadyClock::now() + std::chrono::seconds(2);
    while (!done()) {
      if (SteadyClock::now() > until) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  sim::PseudoTerminal pty_;
  std::unique_ptr<sim::SimulatedBalance> balance_;
  std::atomic<bool> stop_{false};
  std::thread server_;
  TComPort port_;
};

TEST_F(PtyBalance, OpenPutsTheBalanceLineOnTheDeviceAndHoldsItExclusively) {
  Start();
  port_.SetActive(true);
  port_.SetActive(true);  // already open: nothing happens
  EXPECT_TRUE(port_.Active());
  // A pseudo-terminal keeps the speed and the odd-parity flag (not the 7 bits).
  const sim::PseudoTerminal::LineSettings line = pty_.ReadLineSettings();
  EXPECT_EQ(line.Baud, 1200u);
  EXPECT_TRUE(line.ParityOdd);
  EXPECT_TRUE(line.Raw);

  TComPort second;
  second.SetDeviceName(pty_.SlavePath());
  try {
    second.SetActive(true);
    FAIL() << "a second opener got the port";
  } catch (const EComError& e) {
    EXPECT_EQ(e.ErrorCode(), EBUSY);
  }
  EXPECT_FALSE(second.Active());

  try {
    port_.SetDeviceName("/dev/null");
    FAIL() << "device name changed on an open port";
  } catch (const EComError& e) {
    EXPECT_STREQ(e.what(), "Can't perform this operation on an open port");
    EXPECT_EQ(e.ErrorCode(), 0);
  }
  EXPECT_EQ(port_.DeviceName(), pty_.SlavePath());
}

TEST_F(PtyBalance, ParityChangeReachesAnOpenDeviceAtOnceAndAClosedOneAtTheNextOpen) {
  Start();
  port_.SetActive(true);
  port_.SetParity(TParity::paEven);
  EXPECT_FALSE(pty_.ReadLineSettings().ParityOdd);
  port_.SetActive(false);
  port_.SetParity(TParity::paOdd);
  EXPECT_FALSE(pty_.ReadLineSettings().ParityOdd);
  port_.SetActive(true);
  EXPECT_TRUE(pty_.ReadLineSettings().ParityOdd);
}

TEST_F(PtyBalance, TareThenWeightFromTheSimulatedBalance) {
  Start();
  SendTare(port_);
  EXPECT_FALSE(port_.Active());
  ASSERT_TRUE(Eventually([&] { return balance_->Tares() == 1; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const TWeightReading first = GetWeight(port_);
  ASSERT_FALSE(first.Error) << first.WeightStr;
  EXPECT_FALSE(port_.Active());
  EXPECT_EQ(first.WeightStr.size(), 9u);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const TWeightReading second = GetWeight(port_);
  ASSERT_FALSE(second.Error);
  // Filtrate keeps coming: about 5 g a second on the default curve.
  EXPECT_GT(second.WeightVal, first.WeightVal);
  EXPECT_LT(second.WeightVal, 20.0);
  EXPECT_EQ(balance_->Requests(), 2);
}

TEST_F(PtyBalance, TareWrittenJustBeforeTheNextOpenStillReachesTheBalance) {
  Start();
  for (int i = 0; i < 20; ++i) {
    SendTare(port_);
    EXPECT_FALSE(GetWeight(port_).Error) << "exchange " << i;
  }
  EXPECT_TRUE(Eventually([&] { return balance_->Tares() == 20; })) << balance_->Tares() << " tares arrived";
}

TEST_F(PtyBalance, ReadAnsiLineStopsAtCrAndTheNextOpenDiscardsTheRest) {
  Start();
  port_.SetActive(true);
  for (char c : kWeightRequest) port_.WriteAnsiChar(c);
  const std::string line = port_.ReadAnsiLine();
  EXPECT_EQ(line.size(), 13u);
  EXPECT_EQ(line.front(), '+');
  EXPECT_EQ(line.back(), '\r');
  // The LF after the CR is still waiting in the device.
  EXPECT_EQ(port_.ReadAnsiChar(), '\n');

  for (char c : kWeightRequest) port_.WriteAnsiChar(c);
  ASSERT_TRUE(Eventually([&] { return balance_->Requests() == 2; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  port_.SetActive(false);
  port_.SetActive(true);
  EXPECT_EQ(port_.ReadAnsiCharWithin(std::chrono::milliseconds(200)), std::nullopt);
}

TEST_F(PtyBalance, SilentBalanceGivesAnErrorAfterTheBoundedWait) {
  sim::BalanceFaults faults;
  faults.SilentAfter = 0;
  Start(faults);
  const auto start = SteadyClock::now();
  const TWeightReading r = GetWeight(port_, std::chrono::milliseconds(300));
  const auto waited = SteadyClock::now() - start;
  EXPECT_TRUE(r.Error);
  EXPECT_FALSE(port_.Active());
  EXPECT_GE(waited, std::chrono::milliseconds(290));
  EXPECT_LT(waited, std::chrono::seconds(2));
}

TEST_F(PtyBalance, GarbageReplyIsAnUnreadableReading) {
  sim::BalanceFaults faults;
  faults.GarbageAfter = 0;
  Start(faults);
  EXPECT_TRUE(GetWeight(port_).Error);
}

TEST_F(PtyBalance, ReadShorterThanAskedWithinTheTimeLimitsIsATimeout) {
  Start();
  TComTimeouts timeouts;
  timeouts.ReadConstant = 100;
  port_.SetTimeouts(timeouts);
  port_.SetActive(true);
  char buffer[4];
  try {
    port_.Read(buffer, sizeof buffer, true);
    FAIL() << "read returned without its bytes";
  } catch (const EComError& e) {
    EXPECT_STREQ(e.what(), "Timeout");
    EXPECT_EQ(e.ErrorCode(), 0);
  }
  EXPECT_EQ(port_.Write("\x1bP\r", 3, true), 3u);
  char reply[14];
  EXPECT_EQ(port_.Read(reply, sizeof reply, true), 14u);
  EXPECT_EQ(reply[13], '\n');
}

TEST_F(PtyBalance, LineHeldInXoffEndsTheExchangeWithATimeout) {
  Start();
  pty_.HoldInXoff();
  const auto start = SteadyClock::now();
  try {
    GetWeight(port_);
    FAIL() << "a weight request went out on a line held in XOFF";
  } catch (const EComError& e) {
    EXPECT_STREQ(e.what(), "Timeout");
    EXPECT_EQ(e.ErrorCode(), 0);
  }
  EXPECT_LT(SteadyClock::now() - start, std::chrono::seconds(3));
  EXPECT_FALSE(port_.Active());
  EXPECT_EQ(balance_->Requests(), 0);
}

TEST(TComPortPosix, MissingDeviceCarriesTheSystemErrorNumber) {
  TComPort port;
  port.SetDeviceName("/nonexistent/ttyBalance");
  try {
    port.SetActive(true);
    FAIL() << "opened a missing device";
  } catch (const EComError& e) {
    EXPECT_EQ(e.ErrorCode(), ENOENT);
    EXPECT_STREQ(e.what(), "No such file or directory");
  }
  EXPECT_FALSE(port.Active());
}

}  // namespace
}  // namespace vorsant
