#include "graphs/trial_graph.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "graphs/graph_data.h"
#include "graphs/recording_canvas.h"
#include "tests/graphs/recording_helpers.h"
#include "tests/graphs/trial_builder.h"

namespace vorsant {
namespace {

using testing::FindText;
using testing::LinesOf;
using testing::TextsAtY;
using testing::TrialBuilder;

// Five rising points to V/A 1.23 with R from 12 to 15: MaxX 1.5, Y 10..30.
TWineRec NarrowTrial() {
  return TrialBuilder()
      .Points({{0.25, 12}, {0.5, 12.5}, {0.75, 13}, {1.0, 14}, {1.23, 15}})
      .Power(11.5, 1.5, 2.0e9)
      .Build();
}

RecordingCanvas Draw(const TWineRec& rec) {
  RecordingCanvas canvas;
  DrawGraph(canvas, rec);
  return canvas;
}

std::vector<std::string> Labels(const std::vector<RecordedText>& texts) {
  std::vector<std::string> out;
  for (const auto& t : texts) out.push_back(t.text);
  return out;
}

TEST(TrialGraphTest, BackgroundPlotFillAndFrameComeFirstAndLast) {
  const RecordingCanvas canvas = Draw(NarrowTrial());
  const auto fills = canvas.All<RecordedFill>();
  ASSERT_EQ(fills.size(), 2u);
  EXPECT_EQ(fills[0].area, (Rect{0, 0, 250, 200}));
  EXPECT_EQ(fills[0].color, kDefaultButtonFace);
  EXPECT_EQ(fills[1].area, (Rect{35, 15, 235, 165}));
  EXPECT_EQ(fills[1].color, (Color{248, 248, 255}));

  const auto black = LinesOf(canvas, kBlack);
  ASSERT_GE(black.size(), 4u);
  EXPECT_EQ(black[0].from, (Point{35, 15}));
  EXPECT_EQ(black[0].to, (Point{35, 165}));
  EXPECT_EQ(black[1].to, (Point{235, 165}));
  EXPECT_EQ(black[2].to, (Point{235, 15}));
  EXPECT_EQ(black[3].to, (Point{35, 15}));
}

TEST(TrialGraphTest, XLabelsAndTicksEveryHalfUpToOnePointFive) {
  const RecordingCanvas canvas = Draw(NarrowTrial());
  const auto labels = TextsAtY(canvas, 172);
  EXPECT_EQ(Labels(labels), (std::vector<std::string>{"0.0", "0.5", "1.0", "1.5"}));
  const TextSize size = canvas.MeasureText("0.5", labels[1].font);
  EXPECT_EQ(labels[1].at.x, static_cast<int>(std::lround(35 + 200 / 3.0 - size.width / 2.0)));

  std::vector<int> tickX;
  for (const auto& l : LinesOf(canvas, kBlack)) {
    if (l.from.y == 165 && l.to.y == 169) tickX.push_back(l.from.x);
  }
  EXPECT_EQ(tickX, (std::vector<int>{35, 102, 168, 235}));
}

TEST(TrialGraphTest, YLabelsEveryFiveFromTenToThirty) {
  const RecordingCanvas canvas = Draw(NarrowTrial());
  std::vector<std::string> labels;
  std::vector<int> tickY;
  for (const auto& t : canvas.All<RecordedText>()) {
    if (t.font.orientation == 0 && t.text.size() == 5) labels.push_back(t.text);
  }
  for (const auto& l : LinesOf(canvas, kBlack)) {
    if (l.from.x == 35 && l.to.x == 31) tickY.push_back(l.from.y);
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"   10", "   15", "   20", "   25", "   30"}));
  EXPECT_EQ(tickY, (std::vector<int>{165, 128, 90, 52, 15}));  // 127.5 and 52.5 round to even

  const RecordedText* top = FindText(canvas, "   30");
  ASSERT_NE(top, nullptr);
  const TextSize size = canvas.MeasureText("   30", top->font);
  EXPECT_EQ(top->at.x, 35 - size.width - 7);
}

TEST(TrialGraphTest, WideResistancesGiveLabelsEveryFiftyFromZero) {
  const TWineRec rec = TrialBuilder()
                           .Points({{0.1, 40}, {0.2, 90}, {0.3, 150}, {0.4, 260}, {0.5, 400}})
                           .Power(35, 2, 1e12)
                           .Build();
  std::vector<std::string> labels;
  for (const auto& t : Draw(rec).All<RecordedText>()) {
    if (t.font.orientation == 0 && t.text.size() == 5) labels.push_back(t.text);
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"    0", "   50", "  100", "  150", "  200", "  250", "  300",
                                              "  350", "  400"}));
}

