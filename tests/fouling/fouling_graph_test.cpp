#include "graphs/fouling_graph.h"

#include <algorithm>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "graphs/graph_style.h"
#include "present/verdict_text.h"
#include "graphs/recording_canvas.h"
#include "graphs/scale_graphs.h"
#include "law_trials.h"
#include "trial/analysis.h"

namespace vorsant {
namespace {

using ::testing::Contains;
using ::testing::Not;

// A cake trial whose w* lies well past its points: the X range must reach
// it, and the cake curve must meet the dotted Rmax line there.
TEST(FoulingGraph, DrawsEachFittedCurveToRmaxWithItsLegend) {
  TWineRec rec = testing::LawTrial([](double w) { return 5e11 * (1 + 2 * w); }, 30, 30);
  Calculate(rec, false, ",");
  const FoulingOutcome outcome = AnalyseFouling(rec, {});
  ASSERT_TRUE(outcome.report);
  const FoulingReport& report = *outcome.report;
  ASSERT_EQ(report.best, FoulingLaw::kCake);
  const double wStar = *report.models[static_cast<std::size_t>(FoulingLaw::kCake)].wStar;

  RecordingCanvas canvas;
  DrawFoulingGraph(canvas, rec, report);

  std::vector<std::string> legend;
  for (const RecordedBoxText& t : canvas.All<RecordedBoxText>()) legend.push_back(t.text);
  for (const ModelFit& fit : report.models) {
    const std::string name(LawName(fit.law));
    if (fit.law == FoulingLaw::kCake) {
      EXPECT_THAT(legend, Contains(name + " (best)"));
    } else if (fit.fitted) {
      EXPECT_THAT(legend, Contains(name));
    } else {
      EXPECT_THAT(legend, Not(Contains(name)));
    }
  }

  const PlotRect& p = kScalePlot;
  int rmaxY = -1;
  std::vector<RecordedLine> cake;
  for (const RecordedLine& line : canvas.All<RecordedLine>()) {
    if (line.pen.style == PenStyle::kDotted && line.pen.color == kMaxResistanceColor &&
        line.to.x == p.Right) {
      rmaxY = line.from.y;
    }
    if (line.pen.color == FoulingCurveColor(FoulingLaw::kCake)) cake.push_back(line);
  }
  ASSERT_GT(rmaxY, p.Top);
  ASSERT_FALSE(cake.empty());
  // The curve starts at w = 0 and runs straight on to the top of the range.
  EXPECT_EQ(cake.front().from.x, p.Left);
  const auto crossing =
      std::find_if(cake.begin(), cake.end(), [&](const RecordedLine& l) { return l.to.y <= rmaxY; });
  ASSERT_NE(crossing, cake.end());
  const double maxX = std::trunc(wStar) + 1;
  EXPECT_NEAR(crossing->to.x, p.Left + p.W() * wStar / maxX, 2);
}

// A 1000 mm disc's points lie within millimetres of V/A and far above
// Rmax: X ends with the data, spread over the plot, Y keeps its labels, and
// a dotted upright marks where the data end. A best model whose w* lies
// beyond 9,999 m still reaches Rmax.
TEST(FoulingGraph, FramesTheDataAndTheBestCurveWhereverTheyLie) {
  TWineRec rec = testing::LawTrial([](double w) { return 5e11 * (1 + 2 * w); }, 20, 30);
  rec.Conditions.LabFiltDia.Set("1000");
  Calculate(rec, false, ",");
  const FoulingReport report = *AnalyseFouling(rec, {}).report;
  RecordingCanvas canvas;
  DrawFoulingGraph(canvas, rec, report);
  const PlotRect& p = kScalePlot;
  int right = p.Left, upright = -1;
  for (const RecordedLine& l : canvas.All<RecordedLine>()) {
    if (l.pen.color == kUsedPointColor) right = std::max(right, l.to.x);
    if (l.pen.style == PenStyle::kDotted && l.from.x == l.to.x && l.from.y == p.Bottom && l.to.y == p.Top)
      upright = l.from.x;
  }
  EXPECT_GT(right, p.Left + p.W() / 2);
  EXPECT_GE(upright, right - 4);
  int yLabels = 0;
  for (const RecordedText& t : canvas.All<RecordedText>())
    yLabels += t.at.x < p.Left - 7 && t.font.orientation == 0 ? 1 : 0;
  EXPECT_GE(yLabels, 3);

  // Cake with k = 5E-4: w* = (Rmax / Rm - 1) / k, some 20 km.
  const double rm = 5e11, k = 5e-4;
  AnalysisPoints far = report.points;
  for (std::size_t i = 0; i < far.w.size(); ++i) far.R[i] = rm * (1 + k * far.w[i]);
  const FoulingReport distant = FitFoulingModels(far, {});
  ASSERT_EQ(distant.best, FoulingLaw::kCake);
  ASSERT_GT(*distant.models[static_cast<std::size_t>(FoulingLaw::kCake)].wStar, 9999);
  RecordingCanvas wide;
  DrawFoulingGraph(wide, rec, distant);
  int rmaxY = -1, top = p.Bottom;
  for (const RecordedLine& l : wide.All<RecordedLine>()) {
    if (l.pen.style == PenStyle::kDotted && l.pen.color == kMaxResistanceColor && l.to.x == p.Right)
      rmaxY = l.from.y;
    if (l.pen.color == FoulingCurveColor(FoulingLaw::kCake)) top = std::min(top, l.to.y);
  }
  EXPECT_LE(top, rmaxY);
}

}  // namespace
}  // namespace vorsant
