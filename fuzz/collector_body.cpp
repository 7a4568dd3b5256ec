// A request body of any bytes, as it reaches the collector's POST /. Besides
// not crashing: a body is either refused with a one-line reason or becomes a
// hit whose texts are UTF-8 and whose unknown fields, re-encoded, decode
// back to themselves.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "collector/form_decoder.h"
#include "collector/hit_record.h"
#include "collector/user_agent.h"

using namespace collector;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  // The first line doubles as a User-Agent.
  const std::string_view agent = body.substr(0, body.find('\n'));
  (void)ParseUserAgent(agent);

  std::string reason;
  const auto hit = MakeHitRecord(body, agent, 1'000'000, &reason);
  if (!hit) {
    if (reason.empty() || reason.find('\n') != std::string::npos) std::abort();
    return 0;
  }
  for (const std::string* text :
       {&hit->app, &hit->version, &hit->label, &hit->value, &hit->exceptionDetails}) {
    if (!IsUtf8(*text)) std::abort();
  }
  if (hit->madeMs > hit->receivedMs || !IsGuidText(hit->sessionId) || !IsClientId(hit->clientId))
    std::abort();
  if (!hit->extra.empty()) {
    const auto fields = DecodeForm(hit->extra, nullptr);
    if (!fields) std::abort();
    std::string again;
    for (const auto& [key, value] : *fields)
      again += (again.empty() ? "" : "&") + EncodeFormText(key) + "=" + EncodeFormText(value);
    if (again != hit->extra) std::abort();
  }
  return 0;
}
