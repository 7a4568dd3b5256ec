#include "graphs/scale_graphs.h"

#include <gtest/gtest.h>

#include "graphs/graph_style.h"
#include "graphs/recording_canvas.h"
#include "graphs/scale_graph_parts.h"
#include "tests/graphs/recording_helpers.h"
#include "tests/graphs/trial_builder.h"

namespace vorsant {
namespace {

using testing::FindText;
using testing::LinesOf;
using testing::TextsAtY;
using testing::TrialBuilder;

constexpr int kBottom = 540;

std::vector<std::string> Labels(const std::vector<RecordedText>& texts) {
  std::vector<std::string> out;
  for (const auto& t : texts) out.push_back(t.text);
  return out;
}

std::vector<int> XTicks(const RecordingCanvas& canvas) {
  std::vector<int> out;
  for (const auto& l : LinesOf(canvas, kBlack)) {
    if (l.from.y == kBottom && l.to.y == kBottom + 4 && l.from.x == l.to.x) out.push_back(l.from.x);
  }
  return out;
}

std::vector<std::string> YLabels(const RecordingCanvas& canvas) {
  std::vector<std::string> out;
  for (const auto& t : canvas.All<RecordedText>()) {
    if (t.font.orientation == 0 && t.at.x < 70 && t.text.size() >= 5) out.push_back(t.text);
  }
  return out;
}

// Rising points to V/A 1.23, R 12..15: MaxX 1.5, Y 10..30.
TWineRec LabTrial() {
  return TrialBuilder()
      .Names("Chardonnay 2021", "Pad K250")
      .Points({{0.25, 12}, {0.5, 12.5}, {0.75, 13}, {1.0, 14}, {1.23, 15}})
      .Power(11.5, 1.5, 2.0e9)
      .MaxProdR("  55.0")
      .Build();
}

TEST(LabGraphTest, PageTitleAndPlotFill) {
  RecordingCanvas canvas;
  DrawLabGraph(canvas, LabTrial());
  const auto rects = canvas.All<RecordedRectangle>();
  ASSERT_GE(rects.size(), 2u);
  EXPECT_EQ(rects[0].area, (Rect{0, 0, 700, 600}));
  EXPECT_EQ(rects[0].fill, kPaleBlue);
  EXPECT_EQ(rects[0].border, kBlack);
  const auto fills = canvas.All<RecordedFill>();
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].area, (Rect{70, 60, 630, 540}));
  EXPECT_EQ(fills[0].color, kPaleYellow);

  const RecordedText* title = FindText(canvas, "Chardonnay 2021 - Pad K250");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->font, (Font{14, FontHeight::kCharacter, 0}));
  EXPECT_EQ(title->at.y, 20);
  const int width = canvas.MeasureText(title->text, title->font).width;
  EXPECT_EQ(title->at.x, 10 + (680 - width) / 2);
}

TEST(LabGraphTest, FullNamesMakeAThirtyFiveCharacterTitle) {
  RecordingCanvas canvas;
  DrawLabGraph(canvas, TrialBuilder().Names("ABCDEFGHIJKLMNOP", "abcdefghijklmnop").Build());
  EXPECT_NE(FindText(canvas, "ABCDEFGHIJKLMNOP - abcdefghijklmnop"), nullptr);
}

TEST(LabGraphTest, LabelsEveryHalfAndTicksEveryTenthIncludingTheLast) {
  RecordingCanvas canvas;
  DrawLabGraph(canvas, LabTrial());
  EXPECT_EQ(Labels(TextsAtY(canvas, kBottom + 7)), (std::vector<std::string>{"0.0", "0.5", "1.0", "1.5"}));
  const auto ticks = XTicks(canvas);
  ASSERT_EQ(ticks.size(), 16u);
  EXPECT_EQ(ticks.front(), 70);
  EXPECT_EQ(ticks[1], 107);  // 70 + 560 / 15 = 107.3
  EXPECT_EQ(ticks.back(), 630);
}

TEST(LabGraphTest, YLabelsByTheStepTableAndTicksByTheFinerOne) {
  RecordingCanvas canvas;
  DrawLabGraph(canvas, LabTrial());
  EXPECT_EQ(YLabels(canvas), (std::vector<std::string>{"   10", "   15", "   20", "   25", "   30"}));
  int ticks = 0;
  for (const auto& l : LinesOf(canvas, kBlack)) {
    if (l.from.x == 70 && l.to.x == 66) ++ticks;
  }
  EXPECT_EQ(ticks, 21);  // s = 2: every 1 from 10 to 30
}

