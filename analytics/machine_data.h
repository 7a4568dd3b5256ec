#pragma once
// The facts about the machine and the installation that are sent as
// property hits, each as a (label, value) pair in sending order.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analytics/param_list.h"

namespace plumeta {

// Reads installer properties; a missing or refused property reads as empty.
class PropertySource {
 public:
  virtual ~PropertySource() = default;
  virtual std::u16string Property(std::u16string_view name) = 0;
};

struct ScreenSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

class DisplayProbe {
 public:
  virtual ~DisplayProbe() = default;
  // The current display mode; nothing when it cannot be read.
  virtual std::optional<ScreenSize> ScreenResolution() = 0;
  // The user default language's ISO 639 and ISO 3166 names; a part that
  // cannot be read is empty.
  virtual std::u16string LanguageName() = 0;
  virtual std::u16string CountryName() = 0;
  // Vertical logical pixels per inch of the screen.
  virtual std::uint32_t DpiY() = 0;
};

// The installer properties sent first, in order, each only when not empty.
extern const std::u16string_view kMachineProperties[9];
// The installation properties, each only when not empty; the
// prerequisite ones only for a first installation.
extern const std::u16string_view kInstallProperties[4];
extern const std::u16string_view kPrerequisiteProperties[2];

// Up to 12 pairs: the non-empty kMachineProperties, then "ScreenResolution"
// ("1920x1080", "0x0" when unreadable), "UserLanguage" ("en-US"; "en-" when
// the country cannot be read) and "DpiScale", which are always sent.
std::vector<Param> MachineInfoProperties(PropertySource& installer, DisplayProbe& display);

// The non-empty kInstallProperties, then, only when `installMode` is
// exactly "install", the non-empty kPrerequisiteProperties.
std::vector<Param> InstallDataProperties(PropertySource& installer, std::u16string_view installMode);

}  // namespace plumeta
