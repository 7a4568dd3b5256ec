#include "trial/wine_rec.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "trial/byte_codec.h"

namespace vorsant {

namespace {

constexpr int kReal48Bias = 129;
constexpr double kTwoPow39 = 549755813888.0;  // 2^39

// Walks a record image field by field, so the layout is written down once,
// in order, and the offsets follow from the sizes.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  template <std::size_t N>
  void Text(ShortText<N>& t) {
    CheckRange(bytes_.size(), pos_, N + 1);
    t.len = bytes_[pos_];
    for (std::size_t i = 0; i < N; ++i) t.chars[i] = static_cast<char>(bytes_[pos_ + 1 + i]);
    pos_ += N + 1;
  }
  void I16(std::int16_t& v) {
    v = GetI16(bytes_, pos_);
    pos_ += 2;
  }
  void U16(std::uint16_t& v) {
    v = GetU16(bytes_, pos_);
    pos_ += 2;
  }
  void Real(Real48& r) {
    CheckRange(bytes_.size(), pos_, r.bytes.size());
    for (std::size_t i = 0; i < r.bytes.size(); ++i) r.bytes[i] = bytes_[pos_ + i];
    pos_ += r.bytes.size();
  }
  std::size_t Position() const { return pos_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

class Writer {
 public:
  explicit Writer(std::span<std::uint8_t> bytes) : bytes_(bytes) {}

  template <std::size_t N>
  void Text(const ShortText<N>& t) {
    CheckRange(bytes_.size(), pos_, N + 1);
    bytes_[pos_] = t.len;
    for (std::size_t i = 0; i < N; ++i) bytes_[pos_ + 1 + i] = static_cast<std::uint8_t>(t.chars[i]);
    pos_ += N + 1;
  }
  void I16(std::int16_t v) {
    PutI16(bytes_, pos_, v);
    pos_ += 2;
  }
  void U16(std::uint16_t v) {
    PutU16(bytes_, pos_, v);
    pos_ += 2;
  }
  void Real(const Real48& r) {
    CheckRange(bytes_.size(), pos_, r.bytes.size());
    for (std::size_t i = 0; i < r.bytes.size(); ++i) bytes_[pos_ + i] = r.bytes[i];
    pos_ += r.bytes.size();
  }
  std::size_t Position() const { return pos_; }

 private:
  std::span<std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

// The one description of the layout, shared by reading and writing: `R` is
// a record or a const record, `IO` a Reader or a Writer.
template <typename R, typename IO>
void Visit(R& rec, IO& io) {
  auto& c = rec.Conditions;
  io.Text(c.WineName);
  io.Text(c.FilterName);
  io.I16(c.VolType);
  io.I16(c.WineType);
  io.Text(c.LabP);
  io.Text(c.LabFiltDia);
  io.Text(c.ProdP);
  io.Text(c.ProdA);
  io.Text(c.ProdRate);
  io.U16(c.ProdRateUnits);
  io.I16(rec.Model);
  io.Text(rec.LabA);
  // Volumes as one block, then minutes and seconds interleaved per point.
  for (auto& v : rec.Data.V) io.Text(v);
  for (std::size_t k = 0; k < kPointCount; ++k) {
    io.Text(rec.Data.M[k]);
    io.Text(rec.Data.Sc[k]);
  }
  io.U16(rec.Data.MinSkip);
  io.Text(rec.bE);
  io.Text(rec.bP);
  io.Text(rec.ExpectedVolE);
  io.Text(rec.ExpectedVolP);
  io.Text(rec.rE);
  io.Text(rec.rP);
  io.Text(rec.a);
  io.Real(rec.aReal);
  io.Text(rec.RmE);
  io.Text(rec.RmP);
  io.Text(rec.MaxProdR);
  io.Text(rec.LabEquivVol);
  io.Text(rec.LabFaceVel);
  io.Text(rec.ProdFaceVel);
  for (auto& row : rec.TableData) {
    io.Text(row.V);
    io.Text(row.M);
    io.Text(row.Sc);
    io.Text(row.VA);
    io.Text(row.R);
    io.Text(row.RmodelE);
    io.Text(row.RmodelP);
  }
}

}  // namespace

double Real48::Value() const {
  const int exponent = bytes[0];
  if (exponent == 0) return 0.0;
  std::uint64_t fraction = bytes[5] & 0x7Fu;
  for (int i = 4; i >= 1; --i) fraction = (fraction << 8) | bytes[static_cast<std::size_t>(i)];
  const double magnitude =
      std::ldexp(1.0 + static_cast<double>(fraction) / kTwoPow39, exponent - kReal48Bias);
  return (bytes[5] & 0x80u) != 0 ? -magnitude : magnitude;
}

std::optional<Real48> Real48::FromDouble(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  Real48 out;
  if (v == 0.0) return out;
  int exp2 = 0;
  const double m = std::frexp(std::fabs(v), &exp2);  // |v| = m * 2^exp2, m in [0.5, 1)
  // 40 significant bits: 2^39 <= mantissa < 2^40. The product is exact and
  // adding one half is exact too (a double keeps 13 bits below the point
  // here), so the floor rounds half away from zero.
  auto mantissa = static_cast<std::uint64_t>(std::floor(m * 2.0 * kTwoPow39 + 0.5));
  int biased = exp2 - 1 + kReal48Bias;
  if (mantissa == (std::uint64_t{1} << 40)) {
    mantissa >>= 1;
    ++biased;
  }
  if (biased <= 0) return out;  // too small for the format: zero
  if (biased > 255) return std::nullopt;
  const std::uint64_t fraction = mantissa - (std::uint64_t{1} << 39);
  out.bytes[0] = static_cast<std::uint8_t>(biased);
  for (std::size_t i = 1; i <= 5; ++i) out.bytes[i] = static_cast<std::uint8_t>(fraction >> (8 * (i - 1)));
  out.bytes[5] = static_cast<std::uint8_t>((out.bytes[5] & 0x7Fu) | (v < 0 ? 0x80u : 0u));
  return out;
}

TWineRec DecodeWineRec(std::span<const std::uint8_t> image) {
  TWineRec rec;
  Reader reader(image.first(std::min(image.size(), kWineRecSize)));
  Visit(rec, reader);
  return rec;
}

std::array<std::uint8_t, kWineRecSize> EncodeWineRec(const TWineRec& rec) {
  std::array<std::uint8_t, kWineRecSize> image{};
  Writer writer(image);
  Visit(rec, writer);
  if (writer.Position() != kWineRecSize) throw std::logic_error("trial record layout does not add up");
  return image;
}

}  // namespace vorsant
