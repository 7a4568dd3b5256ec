#pragma once
// The balance's line: 1200 baud, 7 data bits, odd parity, 1 stop bit,
// binary; everything else as the port object's defaults leave it.

#include <string>

#include "scale/com_port.h"

namespace vorsant {

// "COM" followed by the port number in decimal, no padding: 3 gives COM3.
std::string ComDeviceName(int scalePort);
// The other way: 12 for "COM12" (any letter case, with or without "\\.\");
// 0 for a name that is no COM port.
int ComPortNumber(const std::string& device);

void SetBalanceLineSettings(TCustomComPort& port);

// Start-up: the line settings and the device named after `scalePort`.
void ConfigureScalePort(TCustomComPort& port, int scalePort);

}  // namespace vorsant
