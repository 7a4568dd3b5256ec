#include "cli/points_csv.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/command.h"

namespace vorsant::cli {
namespace {

using ::testing::ElementsAre;

TEST(PointsCsv, ReadsRowsWithOrWithoutAHeader) {
  EXPECT_THAT(ParsePointsCsv("volume_ml,minutes,seconds\r\n10.5, 1 ,0\r\n\r\n21,2,30\n", "p.csv"),
              ElementsAre(PointTexts{"10.5", "1", "0"}, PointTexts{"21", "2", "30"}));
  EXPECT_THAT(ParsePointsCsv("\xEF\xBB\xBF"
                             "10,1,0",
                             "p.csv"),
              ElementsAre(PointTexts{"10", "1", "0"}));
  // Short rows leave boxes empty, as an empty dialog row does.
  EXPECT_THAT(ParsePointsCsv("10\n,,\n", "p.csv"),
              ElementsAre(PointTexts{"10", "", ""}, PointTexts{"", "", ""}));
  EXPECT_TRUE(ParsePointsCsv("", "p.csv").empty());
  // Only the first line can be a header: later text is a box's content.
  EXPECT_THAT(ParsePointsCsv("1,0,5\nabc,1,0\n", "p.csv"),
              ElementsAre(PointTexts{"1", "0", "5"}, PointTexts{"abc", "1", "0"}));
}

TEST(PointsCsv, RefusesExtraFieldsAndMoreThan36Rows) {
  try {
    ParsePointsCsv("v,m,s\n10,1,0\n20,2,0,9\n", "p.csv");
    FAIL() << "four fields accepted";
  } catch (const CommandError& e) {
    EXPECT_STREQ(e.what(), "p.csv line 3: expected volume_ml,minutes,seconds");
  }
  std::string rows;
  for (int i = 1; i <= 36; ++i) rows += std::to_string(i) + ",0," + std::to_string(i) + "\n";
  EXPECT_EQ(ParsePointsCsv(rows, "p.csv").size(), 36u);
  EXPECT_THROW(ParsePointsCsv(rows + "37,1,0\n", "p.csv"), CommandError);
}

}  // namespace
}  // namespace vorsant::cli
