#include "collector/user_agent.h"

namespace collector {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// "N.N.N" with 1 to 10 digits per part.
bool IsVersion(std::string_view text) {
  int parts = 0;
  std::size_t digits = 0;
  for (char c : text) {
    if (IsDigit(c)) {
      if (++digits > 10) return false;
    } else if (c == '.' && digits > 0) {
      ++parts;
      digits = 0;
    } else {
      return false;
    }
  }
  return parts == 2 && digits > 0;
}

}  // namespace

AgentPlatform ParseUserAgent(std::string_view agent) {
  static constexpr std::string_view kPrefix = "(Microsoft Windows NT ";
  AgentPlatform platform;
  std::size_t open = agent.find(kPrefix);
  if (open == std::string_view::npos) return platform;
  std::string_view inside = agent.substr(open + kPrefix.size());
  std::size_t close = inside.find(')');
  if (close == std::string_view::npos) return platform;
  inside = inside.substr(0, close);
  // The version runs to the first blank or semicolon; the service-pack text
  // may follow; the architecture comes after the last semicolon.
  std::size_t versionEnd = inside.find_first_of(" ;");
  std::string_view version = inside.substr(0, versionEnd);
  if (IsVersion(version)) platform.osVersion = version;
  std::size_t semicolon = inside.rfind(';');
  if (semicolon != std::string_view::npos) {
    std::string_view arch = inside.substr(semicolon + 1);
    while (!arch.empty() && arch.front() == ' ') arch.remove_prefix(1);
    while (!arch.empty() && arch.back() == ' ') arch.remove_suffix(1);
    if (arch == "x64" || arch == "x86") platform.architecture = arch;
  }
  return platform;
}

}  // namespace collector
