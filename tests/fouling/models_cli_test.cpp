#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <stdlib.h>

#include "cli/command.h"
#include "present/quantities.h"
#include "tests/cli/cli_fixture.h"
#include "law_trials.h"
#include "trial/analysis.h"
#include "scale/reading_log.h"
#include "trial/trial_file.h"

namespace vorsant::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

using test_support::Outcome;

class ModelsCli : public test_support::CliFixture {
 protected:
  std::string Trial(const std::string& name, int points) {
    TWineRec rec = testing::LawTrial([](double w) { return 5e11 * (1 + 6 * w); }, points, 30);
    Calculate(rec, false, ",");
    const std::string path = (dir_ / name).string();
    EXPECT_EQ(SaveTrialFile(path, rec), 0);
    return path;
  }
};

// Sets VORSANT_UNITS, or removes it with nullptr.
void UnitsVariable(const char* value) {
#ifdef _WIN32
  _putenv_s("VORSANT_UNITS", value ? value : "");
#else
  if (value)
    ::setenv("VORSANT_UNITS", value, 1);
  else
    ::unsetenv("VORSANT_UNITS");
#endif
}

TEST_F(ModelsCli, PrintsTheTableAndTheJsonOfEveryModel) {
  const std::string trial = Trial("cake.vrs", 20);
  const Outcome table = Run({"models", trial, "--volume", "2000", "--element-area", "0.5"});
  ASSERT_EQ(table.code, 0) << table.err;
  std::istringstream lines(table.out);
  std::vector<std::string> rows;
  for (std::string line; std::getline(lines, line);) rows.push_back(line);
  // The verdict first, then an empty line and the table.
  ASSERT_GT(rows.size(), 7u);
  EXPECT_THAT(rows[0], StartsWith("Verdict: cake filtration describes this trial well"));
  rows.erase(rows.begin(), rows.end() - 8);
  EXPECT_EQ(rows[0], "");
  rows.erase(rows.begin());
  EXPECT_THAT(rows[5], StartsWith("* Cake filtration"));

  const Outcome json = Run({"models", trial, "--json", "--safety", "2"});
  ASSERT_EQ(json.code, 0) << json.err;
  EXPECT_THAT(json.out, StartsWith("{\n  \"points\": 20,\n  \"rmax\": "));
  EXPECT_THAT(json.out, HasSubstr("\"best\": \"cake\""));
  // The five models in the table's order, each with every key; no target
  // volume, so no sizing.
  std::size_t at = 0;
  for (const char* model : {"complete", "standard", "intermediate", "cake", "power"}) {
    at = json.out.find(std::string("\"model\": \"") + model + "\"", at);
    ASSERT_NE(at, std::string::npos) << model;
    std::size_t key = at;
    for (const char* name : {"rm", "k", "r0", "a", "n", "r2", "r2_adjusted", "capacity_l_m2", "volume_gal",
                             "hours", "area_m2", "elements"}) {
      key = json.out.find(std::string("\"") + name + "\": ", key);
      ASSERT_NE(key, std::string::npos) << model << " " << name;
    }
    EXPECT_THAT(json.out.substr(key), StartsWith("\"elements\": null"));
  }
  EXPECT_THAT(json.out, HasSubstr("\"model\": \"cake\",\n      \"rm\": 5"));
  EXPECT_THAT(json.out, HasSubstr("\"r0\": null"));

  const std::string svg = (dir_ / "m.svg").string();
  EXPECT_EQ(Run({"graph", trial, "--kind", "models", "-o", svg}).code, 0);
  EXPECT_GT(fs::file_size(svg), 1000u);
}

TEST_F(ModelsCli, RefusesTooFewPointsAndOptionsOutOfRange) {
  const Outcome few = Run({"models", Trial("few.vrs", 3), "--json"});
  EXPECT_EQ(few.code, 1);
  EXPECT_THAT(few.err, ::testing::StartsWith(std::string(kInsufficientDataWarning) + " 3 fitted intervals; a "
                                                                                   "fouling law needs 4, so 1 more"));
  EXPECT_EQ(few.out, "");
  EXPECT_EQ(
      Run({"graph", (dir_ / "few.vrs").string(), "--kind", "models", "-o", (dir_ / "x.svg").string()}).code,
      1);

  const std::string trial = Trial("t.vrs", 12);
  for (const auto& [option, value] : std::vector<std::pair<std::string, std::string>>{
           {"--volume", "0"}, {"--safety", "0.99"}, {"--element-area", "-1"}, {"--volume", "lots"}}) {
    const Outcome bad = Run({"models", trial, option, value});
    EXPECT_EQ(bad.code, 2) << option << " " << value;
    EXPECT_THAT(bad.err, StartsWith("vorsant-cli: " + option));
    EXPECT_EQ(bad.err.find('\n'), bad.err.size() - 1);
  }
  EXPECT_EQ(Run({"models", trial, "--safety", "1"}).code, 0);
}

