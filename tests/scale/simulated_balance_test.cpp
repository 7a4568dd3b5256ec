#include "tools/balance_sim/simulated_balance.h"

#include <gtest/gtest.h>

#include "scale/balance_protocol.h"

namespace vorsant::sim {
namespace {

const std::string kRequest = {27, 'P', 13};
const std::string kTare = {27, 'T', 13};

double Weigh(SimulatedBalance& balance, double now) {
  const std::vector<std::string> replies = balance.Feed(kRequest, now);
  if (replies.size() != 1) return -1e9;
  const TWeightReading r = ParseWeightReply(replies[0]);
  return r.Error ? -1e9 : r.WeightVal;
}

TEST(FiltrationCurve, FlowFallsAsTheFilterFouls) {
  const FiltrationCurve curve;
  EXPECT_EQ(curve.VolumeMl(0), 0);
  EXPECT_EQ(curve.VolumeMl(-5), 0);
  const double first = curve.VolumeMl(15);
  const double late = curve.VolumeMl(8640) - curve.VolumeMl(8640 - 15);
  EXPECT_GT(first, 5.0);
  EXPECT_LT(late, first / 5);
  // Even the longest schedule gains more than a millilitre per reading.
  EXPECT_GT(curve.VolumeMl(8640) - curve.VolumeMl(8640 - 240), 1.0);

  FiltrationCurve clean = curve;
  clean.Fouling = 0;
  EXPECT_NEAR(clean.VolumeMl(200), 2 * clean.VolumeMl(100), 1e-9);
}

TEST(FormatReply, LaysTheWeightOutAsTheProgramReadsIt) {
  EXPECT_EQ(FormatReply(123.45), "+   123.45 g\r\n");
  const TWeightReading negative = ParseWeightReply(FormatReply(-0.5));
  EXPECT_FALSE(negative.Error);
  EXPECT_DOUBLE_EQ(negative.WeightVal, -0.5);
  EXPECT_EQ(FormatReply(-0.001), "+     0.00 g\r\n");
  EXPECT_TRUE(ParseWeightReply(FormatReply(12345678.0)).Error);
}

TEST(SimulatedBalance, TareZeroesAndStartsTheFiltration) {
  SimulatedBalance balance(FiltrationCurve{}, BalanceFaults{}, 150.0);
  EXPECT_DOUBLE_EQ(Weigh(balance, 10), 150.0);
  EXPECT_TRUE(balance.Feed(kTare, 20).empty());
  EXPECT_DOUBLE_EQ(Weigh(balance, 20), 0.0);
  const double w = Weigh(balance, 35);
  EXPECT_NEAR(w, FiltrationCurve{}.WeightGrams(15), 0.01);
  EXPECT_EQ(balance.Tares(), 1);
  EXPECT_EQ(balance.Requests(), 3);
}

TEST(SimulatedBalance, CommandsMaySpanReadsAndNoiseIsSkipped) {
  SimulatedBalance balance(FiltrationCurve{}, BalanceFaults{}, 1.0);
  EXPECT_TRUE(balance.Feed("xx\r\x1b", 0).empty());
  const std::vector<std::string> replies = balance.Feed("P\r", 0);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0], "+     1.00 g\r\n");
  EXPECT_TRUE(balance.Feed("\x1bQ\r", 0).empty());
  // The tail of a lost command does not swallow the next one.
  EXPECT_EQ(balance.Feed("\x1b\x1bP\r", 0).size(), 1u);
}

TEST(SimulatedBalance, FaultsSilenceGarbageAndBackwards) {
  BalanceFaults silent;
  silent.SilentAfter = 1;
  SimulatedBalance quiet(FiltrationCurve{}, silent);
  EXPECT_EQ(quiet.Feed(kRequest, 0).size(), 1u);
  EXPECT_TRUE(quiet.Feed(kRequest, 1).empty());

  BalanceFaults garbage;
  garbage.GarbageAfter = 1;
  SimulatedBalance noisy(FiltrationCurve{}, garbage);
  EXPECT_FALSE(ParseWeightReply(noisy.Feed(kRequest, 0).at(0)).Error);
  EXPECT_TRUE(ParseWeightReply(noisy.Feed(kRequest, 1).at(0)).Error);

  BalanceFaults backwards;
  backwards.BackwardsAfter = 60;
  SimulatedBalance falling(FiltrationCurve{}, backwards, 0);
  falling.Feed(kTare, 0);
  const double at60 = Weigh(falling, 60);
  EXPECT_LT(Weigh(falling, 90), at60);
}

TEST(SimulatedBalance, NoiseStaysWithinItsAmplitude) {
  BalanceFaults faults;
  faults.NoiseGrams = 0.2;
  FiltrationCurve still;
  still.Fouling = 0;
  still.PressurePsi = 0;
  SimulatedBalance balance(still, faults, 10.0);
  bool varied = false;
  for (int i = 0; i < 50; ++i) {
    const double w = Weigh(balance, i);
    EXPECT_NEAR(w, 10.0, 0.21);
    varied = varied || w != 10.0;
  }
  EXPECT_TRUE(varied);
}

}  // namespace
}  // namespace vorsant::sim
