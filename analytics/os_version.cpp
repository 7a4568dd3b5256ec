#include "analytics/os_version.h"

#include "analytics/numbers.h"

namespace plumeta {

OsVersionInfo OsVersionFromProperties(std::u16string_view versionNT, std::u16string_view windowsBuild) {
  OsVersionInfo info;
  info.major = static_cast<std::uint32_t>(ParsePropertyInt(versionNT, 1));
  info.minor =
      versionNT.size() > 2 ? static_cast<std::uint32_t>(ParsePropertyInt(versionNT.substr(2), 1)) : 0;
  info.build = static_cast<std::uint32_t>(ParsePropertyInt(windowsBuild));
  return info;
}

std::u16string FormatUserAgent(const OsVersionInfo& version, bool windows64) {
  constexpr std::size_t kServicePackChars = 128;
  std::u16string agent = u"OrvexAnalytics/1.0 (Microsoft Windows NT ";
  agent +=
      FormatUInt32(version.major) + u"." + FormatUInt32(version.minor) + u"." + FormatUInt32(version.build);
  agent += u" ";
  agent += std::u16string_view(version.servicePack).substr(0, kServicePackChars);
  agent += windows64 ? u"; x64)" : u"; x86)";
  return agent;
}

}  // namespace plumeta
