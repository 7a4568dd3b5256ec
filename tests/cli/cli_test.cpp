#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/command.h"
#include "tests/cli/cli_fixture.h"
#include "trial/analysis.h"
#include "trial/data_input.h"
#include "trial/report.h"
#include "trial/trial_file.h"

namespace vorsant::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

using test_support::Outcome;

// Lines of the kind a filtration at 30 psi on a 47 mm disc gives.
constexpr const char* kPoints =
    "volume_ml,minutes,seconds\n10,1,0\n19,2,0\n27,3,0\n34,4,0\n40,5,0\n45.5,6,0\n";

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Checks JSON syntax: values, objects, arrays, strings with escapes, numbers.
class JsonSyntax {
 public:
  explicit JsonSyntax(const std::string& s) : s_(s) {}
  bool Valid() {
    bool ok = Value();
    Space();
    return ok && i_ == s_.size();
  }

 private:
  void Space() {
    while (i_ < s_.size() && std::string(" \n\r\t").find(s_[i_]) != std::string::npos) ++i_;
  }
  bool Eat(char c) {
    Space();
    if (i_ < s_.size() && s_[i_] == c) return ++i_, true;
    return false;
  }
  bool String() {
    if (!Eat('"')) return false;
    while (i_ < s_.size() && s_[i_] != '"') {
      if (static_cast<unsigned char>(s_[i_]) < 0x20) return false;
      if (s_[i_] == '\\') ++i_;
      ++i_;
    }
    return i_++ < s_.size();
  }
  bool Value() {
    Space();
    if (i_ >= s_.size()) return false;
    if (s_[i_] == '"') return String();
    if (Eat('{')) {
      if (Eat('}')) return true;
      do {
        if (!String() || !Eat(':') || !Value()) return false;
      } while (Eat(','));
      return Eat('}');
    }
    if (Eat('[')) {
      if (Eat(']')) return true;
      do {
        if (!Value()) return false;
      } while (Eat(','));
      return Eat(']');
    }
    const std::size_t start = i_;
    while (i_ < s_.size() && std::string("+-0123456789.eE").find(s_[i_]) != std::string::npos) ++i_;
    return i_ > start;
  }
  const std::string& s_;
  std::size_t i_ = 0;
};

class Cli : public test_support::CliFixture {
 protected:
  void Write(const std::string& name, const std::string& content) {
    std::ofstream(dir_ / name, std::ios::binary) << content;
  }

  Outcome New(const std::string& out) {
    return Run({"new", "-o", Path(out), "--wine", "Ros\u00E9 2024", "--filter", "0.45 um", "--lab-pressure",
                "30", "--diameter", "47", "--max-pressure", "30", "--area", "20", "--rate", "40"});
  }
};

TEST_F(Cli, CreatesFillsAnalysesAndReportsATrial) {
  ASSERT_EQ(New("t.vrs").code, 0);
  const TrialReadResult created = ReadTrialFile(Path("t.vrs"));
  ASSERT_TRUE(created.Ok());
  EXPECT_EQ(fs::file_size(Path("t.vrs")), kWineRecSize);
  EXPECT_EQ(created.WineRec.Conditions.WineName.Str(), "Ros\xE9 2024");  // single-byte in the record
  EXPECT_EQ(created.WineRec.Conditions.LabP.Str(), "30.0");
  EXPECT_EQ(created.WineRec.Conditions.ProdP.Str(), "  30");
  EXPECT_EQ(created.WineRec.Conditions.VolType, 1);
  EXPECT_EQ(created.WineRec.LabA.Str(), " 17.3");
  EXPECT_EQ(created.WineRec.ProdFaceVel.Str(), " 0.4");
  EXPECT_EQ(created.WineRec.bE.Str(), "     ");

  Write("p.csv", kPoints);
  const Outcome data = Run({"data", Path("t.vrs"), "--csv", Path("p.csv"), "--skip", "0"});
  EXPECT_EQ(data.code, 0) << data.err;
  EXPECT_EQ(data.err, "");
  const TWineRec filled = ReadTrialFile(Path("t.vrs")).WineRec;
  EXPECT_EQ(filled.Data.V[0].Str(), "  10.0");
  EXPECT_EQ(filled.Data.M[0].Str(), "  1");
  EXPECT_EQ(filled.Data.Sc[0].Str(), "00");
  EXPECT_EQ(filled.Data.V[5].Str(), "  45.5");
  EXPECT_TRUE(filled.Data.V[6].Empty());
  EXPECT_EQ(filled.TableData[0].R.Str(), "1435.4");
  EXPECT_EQ(filled.MaxProdR.Str(), "5515.8");
  EXPECT_NE(filled.bP.Str(), "     ");

  // Analysing again changes nothing; the input stays as it was.
  const std::string before = Slurp(Path("t.vrs"));
  const Outcome analysed = Run({"analyse", Path("t.vrs"), "-o", Path("again.vrs")});
  EXPECT_EQ(analysed.code, 0);
  EXPECT_EQ(Slurp(Path("again.vrs")), before);
  EXPECT_EQ(Slurp(Path("t.vrs")), before);

  const Outcome report = Run({"report", Path("t.vrs")});
  ASSERT_EQ(report.code, 0);
  const std::vector<std::string> lines = SplitLines(report.out);
  const ReportLines expected = FillLines(filled);
  ASSERT_EQ(lines.size(), expected.Memo1.size() + expected.Memo2.size());
  EXPECT_EQ(lines[1], " Wine: Ros\u00E9 2024");
  EXPECT_EQ(lines[13], " " + filled.ExpectedVolP.Str() + " gallons");
  EXPECT_EQ(lines[20 + 2], "           Laboratory Conditions                  Full Scale Conditions");
  EXPECT_EQ(lines[20 + 14],
            "          1     10.0     1 00    0.003    1435.4    " + filled.TableData[0].RmodelP.Str());
}