// One trial in both systems: every volume's litres twin is its gallons
// times 3.7854 whatever --units says, and the text gives the same volume in
// US gallons or in litres/hectolitres; VORSANT_UNITS stands in for --units.
TEST_F(ModelsCli, GivesTheSameTrialInUsAndMetricUnits) {
  const std::string trial = Trial("cake.vrs", 20);
  const Outcome us = Run({"models", trial, "--json"});
  const Outcome metric = Run({"models", trial, "--json", "--units", "metric"});
  ASSERT_EQ(us.code, 0) << us.err;
  ASSERT_EQ(metric.code, 0) << metric.err;
  const std::regex twin("\"volume_gal\": ([-0-9.e+]+),\\s*\"volume_l\": ([-0-9.e+]+)");
  int twins = 0;
  for (const std::string& out : {us.out, metric.out}) {
    for (auto m = std::sregex_iterator(out.begin(), out.end(), twin); m != std::sregex_iterator(); ++m, ++twins)
      EXPECT_NEAR(std::stod((*m)[2]), std::stod((*m)[1]) * 3.7854, 1e-9 * std::stod((*m)[2]));
  }
  EXPECT_EQ(twins, 12);  // the verdict's and five models', twice
  const std::regex range("\"volume_range_gal\": \\[\\s*([-0-9.e+]+),[^\\]]*\\],\\s*\"volume_range_l\": \\[\\s*([-0-9.e+]+),");
  std::smatch r;
  ASSERT_TRUE(std::regex_search(metric.out, r, range));
  EXPECT_NEAR(std::stod(r[2]), std::stod(r[1]) * 3.7854, 1e-9 * std::stod(r[2]));
  // Only the sentences change with the units.
  const auto withoutText = [](const std::string& json) { return json.substr(0, json.find("\"text\"")); };
  EXPECT_EQ(withoutText(us.out), withoutText(metric.out));

  std::smatch gal;
  ASSERT_TRUE(std::regex_search(us.out, gal, twin));
  const double m3 = std::stod(gal[2]) / 1000;
  const Outcome usText = Run({"models", trial});
  EXPECT_THAT(usText.out, HasSubstr("about " + VolumeText(m3, Presentation{}, true) + " in "));
  UnitsVariable("metric");
  const Outcome metricText = Run({"models", trial});
  const Outcome wrong = Run({"models", trial, "--units", "imperial"});
  UnitsVariable(nullptr);
  EXPECT_THAT(metricText.out, HasSubstr("about " + VolumeText(m3, {UnitSystem::kMetric, {}}) + " in "));
  EXPECT_THAT(metricText.out, Not(HasSubstr("gallons")));
  EXPECT_EQ(wrong.code, 2);
  const Outcome hectolitres = Run({"models", trial, "--units", "metric", "--volume", "20 hL", "--json"});
  const Outcome litres = Run({"models", trial, "--units", "metric", "--volume", "2000", "--json"});
  EXPECT_EQ(hectolitres.out, litres.out);
}

