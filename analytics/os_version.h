#pragma once
// The operating-system version the library reports, and the User-Agent of
// its requests.

#include <cstdint>
#include <string>
#include <string_view>

namespace plumeta {

struct OsVersionInfo {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::u16string servicePack;  // at most 128 characters; empty when read from properties
};

// From the installer properties: major = the first character of
// `versionNT`, minor = its character at index 2 ("601" gives 6.1, "1000"
// gives 1.0), build = `windowsBuild` as a decimal integer.
OsVersionInfo OsVersionFromProperties(std::u16string_view versionNT, std::u16string_view windowsBuild);

// "OrvexAnalytics/1.0 (Microsoft Windows NT <major>.<minor>.<build> <service
// pack>; <x64|x86>)"; x64 when the library runs on a 64-bit Windows.
std::u16string FormatUserAgent(const OsVersionInfo& version, bool windows64);

}  // namespace plumeta
