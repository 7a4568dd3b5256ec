#include "fouling/trial_comparison.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "graphs/compare_graph.h"
#include "graphs/recording_canvas.h"
#include "graphs/scale_graphs.h"
#include "law_trials.h"
#include "trial/analysis.h"

namespace vorsant {
namespace {

using testing::LawTrial;

TrialToCompare Trial(std::string file, const std::string& wine, const std::string& filter,
                     double (*R)(double)) {
  TWineRec rec = LawTrial(R, 20, 30);
  rec.Conditions.WineName.Set(wine);
  rec.Conditions.FilterName.Set(filter);
  return {std::move(file), rec, {}};
}

// A cake trial named in Windows-1252, a complete-blocking trial, and one
// without any data between them.
std::vector<TrialToCompare> ThreeTrials() {
  std::vector<TrialToCompare> trials;
  trials.push_back(Trial("cake.vrs", "Ros\xE9", "K<250", [](double w) { return 5e11 * (1 + 6 * w); }));
  trials.push_back({"empty.vrs", TWineRec{}, {}});
  trials.push_back(Trial("complete.vrs", "Merlot", "EK", [](double w) { return 5e11 / (1 - 1.2 * w); }));
  return trials;
}

TEST(CompareTrials, KeepsTheOrderAndFindsEachTrialsBestModel) {
  SizingRequest request;
  request.targetM3 = 3.7854;
  const std::vector<ComparedTrial> compared = CompareTrials(ThreeTrials(), request);
  ASSERT_EQ(compared.size(), 3u);
  EXPECT_EQ(compared[0].file, "cake.vrs");
  EXPECT_EQ(compared[0].wine, "Ros\u00e9");
  ASSERT_NE(BestModel(compared[0]), nullptr);
  EXPECT_EQ(BestModel(compared[0])->law, FoulingLaw::kCake);
  EXPECT_TRUE(BestModel(compared[0])->areaM2.has_value());
  ASSERT_NE(BestModel(compared[2]), nullptr);
  EXPECT_EQ(BestModel(compared[2])->law, FoulingLaw::kComplete);

  EXPECT_FALSE(compared[1].report.has_value());
  EXPECT_EQ(compared[1].failure, kInsufficientDataWarning);
  EXPECT_EQ(BestModel(compared[1]), nullptr);

  // The program decodes the names in the system's code page; the graph's
  // legend keeps the record's own bytes, which its canvas decodes.
  const auto marked = [](std::string_view bytes) { return "[" + std::string(bytes) + "]"; };
  const std::vector<ComparedTrial> decoded = CompareTrials(ThreeTrials(), request, marked);
  EXPECT_EQ(decoded[0].wine, "[Ros\xE9]");
  EXPECT_EQ(decoded[0].legend, "Ros\xE9 - K<250");
}

TEST(CompareGraph, DrawsEachAnalysableTrialInItsOwnColourInsideThePlot) {
  const std::vector<ComparedTrial> compared = CompareTrials(ThreeTrials(), {});
  RecordingCanvas canvas;
  DrawCompareGraph(canvas, compared);

  std::vector<std::string> legend;
  for (const RecordedBoxText& t : canvas.All<RecordedBoxText>()) legend.push_back(t.text);
  EXPECT_EQ(legend, (std::vector<std::string>{"Ros\xE9 - K<250", "Merlot - EK"}));

  int first = 0, second = 0, third = 0;
  for (const RecordedLine& l : canvas.All<RecordedLine>()) {
    const Color c = l.pen.color;
    if (c == kCompareColors[0]) ++first;
    if (c == kCompareColors[1]) ++second;
    if (c == kCompareColors[2]) ++third;
    if (c == kCompareColors[0] || c == kCompareColors[2]) {
      // Curves end on the frame; markers reach a few pixels past it.
      for (const Point p : {l.from, l.to}) {
        EXPECT_GE(p.y, kScalePlot.Top - 4);
        EXPECT_LE(p.y, kScalePlot.Bottom + 4);
        EXPECT_GE(p.x, kScalePlot.Left - 4);
        EXPECT_LE(p.x, kScalePlot.Right + 4);
      }
    }
  }
  // 20 points of two strokes each, the curve and the legend's symbol.
  EXPECT_GT(first, 42);
  EXPECT_GT(third, 42);
  EXPECT_EQ(second, 0);  // the trial without data keeps its colour unused

  std::vector<TrialToCompare> many(kMaxComparedTrials + 1, ThreeTrials()[0]);
  RecordingCanvas crowded;
  DrawCompareGraph(crowded, CompareTrials(many, {}));
  EXPECT_EQ(crowded.All<RecordedBoxText>().size(), kMaxComparedTrials);
}

// Each trial framed whole: both curves run on to their own Rmax inside
// the plot, at the same height (the same production filter) and as far out
// as their own w*, on a logarithmic V/A that keeps the nearer one clear of
// the axis.
TEST(CompareGraph, RunsEachCurveToItsOwnRmaxInsideThePlot) {
  const std::vector<ComparedTrial> compared = CompareTrials(ThreeTrials(), {});
  RecordingCanvas canvas;
  DrawCompareGraph(canvas, compared);
  std::vector<Point> ends;
  for (std::size_t i : {0u, 2u}) {
    Point end{kScalePlot.Left, kScalePlot.Bottom};
    for (const RecordedLine& l : canvas.All<RecordedLine>())
      if (l.pen.color == kCompareColors[i] && l.to.x <= kScalePlot.Right &&
          (l.to.x > end.x || (l.to.x == end.x && l.to.y < end.y)))
        end = l.to;
    ends.push_back(end);
  }
  EXPECT_NEAR(ends[0].y, ends[1].y, 1);
  EXPECT_GT(ends[0].y, kScalePlot.Top);
  const double ratio = *BestModel(compared[0])->wStar / *BestModel(compared[2])->wStar;
  ASSERT_GT(ratio, 1);
  EXPECT_GT(ends[0].x, ends[1].x);
  EXPECT_LE(ends[0].x, kScalePlot.Right);
  EXPECT_GT(ends[1].x, kScalePlot.Left + kScalePlot.W() / 4) << "the nearer trial is not pressed to the axis";
}

}  // namespace
}  // namespace vorsant
