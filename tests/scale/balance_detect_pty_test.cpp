// Each profile's exchanges and detection on a real pseudo-terminal, with the
// balance simulator speaking that profile from a thread of the test.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>

#include "scale/balance_exchange.h"
#include "scale/com_port.h"
#include "tools/balance_sim/pseudo_terminal.h"
#include "tools/balance_sim/simulated_balance.h"

namespace vorsant {
namespace {

using namespace std::chrono_literals;

double SimulatorNow() {
  static const auto origin = std::chrono::steady_clock::now();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - origin).count();
}

class ProfileOnPty : public ::testing::Test {
 protected:
  void Start(sim::Dialect dialect, sim::BalanceFaults faults = {}, std::string unit = "g") {
    balance_ = std::make_unique<sim::SimulatedBalance>(sim::FiltrationCurve{}, faults, 100.0,
                                                       sim::Speech{dialect, std::move(unit)});
    server_ = std::thread([this] { sim::ServeBalance(pty_, *balance_, stop_, SimulatorNow); });
    port_.SetDeviceName(pty_.SlavePath());
  }
  void TearDown() override {
    port_.SetActive(false);
    stop_ = true;
    if (server_.joinable()) server_.join();
  }

  sim::PseudoTerminal pty_;
  std::unique_ptr<sim::SimulatedBalance> balance_;
  std::atomic<bool> stop_{false};
  std::thread server_;
  TComPort port_;
};

struct Case {
  sim::Dialect Dialect;
  const char* Profile;
};

class EveryProfile : public ProfileOnPty, public ::testing::WithParamInterface<Case> {};

TEST_P(EveryProfile, IsFoundAndThenTaresAndWeighs) {
  Start(GetParam().Dialect);
  const std::optional<FoundBalance> found = FindBalance(port_, 1000ms);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->Profile->Name, GetParam().Profile);
  EXPECT_EQ(found->Reading.State, ReadingState::Stable);
  EXPECT_NEAR(found->Reading.Grams, 100.0, 0.01);

  TareWithProfile(port_, *found->Profile);
  std::this_thread::sleep_for(150ms);  // the simulator takes the tare on its own thread
  const BalanceAnswer answer = WeighWithProfile(port_, *found->Profile);
  EXPECT_EQ(answer.Problem, "");
  EXPECT_GE(answer.Reading.Grams, 0.0);
  EXPECT_LT(answer.Reading.Grams, 5.0);
  EXPECT_EQ(balance_->Tares(), 1);
}

INSTANTIATE_TEST_SUITE_P(Profiles, EveryProfile,
                         ::testing::Values(Case{sim::Dialect::Original, "default"},
                                           Case{sim::Dialect::Standard, "standard"},
                                           Case{sim::Dialect::TwoLetter, "two-letter"},
                                           Case{sim::Dialect::Continuous, "continuous"}));

class TodaysProfile : public ProfileOnPty, public ::testing::WithParamInterface<Case> {};

// Filtrate keeps coming during a collection, so the balance never settles:
// a collection's weighing takes the moving weight at once, where one that
// waits for a stable weight says it never came.
TEST_P(TodaysProfile, AFlowingFiltrateIsWeighedAsItIs) {
  sim::BalanceFaults faults;
  faults.MovingWhileFlowing = true;
  Start(GetParam().Dialect, faults);
  const BalanceProfile& p = *FindBalanceProfile(GetParam().Profile);
  ApplyBalanceLine(port_, p);
  TareWithProfile(port_, p);
  std::this_thread::sleep_for(150ms);  // the simulator takes the tare on its own thread
  const BalanceAnswer now = WeighAsItIs(port_, p);
  EXPECT_EQ(now.Problem, "");
  EXPECT_EQ(now.Reading.State, ReadingState::Unstable);
  EXPECT_LT(now.Reading.Grams, 5.0);
  EXPECT_EQ(WeighWithProfile(port_, p, 300ms).Problem, "the balance gave no stable weight within 1 s");
}

INSTANTIATE_TEST_SUITE_P(Profiles, TodaysProfile,
                         ::testing::Values(Case{sim::Dialect::Standard, "standard"},
                                           Case{sim::Dialect::TwoLetter, "two-letter"},
                                           Case{sim::Dialect::Continuous, "continuous"}));

TEST_F(ProfileOnPty, FoundBalanceIsDescribedForTheUser) {
  Start(sim::Dialect::Standard);
  const std::optional<FoundBalance> found = FindBalance(port_, 1000ms);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(FoundBalanceText("COM12", *found), "a balance on COM12 at 9600 baud, standard interface commands, 100.000 g, stable");
}

TEST_F(ProfileOnPty, WaitsForAStableWeightThenSaysItNeverCame) {
  sim::BalanceFaults faults;
  faults.UnstableSeconds = 0.6;
  Start(sim::Dialect::TwoLetter, faults);
  const BalanceProfile& p = *FindBalanceProfile("two-letter");
  ApplyBalanceLine(port_, p);
  TareWithProfile(port_, p);
  const BalanceAnswer settles = WeighWithProfile(port_, p, 3000ms);
  EXPECT_EQ(settles.Problem, "");
  EXPECT_EQ(settles.Reading.State, ReadingState::Stable);

  TareWithProfile(port_, p);
  const BalanceAnswer restless = WeighWithProfile(port_, p, 200ms);
  EXPECT_EQ(restless.Reading.State, ReadingState::Unstable);
  EXPECT_EQ(restless.Problem, "the balance gave no stable weight within 1 s");
}

TEST_F(ProfileOnPty, KilogramsAreConvertedAndOtherUnitsRefused) {
  Start(sim::Dialect::Standard, {}, "kg");
  const BalanceProfile& p = *FindBalanceProfile("standard");
  ApplyBalanceLine(port_, p);
  const BalanceAnswer kg = WeighWithProfile(port_, p);
  EXPECT_EQ(kg.Problem, "");
  EXPECT_NEAR(kg.Reading.Grams, 100.0, 0.01);
}

TEST_F(ProfileOnPty, OverloadAndAWrongLineAreSaid) {
  sim::BalanceFaults faults;
  faults.OverloadAbove = 50;
  Start(sim::Dialect::Standard, faults, "lb");
  const BalanceProfile& p = *FindBalanceProfile("standard");
  ApplyBalanceLine(port_, p);
  EXPECT_EQ(WeighWithProfile(port_, p).Problem, "the balance is overloaded: the weight is above its range");
  // The same balance heard at the original balance's line settings says nothing.
  const BalanceProfile& original = DefaultBalanceProfile();
  ApplyBalanceLine(port_, original);
  EXPECT_EQ(WeighWithProfile(port_, original, 300ms).Problem, "the balance did not answer");
}

TEST_F(ProfileOnPty, NothingIsFoundOnASilentLine) {
  sim::BalanceFaults faults;
  faults.SilentAfter = 0;
  Start(sim::Dialect::Standard, faults);
  EXPECT_FALSE(FindBalance(port_, 300ms).has_value());
}

}  // namespace
}  // namespace vorsant
