#pragma once
// The frame's menu bar and accelerator table, built from the action table,
// and the Wine menu's list of recent trials.

#include <windows.h>

#include <string>
#include <vector>

namespace vorsant {

// A new menu bar; the caller owns it (a window destroys the menu it holds).
HMENU BuildMenuBar();
// A new accelerator table of every action with a shortcut.
HACCEL BuildAccelerators();
// Puts `paths` (newest first) into the Wine menu after "Export Report..."
// behind a separator of their own, replacing what was listed before; an
// empty list leaves the menu as it is without one.
void ShowRecentTrials(HMENU wineMenu, const std::vector<std::string>& paths);

}  // namespace vorsant
