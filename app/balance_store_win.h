#pragma once
// The balance setting of the current user, kept under
// HKEY_CURRENT_USER\Software\QEL\Vorsant\Balance as the values "Port" and
// "Profile".

#include "app/balance_setting.h"

namespace vorsant {

class RegistryBalanceSetting final : public BalanceSettingStore {
 public:
  BalanceSetting Load() override;
  void Save(const BalanceSetting& setting) override;
};

}  // namespace vorsant
