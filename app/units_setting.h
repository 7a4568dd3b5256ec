#pragma once
// The units the program's fouling windows, comparison and exported report
// speak (US or metric), as the user last chose them in the Fouling Models
// window, and the separators they write numbers with. The trial's own
// report is not affected.

#include "present/quantities.h"

namespace vorsant {

// Remembered for the user under HKEY_CURRENT_USER\Software\QEL\Vorsant as
// the value "Units" ("us" or "metric"); US until chosen.
UnitSystem StoredUnits();
// Failures are ignored: the choice is a convenience, never worth a message.
void StoreUnits(UnitSystem units);

// The user's decimal and thousands separators, UTF-8.
NumberStyle UserNumberStyle();

// The trial report's number style: "." as the decimal point whatever the
// user's format, and the thousands grouping the report takes from the
// locale. Every window and file beside the report writes in it, so that no
// page mixes two styles.
NumberStyle ReportNumberStyle();

// StoredUnits() in ReportNumberStyle().
Presentation ProgramPresentation();

}  // namespace vorsant
