#include "analytics/machine_data.h"

#include "analytics/numbers.h"

namespace plumeta {

const std::u16string_view kMachineProperties[9] = {
    u"VersionNT",     u"VersionNT64",      u"PhysicalMemory",   u"VersionMsi",      u"UILevel",
    u"VirtualMemory", u"MsiNTProductType", u"ServicePackLevel", u"ProductLanguage",
};
const std::u16string_view kInstallProperties[4] = {u"INSTALLLEVEL", u"ADDLOCAL", u"REMOVE", u"ADVERTISE"};
const std::u16string_view kPrerequisiteProperties[2] = {u"OX_MISSING_PREREQS", u"OX_FOUND_PREREQS"};

namespace {

template <std::size_t N>
void AppendNonEmpty(std::vector<Param>& out, PropertySource& installer,
                    const std::u16string_view (&names)[N]) {
  for (std::u16string_view name : names) {
    std::u16string value = installer.Property(name);
    if (!value.empty()) out.push_back({std::u16string(name), std::move(value)});
  }
}

}  // namespace

std::vector<Param> MachineInfoProperties(PropertySource& installer, DisplayProbe& display) {
  std::vector<Param> out;
  AppendNonEmpty(out, installer, kMachineProperties);
  ScreenSize screen = display.ScreenResolution().value_or(ScreenSize{});
  out.push_back({u"ScreenResolution", FormatUInt32(screen.width) + u"x" + FormatUInt32(screen.height)});
  out.push_back({u"UserLanguage", display.LanguageName() + u"-" + display.CountryName()});
  out.push_back({u"DpiScale", FormatUInt32(display.DpiY())});
  return out;
}

std::vector<Param> InstallDataProperties(PropertySource& installer, std::u16string_view installMode) {
  std::vector<Param> out;
  AppendNonEmpty(out, installer, kInstallProperties);
  if (installMode == u"install") AppendNonEmpty(out, installer, kPrerequisiteProperties);
  return out;
}

}  // namespace plumeta
