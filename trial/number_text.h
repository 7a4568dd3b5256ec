#pragma once
// Numbers as the trial record stores them: decimal texts with "." as the
// decimal point whatever the regional settings, right-aligned in fixed
// widths. Only the power model's volume uses the locale's thousands
// separator.

#include <optional>
#include <string>
#include <string_view>

namespace vorsant {

// Optional leading blanks, optional sign, digits, optional "." and digits,
// optional exponent; nothing may follow. nullopt for anything else, for an
// empty text and for a value outside the range of a double.
std::optional<double> ParseDecimal(std::string_view text);

// ParseDecimal, reading a failure as 0.
double NumberOr0(std::string_view text);

// A number text the program stored itself: the decimal grammar, and also
// digits ending in a bare point, which is what a fixed-width field keeps of
// a value too wide for its decimals ("11542." of 11542.34). What the user
// types is checked with ParseDecimal instead.
std::optional<double> ParseStoredNumber(std::string_view text);

// ParseStoredNumber, reading a failure as 0.
double StoredNumberOr0(std::string_view text);

// x rounded to `decimals` decimals, "." as the decimal point, no grouping,
// padded with blanks on the left to at least `width` characters. Rounding
// works on the shortest decimal form of x, half away from zero; a value that
// rounds to zero is written without a minus sign.
std::string Fixed(double x, int width, int decimals);

// x rounded to a whole number, thousands grouped with `separator`, no
// padding.
std::string Grouped(double x, std::string_view separator);

// The user's thousands separator as single-byte text, "," where the locale
// has none.
std::string LocaleThousandsSeparator();

}  // namespace vorsant
