#pragma once
// Set Scale Connection: which COM port the balance is on.

#include <string>

#include "app/scale_ui_port.h"

namespace vorsant {

class TMainForm;

// TCOMDlg with the current port checked. On OK with a port checked, the port
// object takes the port's device name, ScalePort takes its number and the
// environment file is rewritten at once. OK with no port checked (possible
// only when ScalePort was outside 1 to 9) keeps the previous setting.
void SetScaleConnectionExecute(TMainForm& form, ScaleUiPort& ui);

// Shown when the environment file cannot be rewritten; the new port stays in
// effect until the program ends.
std::string EnvironmentSaveErrorText(int errorNumber);

}  // namespace vorsant
