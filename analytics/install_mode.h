#pragma once
// The kind of installation running, as a word for the install-type hit.

#include <string>
#include <string_view>

#include "analytics/installer.h"

namespace plumeta {

struct ModeRule {
  std::u16string_view condition;
  std::u16string_view word;
};

// Evaluated in order; every satisfied condition overwrites the word, so
// the last one satisfied wins.
extern const ModeRule kInstallModeRules[7];

// "install", "maintenance", "uninstall", "uninstallbyupgrade", "upgrade",
// "patch" or "installsbs"; empty when no condition holds.
std::u16string DetectInstallMode(Installer& installer);

}  // namespace plumeta