TEST(TrialGraphTest, MarkersSitOnTheTranslatedPixel) {
  const RecordingCanvas canvas =
      Draw(TrialBuilder()
               .Points({{0.25, 14}, {0.75, 13}, {0.9, 20}, {1.0, 21}, {1.1, 22}, {1.2, 23}})
               .Power(12, 1, 1e9)
               .Build());
  // Ranges 0..1.5 and 10..30. Point 1 falls to point 2: unused.
  const auto unused = LinesOf(canvas, kUnusedPointColor);
  ASSERT_EQ(unused.size(), 2u);
  const Point p1 = *PlotTranslate(0.25, 14, {0, 1.5, 10, 30});
  EXPECT_EQ(p1, (Point{68, 135}));
  EXPECT_EQ(unused[0].from, (Point{67, 134}));
  EXPECT_EQ(unused[0].to, (Point{70, 137}));
  EXPECT_EQ(unused[1].from, (Point{67, 136}));
  EXPECT_EQ(unused[1].to, (Point{70, 133}));

  const auto used = LinesOf(canvas, kUsedPointColor);
  ASSERT_EQ(used.size(), 10u);
  EXPECT_EQ(used[0].from, (Point{133, 142}));  // point 2 at (135, 142)
  EXPECT_EQ(used[0].to, (Point{138, 142}));
  EXPECT_EQ(used[1].from, (Point{135, 140}));
  EXPECT_EQ(used[1].to, (Point{135, 145}));
}

TEST(TrialGraphTest, FiveDigitResistancesCutAtTheirPointAreDrawnAtTheirValue) {
  // R past 10^13 /m is stored as "11542." and RmP as "10000.".
  const TWineRec rec =
      TrialBuilder()
          .Points({{0.1, 10500}, {0.2, 11000}, {0.3, 11542.34}, {0.4, 12000.5}, {0.5, 12600}})
          .Power(10000, 1.2, 5e12)
          .Build();
  ASSERT_EQ(rec.TableData[2].R.Str(), "11542.");
  const RecordingCanvas canvas = Draw(rec);
  std::vector<std::string> labels;
  for (const auto& t : canvas.All<RecordedText>()) {
    if (t.font.orientation == 0 && t.text.size() == 5) labels.push_back(t.text);
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"    0", " 5000", "10000"}));  // 0..12610, RmP below the points
  const auto used = LinesOf(canvas, kUsedPointColor);
  ASSERT_EQ(used.size(), 10u);
  EXPECT_EQ(used[4].from, (Point{93, 28}));  // point 3 at (95, 165 - 150 * 11542 / 12610)
  EXPECT_FALSE(LinesOf(canvas, kCurveColor).empty());
}

TEST(TrialGraphTest, CurveStartsAtTheAsymptoteAndEndsOnTheTopEdge) {
  // R = 12 + 40 x^2 reaches MaxY 30 at x = 0.67, before MaxX 1.5.
  const TWineRec rec = TrialBuilder()
                           .Points({{0.1, 12.5}, {0.2, 13.5}, {0.3, 15.5}, {0.4, 18.5}, {0.5, 22}})
                           .Power(12, 2, 40e9)
                           .Build();
  const RecordingCanvas canvas = Draw(rec);
  const auto curve = LinesOf(canvas, kCurveColor);
  ASSERT_FALSE(curve.empty());
  EXPECT_LE(curve.size(), 1000u);
  EXPECT_EQ(curve.front().from, *PlotTranslate(0, 12, {0, 1.0, 10, 30}));
  EXPECT_EQ(curve.back().to.y, 15);
  EXPECT_EQ(curve.back().to.x, PlotTranslate(std::sqrt(18.0 / 40.0), 30, {0, 1.0, 10, 30})->x);
  for (std::size_t i = 1; i < curve.size(); ++i) EXPECT_EQ(curve[i].from, curve[i - 1].to);
}

TEST(TrialGraphTest, CurveRunsToTheRightEdgeWhenItStaysBelowTheTop) {
  const TWineRec rec = NarrowTrial();  // 11.5 + 2 x^1.5 stays under 30 up to 1.5
  const auto curve = LinesOf(Draw(rec), kCurveColor);
  ASSERT_FALSE(curve.empty());
  EXPECT_EQ(curve.back().to.x, 235);
}

TEST(TrialGraphTest, AnAsymptoteAboveTheRangeEndsTheCurveWithoutACrossing) {
  const TWineRec rec =
      TrialBuilder().Points({{0.1, 12}, {0.2, 13}, {0.3, 14}, {0.4, 15}}).Power(45, 1, 1e9).Build();
  EXPECT_TRUE(LinesOf(Draw(rec), kCurveColor).empty());
}

