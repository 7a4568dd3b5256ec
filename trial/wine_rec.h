#pragma once
// The trial record: one filtration trial, its conditions, its 36 points and
// every result as ready-to-print text. A trial file is the raw 2181-byte
// image of this record, so the codec below moves every byte, including the
// unused characters after each text's length, to keep unedited files
// byte-identical when they are saved again.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vorsant {

// Counted single-byte text of capacity N (N + 1 bytes on disk). `len` is the
// length byte exactly as read, even when it exceeds N (files we write never
// do that); readers only ever look at the first min(len, N) characters.
template <std::size_t N>
struct ShortText {
  static_assert(N > 0 && N < 256);
  static constexpr std::size_t kCapacity = N;

  std::uint8_t len = 0;
  std::array<char, N> chars{};

  std::size_t Length() const { return len < N ? len : N; }
  std::string Str() const { return std::string(chars.data(), Length()); }
  bool Empty() const { return len == 0; }

  // Keeps the first N characters. The bytes after the new length are left
  // as they were: they carry no meaning and an edited record may hold older
  // characters there.
  void Set(std::string_view s) {
    const std::size_t n = s.size() < N ? s.size() : N;
    for (std::size_t i = 0; i < n; ++i) chars[i] = s[i];
    len = static_cast<std::uint8_t>(n);
  }
  void Clear() { len = 0; }

  friend bool operator==(const ShortText&, const ShortText&) = default;
};

struct TConditions {
  ShortText<16> WineName, FilterName;
  std::int16_t VolType = 0;
  std::int16_t WineType = 0;  // 0 = Normal, 1 = Dessert
  ShortText<4> LabP, LabFiltDia, ProdP, ProdA, ProdRate;
  std::uint16_t ProdRateUnits = 0;  // 0 = bottles per minute, 1 = US gallons per minute

  friend bool operator==(const TConditions&, const TConditions&) = default;
};

inline constexpr std::size_t kPointCount = 36;

// The measured points; point k (1..36) is index k - 1.
struct TData {
  std::array<ShortText<6>, kPointCount> V;   // cumulative volume, ml
  std::array<ShortText<3>, kPointCount> M;   // minutes of the elapsed time
  std::array<ShortText<2>, kPointCount> Sc;  // seconds of the elapsed time, 00..59
  std::uint16_t MinSkip = 0;

  friend bool operator==(const TData&, const TData&) = default;
};

struct TTableRow {
  ShortText<6> V;
  ShortText<3> M;
  ShortText<2> Sc;
  ShortText<5> VA;
  ShortText<6> R, RmodelE, RmodelP;

  friend bool operator==(const TTableRow&, const TTableRow&) = default;
};

// The legacy 48-bit real: byte 0 biased exponent (bias 129, 0 means zero),
// bytes 1..5 a 39-bit fraction least significant byte first, bit 7 of byte 5
// the sign.
struct Real48 {
  std::array<std::uint8_t, 6> bytes{};

  double Value() const;
  // Rounds to nearest at the 40th significant bit, ties away from zero.
  // Values too small for the format become zero; nullopt when the value is
  // not finite or its biased exponent would exceed 255.
  static std::optional<Real48> FromDouble(double v);

  friend bool operator==(const Real48&, const Real48&) = default;
};

struct TWineRec {
  TConditions Conditions;
  std::int16_t Model = 0;
  ShortText<5> LabA;
  TData Data;
  ShortText<5> bE, bP;
  ShortText<25> ExpectedVolE, ExpectedVolP;
  ShortText<5> rE, rP;
  ShortText<7> a;
  Real48 aReal;
  ShortText<6> RmE, RmP, MaxProdR;
  ShortText<4> LabEquivVol, LabFaceVel, ProdFaceVel;
  std::array<TTableRow, kPointCount> TableData;

  friend bool operator==(const TWineRec&, const TWineRec&) = default;
};

inline constexpr std::size_t kWineRecSize = 2181;

// `image` must hold at least kWineRecSize bytes; only the first
// kWineRecSize are read. Throws std::out_of_range when it is shorter.
TWineRec DecodeWineRec(std::span<const std::uint8_t> image);
std::array<std::uint8_t, kWineRecSize> EncodeWineRec(const TWineRec& rec);

// A trial window's trial: the record and whether it has unsaved changes.
struct TWineClass {
  bool Modified = false;
  TWineRec WineRec{};
};

}  // namespace vorsant
