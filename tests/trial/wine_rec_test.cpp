#include <algorithm>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "trial/wine_rec.h"

namespace vorsant {
namespace {

using Image = std::array<std::uint8_t, kWineRecSize>;

// The counted text at `offset` of an image, as the file holds it.
std::string TextAt(const Image& image, std::size_t offset) {
  return std::string(reinterpret_cast<const char*>(&image[offset + 1]), image[offset]);
}

Image RandomImage(std::mt19937& gen) {
  std::uniform_int_distribution<int> byte(0, 255);
  Image image{};
  for (auto& b : image) b = static_cast<std::uint8_t>(byte(gen));
  return image;
}

TEST(WineRec, FieldsLieAtTheirFileOffsets) {
  TWineRec rec;
  rec.Conditions.WineName.Set("Chardonnay");
  rec.Conditions.FilterName.Set("K900");
  rec.Conditions.VolType = 1;
  rec.Conditions.WineType = -2;
  rec.Conditions.LabP.Set("30.0");
  rec.Conditions.LabFiltDia.Set("47.0");
  rec.Conditions.ProdP.Set("  30");
  rec.Conditions.ProdA.Set("20.0");
  rec.Conditions.ProdRate.Set("40.0");
  rec.Conditions.ProdRateUnits = 0xBEEF;
  rec.Model = 1;
  rec.LabA.Set(" 17.3");
  rec.Data.V[0].Set("  10.0");
  rec.Data.V[35].Set("999.9");
  rec.Data.M[0].Set("  1");
  rec.Data.Sc[0].Set("00");
  rec.Data.M[35].Set("120");
  rec.Data.Sc[35].Set("59");
  rec.Data.MinSkip = 0x0C0B;
  rec.bE.Set("1.234");
  rec.bP.Set("0.567");
  rec.ExpectedVolE.Set("over 1,000,000,000,000");
  rec.ExpectedVolP.Set("1,234,567");
  rec.rE.Set("0.999");
  rec.rP.Set("-0.12");
  rec.a.Set("123.456");
  rec.aReal = *Real48::FromDouble(3.0e11);
  rec.RmE.Set("1435.4");
  rec.RmP.Set("   neg");
  rec.MaxProdR.Set("5515.8");
  rec.LabEquivVol.Set(">10K");
  rec.LabFaceVel.Set("12.3");
  rec.ProdFaceVel.Set(" 0.4");
  rec.TableData[0].V.Set("  10.0");
  rec.TableData[35].VA.Set("0.003");
  rec.TableData[35].R.Set("> 1E15");
  rec.TableData[35].RmodelE.Set("  12.3");
  rec.TableData[35].RmodelP.Set("  45.6");
  rec.TableData[35].M.Set("  7");
  rec.TableData[35].Sc.Set("30");

  const Image image = EncodeWineRec(rec);
  EXPECT_EQ(TextAt(image, 0), "Chardonnay");
  EXPECT_EQ(TextAt(image, 17), "K900");
  EXPECT_EQ(image[34], 1);
  EXPECT_EQ(image[35], 0);
  EXPECT_EQ(image[36], 0xFE);
  EXPECT_EQ(image[37], 0xFF);
  EXPECT_EQ(TextAt(image, 38), "30.0");
  EXPECT_EQ(TextAt(image, 43), "47.0");
  EXPECT_EQ(TextAt(image, 48), "  30");
  EXPECT_EQ(TextAt(image, 53), "20.0");
  EXPECT_EQ(TextAt(image, 58), "40.0");
  EXPECT_EQ(image[63], 0xEF);
  EXPECT_EQ(image[64], 0xBE);
  EXPECT_EQ(image[65], 1);
  EXPECT_EQ(TextAt(image, 67), " 17.3");
  EXPECT_EQ(TextAt(image, 73), "  10.0");
  EXPECT_EQ(TextAt(image, 73 + 7 * 35), "999.9");
  // Minutes and seconds interleaved after the 36 volumes.
  EXPECT_EQ(TextAt(image, 73 + 252), "  1");
  EXPECT_EQ(TextAt(image, 73 + 256), "00");
  EXPECT_EQ(TextAt(image, 73 + 252 + 7 * 35), "120");
  EXPECT_EQ(TextAt(image, 73 + 256 + 7 * 35), "59");
  EXPECT_EQ(image[577], 0x0B);
  EXPECT_EQ(image[578], 0x0C);
  EXPECT_EQ(TextAt(image, 579), "1.234");
  EXPECT_EQ(TextAt(image, 585), "0.567");
  EXPECT_EQ(TextAt(image, 591), "over 1,000,000,000,000");
  EXPECT_EQ(TextAt(image, 617), "1,234,567");
  EXPECT_EQ(TextAt(image, 643), "0.999");
  EXPECT_EQ(TextAt(image, 649), "-0.12");
  EXPECT_EQ(TextAt(image, 655), "123.456");
  EXPECT_EQ(image[663], 0xA7);
  EXPECT_EQ(image[668], 0x0B);
  EXPECT_EQ(TextAt(image, 669), "1435.4");
  EXPECT_EQ(TextAt(image, 676), "   neg");
  EXPECT_EQ(TextAt(image, 683), "5515.8");
  EXPECT_EQ(TextAt(image, 690), ">10K");
  EXPECT_EQ(TextAt(image, 695), "12.3");
  EXPECT_EQ(TextAt(image, 700), " 0.4");
  EXPECT_EQ(TextAt(image, 705), "  10.0");
  const std::size_t last = 705 + 41 * 35;
  EXPECT_EQ(TextAt(image, last + 7), "  7");
  EXPECT_EQ(TextAt(image, last + 11), "30");
  EXPECT_EQ(TextAt(image, last + 14), "0.003");
  EXPECT_EQ(TextAt(image, last + 20), "> 1E15");
  EXPECT_EQ(TextAt(image, last + 27), "  12.3");
  EXPECT_EQ(TextAt(image, last + 34), "  45.6");
  EXPECT_EQ(last + 41, kWineRecSize);

  EXPECT_EQ(DecodeWineRec(image), rec);
}

TEST(WineRec, ArbitraryImagesSurviveDecodeAndEncodeByteForByte) {
  std::mt19937 gen(20240611);
  for (int i = 0; i < 200; ++i) {
    const Image image = RandomImage(gen);
    ASSERT_EQ(EncodeWineRec(DecodeWineRec(image)), image) << "image " << i;
  }
}

TEST(WineRec, TextsReadOnlyTheirLengthAndNeverPastTheirField) {
  Image image{};
  // LabP (capacity 4) at 38: length 2 with old characters after it.
  const std::uint8_t labP[] = {2, '3', '0', '.', '5'};
  std::copy(std::begin(labP), std::end(labP), image.begin() + 38);
  // LabFiltDia (capacity 4) at 43 claims 200 characters.
  const std::uint8_t dia[] = {200, '4', '7', '.', '0'};
  std::copy(std::begin(dia), std::end(dia), image.begin() + 43);
  image[48] = 'X';  // first byte of the next field

  const TWineRec rec = DecodeWineRec(image);
  EXPECT_EQ(rec.Conditions.LabP.Str(), "30");
  EXPECT_EQ(rec.Conditions.LabFiltDia.Str(), "47.0");
  EXPECT_FALSE(rec.Conditions.LabFiltDia.Empty());
  EXPECT_TRUE(rec.Conditions.WineName.Empty());
  // The raw length byte and the hidden characters go back out unchanged.
  EXPECT_EQ(EncodeWineRec(rec), image);
}

TEST(WineRec, SetCutsToCapacityAndLeavesTheUnusedBytes) {
  ShortText<4> t;
  t.Set("12.500");
  EXPECT_EQ(t.Str(), "12.5");
  EXPECT_EQ(t.len, 4);
  t.Set("7");
  EXPECT_EQ(t.Str(), "7");
  EXPECT_EQ(std::string(t.chars.data(), 4), "72.5");
  t.Set("");
  EXPECT_TRUE(t.Empty());
  EXPECT_EQ(t.Str(), "");
}

TEST(WineRec, DecodingNeedsAWholeRecord) {
  std::vector<std::uint8_t> shortImage(kWineRecSize - 1);
  EXPECT_THROW(DecodeWineRec(shortImage), std::out_of_range);
  std::vector<std::uint8_t> longImage(kWineRecSize + 10, 0);
  longImage[1] = 'A';
  longImage[0] = 1;
  EXPECT_EQ(DecodeWineRec(longImage).Conditions.WineName.Str(), "A");
}

}  // namespace
}  // namespace vorsant