// A target so small that the volume it needs rounds to nothing once ended
// the area's bisection in an endless halving through the subnormals.
TEST_F(ModelsCli, SizesForATargetThatRoundsToNothing) {
  const std::string trial = Trial("t.vrs", 12);
  const Outcome r = Run({"models", trial, "--volume", "1e-322", "--json"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_THAT(r.out, ::testing::Not(HasSubstr("\"area_m2\": null")));
  EXPECT_EQ(Run({"compare", trial, "--volume", "1e-322"}).code, 0);
}

// A power model whose w* overflows at the largest area searched still gets
// the small area that does reach the target.
TEST_F(ModelsCli, SizesAModelWhoseThroughputOverflowsAtTheSearchBound) {
  const std::string trial = Path("d.vrs");
  ASSERT_EQ(Run({"new", "-o", trial, "--wine", "D", "--filter", "F", "--lab-pressure", "1000", "--diameter",
                 "1", "--max-pressure", "1", "--area", "1", "--rate", "40", "--units", "gpm"})
                .code,
            0);
  std::ofstream(dir_ / "d.csv") << "1300.9,0,6\n23620,1,51\n39881,3,9\n49289,3,55\n51899,4,8\n60966,4,54\n"
                                   "74710,6,5\n82698,6,47\n";
  ASSERT_EQ(Run({"data", trial, "--csv", Path("d.csv")}).code, 0);
  const Outcome r = Run({"models", trial, "--volume", "10000", "--json"});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string power = r.out.substr(r.out.find("\"model\": \"power\""));
  const std::size_t area = power.find("\"area_m2\": ");
  ASSERT_NE(area, std::string::npos);
  EXPECT_NEAR(std::stod(power.substr(area + 11)), 0.0094, 0.0005);
}

// A constant rate is a constant resistance: every law's slope is zero,
// which must print as 0, not -0.
TEST_F(ModelsCli, PrintsNoNegativeZeroForAConstantRateTrial) {
  const std::string trial = Path("flat.vrs");
  ASSERT_EQ(Run({"new", "-o", trial, "--wine", "F", "--filter", "F", "--lab-pressure", "30", "--diameter",
                 "47", "--max-pressure", "30", "--area", "20", "--rate", "40"})
                .code,
            0);
  std::ofstream csv(dir_ / "flat.csv");
  for (int k = 1; k <= 10; ++k) csv << 20 * k << "," << k / 2 << "," << 30 * (k % 2) << "\n";
  csv.close();
  ASSERT_EQ(Run({"data", trial, "--csv", Path("flat.csv")}).code, 0);
  for (const auto& args : {std::vector<std::string>{"models", trial}, {"models", trial, "--json"}}) {
    const Outcome r = Run(args);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.find("-0"), std::string::npos) << r.out;
    EXPECT_THAT(r.out, HasSubstr("No fouling was observed"));
  }
}

// An element so small that the elements cannot be counted says so.
TEST_F(ModelsCli, SaysWhyTheElementsOfATinyElementAreaAreNotCounted) {
  const Outcome r = Run({"models", Trial("t.vrs", 12), "--volume", "1000", "--element-area", "1e-300"});
  ASSERT_EQ(r.code, 0) << r.err;
  std::string flat = r.out;  // the sentence may wrap anywhere
  for (char& c : flat) c = c == '\n' ? ' ' : c;
  EXPECT_THAT(flat, HasSubstr("too many elements to count"));
  EXPECT_THAT(r.out, HasSubstr(" too many\n"));
}

// A collection's every reading beside the trial is used by models, compare
// and the exported report without asking; --readings names another file, and a file that is
// not there is refused.
TEST_F(ModelsCli, ReadsTheReadingsBesideTheTrialOrTheFileNamed) {
  const testing::CollectedRun run =
      testing::CollectedTrial([](double w) { return 5e11 * std::exp(4 * w); }, 36, 30, 0.05, 5);
  TWineRec rec = run.rec;
  Calculate(rec, false, ",");
  const std::string trial = Path("merlot.vrs");
  ASSERT_EQ(SaveTrialFile(trial, rec), 0);
  {
    ReadingLog log(ReadingLogPath(trial));
    for (const Reading& r : run.log) log.Add(r.seconds, r.ml, r.ml);
  }
  const std::string fitted = "Fitted on 1,081 readings the balance gave during the collection (merlot.readings.csv).";
  const Outcome beside = Run({"models", trial, "--json"});
  ASSERT_EQ(beside.code, 0) << beside.err;
  EXPECT_THAT(beside.out, HasSubstr(R"("source": "readings_file",
      "file": "merlot.readings.csv",
      "count": 1081,)"));
  EXPECT_THAT(beside.out, HasSubstr(fitted));
  EXPECT_THAT(Run({"compare", trial, "--json"}).out, HasSubstr(R"("source": "readings_file")"));
  ASSERT_EQ(Run({"report", trial, "--html", "-o", Path("merlot.html")}).code, 0);
  EXPECT_THAT(Read("merlot.html"), HasSubstr(fitted));

  fs::rename(ReadingLogPath(trial), dir_ / "other.csv");
  const Outcome alone = Run({"models", trial, "--json"});
  EXPECT_THAT(alone.out, HasSubstr(R"("source": "trial",
      "file": null,
      "count": 36,)"));
  EXPECT_THAT(alone.out, Not(HasSubstr("Fitted on")));
  const Outcome named = Run({"models", trial, "--readings", Path("other.csv")});
  ASSERT_EQ(named.code, 0) << named.err;
  EXPECT_THAT(named.out, HasSubstr("Fitted on 1,081 readings the balance gave during the collection (other.csv)."));

  const Outcome missing = Run({"models", trial, "--readings", Path("none.csv")});
  EXPECT_EQ(missing.code, 1);
  EXPECT_EQ(missing.err, "vorsant-cli: the readings file " + Path("none.csv") + " does not exist\n");
  EXPECT_EQ(missing.out, "");
}

}  // namespace
}  // namespace vorsant::cli
