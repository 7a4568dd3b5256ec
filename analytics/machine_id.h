#pragma once
// The client id: a SHA-1 over the first network adapter's hardware address
// and the serial number of the Windows volume, so that one machine always
// gives the same 40 hexadecimal characters, for every product.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plumeta {

class MachineIdProbe {
 public:
  virtual ~MachineIdProbe() = default;
  // The hardware address of every network adapter in the system's order
  // (an adapter without one gives an empty address); nothing when the list
  // cannot be read.
  virtual std::optional<std::vector<std::vector<std::uint8_t>>> AdapterAddresses() = 0;
  // The serial number of the volume holding the Windows folder.
  virtual std::optional<std::uint32_t> WindowsVolumeSerial() = 0;
};

// Used when no adapter with an address is found.
inline constexpr char kNoAdapterPart[] = "FEFDFFDDEEFF";
// Used when the volume serial cannot be read.
inline constexpr char kNoVolumePart[] = "AABBCCDD";

// The 8-bit text whose digest is the client id: adapter part then volume part.
std::string MachineIdSource(MachineIdProbe& probe);

// SHA-1 of MachineIdSource as 40 upper-case hexadecimal characters.
std::u16string MachineId(MachineIdProbe& probe);

}  // namespace plumeta
