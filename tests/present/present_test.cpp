// The words and figures of the models, the verdict and the comparison, in
// both unit systems.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fouling/trial_comparison.h"
#include "law_trials.h"
#include "present/comparison_table.h"
#include "present/model_columns.h"
#include "present/quantities.h"
#include "present/text_width.h"
#include "present/verdict_text.h"
#include "trial/analysis.h"

namespace vorsant {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using namespace vorsant::testing;

const Presentation kUs{};
const Presentation kMetric{UnitSystem::kMetric, {}};

double M3OfGallons(double gallons) {
  return FromVolumeUnit(gallons, VolumeUnit::kUsGallon);
}

std::string Joined(const std::vector<std::string>& sentences) {
  std::string all;
  for (const std::string& s : sentences) all += s + "\n";
  return all;
}

// The character column (from 0) at which `part` ends in a UTF-8 line.
std::size_t EndColumn(const std::string& line, const std::string& part) {
  const std::size_t at = line.find(part);
  EXPECT_NE(at, std::string::npos) << part << " in " << line;
  return std::count_if(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(at + part.size()),
                       [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

// Three significant figures in the style's grouping, no "0.000", no index
// past 1,000 s; litres below 10,000 L and hectolitres from there; a typed
// volume in the system's unit unless it names its own.
TEST(Quantities, WritesAndReadsFiguresInEitherSystem) {
  const NumberStyle comma, german{".", ","}, french{"\u00a0", ","};
  EXPECT_EQ(SignificantText(2091.4, comma), "2,090");
  EXPECT_EQ(SignificantText(2091.4, german), "2.090");
  EXPECT_EQ(SignificantText(4128.0, french), "4\u00a0130");
  EXPECT_EQ(SignificantText(0.0004, comma), "0.000400");
  EXPECT_EQ(SignificantText(16.07, german), "16,1");
  EXPECT_EQ(SignificantText(999.6, comma), "1,000");
  EXPECT_EQ(IndexText(3228.8, comma), "over 1,000");
  EXPECT_EQ(IndexText(-2, comma), "-2.00");

  EXPECT_EQ(VolumeText(M3OfGallons(3601), kUs, true), "3,600 US gallons");
  EXPECT_EQ(VolumeText(9.5, kMetric), "9,500 litres");
  EXPECT_EQ(VolumeText(10.0, kMetric), "100 hectolitres");
  EXPECT_EQ(VolumeText(13.63, kMetric), "136 hectolitres");
  EXPECT_EQ(VolumeFigure(M3OfGallons(2e12), VolumeUnit::kUsGallon, comma), "over 1,000,000,000,000");
  EXPECT_EQ(VolumeFigure(M3OfGallons(2e12), VolumeUnit::kHectolitre, comma), "over 37,900,000,000");
  EXPECT_EQ(PressureText(30 * kPascalsPerPsi, kUs), "30.0 psi");
  EXPECT_EQ(PressureText(30 * kPascalsPerPsi, kMetric), "2.07 bar");
  EXPECT_EQ(HoursText(3600, comma), "1.0 hour");
  EXPECT_EQ(HoursText(3600 * 1234.0, german), "1.230 hours");
  EXPECT_EQ(ShortestText(1.5, german), "1,5");
  EXPECT_EQ(ParseFigure("1,5", german), 1.5);

  EXPECT_NEAR(ParseVolume("5000", kUs)->M3(), 5000 * 3.7854e-3, 1e-12);
  EXPECT_NEAR(ParseVolume("5000", kMetric)->M3(), 5, 1e-12);
  EXPECT_NEAR(ParseVolume("50 hL", kMetric)->M3(), 5, 1e-12);
  EXPECT_NEAR(ParseVolume("2000gal", kMetric)->M3(), 2000 * 3.7854e-3, 1e-12);
  EXPECT_NEAR(ParseVolume("12,5", {UnitSystem::kMetric, german})->M3(), 0.0125, 1e-15);
  EXPECT_FALSE(ParseVolume("lots", kUs));
  EXPECT_FALSE(ParseVolume("hL", kMetric));
  EXPECT_EQ(CheckTargetVolume(*ParseVolume("0", kUs)), "The target volume must be greater than 0 gallons.");
  EXPECT_EQ(CheckTargetVolume(*ParseVolume("0", kMetric)), "The target volume must be greater than 0 litres.");
}

// A cake trial that stops far short of Rmax, in both systems: the same
// sentences with the volumes in their units, the sizing's target in the
// unit it was typed in, the report's power volume set against the law's.
TEST(VerdictText, SaysTheSameInEitherSystem) {
  TWineRec rec = LawTrial([](double w) { return 5e11 * (1 + 20 * w); }, 20, 30);
  const FoulingReport report = *AnalyseFouling(rec, {}).report;
  const Verdict v = MakeVerdict(rec, report);
  const SizingRequest request{.targetM3 = M3OfGallons(500), .safety = 2, .elementArea = 0.5};
  const std::string us = Joined(VerdictSentences(v, request, kUs));
  EXPECT_THAT(us, HasSubstr("Verdict: cake filtration describes this trial well"));
  EXPECT_THAT(us, HasSubstr(" times beyond the throughput the trial measured"));
  EXPECT_THAT(us, HasSubstr("more filter area or a filter aid"));
  EXPECT_THAT(us, HasSubstr("about " + VolumeFigure(*v.volumeM3, VolumeUnit::kUsGallon, {}) + " US gallons in "));
  EXPECT_THAT(us, HasSubstr("; for 500 gallons with a safety factor of 2 it needs "));
  if (std::abs(*v.reportVolumeM3 - *v.volumeM3) > 0.1 * *v.volumeM3) {
    EXPECT_THAT(us, HasSubstr("The trial report's estimate, " + VolumeText(*v.reportVolumeM3, kUs) + ", "));
  }

  const std::string metric = Joined(VerdictSentences(v, request, kMetric));
  EXPECT_THAT(metric, HasSubstr("Verdict: cake filtration describes this trial well"));
  EXPECT_THAT(metric, HasSubstr("about " + VolumeText(*v.volumeM3, kMetric) + " in "));
  EXPECT_THAT(metric, HasSubstr("; for 1,890 litres with a safety factor of 2 it needs "));
  EXPECT_THAT(metric, Not(HasSubstr("gallons")));
  EXPECT_THAT(metric, Not(HasSubstr("psi")));
  // Wrapped to the width, every sentence still there.
  for (const std::string& line : VerdictLines(v, request, kMetric, 60)) EXPECT_LE(TextWidth(line), 60u) << line;

  const FoulingReport poor =
      FitFoulingModels(ExactPoints([](double w) { return 1e12 * (1.5 + std::sin(20 * w)); }), {});
  EXPECT_THAT(Joined(VerdictSentences(MakeVerdict(TWineRec{}, poor), {}, kUs)),
              HasSubstr("No fouling law describes this trial well"));
}

TEST(FoulingTable, MarksTheBestAndTheUnfittedModels) {
  const FoulingReport steep = FitFoulingModels(ExactPoints([](double w) { return 1e12 * (w - 0.01); }), {});
  const std::vector<std::string> steepLines = FoulingTableLines(steep, kUs);
  ASSERT_EQ(steepLines.size(), 7u);
  EXPECT_THAT(steepLines[5], HasSubstr("Cake filtration"));
  EXPECT_THAT(steepLines[5], HasSubstr("not fitted"));
  const auto marked = [](const std::vector<std::string>& table) {
    int n = 0;
    for (std::size_t i = 2; i < table.size(); ++i) n += table[i].starts_with("* ") ? 1 : 0;
    return n;
  };
  // A resistance that rises and falls: no law explains it, none is marked.
  const FoulingReport report =
      FitFoulingModels(ExactPoints([](double w) { return 1e12 * (1.5 + std::sin(20 * w)); }), {});
  EXPECT_FALSE(report.best);
  EXPECT_EQ(marked(FoulingTableLines(report, kUs)), 0);

  const FoulingReport cake = FitFoulingModels(ExactPoints([](double w) { return 1e12 * (1 + 3 * w); }), {});
  ASSERT_EQ(cake.best, FoulingLaw::kCake);
  const std::vector<std::string> cakeLines = FoulingTableLines(cake, kUs);
  EXPECT_EQ(marked(cakeLines), 1);
  EXPECT_TRUE(cakeLines[2 + static_cast<std::size_t>(*cake.best)].starts_with("* "));
}

// Figures too wide for their columns: every cell keeps a blank before it,
// exponent form where a figure would fill its column, and the report's
// words for volumes at or past its limits; the volume column in one unit.
TEST(FoulingTable, SeparatesEveryCellWhateverTheFigures) {
  FoulingReport report;
  for (FoulingLaw law : kFoulingLaws) report.models[static_cast<std::size_t>(law)].law = law;
  ModelFit& cake = report.models[static_cast<std::size_t>(FoulingLaw::kCake)];
  cake.fitted = true;
  cake.rm = 1e9;
  cake.k = 1e-12;
  cake.volumeM3 = M3OfGallons(4.5229474219023516e16);
  cake.seconds = 3.6e12;
  ModelFit& complete = report.models[static_cast<std::size_t>(FoulingLaw::kComplete)];
  complete.fitted = true;
  complete.rm = 1e9;
  complete.k = -1e-6;
  complete.capacity = -802037.6998;
  complete.volumeM3 = M3OfGallons(1234);
  ModelFit& power = report.models[static_cast<std::size_t>(FoulingLaw::kPower)];
  power.fitted = true;
  power.r0 = 0;
  power.a = 1e7;
  power.n = 0.024;
  power.incalculable = true;

  const std::vector<std::string> lines = FoulingTableLines(report, kUs);
  EXPECT_THAT(lines[2], HasSubstr(" -8.02e+08 "));
  EXPECT_THAT(lines[5], HasSubstr(" over 1,000,000,000,000 "));
  EXPECT_THAT(lines[5], HasSubstr(" 1.00e+09 "));
  EXPECT_THAT(lines[6], HasSubstr(" incalculably high "));
  // The header's columns end where the figures' do, in characters.
  EXPECT_EQ(EndColumn(lines[2], "1234"), EndColumn(lines[0], "volume"));
  EXPECT_EQ(EndColumn(lines[2], "1234"), EndColumn(lines[1], "gal"));
  EXPECT_EQ(EndColumn(lines[5], "000,000,000,000"), EndColumn(lines[0], "volume"));

  // In metric the largest volume puts the column in hectolitres.
  const std::vector<std::string> metric = FoulingTableLines(report, kMetric);
  EXPECT_EQ(EndColumn(metric[2], "46.7"), EndColumn(metric[1], "hL"));
}

TEST(ComparisonTable, LinesUpTheFiguresUnderTheirTitlesWhateverTheNames) {
  std::vector<TrialToCompare> trials;
  const auto trial = [](std::string file, const char* wine, double (*R)(double)) {
    TWineRec rec = LawTrial(R, 20, 30);
    rec.Conditions.WineName.Set(wine);
    rec.Conditions.FilterName.Set("K<250");
    return TrialToCompare{std::move(file), rec, {}};
  };
  trials.push_back(trial("cake.vrs", "Ros\xE9", [](double w) { return 5e11 * (1 + 6 * w); }));
  trials.push_back({"empty.vrs", TWineRec{}});
  trials.push_back(trial("complete.vrs", "Merlot", [](double w) { return 5e11 / (1 - 1.2 * w); }));
  const std::vector<ComparedTrial> compared = CompareTrials(trials, {.targetM3 = 3.7854, .safety = kDefaultSafetyFactor, .elementArea = std::nullopt});
  const std::vector<std::string> lines = ComparisonTableLines(compared, true, kUs);
  ASSERT_EQ(lines.size(), 5u);
  const std::string& title = lines[0];
  EXPECT_NE(lines[1].find("\u2014\u2014"), std::string::npos);
  EXPECT_NE(lines[2].find("Cake filtration"), std::string::npos);
  EXPECT_NE(lines[3].find(std::string(kInsufficientDataWarning)), std::string::npos);
  EXPECT_NE(lines[4].find("Complete blocking"), std::string::npos);
  // "Rosé" is five bytes but four characters: the columns count characters.
  for (const std::size_t row : {2u, 4u}) {
    const ModelFit& best = *BestModel(compared[row - 2]);
    const std::string volume = std::to_string(std::lround(UsGallons(*best.volumeM3)));
    EXPECT_EQ(EndColumn(lines[row], volume), EndColumn(title, "Volume (gal)")) << lines[row];
    EXPECT_EQ(EndColumn(lines[row], "K<250") - 5, EndColumn(title, "Filter") - 6) << lines[row];
  }
  EXPECT_NE(title.find("Area (m\u00b2)"), std::string::npos);
  EXPECT_EQ(ComparisonTableLines(compared, false, kUs)[0].find("Area"), std::string::npos);

  const std::vector<std::string> metric = ComparisonTableLines(compared, false, kMetric);
  const VolumeUnit unit = ComparisonVolumeUnit(compared, UnitSystem::kMetric);
  EXPECT_NE(metric[0].find("Volume (" + std::string(VolumeSymbol(unit)) + ")"), std::string::npos);
  EXPECT_NE(metric[2].find(VolumeCell(*BestModel(compared[0])->volumeM3, unit, {})), std::string::npos);
}

}  // namespace
}  // namespace vorsant
