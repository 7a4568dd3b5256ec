#pragma once
// Hit bodies as the installer library sends them, for the collector's tests.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "collector/hit_record.h"

namespace collector {

inline constexpr const char* kAgent64 = "OrvexAnalytics/1.0 (Microsoft Windows NT 6.1.7601 ; x64)";
inline constexpr const char* kClientA = "00112233445566778899AABBCCDDEEFF00112233";
inline constexpr const char* kClientB = "FFEEDDCCBBAA99887766554433221100FFEEDDCC";

// A body of a valid lifecycle start hit with `changes` applied (a key
// replaced in place, or appended when new), escaped as the library escapes.
std::string Body(const std::vector<std::pair<std::string, std::string>>& changes);

// The GUID text of a session numbered n.
std::string SessionId(int n);

// A stored hit: type, fields by wire key, made at `madeMs` (received 10 ms later).
HitRecord Hit(const std::string& sessionId, const std::string& clientId, const std::string& type,
              const std::vector<std::pair<std::string, std::string>>& fields, std::int64_t madeMs,
              const std::string& version = "6.1.0", const std::string& agent = kAgent64);

}  // namespace collector
