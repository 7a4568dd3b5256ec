#include <string>

#include <gtest/gtest.h>

#include "trial/data_input.h"

namespace vorsant {
namespace {

// The data dialog's checks as the table of DataRangeCheck runs them; each
// gives the box's text afterwards, or "ERROR:<text>" when the check failed.
std::string Volume(std::string text) {
  bool error = false;
  data_input::Format(text, error, 1, 6, 0.1, 100000);
  return error ? "ERROR:" + text : text;
}
std::string Minutes(std::string text) {
  bool error = false;
  data_input::Format(text, error, 0, 3, 0, 999);
  return error ? "ERROR:" + text : text;
}
std::string Seconds(std::string text) {
  bool error = false;
  data_input::FormatSec(text, error, 0, 2, 0, 59);
  return error ? "ERROR:" + text : text;
}

TEST(DataFormat, Volumes) {
  EXPECT_EQ(Volume("12.5"), "  12.5");
  EXPECT_EQ(Volume("100000"), "100000");
  EXPECT_EQ(Volume("12345.6"), " 12345");
  EXPECT_EQ(Volume("0.1"), "   0.1");
  EXPECT_EQ(Volume("0012.50"), "  12.5");
  EXPECT_EQ(Volume("0.05"), "ERROR:0.05");
  EXPECT_EQ(Volume("0"), "ERROR:0");
  EXPECT_EQ(Volume("100000.1"), "ERROR:100000.1");
  EXPECT_EQ(Volume("12,5"), "ERROR:12,5");
  EXPECT_EQ(Volume("12.5 "), "ERROR:12.5 ");
}

TEST(DataFormat, BlankVolumeBoxesUpToSixAreEmpty) {
  EXPECT_EQ(Volume(""), "");
  EXPECT_EQ(Volume(" "), "");
  EXPECT_EQ(Volume("      "), "");
  // Only boxes without a typing limit can hold seven.
  EXPECT_EQ(Volume("       "), "ERROR:       ");
}

TEST(DataFormat, Minutes) {
  EXPECT_EQ(Minutes("5"), "  5");
  EXPECT_EQ(Minutes("2.6"), "  3");
  EXPECT_EQ(Minutes("0"), "  0");
  EXPECT_EQ(Minutes("-0"), "  0");
  EXPECT_EQ(Minutes("999"), "999");
  EXPECT_EQ(Minutes("1000"), "ERROR:1000");
  EXPECT_EQ(Minutes("-0.4"), "ERROR:-0.4");
  EXPECT_EQ(Minutes("   "), "");
}

TEST(DataFormat, Seconds) {
  EXPECT_EQ(Seconds("5"), "05");
  EXPECT_EQ(Seconds("0"), "00");
  EXPECT_EQ(Seconds("59"), "59");
  EXPECT_EQ(Seconds(" 7"), "07");
  EXPECT_EQ(Seconds("12.4"), "12");
  EXPECT_EQ(Seconds("60"), "ERROR:60");
  EXPECT_EQ(Seconds("-1"), "ERROR:-1");
  EXPECT_EQ(Seconds(" "), "");
  EXPECT_EQ(Seconds("  "), "");
  EXPECT_EQ(Seconds("   "), "ERROR:   ");
  EXPECT_EQ(Seconds("5s"), "ERROR:5s");
}

TEST(DataRangeCheck, AcceptsPartlyFilledRowsInAnyOrder) {
  DataInput in;
  in.V[0] = "10";
  in.Min[0] = "1";
  in.Sec[0] = "0";
  in.V[1] = "5";  // volumes need not increase
  in.Sec[2] = "30";
  in.V[35] = "99999.9";
  EXPECT_FALSE(DataRangeCheck(in).has_value());
  EXPECT_EQ(in.V[0], "  10.0");
  EXPECT_EQ(in.Min[0], "  1");
  EXPECT_EQ(in.Sec[0], "00");
  EXPECT_EQ(in.V[1], "   5.0");
  EXPECT_EQ(in.Min[1], "");
  EXPECT_EQ(in.Sec[2], "30");
  EXPECT_EQ(in.V[35], " 99999");
}

TEST(DataRangeCheck, ReportsVolumesThenMinutesThenSecondsWithOneMessage) {
  DataInput in;
  in.V[0] = "1";
  in.V[20] = "0.01";
  in.Min[0] = "5";
  in.Min[3] = "1000";
  in.Sec[1] = "61";
  in.V[30] = "2";

  auto failure = DataRangeCheck(in);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->Column, DataColumn::Volume);
  EXPECT_EQ(failure->Point, 21);
  EXPECT_EQ(failure->Message,
            "There is an error in the data entry. Please correct it and retry, or cancel. (Volume increments "
            "must be greater than 0.1 ml.)");
  // Boxes before the failing one show their canonical form; the failing
  // one and those after it keep what was typed.
  EXPECT_EQ(in.V[0], "   1.0");
  EXPECT_EQ(in.V[20], "0.01");
  EXPECT_EQ(in.V[30], "2");
  EXPECT_EQ(in.Min[0], "5");

  in.V[20] = "";
  failure = DataRangeCheck(in);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->Column, DataColumn::Minutes);
  EXPECT_EQ(failure->Point, 4);
  EXPECT_EQ(failure->Message, kDataEntryErrorMessage);
  EXPECT_EQ(in.V[30], "   2.0");
  EXPECT_EQ(in.Min[0], "  5");

  in.Min[3] = "10";
  failure = DataRangeCheck(in);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->Column, DataColumn::Seconds);
  EXPECT_EQ(failure->Point, 2);

  in.Sec[1] = "1";
  EXPECT_FALSE(DataRangeCheck(in).has_value());
  EXPECT_EQ(in.Sec[1], "01");
}

TEST(LoadAndApplyData, MovesTheBoxesAndTheSkipChoice) {
  TWineClass wine;
  wine.WineRec.Data.V[4].Set("  50.0");
  wine.WineRec.Data.M[4].Set("  3");
  wine.WineRec.Data.Sc[4].Set("15");
  wine.WineRec.Data.MinSkip = 2;
  DataInput in = LoadData(wine.WineRec.Data);
  EXPECT_EQ(in.V[4], "  50.0");
  EXPECT_EQ(in.Min[4], "  3");
  EXPECT_EQ(in.Sec[4], "15");
  EXPECT_EQ(in.Skip, 2);

  in.V[0] = "1234567";  // stored cut to the field, whatever the box held
  in.Sec[4] = "";
  in.Skip = 12;
  ApplyData(in, wine);
  EXPECT_TRUE(wine.Modified);
  EXPECT_EQ(wine.WineRec.Data.V[0].Str(), "123456");
  EXPECT_TRUE(wine.WineRec.Data.Sc[4].Empty());
  EXPECT_EQ(wine.WineRec.Data.M[4].Str(), "  3");
  EXPECT_EQ(wine.WineRec.Data.MinSkip, 12);
}

TEST(LoadAndApplyData, ASkipAboveTheChoicesIsShownUncheckedAndKept) {
  TWineClass wine;
  wine.WineRec.Data.MinSkip = 13;
  DataInput in = LoadData(wine.WineRec.Data);
  EXPECT_FALSE(in.Skip.has_value());
  ApplyData(in, wine);
  EXPECT_EQ(wine.WineRec.Data.MinSkip, 13);
  EXPECT_TRUE(wine.Modified);
}

}  // namespace
}  // namespace vorsant
