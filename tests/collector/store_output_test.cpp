// What leaves the store for a person: CSV cells a spreadsheet would run,
// hit fields written to a terminal, and lists that stay short whatever
// anyone posts.
#include <gtest/gtest.h>

#include "collector/csv.h"
#include "collector/report_text.h"
#include "collector/summary.h"

namespace collector {
namespace {

TEST(CsvRow, CellsASpreadsheetWouldRunStayText) {
  EXPECT_EQ(CsvRow({"=HYPERLINK(\"x\")", "+1+2", "-2+3", "@SUM(A1)", "\tcmd", "\r=1"}),
            "\"'=HYPERLINK(\"\"x\"\")\",'+1+2,'-2+3,'@SUM(A1),'\tcmd,\"'\r=1\"\r\n");
  // Numbers, a minus inside, and text keep their form.
  EXPECT_EQ(CsvRow({"-15", "1500", "a=b", "", "Error 1335"}), "-15,1500,a=b,,Error 1335\r\n");
}

TEST(TerminalText, ControlsAreShownNotActedOn) {
  EXPECT_EQ(TerminalText("a\x1b[2Jb\r\n\x7f\\"), "a\\x1b[2Jb\\x0d\\x0a\\x7f\\\\");
  EXPECT_EQ(TerminalText("\xc2\x9b" "31m \xc3\xa9"), "\\x9b31m \xc3\xa9");  // C1 CSI; é stays
  // The bidirectional controls, which would show "txt.exe" as "exe.txt";
  // their neighbours U+202F and U+2065 stay.
  EXPECT_EQ(TerminalText("a\u202etxt.exe\u200e\u200f\u202a\u2066\u2069\u061c\u202f\u2065"),
            "a\\u202etxt.exe\\u200e\\u200f\\u202a\\u2066\\u2069\\u061c\u202f\u2065");

  SummaryBuilder builder;
  SessionFacts facts;
  facts.clientId = "c";
  facts.language = "en\x1b]0;owned\x07";
  builder.Add(facts);
  std::string report = RenderReport(builder.Finish(0, {{"Act\x1b[1m", "msg\x1b", true, 1}}));
  EXPECT_EQ(report.find('\x1b'), std::string::npos);
  EXPECT_NE(report.find("en\\x1b]0;owned\\x07"), std::string::npos);
}

TEST(SummaryBuilder, ListsKeepTheirLargestRowsAndSumTheRest) {
  SummaryBuilder builder;
  SessionFacts facts;
  // 30 machines, each in two sessions; machine m speaks language m % 25,
  // so languages 0..4 have two machines and the others one.
  for (int session = 0; session < 60; ++session) {
    int machine = session % 30;
    facts.clientId = "client" + std::to_string(machine);
    facts.language = "lang" + std::to_string(machine % 25);
    facts.features = "F" + std::to_string(session);
    builder.Add(facts);
  }
  Summary s = builder.Finish(0, {});
  EXPECT_EQ(s.machines, 30);
  ASSERT_EQ(s.languages.size(), kListed + 1);
  EXPECT_EQ(s.languages[0].count, 2);
  EXPECT_EQ(s.languages[4].count, 2);
  EXPECT_EQ(s.languages[5].count, 1);
  EXPECT_EQ(s.languages.back().others, 5);
  EXPECT_EQ(s.languages.back().count, 5);
  ASSERT_EQ(s.features.size(), kListed + 1);
  EXPECT_EQ(s.features.back().others, 40);
  std::string json = SummaryJson(s);
  EXPECT_NE(json.find(R"({"others":40,"sessions":40})"), std::string::npos);
}

TEST(SummaryBuilder, DaysKeepTheLatestInOrderAndSumTheEarlierOnes) {
  SummaryBuilder builder;
  SessionFacts facts;
  for (int day = 100; day < 100 + static_cast<int>(kListedDays) + 10; ++day) {
    facts.day = "2026-" + std::to_string(day);
    builder.Add(facts);
    if (day % 2) builder.Add(facts);
  }
  Summary s = builder.Finish(0, {});
  ASSERT_EQ(s.perDay.size(), kListedDays + 1);
  EXPECT_EQ(s.perDay.front().others, 10);
  EXPECT_EQ(s.perDay.front().outcomes.sessions, 15);
  EXPECT_EQ(s.perDay[1].date, "2026-110");
  EXPECT_EQ(s.perDay.back().date, "2026-199");
  EXPECT_NE(SummaryJson(s).find(R"("per_day":[{"others":10,"sessions":15,)"), std::string::npos);
}

}  // namespace
}  // namespace collector
