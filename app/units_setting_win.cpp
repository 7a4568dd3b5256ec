#include "app/units_setting.h"

#include <windows.h>

#include <string>

#include "app/win_handles.h"
#include "trial/cp1252.h"
#include "trial/number_text.h"

namespace vorsant {
namespace {

constexpr wchar_t kProgramKey[] = L"Software\\QEL\\Vorsant";
constexpr wchar_t kUnitsValue[] = L"Units";

// UTF-16 to UTF-8 here, as the portable core does not link the shell's text
// helpers.
std::string Utf8(const wchar_t* wide) {
  char narrow[32] = {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
  return n > 1 ? std::string(narrow, static_cast<std::size_t>(n - 1)) : std::string();
}

std::string LocaleText(LCTYPE what, std::string_view fallback) {
  wchar_t wide[8] = {};  // the separators hold at most four characters
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, what, wide, 8) <= 1) return std::string(fallback);
  return Utf8(wide);
}

}  // namespace

UnitSystem StoredUnits() {
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kProgramKey, 0, KEY_QUERY_VALUE, key.Out()) != ERROR_SUCCESS)
    return UnitSystem::kUs;
  const std::optional<std::wstring> value = key.Text(kUnitsValue);
  if (!value || value->size() > 15) return UnitSystem::kUs;
  return UnitSystemNamed(Utf8(value->c_str())).value_or(UnitSystem::kUs);
}

void StoreUnits(UnitSystem units) {
  RegistryKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kProgramKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Out(),
                      nullptr) != ERROR_SUCCESS)
    return;
  const std::string_view name = UnitSystemKey(units);  // ASCII
  key.SetText(kUnitsValue, std::wstring(name.begin(), name.end()));
}

NumberStyle UserNumberStyle() {
  NumberStyle style;
  // The thousands separator as the trial report takes it, so that the two
  // never disagree; the decimal separator straight from the user's format.
  style.thousands = Windows1252ToUtf8(LocaleThousandsSeparator());
  style.decimal = LocaleText(LOCALE_SDECIMAL, ".");
  return style;
}

NumberStyle ReportNumberStyle() {
  return NumberStyle{Windows1252ToUtf8(LocaleThousandsSeparator()), "."};
}

Presentation ProgramPresentation() {
  return Presentation{StoredUnits(), ReportNumberStyle()};
}

}  // namespace vorsant
