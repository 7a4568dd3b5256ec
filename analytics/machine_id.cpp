#include "analytics/machine_id.h"

#include "analytics/sha1.h"

namespace plumeta {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendHexByte(std::string& out, std::uint8_t byte) {
  out.push_back(kHex[byte >> 4]);
  out.push_back(kHex[byte & 0xF]);
}

std::string AdapterPart(MachineIdProbe& probe) {
  if (auto adapters = probe.AdapterAddresses()) {
    for (const std::vector<std::uint8_t>& address : *adapters) {
      if (address.empty()) continue;
      std::string part;
      for (std::uint8_t byte : address) AppendHexByte(part, byte);
      return part;
    }
  }
  return kNoAdapterPart;
}

std::string VolumePart(MachineIdProbe& probe) {
  std::optional<std::uint32_t> serial = probe.WindowsVolumeSerial();
  if (!serial) return kNoVolumePart;
  std::string part;
  for (int shift = 24; shift >= 0; shift -= 8)
    AppendHexByte(part, static_cast<std::uint8_t>(*serial >> shift));
  return part;
}

}  // namespace

std::string MachineIdSource(MachineIdProbe& probe) {
  return AdapterPart(probe) + VolumePart(probe);
}

std::u16string MachineId(MachineIdProbe& probe) {
  std::u16string id;
  for (std::uint8_t byte : Sha1::Of(MachineIdSource(probe))) {
    id.push_back(static_cast<char16_t>(kHex[byte >> 4]));
    id.push_back(static_cast<char16_t>(kHex[byte & 0xF]));
  }
  return id;
}

}  // namespace plumeta
