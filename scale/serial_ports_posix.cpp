#include <algorithm>
#include <filesystem>
#include <system_error>

#include "scale/serial_ports.h"

namespace vorsant {

std::vector<PresentPort> ListSerialPorts() {
  std::vector<PresentPort> ports;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
    const std::string name = entry.path().filename().string();
    // On-board ports, USB adapters and USB modems-class devices.
    if (name.rfind("ttyS", 0) != 0 && name.rfind("ttyUSB", 0) != 0 && name.rfind("ttyACM", 0) != 0) continue;
    ports.push_back({entry.path().string(), entry.path().string()});
  }
  std::sort(ports.begin(), ports.end(),
            [](const PresentPort& a, const PresentPort& b) { return PortNameLess(a.Device, b.Device); });
  return ports;
}

}  // namespace vorsant
