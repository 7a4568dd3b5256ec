#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "graphs/graph_math.h"
#include "graphs/plot_drawing.h"
#include "graphs/plot_geometry.h"
#include "graphs/step_tables.h"

namespace vorsant {
namespace {

TEST(RoundingTest, TiesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(-3.5), -4);
  EXPECT_EQ(RoundHalfEven(4.41), 4);
  EXPECT_EQ(RoundHalfEven(2.5000001), 3);
  EXPECT_EQ(RoundHalfEven(7.7), 8);
}

TEST(RoundingTest, PixelsSaturateAndNanHasNoPixel) {
  EXPECT_EQ(ToPixel(134.5), 134);
  EXPECT_EQ(ToPixel(1e12), kPixelLimit);
  EXPECT_EQ(ToPixel(-std::numeric_limits<double>::infinity()), -kPixelLimit);
  EXPECT_FALSE(ToPixel(std::nan("")).has_value());
  EXPECT_FALSE(RoundToCount(std::nan("")).has_value());
  EXPECT_GT(*RoundToCount(std::numeric_limits<double>::infinity()), 32767);
}

TEST(MapToPixelTest, MapsTheRangeOntoThePlotWithoutClipping) {
  const PlotRect plot{35, 15, 235, 165};
  const GraphRanges r{0, 1.5, 10, 30};
  EXPECT_EQ(MapToPixel(plot, r, 0, 10), (Point{35, 165}));
  EXPECT_EQ(MapToPixel(plot, r, 1.5, 30), (Point{235, 15}));
  EXPECT_EQ(MapToPixel(plot, r, 0.75, 20), (Point{135, 90}));
  EXPECT_EQ(MapToPixel(plot, r, 3, 0), (Point{435, 240}));
  EXPECT_FALSE(MapToPixel(plot, GraphRanges{0, 1, 5, 5}, 0, 5).has_value());  // empty range: 0/0
}

TEST(StepTablesTest, RowsCoverTheirBoundsAndNothingElse) {
  EXPECT_EQ(XStep(0), 0.5);
  EXPECT_EQ(XStep(2), 0.5);
  EXPECT_EQ(XStep(3), 1);
  EXPECT_EQ(XStep(31), 10);
  EXPECT_EQ(XStep(10000), 1000);
  EXPECT_FALSE(XStep(10001).has_value());
  EXPECT_FALSE(XStep(-1).has_value());

  EXPECT_EQ(YStep(1), 1);
  EXPECT_EQ(YStep(2), 5);
  EXPECT_EQ(YStep(41), 50);
  EXPECT_EQ(YStep(32767), 50000);
  EXPECT_FALSE(YStep(32768).has_value());

  EXPECT_EQ(LabXTickStep(2), 0.1);
  EXPECT_EQ(LabXTickStep(3), 0.5);
  EXPECT_EQ(YTickStep(1), 0.5);
  EXPECT_EQ(YTickStep(41), 10);
  EXPECT_EQ(YTickStep(10001), 10000);
  EXPECT_EQ(ProdXLabelStep(10), 1);
  EXPECT_EQ(ProdXTickStep(10), 0.5);
  EXPECT_EQ(ProdXLabelStep(38), 10);
  EXPECT_FALSE(ProdXTickStep(10001).has_value());
}

std::vector<double> Walk(double start, double end, std::optional<double> step) {
  std::vector<double> out;
  ForEachStep(start, end, step, [&](double t) { out.push_back(t); });
  return out;
}

TEST(ForEachStepTest, TenthsReachTheEndDespiteBinaryError) {
  const auto ticks = Walk(0, 1.5, 0.1);
  ASSERT_EQ(ticks.size(), 16u);
  EXPECT_NEAR(ticks.back(), 1.5, 1e-12);
  EXPECT_EQ(Walk(10, 30, 5), (std::vector<double>{10, 15, 20, 25, 30}));
}

TEST(ForEachStepTest, NoStepVisitsOnlyTheStartAndLostStepsEndTheWalk) {
  EXPECT_EQ(Walk(0, 1e9, std::nullopt), (std::vector<double>{0}));
  EXPECT_TRUE(Walk(5, 4, 1).empty());
  // At 1e300 a step of 1 changes nothing: one visit, not an endless walk.
  EXPECT_EQ(Walk(1e300, 1e300, 1).size(), 1u);
  EXPECT_TRUE(Walk(0, std::nan(""), 1).empty());
}

}  // namespace
}  // namespace vorsant
