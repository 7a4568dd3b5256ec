#pragma once
// Which balance a collection reads, beside the port the environment file
// keeps (COM1 to COM9 only): a port above COM9, and the command set the
// balance speaks. The shell keeps it for the user; on Windows under
// HKEY_CURRENT_USER\Software\QEL\Vorsant\Balance as the values "Port" and
// "Profile".

#include <string>

#include "scale/balance_profile.h"

namespace vorsant {

struct BalanceSetting {
  std::string Port;     // "COM12"; empty: the environment file's port
  std::string Profile;  // a profile's name; empty or unknown: the original balance
};

class BalanceSettingStore {
 public:
  virtual ~BalanceSettingStore() = default;
  virtual BalanceSetting Load() = 0;
  // Failures are ignored: the next start falls back to the environment
  // file's port and the original balance, both still usable.
  virtual void Save(const BalanceSetting& setting) = 0;
};

const BalanceProfile& ProfileOf(const BalanceSetting& setting);

}  // namespace vorsant
