#include "scale/balance_port.h"

#include <cctype>
#include <string_view>

namespace vorsant {

std::string ComDeviceName(int scalePort) {
  return "COM" + std::to_string(scalePort);
}

int ComPortNumber(const std::string& device) {
  std::string_view name = device;
  if (name.starts_with("\\\\.\\")) name.remove_prefix(4);
  if (name.size() < 4 || name.size() > 6) return 0;
  for (std::size_t i = 0; i < 3; ++i)
    if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return 0;
  int number = 0;
  for (char c : name.substr(3)) {
    if (c < '0' || c > '9') return 0;
    number = number * 10 + (c - '0');
  }
  return number >= 1 && number <= 256 && name[3] != '0' ? number : 0;
}

void SetBalanceLineSettings(TCustomComPort& port) {
  port.SetDataBits(TDataBits::db7);
  port.SetBaudRate(TBaudRate::br1200);
  port.SetParity(TParity::paOdd);
  port.SetStopBits(TStopBits::sb1);
}

void ConfigureScalePort(TCustomComPort& port, int scalePort) {
  SetBalanceLineSettings(port);
  port.SetDeviceName(ComDeviceName(scalePort));
}

}  // namespace vorsant