TEST_F(Cli, ReportsTheStoredTextsAsJson) {
  ASSERT_EQ(New("t.vrs").code, 0);
  Write("p.csv", kPoints);
  ASSERT_EQ(Run({"data", Path("t.vrs"), "--csv", Path("p.csv")}).code, 0);
  const Outcome json = Run({"report", Path("t.vrs"), "--json"});
  ASSERT_EQ(json.code, 0);
  EXPECT_TRUE(JsonSyntax(json.out).Valid()) << json.out;
  EXPECT_THAT(json.out, HasSubstr("\"WineName\": \"Ros\u00E9 2024\""));
  EXPECT_THAT(json.out, HasSubstr("\"ProdRateUnits\": 0"));
  EXPECT_THAT(json.out, HasSubstr("\"MaxProdR\": \"5515.8\""));
  EXPECT_THAT(json.out, HasSubstr("\"aReal\": "));
  EXPECT_THAT(json.out, HasSubstr("\"RmodelE\": "));
  EXPECT_THAT(json.out, HasSubstr("\"summary\": ["));
  EXPECT_THAT(json.out, HasSubstr("\"table\": ["));
  EXPECT_THAT(json.out, HasSubstr("\"          0      na        00    0.000       na     "));
  EXPECT_THAT(json.out, HasSubstr("\" \u2014\u2014\u2014\u2014\u2014\u2014\u2014\u2014\u2014"));
  // 36 points in each of V, M, Sc, and 36 table rows.
  std::size_t rows = 0;
  for (std::size_t at = 0; (at = json.out.find("\"RmodelP\"", at)) != std::string::npos; ++at) ++rows;
  EXPECT_EQ(rows, 36u);
}

TEST_F(Cli, ShowsAnOpenedTrialWithoutRecalculating) {
  ASSERT_EQ(New("t.vrs").code, 0);
  TWineRec rec = ReadTrialFile(Path("t.vrs")).WineRec;
  rec.ExpectedVolP.Set("from v5");
  ASSERT_EQ(SaveTrialFile(Path("t.vrs"), rec), 0);
  const Outcome report = Run({"report", Path("t.vrs")});
  EXPECT_EQ(SplitLines(report.out)[13], " from v5 gallons");
}

TEST_F(Cli, RefusesFilesThatAreNotOneTrial) {
  Write("short.vrs", std::string(kWineRecSize - 1, '\0'));
  Outcome r = Run({"report", Path("short.vrs")});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "Error reading the data file.\n");
  r = Run({"analyse", Path("missing.vrs"), "-o", Path("out.vrs")});
  EXPECT_EQ(r.code, 1);
  EXPECT_THAT(r.err, StartsWith("I/O Error type "));
  EXPECT_THAT(r.err, HasSubstr(" occurred while reading file.\n"));
  EXPECT_FALSE(fs::exists(Path("out.vrs")));
}

