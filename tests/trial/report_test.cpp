#include "trial/report.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "trial/analysis.h"
#include "trial_builder.h"

namespace vorsant {
namespace {

using namespace vorsant::testing;

const std::string kDash = "\u2014";

// Columns count characters, not bytes: em dashes take three bytes in UTF-8.
std::u32string Chars(const std::string& utf8) {
  std::u32string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const std::size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    char32_t cp = n == 1 ? b : b & (0x3F >> (n - 1));
    for (std::size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    out.push_back(cp);
    i += n;
  }
  return out;
}

// Characters `first` to `last` of a line, counted from 1 as the layout does.
std::string Columns(const std::string& line, std::size_t first, std::size_t last) {
  const std::u32string c = Chars(line);
  std::string out;
  for (std::size_t i = first - 1; i < last && i < c.size(); ++i) {
    out += c[i] == U'\u2014' ? kDash : std::string(1, static_cast<char>(c[i]));
  }
  return out;
}

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

constexpr std::size_t kOriginLine = 13;  // index in Memo2
constexpr std::size_t kFirstPointLine = 14;

TEST(FillLines, ShowsANewTrialBeforeAnyData) {
  const ReportLines lines = FillLines(MakeTrial());
  ASSERT_EQ(lines.Memo2.size(), 56u);
  EXPECT_EQ(lines.Memo2[0], "");
  EXPECT_EQ(lines.Memo2[1], "");
  EXPECT_EQ(lines.Memo2[2], "           Laboratory Conditions                  Full Scale Conditions");
  EXPECT_EQ(lines.Memo2[3], "   " + Repeat(kDash, 37) + "   " + Repeat(kDash, 32));
  EXPECT_EQ(lines.Memo2[4], "                   pressure: 30.0 psi         maximum pressure:   30 psi");
  EXPECT_EQ(lines.Memo2[5], "                       area: 17.3 cm2                     area: 20.0 m2");
  EXPECT_EQ(lines.Memo2[6], "   equivalent volume passed:      gal                     rate: 40.0 bpm");
  EXPECT_EQ(lines.Memo2[7], "      average face velocity:      gpm/m2         face velocity:      gpm/m2");
  EXPECT_EQ(lines.Memo2[8], "");
  EXPECT_EQ(lines.Memo2[9], "");
  EXPECT_EQ(lines.Memo2[10], "                  V      Time     V/A        R      Rmodel     Rmax");
  EXPECT_EQ(lines.Memo2[11], "                 ml    min sec     m        1/m       1/m       1/m");
  EXPECT_EQ(lines.Memo2[12], "             " + Repeat(kDash, 8) + "  " + Repeat(kDash, 7) + "  " +
                                 Repeat(kDash, 7) + "  " + Repeat(kDash, 8) + "  " + Repeat(kDash, 8) + "  " +
                                 Repeat(kDash, 8));
  EXPECT_EQ(lines.Memo2[kOriginLine], "          0");
  // Every one of the 36 point lines, empty rows included.
  EXPECT_EQ(lines.Memo2[kFirstPointLine], "          1" + std::string(19, ' '));
  EXPECT_EQ(lines.Memo2[kFirstPointLine + 8], "          9" + std::string(19, ' '));
  EXPECT_EQ(lines.Memo2[kFirstPointLine + 35], "         36" + std::string(19, ' '));
  for (std::size_t i = 50; i < 56; ++i) EXPECT_EQ(lines.Memo2[i], "");

  ASSERT_EQ(lines.Memo1.size(), 20u);
  EXPECT_EQ(lines.Memo1[0], "");
  EXPECT_EQ(lines.Memo1[1], " Wine: Chardonnay");
  EXPECT_EQ(lines.Memo1[2], " Filter: 0.45 um");
  EXPECT_EQ(lines.Memo1[3], "");
  EXPECT_EQ(lines.Memo1[4], " Fouling Constants");
  EXPECT_EQ(lines.Memo1[5], " " + Repeat(kDash, 17));
  EXPECT_EQ(lines.Memo1[6], " Rm:      ");
  EXPECT_EQ(lines.Memo1[7], " a:       ");
  EXPECT_EQ(lines.Memo1[8], " b:     ");
  EXPECT_EQ(lines.Memo1[9], " r:     ");
  EXPECT_EQ(lines.Memo1[10], "");
  EXPECT_EQ(lines.Memo1[11], " Estimated full-scale volume");
  EXPECT_EQ(lines.Memo1[12], " " + Repeat(kDash, 27));
  EXPECT_EQ(lines.Memo1[13], "        gallons");
  for (std::size_t i = 14; i < 20; ++i) EXPECT_EQ(lines.Memo1[i], "");
}

TEST(FillLines, LinesUpEveryColumnOfAnAnalysedTrial) {
  TWineRec rec = MakeTrial();
  SetPoints(rec, PointsFollowing([](double w) { return 8e11 + 2e13 * std::pow(w, 1.4); }, 12, 60));
  Calculate(rec, false);
  const ReportLines lines = FillLines(rec);
  const std::string& origin = lines.Memo2[kOriginLine];
  EXPECT_EQ(origin, "          0      na        00    0.000       na     " + rec.RmP.Str() + "    " +
                        rec.MaxProdR.Str());
  EXPECT_EQ(Columns(origin, 53, 58), rec.RmP.Str());       // under "Rmodel"
  EXPECT_EQ(Columns(origin, 63, 68), rec.MaxProdR.Str());  // under "Rmax"
  EXPECT_EQ(Chars(origin).size(), 68u);

  const std::string& heading = lines.Memo2[10];
  const std::string& rule = lines.Memo2[12];
  for (std::size_t k = 1; k <= 12; ++k) {
    const TTableRow& row = rec.TableData[k - 1];
    const std::string& line = lines.Memo2[kFirstPointLine + k - 1];
    std::string number = k < 10 ? " " : "";
    number += std::to_string(k);
    EXPECT_EQ(Columns(line, 10, 11), number);
    EXPECT_EQ(Columns(line, 15, 20), row.V.Str());
    EXPECT_EQ(Columns(line, 24, 26), row.M.Str());
    EXPECT_EQ(Columns(line, 28, 29), row.Sc.Str());
    EXPECT_EQ(Columns(line, 34, 38), row.VA.Str());
    EXPECT_EQ(Columns(line, 43, 48), row.R.Str());
    EXPECT_EQ(Columns(line, 53, 58), row.RmodelP.Str());
    EXPECT_EQ(Chars(line).size(), 58u);
  }
  // Each heading word stands over its column and each rule covers it.
  EXPECT_EQ(Columns(heading, 19, 19), "V");
  EXPECT_EQ(Columns(heading, 26, 29), "Time");
  EXPECT_EQ(Columns(heading, 35, 37), "V/A");
  EXPECT_EQ(Columns(heading, 46, 46), "R");
  EXPECT_EQ(Columns(heading, 53, 58), "Rmodel");
  EXPECT_EQ(Columns(heading, 64, 67), "Rmax");
  for (auto [first, last] : {std::pair{15, 20}, {24, 29}, {34, 38}, {43, 48}, {53, 58}, {63, 68}}) {
    EXPECT_EQ(Columns(rule, static_cast<std::size_t>(first), static_cast<std::size_t>(last)),
              Repeat(kDash, last - first + 1));
  }
  // The rows past the points carry only their numbers.
  EXPECT_EQ(lines.Memo2[kFirstPointLine + 12], "         13" + std::string(19, ' '));

  EXPECT_EQ(lines.Memo1[6], " Rm:" + rec.RmP.Str());
  EXPECT_EQ(lines.Memo1[7], " a:" + rec.a.Str());
  EXPECT_EQ(lines.Memo1[8], " b:" + rec.bP.Str());
  EXPECT_EQ(lines.Memo1[9], " r:" + rec.rP.Str());
  EXPECT_EQ(lines.Memo1[13], " 1,951 gallons");
  EXPECT_EQ(lines.Memo2[6], "   equivalent volume passed:  481 gal                     rate: 40.0 bpm");
  EXPECT_EQ(lines.Memo2[7], "      average face velocity:  2.0 gpm/m2         face velocity:  0.4 gpm/m2");
}

TEST(FillLines, ShowsNoResistancesAfterANonPositiveInterval) {
  TWineRec rec = MakeTrial();
  SetPoints(rec, {{10.0, 60}, {20.0, 120}, {15.0, 180}, {30.0, 240}});
  Calculate(rec, false);
  const ReportLines lines = FillLines(rec);
  EXPECT_EQ(rec.RmE.Str(), "   neg");  // kept in the record, never printed
  EXPECT_EQ(lines.Memo1[6], " Rm:      ");
  for (std::size_t k = 1; k <= 4; ++k) {
    const std::string& line = lines.Memo2[kFirstPointLine + k - 1];
    EXPECT_EQ(Chars(line).size(), 38u + 4 + 4) << k;  // V/A, then two empty columns
    EXPECT_EQ(line.find("neg"), std::string::npos);
  }
  EXPECT_EQ(lines.Memo2[kOriginLine].substr(0, 52), "          0      na        00    0.000       na     ");
}

TEST(FillLines, PrintsTheRateUnitAndTheStoredTextsAsTheyAre) {
  Conditions gpm;
  gpm.ProdRateUnits = 1;
  TWineRec rec = MakeTrial(gpm);
  EXPECT_EQ(FillLines(rec).Memo2[6],
            "   equivalent volume passed:      gal                     rate: 40.0 gpm");
  // Texts of another version or a foreign file are shown, never recomputed.
  rec.ExpectedVolP.Set("about 12");
  rec.Conditions.WineName.Set("Ros\xE9 \x97 2024");
  const ReportLines lines = FillLines(rec);
  EXPECT_EQ(lines.Memo1[13], " about 12 gallons");
  EXPECT_EQ(lines.Memo1[1], " Wine: Ros\u00E9 \u2014 2024");
  // A shell may decode with its own code page.
  const ReportLines raw =
      FillLines(rec, [](std::string_view s) { return std::string("[").append(s).append("]"); });
  EXPECT_EQ(raw.Memo1[1], " Wine: [Ros\xE9 \x97 2024]");
}

}  // namespace
}  // namespace vorsant
