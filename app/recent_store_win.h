#pragma once
// The recent trials of the current user, kept under
// HKEY_CURRENT_USER\Software\QEL\Vorsant\Recent as the values File1 (the
// newest) to File4.

#include "app/recent_trials.h"

namespace vorsant {

class RegistryRecentTrials final : public RecentTrialsStore {
 public:
  std::vector<std::string> Load() override;
  // Failures are ignored: the list is a convenience, never worth a message.
  void Save(const std::vector<std::string>& paths) override;
};

}  // namespace vorsant