TEST_F(Cli, ChecksConditionsInTheDialogsOrderWithItsMessages) {
  // Several bad values: only the first in the dialog's order is reported.
  Outcome r = Run({"new", "-o", Path("n.vrs"), "--wine", "W", "--filter", "F", "--lab-pressure", "30",
                   "--diameter", "0.5", "--max-pressure", "5000", "--area", "20", "--rate", "40"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "Laboratory Filter Diameter is out of Range. Please enter a value between 1000 and 1.\n");
  EXPECT_FALSE(fs::exists(Path("n.vrs")));
  // A missing value is an empty box.
  r = Run({"new", "-o", Path("n.vrs"), "--filter", "F"});
  EXPECT_EQ(r.err, "Wine Name field is blank; please enter a name for this wine.\n");
  r = Run({"new", "-o", Path("n.vrs"), "--wine", "W", "--filter", "F", "--lab-pressure", "30", "--diameter",
           "47", "--max-pressure", "30", "--area", "20", "--rate", "2000"});
  EXPECT_EQ(r.err, "Full-Scale Rate is out of Range. Please enter a value between 1999 and 0.1.\n");
  // A comma is no decimal point.
  r = Run({"new", "-o", Path("n.vrs"), "--wine", "W", "--filter", "F", "--lab-pressure", "30,5"});
  EXPECT_EQ(r.err, "Laboratory Pressure is out of Range. Please enter a value between 1000 and 0.1.\n");
  EXPECT_FALSE(fs::exists(Path("n.vrs")));

  r = Run({"new", "-o", Path("n.vrs"), "--wine", "W", "--filter", "F", "--type", "sweet"});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err, "vorsant-cli: --type takes normal or dessert\n");
  r = Run({"new", "--wine", "W"});
  EXPECT_EQ(r.err, "vorsant-cli: missing -o\n");

  // Dessert wine in gallons a minute.
  r = Run({"new",      "-o",         Path("n.vrs"), "--wine",         "W",
           "--filter", "F",          "--type",      "dessert",        "--lab-pressure",
           "100",      "--diameter", "142",         "--max-pressure", "75",
           "--area",   "2.5",        "--rate",      "12.5",           "--units",
           "gpm"});
  ASSERT_EQ(r.code, 0) << r.err;
  const TWineRec rec = ReadTrialFile(Path("n.vrs")).WineRec;
  EXPECT_EQ(rec.Conditions.WineType, 1);
  EXPECT_EQ(rec.Conditions.ProdRateUnits, 1);
  EXPECT_EQ(rec.Conditions.LabP.Str(), " 100");
  EXPECT_EQ(rec.Conditions.ProdP.Str(), "  75");
  EXPECT_EQ(rec.Conditions.ProdA.Str(), "2.50");
  EXPECT_EQ(rec.Conditions.ProdRate.Str(), "12.5");
}

TEST_F(Cli, ChecksPointsWithTheDataDialogsRulesAndWritesNothingOnFailure) {
  ASSERT_EQ(New("t.vrs").code, 0);
  const std::string before = Slurp(Path("t.vrs"));
  // The command line names the reading and the real cause.
  const std::pair<const char*, const char*> refused[] = {
      {"10,1,0\n0.05,2,0\n", "reading 2: the volume 0.05 ml is below the least reading, 0.1 ml"},
      {"10,1,0\n100500,2,0\n", "reading 2: the volume 100500 ml is above the largest reading, 100000 ml"},
      {"10,1,0\n20,1000,0\n", "reading 2: the minutes 1000 are outside 0 to 999"},
      {"10,1,60\n", "reading 1: the seconds 60 are outside 0 to 59"},
      {"10,1,0\n20 ,2,x\n", "reading 2: the seconds \"x\" are not a number"},
      {"10,1,0\n20,2,0\n15,3,0\n", "reading 3: the volume goes backwards: 15 ml is not above reading 2's 20 ml"},
      {"10,1,0\n20,2,0\n30,,\n40,1,50\n", "reading 4: the time goes backwards: 1:50 is before reading 2's 2:00"}};
  for (const auto& [csv, why] : refused) {
    Write("p.csv", csv);
    const Outcome r = Run({"data", Path("t.vrs"), "--csv", Path("p.csv")});
    EXPECT_EQ(r.code, 1) << csv;
    EXPECT_THAT(r.err, HasSubstr(why)) << csv;
    EXPECT_THAT(r.err, HasSubstr("nothing was written")) << csv;
    EXPECT_EQ(Slurp(Path("t.vrs")), before) << csv;
  }
  // Readings that rounding puts in one second are named, and kept.
  Write("p.csv", "10,1,0\n20,1,2.5\n30,1,3.3\n40,1,9\n");
  Outcome same = Run({"data", Path("t.vrs"), "--csv", Path("p.csv"), "-o", Path("same.vrs")});
  EXPECT_EQ(same.code, 0);
  EXPECT_THAT(same.err, HasSubstr("readings 2 and 3 both fall on 1:03 once rounded"));
  Write("p.csv", "10,1,0\n");
  Outcome r = Run({"data", Path("t.vrs"), "--csv", Path("p.csv"), "--skip", "13"});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err, "vorsant-cli: --skip takes a whole number from 0 to 12\n");
  r = Run({"data", Path("t.vrs"), "--csv", Path("missing.csv")});
  EXPECT_EQ(r.code, 1);
  EXPECT_THAT(r.err, HasSubstr("cannot read"));
  EXPECT_EQ(Slurp(Path("t.vrs")), before);
}

