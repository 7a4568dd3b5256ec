#pragma once
// The environment file holds the program's one setting, the balance's COM
// port number. It is one 1544-byte record with no header: 1540 reserved bytes
// that are kept exactly as read, then ScalePort as a 32-bit signed
// little-endian integer.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vorsant {

inline constexpr std::size_t kEnvironmentRecSize = 1544;
inline constexpr std::size_t kScalePortOffset = 1540;
inline constexpr const char* kEnvironmentFilePath = "C:\\ProgramData\\vorsant\\vorsant.dat";

struct TEnvironmentRec {
  std::array<std::uint8_t, kScalePortOffset> Reserved{};
  std::int32_t ScalePort = 0;
  friend bool operator==(const TEnvironmentRec&, const TEnvironmentRec&) = default;
};

// `image` must hold at least kEnvironmentRecSize bytes (std::out_of_range
// otherwise); only the first record is read.
TEnvironmentRec DecodeEnvironmentRec(std::span<const std::uint8_t> image);
std::array<std::uint8_t, kEnvironmentRecSize> EncodeEnvironmentRec(const TEnvironmentRec& rec);

// Start-up's failure text for an environment file that cannot be read.
std::string EnvironmentLoadErrorText(unsigned long errorNumber);

}  // namespace vorsant
