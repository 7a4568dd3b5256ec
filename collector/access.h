#pragma once
// Who may read the figures: a bearer token, given in the Authorization
// header, in a cookie, or once as ?token= (answered by a redirect that sets
// the cookie, so the token leaves the address bar and the history).

#include <string>
#include <string_view>

namespace collector {

inline constexpr std::string_view kTokenCookie = "plumeta_token";
inline constexpr std::size_t kMinTokenLength = 16;
inline constexpr std::size_t kMinTokenDifferent = 8;  // different characters
// How long the browser keeps the token cookie.
inline constexpr int kTokenCookieSeconds = 30 * 24 * 3600;

// Compares in time that depends only on the lengths, not on where the texts differ.
bool SameToken(std::string_view given, std::string_view expected);

// The token of "Bearer TOKEN" (the scheme in any case); empty for any other header.
std::string BearerToken(std::string_view authorization);
// The value of the token cookie in a Cookie header; empty when absent.
std::string CookieToken(std::string_view cookieHeader);
// The Set-Cookie value that keeps the token for later requests; `secure`
// when the collector is reached over HTTPS.
std::string TokenCookie(std::string_view token, bool secure);

// Why TOKEN cannot be the token (too short, too few different characters,
// or a character that does not travel in a header, a query and a cookie);
// empty when it can.
std::string TokenProblem(std::string_view token);
// A new random token of 32 characters.
std::string NewToken();

}  // namespace collector
