#pragma once
// The data dialog's OK button, shared by the Windows dialog and the tests'
// scripted user: the 108 boxes are checked and rewritten, and the first
// failure is shown with the dialog's one message.

#include <optional>

#include "app/ui_port.h"
#include "trial/data_input.h"

namespace vorsant {

// The dialog waits this long after a successful check, with its boxes
// repainted in their canonical form, before it closes.
inline constexpr int kDataAcceptPauseMs = 200;

// Checks volumes, then minutes, then seconds, and stops at the first bad box:
// its message is shown (information icon, OK) and it is returned; every box
// checked before it holds its canonical text, the bad one keeps the user's.
// nullopt when the dialog may close with OK.
std::optional<DataFailure> CheckDataDialog(DataInput& input, UiPort& ui);

}  // namespace vorsant
