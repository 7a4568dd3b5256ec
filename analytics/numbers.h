#pragma once
// Integer reading and writing of property values and stored queue times.

#include <cstdint>
#include <string>
#include <string_view>

namespace plumeta {

// Reads an installer property as an integer: an optional leading "-"
// negates, then decimal digits up to the first non-digit. With maxCount > 0
// at most that many characters (the sign included) are looked at, which is
// how a single digit is taken out of "601". Empty or non-numeric text gives
// 0; digits beyond the 32-bit range wrap.
std::int32_t ParsePropertyInt(std::u16string_view text, std::size_t maxCount = 0);

// Reads a stored signed 64-bit decimal: leading blanks, optional sign,
// digits up to the first non-digit; anything unreadable gives 0.
std::int64_t ParseInt64(std::u16string_view text);

std::u16string FormatInt64(std::int64_t value);
std::u16string FormatUInt32(std::uint32_t value);

}  // namespace plumeta