TEST(LabGraphTest, LargeMarkersAndTheLegendDrawnLast) {
  RecordingCanvas canvas;
  DrawLabGraph(canvas, LabTrial());
  const auto used = LinesOf(canvas, kUsedPointColor);
  // Five points plus the legend's symbol, two lines each.
  ASSERT_EQ(used.size(), 12u);
  // Point 1 at (0.25, 12): pixel (163, 492).
  EXPECT_EQ(used[0].from, (Point{160, 492}));
  EXPECT_EQ(used[0].to, (Point{167, 492}));
  EXPECT_EQ(used[1].from, (Point{163, 489}));
  EXPECT_EQ(used[1].to, (Point{163, 496}));
  // Legend +, centred on (512, 485).
  EXPECT_EQ(used[10].from, (Point{509, 485}));
  EXPECT_EQ(used[11].to, (Point{512, 489}));

  const auto unused = LinesOf(canvas, kUnusedPointColor);
  ASSERT_EQ(unused.size(), 2u);  // the legend's x only
  EXPECT_EQ(unused[0].from, (Point{510, 503}));
  EXPECT_EQ(unused[0].to, (Point{515, 508}));
  EXPECT_EQ(unused[1].from, (Point{510, 507}));
  EXPECT_EQ(unused[1].to, (Point{515, 502}));

  const auto rects = canvas.All<RecordedRectangle>();
  EXPECT_EQ(rects.back().area, (Rect{494, 455, 605, 515}));
  const auto boxes = canvas.All<RecordedBoxText>();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, "Model Curve");
  // The texts stay inside the frame.
  EXPECT_EQ(boxes[0].box, (Rect{530, 458, 604, 478}));
  EXPECT_EQ(boxes[2].text, "Unused Data");
  EXPECT_EQ(boxes[2].box, (Rect{530, 498, 604, 514}));

  const auto curve = LinesOf(canvas, kCurveColor);
  ASSERT_FALSE(curve.empty());
  EXPECT_EQ(curve.back().from, (Point{503, 465}));
  EXPECT_EQ(curve.back().to, (Point{522, 465}));
  // The legend is the last thing drawn.
  EXPECT_TRUE(std::holds_alternative<RecordedLine>(canvas.Primitives().back()));
}

TEST(LabGraphTest, VerticalTitleIsBuiltFromItsPieces) {
  RecordingCanvas canvas;
  DrawLabGraph(canvas, LabTrial());
  const RecordedText* r = FindText(canvas, "R  (1/m         )");
  const RecordedText* x = FindText(canvas, "X");
  const RecordedText* ten = FindText(canvas, "10");
  const RecordedText* nine = FindText(canvas, "9");
  ASSERT_TRUE(r && x && ten && nine);
  EXPECT_EQ(r->at, (Point{25, 330}));
  EXPECT_EQ(x->at, (Point{28, 292}));
  EXPECT_EQ(ten->at, (Point{25, 286}));
  EXPECT_EQ(nine->at, (Point{23, 273}));
  EXPECT_EQ(x->font, (Font{7, FontHeight::kCharacter, 90}));
  EXPECT_EQ(nine->font, (Font{8, FontHeight::kCharacter, 90}));
  EXPECT_EQ(r->background, kPaleBlue);
  const RecordedText* va = FindText(canvas, "V/A (m)");
  ASSERT_NE(va, nullptr);
  EXPECT_EQ(va->at.y, 568);
}

TEST(LabGraphTest, UnanalysableTrialKeepsTitleFrameAxesAndLegendOnly) {
  RecordingCanvas canvas;
  DrawLabGraph(
      canvas,
      TrialBuilder().Names("W", "F").Points({{0.1, 12}, {0.2, 13}, {0.3, 14}, {0.4, 15}}).Neg().Build());
  EXPECT_EQ(LinesOf(canvas, kCurveColor).size(), 1u);        // legend symbol
  EXPECT_EQ(LinesOf(canvas, kUsedPointColor).size(), 2u);    // legend symbol
  EXPECT_EQ(LinesOf(canvas, kUnusedPointColor).size(), 2u);  // legend symbol
  EXPECT_NE(FindText(canvas, "W - F"), nullptr);
  EXPECT_EQ(canvas.All<RecordedBoxText>().size(), 3u);
}

