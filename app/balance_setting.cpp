#include "app/balance_setting.h"

namespace vorsant {

const BalanceProfile& ProfileOf(const BalanceSetting& setting) {
  const BalanceProfile* profile = FindBalanceProfile(setting.Profile);
  return profile != nullptr ? *profile : DefaultBalanceProfile();
}

}  // namespace vorsant
