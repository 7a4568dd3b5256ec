#include "trial/result_text.h"

#include <limits>

#include <gtest/gtest.h>

namespace vorsant {
namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(ResultText, ShowsResistancesInGigaUnitsUpToTheLargeLimit) {
  EXPECT_EQ(ResistanceText(1.43545e12), "1435.45");  // the field keeps 1435.4
  EXPECT_EQ(ResistanceText(8.9e11), "890.00");
  EXPECT_EQ(ResistanceText(0), "  0.00");
  EXPECT_EQ(ResistanceText(9.9999899e14), "999998.99");
  EXPECT_EQ(ResistanceText(9.99999e14), "> 1E15");
  EXPECT_EQ(ResistanceText(1.5e15), "> 1E15");
  EXPECT_EQ(ResistanceText(kInf), "> 1E15");
  EXPECT_EQ(ResistanceText(kNaN), "      ");
}

TEST(ResultText, ShowsThePowerCoefficientUpToItsLimit) {
  EXPECT_EQ(CoefficientText(1.84298e13), "18429.800");  // the field keeps 18429.8
  EXPECT_EQ(CoefficientText(5e8), "  0.500");
  EXPECT_EQ(CoefficientText(9.999999e15), "> 1E16");
  EXPECT_EQ(CoefficientText(kNaN), "       ");
}

TEST(ResultText, WidensExponentialVolumesInStepsOfThreeDigits) {
  EXPECT_EQ(ExponentialVolumeText(998.6), "999");
  EXPECT_EQ(ExponentialVolumeText(0.4), "  0");
  EXPECT_EQ(ExponentialVolumeText(999), "   999");
  EXPECT_EQ(ExponentialVolumeText(5000), "  5000");
  EXPECT_EQ(ExponentialVolumeText(999'998.7), "999999");
  EXPECT_EQ(ExponentialVolumeText(1'234'567), "  1234567");
  EXPECT_EQ(ExponentialVolumeText(999'999'999), "   999999999");
  EXPECT_EQ(ExponentialVolumeText(999'999'999'998.0), "999999999998");
  EXPECT_EQ(ExponentialVolumeText(999'999'999'999.0), "over 1,000,000,000,000");
  EXPECT_EQ(ExponentialVolumeText(1.2e12), "over 1,000,000,000,000");
  EXPECT_EQ(ExponentialVolumeText(kInf), "over 1,000,000,000,000");
  EXPECT_EQ(ExponentialVolumeText(kNaN), "      ");
}

TEST(ResultText, GroupsPowerVolumesWithTheLocaleSeparator) {
  EXPECT_EQ(PowerVolumeText(1'234'567, ","), "1,234,567");
  EXPECT_EQ(PowerVolumeText(1'234'567, "."), "1.234.567");
  EXPECT_EQ(PowerVolumeText(1'234'566.5, " "), "1 234 567");
  EXPECT_EQ(PowerVolumeText(954.2, ","), "954");
  EXPECT_EQ(PowerVolumeText(0, ","), "0");
  EXPECT_EQ(PowerVolumeText(1.2e12, "."), "over 1,000,000,000,000");
  EXPECT_EQ(PowerVolumeText(kInf, ","), "over 1,000,000,000,000");
  EXPECT_EQ(PowerVolumeText(kNaN, ","), "      ");
}

TEST(ResultText, CapsTheLaboratoryVolume) {
  EXPECT_EQ(LabEquivVolText(12.3), "  12");
  EXPECT_EQ(LabEquivVolText(9998.4), "9998");
  EXPECT_EQ(LabEquivVolText(9999), ">10K");
  EXPECT_EQ(LabEquivVolText(kInf), ">10K");
  EXPECT_EQ(LabEquivVolText(kNaN), "    ");
  EXPECT_EQ(FixedOrBlank(-kInf, 4, 1), "    ");
  EXPECT_EQ(FixedOrBlank(2.04, 4, 1), " 2.0");
}

}  // namespace
}  // namespace vorsant
