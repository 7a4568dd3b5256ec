#pragma once
// The Windows version and architecture in the installer library's
// User-Agent, "OrvexAnalytics/1.0 (Microsoft Windows NT 6.1.7601 ; x64)":
// major.minor.build, then the service-pack text (usually empty, which leaves
// a blank before the semicolon), then "x64" or "x86".

#include <string>
#include <string_view>

namespace collector {

struct AgentPlatform {
  std::string osVersion;     // "6.1.7601"; empty when the agent is not the library's
  std::string architecture;  // "x64", "x86" or empty
};

AgentPlatform ParseUserAgent(std::string_view agent);

}  // namespace collector
