#pragma once
// The "Compare Trials" window: the open trials side by side, their best
// models' table and the overlay of their resistances, drawn once.

#include <windows.h>

#include <span>

#include "fouling/trial_comparison.h"

namespace vorsant {

// A new window owned by `owner`, drawn from its own copies of `trials`.
void OpenCompareWindow(HWND owner, std::span<const ComparedTrial> trials);

}  // namespace vorsant
