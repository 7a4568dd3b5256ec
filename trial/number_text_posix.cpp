// The thousands separator of the C library's current LC_NUMERIC locale;
// calling setlocale(LC_NUMERIC, "") beforehand is the program's business.

#include "trial/number_text.h"

#include <clocale>

namespace vorsant {

std::string LocaleThousandsSeparator() {
  const std::lconv* conv = std::localeconv();
  if (conv == nullptr || conv->thousands_sep == nullptr || conv->thousands_sep[0] == '\0') return ",";
  return conv->thousands_sep;
}

}  // namespace vorsant
