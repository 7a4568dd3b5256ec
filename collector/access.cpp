#include "collector/access.h"

namespace collector {

bool SameToken(std::string_view given, std::string_view expected) {
  unsigned char difference = given.size() == expected.size() ? 0 : 1;
  for (std::size_t i = 0; i < given.size(); ++i) {
    difference |= static_cast<unsigned char>(given[i] ^ expected[expected.empty() ? 0 : i % expected.size()]);
  }
  return difference == 0 && !expected.empty();
}

std::string BearerToken(std::string_view authorization) {
  constexpr std::string_view kScheme = "Bearer ";
  if (!authorization.starts_with(kScheme)) return {};
  return std::string(authorization.substr(kScheme.size()));
}

std::string CookieToken(std::string_view header) {
  while (!header.empty()) {
    std::size_t end = header.find(';');
    std::string_view pair = header.substr(0, end);
    while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
    std::size_t equals = pair.find('=');
    if (equals != std::string_view::npos && pair.substr(0, equals) == kTokenCookie) {
      return std::string(pair.substr(equals + 1));
    }
    if (end == std::string_view::npos) break;
    header.remove_prefix(end + 1);
  }
  return {};
}

std::string TokenCookie(std::string_view token) {
  return std::string(kTokenCookie) + "=" + std::string(token) + "; Path=/; HttpOnly; SameSite=Strict";
}

bool IsLoopbackHost(std::string_view host) {
  return host == "localhost" || host == "::1" || host == "[::1]" || host.starts_with("127.");
}

}  // namespace collector
