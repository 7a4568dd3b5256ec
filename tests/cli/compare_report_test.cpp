// vorsant-cli compare and report --html as scripts use them: outputs, the
// messages of trials that cannot be compared, and the exit codes.

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "tests/cli/cli_fixture.h"

namespace vorsant::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

using test_support::Outcome;

// `text` matched as it is by std::regex.
std::string Literal(const std::string& text) {
  return std::regex_replace(text, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
}

class CompareAndExport : public test_support::CliFixture {
 protected:
  // A trial whose filtrate volume levels off towards 1200 ml with time
  // constant `tau` seconds, read every 30 s; none without points.
  std::string Trial(const std::string& name, const std::string& wine, double tau) {
    const std::string file = Path(name);
    EXPECT_EQ(Run({"new", "-o", file, "--wine", wine, "--filter", "K250", "--lab-pressure", "30",
                   "--diameter", "47", "--max-pressure", "30", "--area", "20", "--rate", "40"})
                  .code,
              0);
    if (tau <= 0) return file;
    std::ofstream csv(dir_ / "points.csv");
    csv << "volume_ml,minutes,seconds\n";
    for (int k = 1; k <= 20; ++k) {
      csv << 1200 * (1 - std::exp(-30.0 * k / tau)) << "," << 30 * k / 60 << "," << 30 * k % 60 << "\n";
    }
    csv.close();
    EXPECT_EQ(Run({"data", file, "--csv", Path("points.csv")}).code, 0);
    return file;
  }
};

TEST_F(CompareAndExport, ComparesTheReadableTrialsInOrderAndNamesTheOthers) {
  const std::string merlot = Trial("merlot.vrs", "Merlot", 400);
  const std::string empty = Trial("empty.vrs", "Syrah", 0);
  const std::string shiraz = Trial("shiraz.vrs", "Shiraz", 250);
  std::ofstream(dir_ / "bad.vrs") << "not a trial";

  const Outcome r = Run({"compare", merlot, Path("bad.vrs"), empty, shiraz, "-o", Path("cmp.svg")});
  EXPECT_EQ(r.code, 1);
  EXPECT_THAT(r.err, HasSubstr(Path("bad.vrs") + ": Error reading the data file.\n"));
  EXPECT_THAT(r.err, HasSubstr(empty + ": Data is insufficient to calculate fouling constants.\n"));
  std::vector<std::string> lines;
  std::istringstream out(r.out);
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  // The unreadable file keeps its place, with its message.
  ASSERT_EQ(lines.size(), 6u) << r.out;
  EXPECT_THAT(lines[0], ::testing::StartsWith("  File "));
  EXPECT_THAT(lines[2], HasSubstr("merlot.vrs  Merlot  K250"));
  EXPECT_THAT(lines[3], HasSubstr("bad.vrs "));
  EXPECT_THAT(lines[3], ::testing::EndsWith("  Error reading the data file."));
  EXPECT_THAT(lines[4],
              ::testing::EndsWith("   Syrah   K250    Data is insufficient to calculate fouling constants."));
  EXPECT_THAT(lines[5], HasSubstr("shiraz.vrs  Shiraz  K250"));
  const std::string svg = Read("cmp.svg");
  EXPECT_THAT(svg, HasSubstr(">Merlot - K250</text>"));
  EXPECT_THAT(svg, HasSubstr(">Shiraz - K250</text>"));
  EXPECT_THAT(svg, ::testing::Not(HasSubstr("Syrah")));
}

TEST_F(CompareAndExport, GivesEachTrialsBestModelAsTheModelsCommandComputesIt) {
  const std::string merlot = Trial("merlot.vrs", "Merlot", 400);
  const std::string empty = Trial("empty.vrs", "Syrah", 0);
  const Outcome r = Run({"compare", merlot, empty, "--json", "--volume", "1000", "--safety", "2"});
  EXPECT_EQ(r.code, 1);

  const Outcome models = Run({"models", merlot, "--json", "--volume", "1000", "--safety", "2"});
  std::smatch best;
  ASSERT_TRUE(std::regex_search(models.out, best, std::regex("\"best\": \"([a-z]+)\"")));
  std::smatch fit;
  ASSERT_TRUE(
      std::regex_search(models.out, fit,
                        std::regex("\"model\": \"" + best[1].str() +
                                   "\",[^}]*\"capacity_l_m2\": ([^,]+),\\s*\"volume_gal\": ([^,]+),\\s*"
                                   "\"volume_l\": ([^,]+),\\s*\"hours\": ([^,]+),\\s*\"area_m2\": ([^,]+),")));
  std::smatch range, rangeL, fi;
  ASSERT_TRUE(std::regex_search(models.out, range, std::regex("\"volume_range_gal\": (\\[[^\\]]*\\]|null)")));
  ASSERT_TRUE(std::regex_search(models.out, rangeL, std::regex("\"volume_range_l\": (\\[[^\\]]*\\]|null)")));
  ASSERT_TRUE(std::regex_search(models.out, fi, std::regex("\"fi_standard_s\": ([^,]+),")));
  std::smatch measured;
  ASSERT_TRUE(std::regex_search(models.out, measured, std::regex("\"fi_trial_s\": ([^,]+),")));
  // The verdict's range, indented as deep as the comparison nests it.
  const std::string rangeIn = std::regex_replace(Literal(range[1]), std::regex("\\s+"), "\\s*");
  const std::string rangeLIn = std::regex_replace(Literal(rangeL[1]), std::regex("\\s+"), "\\s*");
  const std::string number = "[-0-9.e+]+";
  // std::regex: the test also runs where GoogleTest has only its simple one.
  EXPECT_TRUE(std::regex_match(
      r.out,
      std::regex("\\{\\s*\"trials\": \\[\\s*\\{\\s*"
                 "\"file\": \"[^\"]*merlot\\.vrs\",\\s*\"wine\": \"Merlot\",\\s*\"filter\": \"K250\",\\s*"
                 "\"best\": \"" +
                 best[1].str() +
                 "\",\\s*"
                 "\"volume_law\": \"" + best[1].str() + "\",\\s*"
                 "\"volume_gal\": " +
                 Literal(fit[2]) +
                 ",\\s*"
                 "\"volume_l\": " +
                 Literal(fit[3]) +
                 ",\\s*"
                 "\"volume_range_gal\": " +
                 rangeIn +
                 ",\\s*"
                 "\"volume_range_l\": " +
                 rangeLIn +
                 ",\\s*"
                 "\"hours\": " +
                 Literal(fit[4]) +
                 ",\\s*"
                 "\"capacity_l_m2\": " +
                 Literal(fit[1]) +
                 ",\\s*"
                 "\"fi_standard_s\": " +
                 Literal(fi[1]) +
                 ",\\s*"
                 "\"fi_trial_s\": " +
                 Literal(measured[1]) +
                 ",\\s*"
                 "\"area_m2\": " +
                 Literal(fit[5]) +
                 ",\\s*\"proven_volume_gal\": null,\\s*\"proven_volume_l\": null,\\s*\"left_out\": \\[\\s*\\],\\s*\"readings\": \\{\\s*\"source\": \"trial\",\\s*\"file\": null,[^}]*\\}"
                 "\\s*\\},\\s*"
                 "\\{\\s*\"file\": \"[^\"]*empty\\.vrs\",\\s*\"wine\": \"Syrah\",\\s*"
                 "\"filter\": \"K250\",\\s*\"best\": null,\\s*\"volume_law\": null,\\s*\"volume_gal\": null,\\s*"
                 "\"volume_l\": null,\\s*\"volume_range_gal\": null,\\s*\"volume_range_l\": null,\\s*\"hours\": null,\\s*\"capacity_l_m2\": null,\\s*"
                 "\"fi_standard_s\": null,\\s*\"fi_trial_s\": null,\\s*\"area_m2\": null,\\s*"
                 "\"proven_volume_gal\": null,\\s*\"proven_volume_l\": null,\\s*\"left_out\": \\[\\s*\\],\\s*\"readings\": null\\s*"
                 "\\}\\s*\\]\\s*\\}\\s*")))
      << r.out;
  EXPECT_TRUE(std::regex_match(fit[5].str(), std::regex(number))) << fit[5];
}

TEST_F(CompareAndExport, RefusesMisuseWithOneLineNamingTheProblem) {
  const std::string t = Trial("t.vrs", "Merlot", 400);
  const std::vector<std::string> nine(9, t);
  std::vector<std::string> args = {"compare"};
  args.insert(args.end(), nine.begin(), nine.end());
  const struct {
    std::vector<std::string> args;
    const char* named;
  } cases[] = {
      {args, "at most 8 trials"},
      {{"compare"}, "no trial file"},
      {{"compare", t, "--volume", "0"}, "--volume"},
      {{"compare", t, "--volume", "lots"}, "--volume"},
      {{"compare", t, "--safety", "0.9"}, "--safety"},
      {{"report", t, "--html"}, "-o"},
      {{"report", t, "-o", Path("x.html")}, "--html"},
      {{"report", t, "--html", "--json", "-o", Path("x.html")}, "--json"},
  };
  for (const auto& c : cases) {
    const Outcome r = Run(c.args);
    EXPECT_EQ(r.code, kExitUsage) << c.named;
    EXPECT_THAT(r.err, ::testing::StartsWith("vorsant-cli: "));
    EXPECT_THAT(r.err, HasSubstr(c.named));
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_FALSE(fs::exists(dir_ / "x.html"));
}

TEST_F(CompareAndExport, ExportsTheReportAsAWebPageDatedToday) {
  const std::string t = Trial("Merlot 2024.vrs", "Merlot", 400);
  const Outcome r = Run({"report", t, "--html", "-o", Path("out.html")});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "");
  const std::string html = Read("out.html");
  EXPECT_THAT(html, ::testing::StartsWith("<!DOCTYPE html>"));
  EXPECT_TRUE(std::regex_search(
      html, std::regex("File: Merlot 2024\\.vrs &middot; Exported: 20[0-9][0-9]-[01][0-9]-[0-3][0-9]<")));

  std::ofstream(dir_ / "bad.vrs") << "not a trial";
  const Outcome bad = Run({"report", Path("bad.vrs"), "--html", "-o", Path("bad.html")});
  EXPECT_EQ(bad.code, kExitFailure);
  EXPECT_EQ(bad.err, "Error reading the data file.\n");
  EXPECT_FALSE(fs::exists(dir_ / "bad.html"));
}

// A file name in Latin-1 bytes, as another system may have written it, is
// not UTF-8: the JSON replaces the bytes so that a parser accepts it. (Not
// a file on disk: Windows names every file in UTF-16.)
TEST_F(CompareAndExport, ReplacesTheBytesOfAFileNameThatIsNotUtf8) {
  const Outcome r = Run({"compare", dir_.string() + "/ros\xe9.vrs", "--json"});
  EXPECT_EQ(r.code, kExitFailure);
  EXPECT_EQ(r.out.find('\xe9'), std::string::npos);
  EXPECT_THAT(r.out, HasSubstr("ros\ufffd.vrs\"")) << r.err;
}

// No fouling is said as such; an unreadable file keeps its row with nulls
// like an unanalysable one; with nothing readable no graph is written.
TEST_F(CompareAndExport, NamesNoFoulingAndKeepsUnreadableFilesWithoutAGraphOfNothing) {
  const std::string flat = Trial("flat.vrs", "Flat", 0);
  std::ofstream csv(dir_ / "flat.csv");
  for (int k = 1; k <= 10; ++k) csv << 20 * k << "," << k / 2 << "," << 30 * (k % 2) << "\n";
  csv.close();
  ASSERT_EQ(Run({"data", flat, "--csv", Path("flat.csv")}).code, 0);
  const Outcome table = Run({"compare", flat, Path("missing.vrs")});
  EXPECT_EQ(table.code, 1);
  EXPECT_THAT(table.out, HasSubstr("No fouling was observed."));
  EXPECT_THAT(table.out, HasSubstr("missing.vrs"));

  const Outcome json = Run({"compare", flat, Path("missing.vrs"), "--json"});
  EXPECT_TRUE(
      std::regex_search(json.out, std::regex("\"file\": \"[^\"]*missing\\.vrs\",\\s*\"wine\": null,\\s*"
                                             "\"filter\": null,\\s*\"best\": null")))
      << json.out;

  const Outcome none = Run({"compare", Path("missing.vrs"), "-o", Path("none.svg")});
  EXPECT_EQ(none.code, kExitFailure);
  EXPECT_FALSE(fs::exists(dir_ / "none.svg"));
}

}  // namespace
}  // namespace vorsant::cli
