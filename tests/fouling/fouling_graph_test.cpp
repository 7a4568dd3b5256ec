#include "graphs/fouling_graph.h"

#include <algorithm>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "graphs/graph_style.h"
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

}  // namespace
}  // namespace vorsant