TEST(TrialGraphTest, UnanalysableTrialShowsNeitherPointsNorCurve) {
  const TWineRec rec = TrialBuilder().Points({{0.1, 12}, {0.2, 13}, {0.3, 14}, {0.4, 15}}).Neg().Build();
  const RecordingCanvas canvas = Draw(rec);
  EXPECT_TRUE(LinesOf(canvas, kCurveColor).empty());
  EXPECT_TRUE(LinesOf(canvas, kUsedPointColor).empty());
  EXPECT_TRUE(LinesOf(canvas, kUnusedPointColor).empty());
  EXPECT_NE(FindText(canvas, "V/A"), nullptr);
  EXPECT_FALSE(LinesOf(canvas, kBlack).empty());
}

TEST(TrialGraphTest, FailedPowerFitDrawsPointsButNoStaleCurve) {
  const TWineRec rec =
      TrialBuilder().Points({{0.1, 12}, {0.2, 13}, {0.3, 14}, {0.4, 15}}).FailedPower(3e9).Build();
  const RecordingCanvas canvas = Draw(rec);
  EXPECT_TRUE(LinesOf(canvas, kCurveColor).empty());
  EXPECT_EQ(LinesOf(canvas, kUsedPointColor).size(), 8u);
}

TEST(TrialGraphTest, FewUsedPointsOrMinSkipBeyondThemDrawNoCurve) {
  const TWineRec three = TrialBuilder().Points({{0.1, 12}, {0.2, 13}, {0.3, 14}}).Power(11, 1, 3e9).Build();
  EXPECT_TRUE(LinesOf(Draw(three), kCurveColor).empty());
  EXPECT_EQ(LinesOf(Draw(three), kUsedPointColor).size(), 6u);

  const TWineRec skipped = TrialBuilder()
                               .Points({{0.1, 12}, {0.2, 13}, {0.3, 14}, {0.4, 15}})
                               .Power(11, 1, 3e9)
                               .MinSkip(12)
                               .Build();
  const RecordingCanvas canvas = Draw(skipped);
  EXPECT_TRUE(LinesOf(canvas, kCurveColor).empty());
  EXPECT_TRUE(LinesOf(canvas, kUsedPointColor).empty());
  EXPECT_EQ(LinesOf(canvas, kUnusedPointColor).size(), 8u);
}

TEST(TrialGraphTest, AxisTitlesStackUpwardsWithASmallRaisedNine) {
  const RecordingCanvas canvas = Draw(NarrowTrial());
  const RecordedText* r = FindText(canvas, "R");
  const RecordedText* ten = FindText(canvas, "10");
  const RecordedText* x = FindText(canvas, "X");
  const RecordedText* nine = FindText(canvas, "9");
  ASSERT_TRUE(r && ten && x && nine);
  EXPECT_EQ(r->at, (Point{1, 102}));
  EXPECT_EQ(ten->at, (Point{1, 90}));
  EXPECT_EQ(x->at, (Point{3, 95}));
  EXPECT_EQ(nine->at, (Point{0, 80}));
  EXPECT_EQ(r->font, (Font{11, FontHeight::kCell, 90}));
  EXPECT_EQ(nine->font, (Font{8, FontHeight::kCell, 90}));
  EXPECT_EQ(r->background, kDefaultButtonFace);

  const RecordedText* va = FindText(canvas, "V/A");
  ASSERT_NE(va, nullptr);
  EXPECT_EQ(va->at.y, 181);
  EXPECT_EQ(va->font.height, 11);
  // Tick labels keep the reduced height.
  EXPECT_EQ(TextsAtY(canvas, 172).front().font, (Font{8, FontHeight::kCell, 0}));
}

TEST(TrialGraphTest, DamagedNumbersDrawWithoutNanOrEndlessLoops) {
  TWineRec rec =
      TrialBuilder().Points({{0.1, 12}, {0.2, 13}, {0.3, 14}, {0.4, 15}}).Power(11, 300, 1e15).Build();
  rec.TableData[0].R.Set("9e307");
  rec.TableData[3].VA.Set("9e307");
  RecordingCanvas canvas;
  DrawGraph(canvas, rec);
  EXPECT_LT(canvas.Primitives().size(), 5000u);
  for (const auto& l : canvas.All<RecordedLine>()) {
    EXPECT_LE(std::abs(l.to.x), 30010);
    EXPECT_LE(std::abs(l.to.y), 30010);
  }
}

}  // namespace
}  // namespace vorsant
