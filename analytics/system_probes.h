#pragma once
// The system's machine probes. Windows only: the library exists there.

#include <memory>

#include "analytics/machine_data.h"
#include "analytics/machine_id.h"

namespace plumeta {

// Network adapters and the Windows volume's serial number.
std::unique_ptr<MachineIdProbe> MakeSystemMachineIdProbe();
// Display mode, user language and screen DPI.
std::unique_ptr<DisplayProbe> MakeSystemDisplayProbe();
// True when the library runs on a 64-bit Windows: a 64-bit build always
// does; a 32-bit one when the process runs under 32-bit emulation (false
// also where the system cannot tell).
bool RunsOn64BitWindows();

}  // namespace plumeta
