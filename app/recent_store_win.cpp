#include "app/recent_store_win.h"

#include <windows.h>

#include <string>

#include "app/win_handles.h"

namespace vorsant {
namespace {

constexpr wchar_t kRecentKey[] = L"Software\\QEL\\Vorsant\\Recent";

std::wstring ValueName(std::size_t index) {
  return L"File" + std::to_wstring(index + 1);
}

}  // namespace

std::vector<std::string> RegistryRecentTrials::Load() {
  std::vector<std::string> paths;
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRecentKey, 0, KEY_QUERY_VALUE, key.Out()) != ERROR_SUCCESS)
    return paths;
  for (std::size_t i = 0; i < kRecentTrialCount; ++i)
    if (std::optional<std::wstring> value = key.Text(ValueName(i).c_str())) paths.push_back(Narrow(*value));
  return paths;
}

void RegistryRecentTrials::Save(const std::vector<std::string>& paths) {
  RegistryKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kRecentKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Out(),
                      nullptr) != ERROR_SUCCESS)
    return;
  for (std::size_t i = 0; i < kRecentTrialCount; ++i) {
    std::wstring name = ValueName(i);
    if (i >= paths.size())
      RegDeleteValueW(key.Get(), name.c_str());
    else
      key.SetText(name.c_str(), Widen(paths[i]));
  }
}

}  // namespace vorsant
