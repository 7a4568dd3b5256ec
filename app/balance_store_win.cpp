#include "app/balance_store_win.h"

#include <windows.h>

#include "app/win_handles.h"

namespace vorsant {
namespace {

constexpr wchar_t kBalanceKey[] = L"Software\\QEL\\Vorsant\\Balance";
constexpr wchar_t kPortValue[] = L"Port";
constexpr wchar_t kProfileValue[] = L"Profile";

}  // namespace

BalanceSetting RegistryBalanceSetting::Load() {
  BalanceSetting setting;
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kBalanceKey, 0, KEY_QUERY_VALUE, key.Out()) != ERROR_SUCCESS)
    return setting;
  if (std::optional<std::wstring> port = key.Text(kPortValue)) setting.Port = Narrow(*port);
  if (std::optional<std::wstring> profile = key.Text(kProfileValue)) setting.Profile = Narrow(*profile);
  return setting;
}

void RegistryBalanceSetting::Save(const BalanceSetting& setting) {
  RegistryKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kBalanceKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Out(),
                      nullptr) != ERROR_SUCCESS)
    return;
  if (setting.Port.empty())
    RegDeleteValueW(key.Get(), kPortValue);
  else
    key.SetText(kPortValue, Widen(setting.Port));
  key.SetText(kProfileValue, Widen(setting.Profile));
}

}  // namespace vorsant
