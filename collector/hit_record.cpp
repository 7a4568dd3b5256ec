#include "collector/hit_record.h"

#include <charconv>
#include <iterator>

#include "collector/user_agent.h"

namespace collector {
namespace {

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The queue time in milliseconds: digits only; anything else counts as 0,
// so a hit with a broken age is kept with the time it arrived.
std::int64_t QueueMs(std::string_view text) {
  std::int64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 0) return 0;
  // More than a year old is not an age the library produces.
  constexpr std::int64_t kYearMs = 366LL * 24 * 3600 * 1000;
  return value > kYearMs ? kYearMs : value;
}

}  // namespace

bool IsHitType(std::string_view type) {
  for (std::string_view known : {"lifecycle", "installtype", "property", "screenview", "exception"}) {
    if (type == known) return true;
  }
  return false;
}

bool IsClientId(std::string_view text) {
  if (text.size() != 40) return false;
  for (char c : text) {
    if (!IsHex(c)) return false;
  }
  return true;
}

bool IsGuidText(std::string_view text) {
  static constexpr std::string_view kShape = "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}";
  if (text.size() != kShape.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (kShape[i] == 'x' ? !IsHex(text[i]) : text[i] != kShape[i]) return false;
  }
  return true;
}

std::optional<HitRecord> MakeHitRecord(std::string_view body, std::string_view agent, std::int64_t receivedMs,
                                       std::string* reason) {
  auto fail = [&](std::string text) -> std::optional<HitRecord> {
    if (reason) *reason = std::move(text);
    return std::nullopt;
  };
  if (body.size() > kMaxBodyBytes) return fail("body larger than " + KiBText(kMaxBodyBytes));
  FormError error;
  std::optional<FormFields> fields = DecodeForm(body, &error);
  if (!fields) return fail(error.reason);

  HitRecord hit;
  std::string protocol, queue;
  struct Known {
    std::string_view key;
    std::string* target;
  };
  const Known known[] = {
      {"v", &protocol},
      {"aid", &hit.app},
      {"av", &hit.version},
      {"cid", &hit.clientId},
      {"sid", &hit.sessionId},
      {"t", &hit.type},
      {"qt", &queue},
      {"lc", &hit.lifeControl},
      {"ls", &hit.lifeStatus},
      {"lb", &hit.label},
      {"val", &hit.value},
      {"exd", &hit.exceptionDescription},
      {"exdt", &hit.exceptionDetails},
      {"exf", &hit.exceptionFatal},
  };
  bool seen[std::size(known)] = {};
  for (auto& [key, value] : *fields) {
    std::size_t k = 0;
    while (k < std::size(known) && key != known[k].key) ++k;
    if (k == std::size(known)) {
      if (!hit.extra.empty()) hit.extra.push_back('&');
      hit.extra += EncodeFormText(key) + "=" + EncodeFormText(value);
    } else if (!seen[k]) {  // the library sends each key once; a repeat keeps the first
      seen[k] = true;
      *known[k].target = std::move(value);
    }
  }
  if (protocol != "2")
    return fail(protocol.empty() ? "no protocol version \"v\"" : "protocol version is not 2");
  if (!IsHitType(hit.type)) return fail("\"t\" is not a hit type");
  if (!IsClientId(hit.clientId)) return fail("\"cid\" is not 40 hexadecimal characters");
  if (!IsGuidText(hit.sessionId)) return fail("\"sid\" is not a GUID");

  hit.receivedMs = receivedMs;
  hit.queueMs = QueueMs(queue);
  hit.madeMs = receivedMs - hit.queueMs;
  AgentPlatform platform = ParseUserAgent(agent);
  hit.osVersion = std::move(platform.osVersion);
  hit.architecture = std::move(platform.architecture);
  return hit;
}

Outcome OutcomeOf(const std::optional<std::string>& endStatus) {
  if (!endStatus) return Outcome::kUnfinished;
  if (*endStatus == "success") return Outcome::kSuccess;
  if (*endStatus == "fatal error") return Outcome::kFatalError;
  if (*endStatus == "user abort") return Outcome::kUserAbort;
  // A status the library never sends says nothing about how the session ended.
  return Outcome::kUnfinished;
}

std::string_view OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::kSuccess:
      return "success";
    case Outcome::kUserAbort:
      return "user_abort";
    case Outcome::kFatalError:
      return "fatal_error";
    case Outcome::kUnfinished:
      break;
  }
  return "unfinished";
}

}  // namespace collector
