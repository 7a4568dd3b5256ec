#pragma once
// Who may read the figures: a bearer token, given in the Authorization
// header, in a cookie, or once as ?token= (which sets the cookie).

#include <string>
#include <string_view>

namespace collector {

inline constexpr std::string_view kTokenCookie = "plumeta_token";

// Compares in time that depends only on the lengths, not on where the texts differ.
bool SameToken(std::string_view given, std::string_view expected);

// The token of "Bearer TOKEN"; empty for any other header.
std::string BearerToken(std::string_view authorization);
// The value of the token cookie in a Cookie header; empty when absent.
std::string CookieToken(std::string_view cookieHeader);
// The Set-Cookie value that keeps the token for later requests.
std::string TokenCookie(std::string_view token);

// Whether HOST is a loopback address ("127.x.x.x", "::1", "localhost").
bool IsLoopbackHost(std::string_view host);

}  // namespace collector
