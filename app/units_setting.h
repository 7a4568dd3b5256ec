#pragma once
// The units the program's fouling windows, comparison and exported report
// speak (US or metric), as the user last chose them in the Fouling Models
// window, and the separators of the user's number format. The trial's own
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

// StoredUnits() in UserNumberStyle().
Presentation ProgramPresentation();

}  // namespace vorsant