TEST_F(Cli, PrintsTheAnalysisWarningsAndKeepsTheInputUnlessItIsTheOutput) {
  ASSERT_EQ(New("t.vrs").code, 0);
  const std::string fresh = Slurp(Path("t.vrs"));
  // Too few points after the skip: the analysis warns, the points are
  // still stored.
  Write("p.csv", "10,1,0\n20,2,0\n25,3,0\n");
  Outcome r = Run({"data", Path("t.vrs"), "--csv", Path("p.csv"), "--skip", "3", "-o", Path("out.vrs")});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, std::string(kInsufficientDataWarning) + "\n");
  EXPECT_EQ(Slurp(Path("t.vrs")), fresh);
  const TWineRec out = ReadTrialFile(Path("out.vrs")).WineRec;
  EXPECT_EQ(out.Data.MinSkip, 3);
  EXPECT_EQ(out.RmE.Str(), "      ");

  // A new trial analysed before any data: the insufficient-data warning.
  r = Run({"analyse", Path("t.vrs"), "-o", Path("t.vrs")});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, std::string(kInsufficientDataWarning) + "\n");
  EXPECT_EQ(ReadTrialFile(Path("t.vrs")).WineRec.MaxProdR.Str(), "5515.8");
}

TEST_F(Cli, AnswersMisuseWithOneLineAndAUsageExit) {
  Outcome r = Run({});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(SplitLines(r.err).size(), 1u);
  EXPECT_THAT(r.err, HasSubstr("report, analyse, new, data"));
  r = Run({"frobnicate"});
  EXPECT_EQ(r.code, 2);
  EXPECT_THAT(r.err,
              StartsWith("vorsant-cli: unknown command 'frobnicate' (commands: report, analyse, new, data"));
  EXPECT_EQ(SplitLines(r.err).size(), 1u);
  r = Run({"report", Path("t.vrs"), "--colour"});
  EXPECT_EQ(r.err, "vorsant-cli: unknown option --colour\n");
  r = Run({"report"});
  EXPECT_EQ(r.code, 2);
  r = Run({"analyse", Path("t.vrs"), "-o"});
  EXPECT_EQ(r.err, "vorsant-cli: option -o needs a value\n");
  r = Run({"analyse", Path("t.vrs"), "-o", "a", "-o", "b"});
  EXPECT_EQ(r.err, "vorsant-cli: option -o given twice\n");
  r = Run({"help"});
  EXPECT_EQ(r.code, 0);
  for (const Command& c : Commands()) EXPECT_THAT(r.out, HasSubstr(std::string(c.name) + " "));
}

}  // namespace
}  // namespace vorsant::cli

namespace vorsant::cli {
namespace {

// Decimal seconds become the whole seconds the record keeps (59.6 s a full
// minute), and the user is told how many; whole ones pass silently.
TEST_F(Cli, RoundsDecimalSecondsAndSaysSo) {
  ASSERT_EQ(New("t.vrs").code, 0);
  Write("p.csv", "100,0,49.6\n200,1,59.6\n300,2,30\n");
  Outcome r = Run({"data", Path("t.vrs"), "--csv", Path("p.csv")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("2 readings were rounded to the nearest second"));
  const Outcome report = Run({"report", Path("t.vrs"), "--json"});
  EXPECT_THAT(report.out, HasSubstr("\"M\": \"  0\",\n      \"Sc\": \"50\""));
  EXPECT_THAT(report.out, HasSubstr("\"M\": \"  2\",\n      \"Sc\": \"00\""));
  Write("p.csv", "100,0,50\n200,2,0\n");
  r = Run({"data", Path("t.vrs"), "--csv", Path("p.csv")});
  EXPECT_THAT(r.err, ::testing::Not(HasSubstr("rounded")));
}

}  // namespace
}  // namespace vorsant::cli
