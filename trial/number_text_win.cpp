// The user's default thousands separator, converted to the ANSI code page in
// which the trial record keeps its texts.

#include "trial/number_text.h"

#include <windows.h>

namespace vorsant {

namespace {

bool IsSpaceLike(wchar_t c) {
  return c == L' ' || c == 0x00A0 || c == 0x202F || c == 0x2009;
}

}  // namespace

std::string LocaleThousandsSeparator() {
  wchar_t wide[8] = {};  // LOCALE_STHOUSAND holds at most four characters
  const int wideLen = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, wide, 8);
  if (wideLen <= 1) return ",";
  char narrow[16] = {};
  BOOL usedDefault = FALSE;
  const int narrowLen =
      WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, &usedDefault);
  // A separator the code page cannot show (the narrow no-break space of some
  // locales) would come out as "?"; a plain blank reads the same.
  if (narrowLen <= 1 || usedDefault) return IsSpaceLike(wide[0]) ? " " : ",";
  return std::string(narrow, static_cast<std::size_t>(narrowLen - 1));
}

}  // namespace vorsant
