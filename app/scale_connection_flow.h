#pragma once
// Which port and which balance a collection reads: Set Scale Connection
// (the port dialog, COM1 to COM9, kept in the environment file) and Balance
// Settings (any present port and the balance's command set, with a step
// that finds the balance by itself).

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "app/scale_ui_port.h"
#include "scale/balance_exchange.h"

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

// Start-up, after the environment file: a port kept beside it replaces its
// port, and the balance's line is the chosen profile's.
void ApplyBalanceSetting(TMainForm& form);

// Tries every profile on one port (its device name); nullopt when no
// balance answered. Port errors pass through as EComError.
using BalanceFinder = std::function<std::optional<FoundBalance>(const std::string& device)>;

// Balance Settings: the dialog with the present ports (the current one too,
// even when it is not present) and the profiles. Its Find Balance button
// tries the chosen port, then every other present port, and says what it
// found. On OK: a port from COM1 to COM9 is taken as Set Scale Connection
// takes it; any other port is kept beside the environment file, with the
// profile; the port object takes both.
void BalanceSettingsExecute(TMainForm& form, ScaleUiPort& ui, const BalanceFinder& find);

// What Find Balance says when no port answered: "No balance answered on
// COM3 or COM12."
std::string NoBalanceText(const std::vector<std::string>& tried);

}  // namespace vorsant
