#include <windows.h>
// setupapi.h needs windows.h first.
#include <setupapi.h>

#include <algorithm>
#include <string>

#include "scale/serial_ports.h"

namespace vorsant {

namespace {

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

// The device manager's "Ports (COM & LPT)" class.
constexpr GUID kPortsClass = {0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

class DeviceList {
 public:
  DeviceList() : set_(SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT)) {}
  ~DeviceList() {
    if (set_ != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(set_);
  }
  DeviceList(const DeviceList&) = delete;
  DeviceList& operator=(const DeviceList&) = delete;
  HDEVINFO get() const { return set_; }

 private:
  HDEVINFO set_;
};

class RegKey {
 public:
  explicit RegKey(HKEY key) : key_(key) {}
  ~RegKey() {
    if (key_ != INVALID_HANDLE_VALUE && key_ != nullptr) RegCloseKey(key_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  HKEY get() const { return key_; }
  bool valid() const { return key_ != INVALID_HANDLE_VALUE && key_ != nullptr; }

 private:
  HKEY key_;
};

// The ports class of the device manager: each port's "PortName" and its
// friendly name.
void AddDeviceManagerPorts(std::vector<PresentPort>& ports) {
  DeviceList devices;
  if (devices.get() == INVALID_HANDLE_VALUE) return;
  SP_DEVINFO_DATA info{};
  info.cbSize = sizeof info;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(devices.get(), i, &info); ++i) {
    RegKey key(SetupDiOpenDevRegKey(devices.get(), &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ));
    if (!key.valid()) continue;
    wchar_t portName[64] = {};
    DWORD size = sizeof portName - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key.get(), L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(portName), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
      continue;
    }
    const std::string device = Narrow(portName);
    if (device.rfind("COM", 0) != 0) continue;  // printer ports share the class
    wchar_t friendly[256] = {};
    std::string description = device;
    if (SetupDiGetDeviceRegistryPropertyW(devices.get(), &info, SPDRP_FRIENDLYNAME, nullptr,
                                          reinterpret_cast<BYTE*>(friendly), sizeof friendly - sizeof(wchar_t),
                                          nullptr)) {
      description = Narrow(friendly);
    }
    ports.push_back({device, description});
  }
}

}  // namespace

std::vector<PresentPort> ListSerialPorts() {
  std::vector<PresentPort> ports;
  AddDeviceManagerPorts(ports);
  // Ports without a device manager entry (virtual ports, Wine's mapped
  // ones) are known to the system's device names only.
  for (int n = 1; n <= 256; ++n) {
    const std::string device = "COM" + std::to_string(n);
    wchar_t target[512];
    if (QueryDosDeviceW(std::wstring(device.begin(), device.end()).c_str(), target, 512) == 0) continue;
    const bool listed = std::any_of(ports.begin(), ports.end(), [&](const PresentPort& p) { return p.Device == device; });
    if (!listed) ports.push_back({device, device});
  }
  std::sort(ports.begin(), ports.end(),
            [](const PresentPort& a, const PresentPort& b) { return PortNameLess(a.Device, b.Device); });
  return ports;
}

}  // namespace vorsant
