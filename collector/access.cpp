#include "collector/access.h"

#include <sys/random.h>

#include <set>
#include <stdexcept>

namespace collector {

bool SameToken(std::string_view given, std::string_view expected) {
  unsigned char difference = given.size() == expected.size() ? 0 : 1;
  for (std::size_t i = 0; i < given.size(); ++i) {
    difference |= static_cast<unsigned char>(given[i] ^ expected[expected.empty() ? 0 : i % expected.size()]);
  }
  return difference == 0 && !expected.empty();
}

std::string BearerToken(std::string_view authorization) {
  constexpr std::string_view kScheme = "bearer";
  if (authorization.size() <= kScheme.size() || authorization[kScheme.size()] != ' ') return {};
  for (std::size_t i = 0; i < kScheme.size(); ++i) {
    char c = authorization[i];
    if ((c >= 'A' && c <= 'Z' ? c + 32 : c) != kScheme[i]) return {};
  }
  std::string_view token = authorization.substr(kScheme.size());
  while (!token.empty() && token.front() == ' ') token.remove_prefix(1);
  return std::string(token);
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

std::string TokenCookie(std::string_view token, bool secure) {
  return std::string(kTokenCookie) + "=" + std::string(token) + "; Path=/; Max-Age=" +
         std::to_string(kTokenCookieSeconds) + "; HttpOnly; SameSite=Strict" + (secure ? "; Secure" : "");
}

std::string TokenProblem(std::string_view token) {
  if (token.size() < kMinTokenLength) {
    return "the token must have at least " + std::to_string(kMinTokenLength) +
           " characters (plumeta-collector token prints a new one)";
  }
  for (char c : token) {
    if (c <= ' ' || c > '~' || c == ';' || c == ',' || c == '"' || c == '\\' || c == '&' || c == '%' || c == '+') {
      return "the token must be printable ASCII without blanks or ;,\"\\&%+";
    }
  }
  // Sixteen x's are as long as a real token and as easy to guess as one
  // letter: some variety is asked for (a token of `token` has about 25
  // different characters).
  std::set<char> different(token.begin(), token.end());
  if (different.size() < kMinTokenDifferent) {
    return "the token must have at least " + std::to_string(kMinTokenDifferent) +
           " different characters (plumeta-collector token prints a new one)";
  }
  return {};
}

std::string NewToken() {
  // 32 characters of 64 possible (the first of 62): about 191 random bits.
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
  unsigned char bytes[32];
  if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
    throw std::runtime_error("no random bytes from the system");
  }
  std::string token;
  for (unsigned char b : bytes) token += kAlphabet[b & 63];
  // Never a leading '-' or '_': a token that starts like an option is
  // taken for one by the tools it gets passed to (grep, curl -H ...).
  token[0] = kAlphabet[bytes[0] % 62];
  return token;
}

}  // namespace collector
