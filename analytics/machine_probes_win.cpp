#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <shlobj.h>

#include "analytics/probe_calls.h"
#include "analytics/system_probes.h"
#include "analytics/win_text.h"

namespace plumeta {
namespace {

class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

class WinMachineIdProbe final : public MachineIdProbe {
 public:
  std::optional<std::vector<std::vector<std::uint8_t>>> AdapterAddresses() override {
    GrowingCallResult list =
        CallWithGrowingBuffer(kAdapterFirstBufferBytes, [](std::uint8_t* buffer, std::uint32_t& size) {
          ULONG length = size;
          DWORD result = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer), &length);
          size = length;
          return static_cast<std::uint32_t>(result);
        });
    if (list.result != ERROR_SUCCESS) return std::nullopt;
    std::vector<std::vector<std::uint8_t>> addresses;
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_INFO*>(list.buffer.data()); adapter != nullptr;
         adapter = adapter->Next) {
      UINT length = adapter->AddressLength <= MAX_ADAPTER_ADDRESS_LENGTH ? adapter->AddressLength : 0;
      addresses.emplace_back(adapter->Address, adapter->Address + length);
    }
    return addresses;
  }

  std::optional<std::uint32_t> WindowsVolumeSerial() override {
    wchar_t folder[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_WINDOWS, nullptr, 0, folder))) return std::nullopt;
    // The drive root: "C:\".
    std::wstring root(folder, wcsnlen(folder, 3));
    DWORD serial = 0;
    if (!GetVolumeInformationW(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) {
      return std::nullopt;
    }
    return serial;
  }
};

std::u16string LocaleText(LCTYPE type) {
  return ReadLocaleText([type](char16_t* buffer, int size) {
    return GetLocaleInfoW(LOCALE_USER_DEFAULT, type, reinterpret_cast<wchar_t*>(buffer), size);
  });
}

class WinDisplayProbe final : public DisplayProbe {
 public:
  std::optional<ScreenSize> ScreenResolution() override {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return std::nullopt;
    return ScreenSize{mode.dmPelsWidth, mode.dmPelsHeight};
  }
  std::u16string LanguageName() override { return LocaleText(LOCALE_SISO639LANGNAME); }
  std::u16string CountryName() override { return LocaleText(LOCALE_SISO3166CTRYNAME); }
  std::uint32_t DpiY() override {
    ScreenDc screen;
    if (screen.get() == nullptr) return 0;
    int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? static_cast<std::uint32_t>(dpi) : 0;
  }
};

}  // namespace

std::unique_ptr<MachineIdProbe> MakeSystemMachineIdProbe() {
  return std::make_unique<WinMachineIdProbe>();
}

std::unique_ptr<DisplayProbe> MakeSystemDisplayProbe() {
  return std::make_unique<WinDisplayProbe>();
}

bool RunsOn64BitWindows() {
#if defined(_WIN64)
  // A 64-bit library is never emulated: IsWow64Process says false for it.
  return true;
#else
  // Older systems lack the function; they have no 32-bit emulation either.
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE kernel = GetModuleHandleW(L"kernel32");
  if (kernel == nullptr) return false;
  auto isWow64 = reinterpret_cast<IsWow64ProcessFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel, "IsWow64Process")));
  BOOL wow64 = FALSE;
  return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
#endif
}

}  // namespace plumeta
