#include "app/readings_paste.h"

#include <gtest/gtest.h>

#include "app/main_form.h"
#include "app/edit_data_flow.h"
#include "scripted_ui.h"

namespace vorsant::testing {
namespace {

std::vector<std::vector<std::string>> Rows(const ReadingsPaste& p) {
  std::vector<std::vector<std::string>> rows;
  for (const auto& r : p.Readings) rows.push_back({r.Volume, r.Minutes, r.Seconds});
  return rows;
}

TEST(ReadingsPaste, ReadsTheThreeLayoutsASheetCopiesAfterItsHeadings) {
  const auto p =
      ParseReadings("Volume\tTime\r\n86.7\t0\t30\r\n150\t1:00\r\n\r\n201.5;90\r\n240\t2\t0\t\t\r\n", ".");
  EXPECT_EQ(p.BadLine, 0);
  EXPECT_EQ(Rows(p), (std::vector<std::vector<std::string>>{
                         {"86.7", "0", "30"}, {"150", "1", "00"}, {"201.5", "1", "30"}, {"240", "2", "0"}}))
      << "a trailing empty cell is no field";
}

TEST(ReadingsPaste, TheUsersDecimalCommaIsThePointAndCommasSplitOnlyWhereItIsNot) {
  EXPECT_EQ(Rows(ParseReadings("86,7;30\n92,25\t0:45", ",")),
            (std::vector<std::vector<std::string>>{{"86.7", "0", "30"}, {"92.25", "0", "45"}}));
  EXPECT_EQ(Rows(ParseReadings("86.7,0,30", ".")),
            (std::vector<std::vector<std::string>>{{"86.7", "0", "30"}}));
  EXPECT_EQ(DotDecimal(" 30,5", ","), " 30.5");
  EXPECT_EQ(DotDecimal("30,5", "."), "30,5") << "a comma is no decimal point where the user's is a point";
  EXPECT_EQ(DotDecimal("1,000,5", ","), "1,000,5");
  EXPECT_EQ(DotDecimal("1.5", ","), "1.5");
}

TEST(ReadingsPaste, ALineThatIsNoReadingTakesNothingAndIsNamed) {
  const auto p = ParseReadings("86.7\t0\t30\n92\tabc\n100\t1\t0", ".");
  EXPECT_EQ(p.BadLine, 2);
  EXPECT_TRUE(p.Readings.empty());
  EXPECT_EQ(
      PasteSummary(p, 0, 0),
      "Line 2 of the pasted text is not a reading (a volume, then minutes and seconds); nothing was taken.");
  EXPECT_EQ(ParseReadings("1\t2\t3\t4", ".").Readings.size(), 0u)
      << "four fields are a first line of headings";
  EXPECT_FALSE(LooksLikeReadings("86.7\r\n"));
  EXPECT_TRUE(LooksLikeReadings("86.7\n92"));
  EXPECT_TRUE(LooksLikeReadings("86.7\t0:30"));
}

TEST(ReadingsPaste, FillsFromTheRowOnAndSaysWhatDidNotFit) {
  DataInput boxes;
  boxes.V[0] = "  10.0";
  const auto p = ParseReadings("1\t0\t15\n2\t0\t30\n3\t0\t45", ".");
  EXPECT_EQ(FillReadings(boxes, 34, p.Readings), 2u);
  EXPECT_EQ(boxes.V[0], "  10.0");
  EXPECT_EQ(boxes.V[34], "1");
  EXPECT_EQ(boxes.Sec[35], "30");
  EXPECT_EQ(PasteSummary(p, 34, 2), "Took 2 readings into points 35 to 36; 1 more did not fit.");
  EXPECT_EQ(PasteSummary(p, 0, 3), "Took 3 readings into points 1 to 3.");
}

TEST(UsersDecimalSeparator, TheDialogsKeepThePointWhateverTheDesktopUses) {
  // Only a paste converts the user's separator; typed boxes are checked as
  // they stand, so a comma is refused where it is typed.
  ScriptedUi ui;
  ConditionsInput c = GoodConditions();
  c.LabPressure = "30,5";
  EXPECT_EQ(CheckConditionsDialog(c, ui), ConditionsBox::LabPressure);
  EXPECT_EQ(c.LabPressure, "30,5");
  DataInput d;
  d.V[0] = "86,7";
  EXPECT_TRUE(CheckDataDialog(d, ui));
  EXPECT_EQ(d.V[0], "86,7");
  EXPECT_EQ(ui.Messages.size(), 2u);
}

}  // namespace
}  // namespace vorsant::testing
