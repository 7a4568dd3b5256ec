#pragma once
// Text conversions of the analytics library. Its text is UTF-16 throughout;
// the request body is UTF-8 and the session files are 8-bit text.

#include <string>
#include <string_view>

namespace plumeta {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16; malformed sequences become U+FFFD.
std::u16string FromUtf8(std::string_view bytes);

// Characters 0 to 255 are written as their own byte; anything beyond the
// 8-bit range (a surrogate pair counts once) becomes "?".
std::string ToEightBit(std::u16string_view text);

// Each byte becomes the character of the same code.
std::u16string FromEightBit(std::string_view bytes);

// Letter case is folded for the Latin-1 range, which covers every name the
// library compares (section names, keys, file extensions, "true").
char16_t FoldCase(char16_t c);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
// The text with FoldCase applied: equal for texts that are EqualsNoCase.
std::u16string Folded(std::u16string_view text);
// Negative, zero or positive like a three-way comparison of the folded texts.
int CompareNoCase(std::u16string_view a, std::u16string_view b);

}  // namespace plumeta