// Points to V/A 1.3 under R 23; Rm 20, b 1 and c = 80 / 37.2 reach R 100
// at V/A 37.2.
TWineRec ProdTrial(const std::string& maxProdR) {
  return TrialBuilder()
      .Names("Merlot", "Sheet 40")
      .Points({{0.2, 20.5}, {0.5, 21}, {0.9, 22}, {1.3, 23}})
      .Power(20, 1, 80.0 / 37.2 * 1e9)
      .MaxProdR(maxProdR)
      .Build();
}

TEST(ProdGraphTest, CurveIsExtrapolatedToItsCrossingAndXLabelsFollowTheProductionTable) {
  RecordingCanvas canvas;
  DrawProdGraph(canvas, ProdTrial(" 100.0"));
  // MaxX 38: labels and ticks every 10.
  EXPECT_EQ(Labels(TextsAtY(canvas, kBottom + 7)), (std::vector<std::string>{"  0", " 10", " 20", " 30"}));
  EXPECT_EQ(XTicks(canvas), (std::vector<int>{70, 217, 365, 512}));

  const auto curve = LinesOf(canvas, kCurveColor);
  ASSERT_GE(curve.size(), 2u);
  // Ends on the top edge at V/A 37.2: x = 70 + 560 * 37.2 / 38.
  const RecordedLine& last = curve[curve.size() - 2];  // the legend's symbol is drawn after the curve
  EXPECT_EQ(last.to, (Point{618, 60}));
  EXPECT_EQ(curve.front().from, (Point{70, 444}));  // (0, Rm 20)

  // The dotted maximum-resistance line lies on the top edge (R 100 = MaxY).
  const auto dotted = LinesOf(canvas, kMaxResistanceColor);
  ASSERT_EQ(dotted.size(), 2u);
  EXPECT_EQ(dotted[0].from, (Point{70, 60}));
  EXPECT_EQ(dotted[0].to, (Point{630, 60}));
  EXPECT_EQ(dotted[0].pen.style, PenStyle::kDotted);
}

TEST(ProdGraphTest, MaximumResistance42LiesAboveTheFrame) {
  RecordingCanvas canvas;
  DrawProdGraph(
      canvas, TrialBuilder().Points({{0.2, 20}, {0.5, 25}, {0.9, 30}, {1.3, 35}}).MaxProdR("  42.0").Build());
  const auto dotted = LinesOf(canvas, kMaxResistanceColor);
  ASSERT_EQ(dotted.size(), 2u);
  EXPECT_EQ(dotted[0].from, (Point{70, 36}));  // 540 - 480 * 42 / 40
  EXPECT_EQ(dotted[0].to, (Point{630, 36}));
  EXPECT_EQ(YLabels(canvas), (std::vector<std::string>{"    0", "    5", "   10", "   15", "   20", "   25",
                                                       "   30", "   35", "   40"}));
}

TEST(ProdGraphTest, UnreadableMaximumResistanceLiesOnTheBottomEdge) {
  RecordingCanvas canvas;
  DrawProdGraph(canvas, ProdTrial("> 1E15"));
  const auto dotted = LinesOf(canvas, kMaxResistanceColor);
  ASSERT_EQ(dotted.size(), 2u);
  EXPECT_EQ(dotted[0].from, (Point{70, 540}));
}

TEST(ProdGraphTest, UnanalysableTrialStillShowsTheMaximumResistanceLine) {
  RecordingCanvas canvas;
  DrawProdGraph(
      canvas,
      TrialBuilder().Points({{0.2, 20}, {0.5, 25}, {0.9, 30}, {1.3, 35}}).Neg().MaxProdR("  80.0").Build());
  EXPECT_EQ(LinesOf(canvas, kMaxResistanceColor).size(), 2u);
  EXPECT_EQ(LinesOf(canvas, kCurveColor).size(), 1u);      // legend only
  EXPECT_EQ(LinesOf(canvas, kUsedPointColor).size(), 2u);  // legend only
  const auto boxes = canvas.All<RecordedBoxText>();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].text, "Max Resistance");
  EXPECT_EQ(boxes[0].box, (Rect{530, 438, 610, 458}));  // 80 wide: the frame ends at 615
  EXPECT_EQ(canvas.All<RecordedRectangle>().back().area, (Rect{494, 435, 615, 515}));
}

