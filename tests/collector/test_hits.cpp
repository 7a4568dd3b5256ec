#include "test_hits.h"

#include <cstdio>
#include <stdexcept>

#include "collector/form_decoder.h"

namespace collector {

std::string Body(const std::vector<std::pair<std::string, std::string>>& changes) {
  std::vector<std::pair<std::string, std::string>> fields = {
      {"v", "2"},
      {"aid", "Vorsant"},
      {"av", "6.1.0"},
      {"cid", kClientA},
      {"sid", "{0A1B2C3D-0000-1111-2222-333344445555}"},
      {"t", "lifecycle"},
      {"qt", "12"},
      {"lc", "start"}};
  for (const auto& [key, value] : changes) {
    bool replaced = false;
    for (auto& field : fields) {
      if (field.first == key) field.second = value, replaced = true;
    }
    if (!replaced) fields.emplace_back(key, value);
  }
  std::string body;
  for (const auto& [key, value] : fields) {
    if (!body.empty()) body.push_back('&');
    body += key + "=" + EncodeFormText(value);
  }
  return body;
}

std::string SessionId(int n) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-0000-4000-8000-%012X}", static_cast<unsigned>(n),
                static_cast<unsigned>(n));
  return text;
}

HitRecord Hit(const std::string& sessionId, const std::string& clientId, const std::string& type,
              const std::vector<std::pair<std::string, std::string>>& fields, std::int64_t madeMs,
              const std::string& version, const std::string& agent) {
  std::vector<std::pair<std::string, std::string>> changes = {
      {"sid", sessionId}, {"cid", clientId}, {"t", type}, {"av", version}, {"qt", "10"}, {"lc", ""}};
  changes.insert(changes.end(), fields.begin(), fields.end());
  std::string reason;
  std::string body = Body(changes);
  // The library leaves empty values out.
  std::string trimmed;
  std::size_t start = 0;
  while (start <= body.size()) {
    std::size_t end = body.find('&', start);
    if (end == std::string::npos) end = body.size();
    std::string field = body.substr(start, end - start);
    if (field.back() != '=') trimmed += (trimmed.empty() ? "" : "&") + field;
    start = end + 1;
  }
  auto hit = MakeHitRecord(trimmed, agent, madeMs + 10, &reason);
  if (!hit) throw std::runtime_error("test hit refused: " + reason);
  return *hit;
}

}  // namespace collector
