#include "app/environment_file.h"

#include <algorithm>

#include "trial/byte_codec.h"

namespace vorsant {

TEnvironmentRec DecodeEnvironmentRec(std::span<const std::uint8_t> image) {
  CheckRange(image.size(), 0, kEnvironmentRecSize);
  TEnvironmentRec rec;
  std::copy_n(image.begin(), kScalePortOffset, rec.Reserved.begin());
  rec.ScalePort = GetI32(image, kScalePortOffset);
  return rec;
}

std::array<std::uint8_t, kEnvironmentRecSize> EncodeEnvironmentRec(const TEnvironmentRec& rec) {
  std::array<std::uint8_t, kEnvironmentRecSize> image{};
  std::copy(rec.Reserved.begin(), rec.Reserved.end(), image.begin());
  PutI32(image, kScalePortOffset, rec.ScalePort);
  return image;
}

std::string EnvironmentLoadErrorText(unsigned long errorNumber) {
  return "I/O Error type " + std::to_string(errorNumber) +
         " occurred while loading environment file VORSANT.DAT. VORSANT will have to exit.";
}

}  // namespace vorsant