// A face a quarter wider than the fixed metric, as the program's canvas may
// have: every legend text must still fit its box, inside the frame.
class WideFaceCanvas final : public Canvas {
 public:
  void FillRect(const Rect& a, Color c) override { inner.FillRect(a, c); }
  void DrawRectangle(const Rect& a, Color f, Color b) override { inner.DrawRectangle(a, f, b); }
  void DrawLine(Point f, Point t, const Pen& p) override { inner.DrawLine(f, t, p); }
  void DrawText(Point at, std::string_view t, const Font& f, Color i, Color b) override {
    inner.DrawText(at, t, f, i, b);
  }
  void DrawTextInBox(const Rect& r, std::string_view t, const Font& f, Color i, Color b) override {
    inner.DrawTextInBox(r, t, f, i, b);
  }
  TextSize MeasureText(std::string_view t, const Font& f) const override {
    const TextSize s = inner.MeasureText(t, f);
    return {s.width * 5 / 4, s.height};
  }
  RecordingCanvas inner;
};

TEST(ProdGraphTest, LegendTextsFitTheirFrameInAWiderFace) {
  WideFaceCanvas canvas;
  DrawProdGraph(canvas, ProdTrial(" 100.0"));
  const Rect frame = canvas.inner.All<RecordedRectangle>().back().area;
  const auto boxes = canvas.inner.All<RecordedBoxText>();
  ASSERT_EQ(boxes.size(), 4u);
  for (const auto& box : boxes) {
    EXPECT_GE(box.box.right - box.box.left, canvas.MeasureText(box.text, kScaleTextFont).width) << box.text;
    EXPECT_LT(box.box.right, frame.right) << box.text;
    EXPECT_GT(box.box.left, kPlotArea.Right - 108) << box.text << ": clear of the symbols";
  }
}

TEST(ProdGraphTest, FailedFitLeavesXAtTheLastPointAndDrawsNoCurve) {
  RecordingCanvas canvas;
  DrawProdGraph(canvas, TrialBuilder()
                            .Points({{0.2, 20.5}, {0.5, 21}, {0.9, 22}, {1.3, 23}})
                            .FailedPower(2e9)
                            .MaxProdR(" 100.0")
                            .Build());
  EXPECT_EQ(Labels(TextsAtY(canvas, kBottom + 7)), (std::vector<std::string>{"  0", "  1", "  2"}));
  EXPECT_EQ(XTicks(canvas).size(), 5u);                // every 0.5 to 2
  EXPECT_EQ(LinesOf(canvas, kCurveColor).size(), 1u);  // legend only
}

TEST(ScaleGraphsTest, FiveDigitResistancesCutAtTheirPointSetTheRanges) {
  const TWineRec rec =
      TrialBuilder()
          .Points({{0.1, 10500}, {0.2, 11000}, {0.3, 11542.34}, {0.4, 12000.5}, {0.5, 12600}})
          .Power(10000, 1.2, 5e12)
          .MaxProdR(Fixed(12000.45, 6, 2))
          .Build();
  ASSERT_EQ(rec.MaxProdR.Str(), "12000.");
  RecordingCanvas lab;
  DrawLabGraph(lab, rec);
  EXPECT_EQ(YLabels(lab), (std::vector<std::string>{"    0", " 5000", "10000"}));  // 0..12610

  RecordingCanvas prod;
  DrawProdGraph(prod, rec);
  EXPECT_EQ(YLabels(prod), (std::vector<std::string>{"    0", " 5000", "10000"}));  // 0..13230
  const auto dotted = LinesOf(prod, kMaxResistanceColor);
  ASSERT_FALSE(dotted.empty());
  EXPECT_EQ(dotted[0].from, (Point{70, 105}));  // 540 - 480 * 12000 / 13230
  const auto used = LinesOf(prod, kUsedPointColor);
  ASSERT_GE(used.size(), 10u);
  EXPECT_EQ(used[4].from, (Point{151, 121}));  // point 3 at (154, 540 - 480 * 11542 / 13230)
}

TEST(TranslateTest, UsesTheLargePlotRectangle) {
  EXPECT_EQ(Translate(0, 0, {0, 2, 0, 40}), (Point{70, 540}));
  EXPECT_EQ(Translate(2, 40, {0, 2, 0, 40}), (Point{630, 60}));
}

}  // namespace
}  // namespace vorsant
