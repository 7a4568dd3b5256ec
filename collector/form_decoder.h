#pragma once
// The body of a hit as the installer library posts it: key "=" value pairs
// joined by "&". The library escapes only "%", "&", "+" and control
// characters as "%XX" and sends everything else, blanks included, as it is;
// so "+" is a plus sign here, not a blank.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace collector {

using FormFields = std::vector<std::pair<std::string, std::string>>;

struct FormError {
  std::string reason;  // one line, for the 400 answer
};

// The fields in body order, keys and values decoded. A "%" that does not
// start two hexadecimal digits, a field without "=", an empty key, text
// that is not UTF-8 after decoding or a NUL character is an error.
std::optional<FormFields> DecodeForm(std::string_view body, FormError* error);

// Whether the bytes are well-formed UTF-8 (no overlongs, no surrogates).
bool IsUtf8(std::string_view text);

// The inverse for the fields the collector keeps but does not know: the
// same escapes as the sender, plus "=" so a key may hold one.
std::string EncodeFormText(std::string_view text);

}  // namespace collector
