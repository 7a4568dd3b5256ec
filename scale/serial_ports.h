#pragma once
// The serial ports present on this machine, with the names Windows shows
// for them ("USB Serial Port (COM12)"), for choosing the balance's port and
// for detection on every port.

#include <string>
#include <vector>

namespace vorsant {

struct PresentPort {
  std::string Device;       // what the port object opens: "COM12", "/dev/ttyUSB0"
  std::string Description;  // "USB Serial Port (COM12)", or the device itself
};

// Present ports in their natural order (COM2 before COM10). Windows: the
// ports class of the device manager, then any COM1 to COM256 that the
// system's device names know besides; elsewhere the serial devices of /dev.
std::vector<PresentPort> ListSerialPorts();

// Orders "COM2" before "COM10": text, then the number that ends it.
bool PortNameLess(const std::string& a, const std::string& b);

}  // namespace vorsant
