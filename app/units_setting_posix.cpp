// Where there is no registry (the portable build and its tests) the choice
// lasts as long as the process, and numbers keep the C locale's separators.

#include "app/units_setting.h"

#include "trial/cp1252.h"
#include "trial/number_text.h"

namespace vorsant {
namespace {

UnitSystem g_units = UnitSystem::kUs;

}  // namespace

UnitSystem StoredUnits() {
  return g_units;
}

void StoreUnits(UnitSystem units) {
  g_units = units;
}

NumberStyle UserNumberStyle() {
  NumberStyle style;
  style.thousands = Windows1252ToUtf8(LocaleThousandsSeparator());
  return style;
}

NumberStyle ReportNumberStyle() {
  return NumberStyle{Windows1252ToUtf8(LocaleThousandsSeparator()), "."};
}

Presentation ProgramPresentation() {
  return Presentation{StoredUnits(), ReportNumberStyle()};
}

}  // namespace vorsant
