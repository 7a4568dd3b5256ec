#include "scale/balance_port.h"

namespace vorsant {

std::string ComDeviceName(int scalePort) {
  return "COM" + std::to_string(scalePort);
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
