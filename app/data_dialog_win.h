#pragma once
// The data entry dialog "Filtration Data": 36 points of volume, minutes and
// seconds, and the number of points to skip.

#include <windows.h>

#include "app/ui_port.h"
#include "trial/data_input.h"

namespace vorsant {

// Shows the dialog modally, loaded from `input` (the record's single-byte
// texts); its OK button checks the boxes, showing the message through `ui`.
// True on an accepted OK, and then `input` holds the boxes as accepted.
bool RunDataDialog(HWND owner, DataInput& input, UiPort& ui);

}  // namespace vorsant
