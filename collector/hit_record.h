#pragma once
// One received hit as the collector stores it, and the checks a body must
// pass before it is stored.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "collector/form_decoder.h"

namespace collector {

// The most a request's line and headers, its chunk extensions and its
// trailer take together, and the most its body takes.
inline constexpr std::size_t kHeadLimitBytes = 16 * 1024;
inline constexpr std::size_t kMaxBodyBytes = 16 * 1024;

// How a limit is quoted in answers: "16 KiB".
inline std::string KiBText(std::size_t bytes) { return std::to_string(bytes / 1024) + " KiB"; }

struct HitRecord {
  std::int64_t receivedMs = 0;  // Unix milliseconds, when the body arrived
  std::int64_t madeMs = 0;      // received minus the hit's queue time
  std::int64_t queueMs = 0;
  std::string app, version, clientId, sessionId, type;
  // Fields the hit types use; empty when absent.
  std::string lifeControl, lifeStatus, label, value;
  std::string exceptionDescription, exceptionDetails, exceptionFatal;
  std::string osVersion, architecture;  // from the User-Agent
  std::string extra;                    // unknown keys, re-encoded as a form body
};

// The body's fields as a hit received at `receivedMs` with the User-Agent
// `agent`; nullopt with a one-line reason when the hit is not valid.
std::optional<HitRecord> MakeHitRecord(std::string_view body, std::string_view agent, std::int64_t receivedMs,
                                       std::string* reason);

bool IsHitType(std::string_view type);
bool IsClientId(std::string_view text);  // 40 hexadecimal characters
bool IsGuidText(std::string_view text);  // "{8-4-4-4-12}" hexadecimal

// How a session ended, from its lifecycle end hit's status.
enum class Outcome { kSuccess, kUserAbort, kFatalError, kUnfinished };
Outcome OutcomeOf(const std::optional<std::string>& endStatus);
std::string_view OutcomeName(Outcome outcome);  // "success", "user_abort", ...

}  // namespace collector
