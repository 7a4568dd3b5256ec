// The thousands separator of the C library's current LC_NUMERIC locale;
// calling setlocale(LC_NUMERIC, "") beforehand is the program's business.

#include <clocale>
#include <string_view>

#include "trial/number_text.h"

namespace vorsant {

std::string LocaleThousandsSeparator() {
  const std::lconv* conv = std::localeconv();
  if (conv == nullptr || conv->thousands_sep == nullptr || conv->thousands_sep[0] == '\0') return ",";
  const std::string_view sep = conv->thousands_sep;
  if (sep.size() == 1) return std::string(sep);  // ASCII or an 8-bit locale's own byte
  // UTF-8 locales: the record's texts are single-byte, so the no-break space
  // becomes its Windows-1252 byte and the thin spaces a plain blank.
  if (sep == "\xC2\xA0") return "\xA0";
  if (sep == "\xE2\x80\xAF" || sep == "\xE2\x80\x89") return " ";
  return ",";
}

}  // namespace vorsant
