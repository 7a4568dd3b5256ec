// Arbitrary and damaged record images through the whole chain a trial file
// goes: decode, analyse, report, encode. Nothing may crash, read outside a
// field or reach a text as "nan"/"inf"; the sanitizer build checks the rest.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "trial/analysis.h"
#include "trial/report.h"
#include "trial/wine_rec.h"
#include "trial_builder.h"

namespace vorsant {
namespace {

using Image = std::array<std::uint8_t, kWineRecSize>;

// The analysis's own texts must never carry a non-finite number.
void ExpectNoNonFiniteText(const TWineRec& rec) {
  auto check = [](const std::string& t) {
    EXPECT_EQ(t.find("nan"), std::string::npos) << t;
    EXPECT_EQ(t.find("inf"), std::string::npos) << t;
  };
  for (const std::string& t : {rec.bE.Str(), rec.bP.Str(), rec.rE.Str(), rec.rP.Str(), rec.a.Str(),
                               rec.RmE.Str(), rec.RmP.Str(), rec.MaxProdR.Str(), rec.LabEquivVol.Str(),
                               rec.LabFaceVel.Str(), rec.ProdFaceVel.Str(), rec.ExpectedVolE.Str()}) {
    check(t);
  }
  for (const TTableRow& row : rec.TableData) {
    check(row.VA.Str());
    check(row.R.Str());
    check(row.RmodelE.Str());
    check(row.RmodelP.Str());
  }
}

void RunChain(const Image& image, bool rerun) {
  TWineRec rec = DecodeWineRec(image);
  // Decoding and encoding move every byte.
  ASSERT_EQ(EncodeWineRec(rec), image);
  const std::vector<std::string> warnings = Calculate(rec, true);
  EXPECT_LE(warnings.size(), 2u);
  ExpectNoNonFiniteText(rec);
  const ReportLines lines = FillLines(rec);
  EXPECT_EQ(lines.Memo1.size(), 20u);
  EXPECT_EQ(lines.Memo2.size(), 56u);
  const Image out = EncodeWineRec(rec);
  EXPECT_EQ(DecodeWineRec(out), rec);
  if (!rerun) return;
  // A second run over its own results changes nothing.
  TWineRec again = rec;
  Calculate(again, false);
  EXPECT_EQ(again.bP.Str(), rec.bP.Str());
  EXPECT_EQ(again.ExpectedVolE.Str(), rec.ExpectedVolE.Str());
}

TEST(RecordFuzz, SurvivesRandomImages) {
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int i = 0; i < 400; ++i) {
    Image image;
    for (auto& b : image) b = static_cast<std::uint8_t>(byte(rng));
    RunChain(image, true);
    if (HasFatalFailure()) return;
  }
}

// Number-like texts reach the arithmetic far more often than random bytes do.
// Some of them make resistances so large that the power search runs to its
// bound, which is what makes these cases slow.
std::string NumberLike(std::mt19937& rng, std::size_t capacity) {
  static const std::string kAlphabet = "0123456789012345678901234567890.-+eE ";
  std::uniform_int_distribution<std::size_t> len(0, capacity);
  std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
  std::string s(len(rng), ' ');
  for (char& c : s) c = kAlphabet[pick(rng)];
  return s;
}

TEST(RecordFuzz, SurvivesDamagedTrials) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> coin(0, 9);
  std::uniform_int_distribution<int> point(0, 35);
  std::uniform_real_distribution<double> scale(0.2, 5.0);
  for (int i = 0; i < 200; ++i) {
    testing::Conditions c;
    TWineRec rec = testing::MakeTrial(c);
    const double r0 = 1e11 * scale(rng);
    const double n = scale(rng) - 1;
    testing::SetPoints(
        rec, testing::PointsFollowing([&](double w) { return r0 + 1e13 * std::pow(w > 0 ? w : 0, n); },
                                      1 + point(rng), 60));
    // Damage a few fields in ways a foreign or broken file could.
    const int damage = 1 + coin(rng);
    for (int d = 0; d < damage; ++d) {
      const auto k = static_cast<std::size_t>(point(rng));
      switch (coin(rng)) {
        case 0:
          rec.Data.V[k].Set(NumberLike(rng, 6));
          break;
        case 1:
          rec.Data.M[k].Set(NumberLike(rng, 3));
          break;
        case 2:
          rec.Data.Sc[k].Set(NumberLike(rng, 2));
          break;
        case 3:
          rec.Data.MinSkip = static_cast<std::uint16_t>(rng());
          break;
        case 4:
          rec.Conditions.LabP.Set(NumberLike(rng, 4));
          break;
        case 5:
          rec.Conditions.LabFiltDia.Set(NumberLike(rng, 4));
          break;
        case 6:
          rec.Conditions.ProdA.Set(NumberLike(rng, 4));
          break;
        case 7:
          rec.Conditions.ProdRate.Set(NumberLike(rng, 4));
          break;
        case 8:
          rec.Data.V[k].len = static_cast<std::uint8_t>(rng());
          break;
        default:
          rec.Conditions.ProdRateUnits = static_cast<std::uint16_t>(rng());
          break;
      }
    }
    RunChain(EncodeWineRec(rec), false);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace vorsant
