#include "graphs/graph_data.h"

#include <cmath>

#include <gtest/gtest.h>

#include "tests/graphs/trial_builder.h"

namespace vorsant {
namespace {

using testing::TrialBuilder;

TEST(GraphPointsTest, ReadsRowsUntilTheNextVolumeIsEmptyOrFourBlanks) {
  TWineRec rec = TrialBuilder().Points({{0.1, 20}, {0.2, 21}, {0.3, 22}, {0.4, 23}}).Build();
  EXPECT_EQ(ReadGraphPoints(rec).Count, 4);
  EXPECT_DOUBLE_EQ(ReadGraphPoints(rec).X[3], 0.4);
  EXPECT_DOUBLE_EQ(ReadGraphPoints(rec).Y[3], 23);

  rec.TableData[2].V.Set("    ");
  EXPECT_EQ(ReadGraphPoints(rec).Count, 2);

  rec.TableData[2].V.Set("   ");  // three blanks do not end the data
  EXPECT_EQ(ReadGraphPoints(rec).Count, 4);
}

TEST(GraphPointsTest, RowOneIsReadEvenWhenBlankAndAllRowsWhenFull) {
  TWineRec empty{};
  const GraphPoints none = ReadGraphPoints(empty);
  EXPECT_EQ(none.Count, 1);
  EXPECT_EQ(none.X[0], 0);
  EXPECT_EQ(none.Y[0], 0);

  std::vector<testing::TablePoint> full;
  for (int k = 1; k <= 36; ++k) full.push_back({0.1 * k, 10.0 + k});
  EXPECT_EQ(ReadGraphPoints(TrialBuilder().Points(full).Build()).Count, 36);
}

TEST(GraphPointsTest, ResistanceTextsThatAreNoNumbersReadAsZero) {
  TWineRec rec = TrialBuilder().Points({{0.1, 20}, {0.2, 21}}).Build();
  rec.TableData[1].R.Set("> 1E15");
  EXPECT_EQ(ReadGraphPoints(rec).Y[1], 0);
}

TEST(UnusedPointsTest, FallingLeadingResistancesAreUnusedAfterMinSkip) {
  // 5, 4, 3, 6, 7, 8, 9: R falls until point 3.
  const std::vector<testing::TablePoint> pts = {{0.1, 5}, {0.2, 4}, {0.3, 3}, {0.4, 6},
                                                {0.5, 7}, {0.6, 8}, {0.7, 9}};
  EXPECT_EQ(ReadGraphPoints(TrialBuilder().Points(pts).Build()).Unused, 2);
  EXPECT_EQ(ReadGraphPoints(TrialBuilder().Points(pts).MinSkip(3).Build()).Unused, 3);
  EXPECT_EQ(ReadGraphPoints(TrialBuilder().Points(pts).MinSkip(4).Build()).Used(), 3);
}

TEST(UnusedPointsTest, MinSkipBeyondThePointsAndFallingDataLeaveNoUsedPoint) {
  const std::vector<testing::TablePoint> rising = {{0.1, 5}, {0.2, 6}, {0.3, 7}};
  const GraphPoints skipped = ReadGraphPoints(TrialBuilder().Points(rising).MinSkip(12).Build());
  EXPECT_EQ(skipped.Unused, 3);
  EXPECT_EQ(skipped.Used(), 0);

  const std::vector<testing::TablePoint> falling = {{0.1, 9}, {0.2, 8}, {0.3, 7}, {0.4, 6}, {0.5, 5}};
  EXPECT_EQ(ReadGraphPoints(TrialBuilder().Points(falling).Build()).Unused, 5);
}

TEST(PowerModelTest, DrawnOnlyForAnAnalysableSuccessfulFitWithFourUsedPoints) {
  const std::vector<testing::TablePoint> four = {{0.1, 20}, {0.2, 21}, {0.3, 22}, {0.4, 23}};
  const TWineRec good = TrialBuilder().Points(four).Power(19.5, 1.2, 4.0e9).Build();
  const auto model = CurveToDraw(good, ReadGraphPoints(good));
  ASSERT_TRUE(model.has_value());
  EXPECT_DOUBLE_EQ(model->Rm, 19.5);
  EXPECT_DOUBLE_EQ(model->b, 1.2);
  EXPECT_NEAR(model->c, 4.0, 1e-9);

  const TWineRec stale = TrialBuilder().Points(four).FailedPower(4.0e9).Build();
  EXPECT_FALSE(CurveToDraw(stale, ReadGraphPoints(stale)).has_value());

  TWineRec neg = TrialBuilder().Points(four).Power(19.5, 1.2, 4.0e9).Build();
  neg.RmE.Set("   neg");
  EXPECT_FALSE(CurveToDraw(neg, ReadGraphPoints(neg)).has_value());

  const TWineRec three =
      TrialBuilder().Points({{0.1, 20}, {0.2, 21}, {0.3, 22}}).Power(19.5, 1.2, 4.0e9).Build();
  EXPECT_FALSE(CurveToDraw(three, ReadGraphPoints(three)).has_value());
}

TEST(PowerModelTest, CrossingNeedsRoomAboveRmAPositiveCoefficientAndAnExponent) {
  EXPECT_NEAR(*CurveCrossing({10, 2, 4}, 110), 5.0, 1e-12);
  EXPECT_FALSE(CurveCrossing({110, 2, 4}, 110).has_value());
  EXPECT_FALSE(CurveCrossing({120, 2, 4}, 110).has_value());
  EXPECT_FALSE(CurveCrossing({10, 2, 0}, 110).has_value());
  EXPECT_FALSE(CurveCrossing({10, 2, -1}, 110).has_value());
  EXPECT_FALSE(CurveCrossing({10, 0, 4}, 110).has_value());
}

GraphRanges LabRangesOf(const std::vector<testing::TablePoint>& pts, double rm) {
  return LabRanges(ReadGraphPoints(TrialBuilder().Points(pts).Build()), rm);
}

TEST(LabRangesTest, MaxXIsTheLastVaRoundedUpToTheNextHalfAboveIt) {
  EXPECT_DOUBLE_EQ(LabRangesOf({{0.5, 20}, {1.23, 30}}, 10).MaxX, 1.5);
  EXPECT_DOUBLE_EQ(LabRangesOf({{0.5, 20}, {1.5, 30}}, 10).MaxX, 2.0);
  EXPECT_DOUBLE_EQ(LabRangesOf({{0.0, 20}}, 10).MaxX, 0.5);
  EXPECT_DOUBLE_EQ(LabRangesOf({{250, 20}}, 10).MaxX, 100);
  EXPECT_DOUBLE_EQ(LabRangesOf({{0.5, 20}}, 10).MinX, 0);
}

TEST(LabRangesTest, NarrowResistancesGetTenToThirty) {
  const GraphRanges r = LabRangesOf({{0.1, 12}, {0.2, 13.5}, {0.3, 15}}, 11);
  EXPECT_DOUBLE_EQ(r.MinY, 10);
  EXPECT_DOUBLE_EQ(r.MaxY, 30);
}

TEST(LabRangesTest, WideSpreadOrALowAsymptoteStartsTheRangeAtZero) {
  const GraphRanges wide = LabRangesOf({{0.1, 40}, {0.2, 200}, {0.3, 400}}, 35);
  EXPECT_DOUBLE_EQ(wide.MinY, 0);
  EXPECT_DOUBLE_EQ(wide.MaxY, 410);

  const GraphRanges high = LabRangesOf({{0.1, 52}, {0.2, 60}, {0.3, 75}}, 51);
  EXPECT_DOUBLE_EQ(high.MinY, 50);
  EXPECT_DOUBLE_EQ(high.MaxY, 80);
  EXPECT_DOUBLE_EQ(LabRangesOf({{0.1, 52}, {0.2, 60}, {0.3, 75}}, 49).MinY, 0);
}

TEST(LabRangesTest, HugeTextsStillGiveAUsableRange) {
  const GraphRanges r = LabRangesOf({{0.1, 1e300}, {0.2, 2e300}}, 0);
  EXPECT_TRUE(std::isfinite(r.MaxY));
  EXPECT_GT(r.MaxY - r.MinY, 0);
}

TEST(ProdRangesTest, MaximumResistanceOf42GivesFortyByTiesToEven) {
  const std::vector<testing::TablePoint> pts = {{0.2, 20}, {0.5, 25}, {0.9, 30}, {1.3, 35}};
  const TWineRec rec = TrialBuilder().Points(pts).Power(18, 1, 10e9).MaxProdR("  42.0").Build();
  const GraphRanges r = ProdRanges(ReadGraphPoints(rec), ReadPowerModel(rec), 42);
  EXPECT_DOUBLE_EQ(r.MinY, 0);
  EXPECT_DOUBLE_EQ(r.MaxY, 40);  // round(4.41) * 10
  // 1.05 * 100 / 10 = 10.5 rounds to the even 10.
  EXPECT_DOUBLE_EQ(ProdRanges(ReadGraphPoints(rec), std::nullopt, 100).MaxY, 100);
  EXPECT_DOUBLE_EQ(ProdRanges(ReadGraphPoints(rec), std::nullopt, 0).MaxY, 40);  // from R 35
  EXPECT_DOUBLE_EQ(ProdRanges(ReadGraphPoints(TWineRec{}), std::nullopt, 0).MaxY, 10);
}

TEST(ProdRangesTest, XReachesTheCrossingOfTheCurveWithTheTopOfTheRange) {
  // Rm 20, b 1, c = 80 / 37.2: the curve reaches MaxY 100 at V/A 37.2.
  const std::vector<testing::TablePoint> pts = {{0.2, 20.5}, {0.5, 21}, {0.9, 22}, {1.3, 23}};
  const TWineRec rec = TrialBuilder().Points(pts).Power(20, 1, 80.0 / 37.2 * 1e9).Build();
  const GraphRanges r = ProdRanges(ReadGraphPoints(rec), ReadPowerModel(rec), 100);
  EXPECT_DOUBLE_EQ(r.MaxY, 100);
  EXPECT_DOUBLE_EQ(r.MaxX, 38);
}

TEST(ProdRangesTest, WithoutACrossingXFollowsTheLastPoint) {
  const std::vector<testing::TablePoint> pts = {{0.2, 20.5}, {0.5, 21}, {0.9, 22}, {1.3, 23}};
  const TWineRec noRm = TrialBuilder().Points(pts).Power(0, 1, 2e9).Build();
  EXPECT_DOUBLE_EQ(ProdRanges(ReadGraphPoints(noRm), ReadPowerModel(noRm), 100).MaxX, 2);
  const TWineRec noA = TrialBuilder().Points(pts).Power(20, 1, 0).Build();
  EXPECT_DOUBLE_EQ(ProdRanges(ReadGraphPoints(noA), ReadPowerModel(noA), 100).MaxX, 2);
  const TWineRec flat = TrialBuilder().Points(pts).Power(20, 0, 2e9).Build();
  EXPECT_DOUBLE_EQ(ProdRanges(ReadGraphPoints(flat), ReadPowerModel(flat), 100).MaxX, 2);
  const TWineRec failed = TrialBuilder().Points(pts).FailedPower(2e9).Build();
  EXPECT_DOUBLE_EQ(ProdRanges(ReadGraphPoints(failed), ReadPowerModel(failed), 100).MaxX, 2);

  const std::vector<testing::TablePoint> far = {{0.2, 20.5}, {0.5, 21}, {0.9, 22}, {20000, 23}};
  EXPECT_DOUBLE_EQ(ProdRanges(ReadGraphPoints(TrialBuilder().Points(far).Build()), std::nullopt, 100).MaxX,
                   10000);
}

}  // namespace
}  // namespace vorsant
