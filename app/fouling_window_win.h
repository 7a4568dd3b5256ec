#pragma once
// The "Fouling Models" window: the verdict and the models table of one trial, boxes that
// size the production filter again as they change, and the models' picture.

#include <windows.h>

#include "fouling/fouling_models.h"
#include "trial/wine_rec.h"

namespace vorsant {

// A new window owned by `owner`, on its own copy of `rec`; `report` holds the
// models with the default sizing, which the table shows until a box changes.
void OpenFoulingWindow(HWND owner, const TWineRec& rec, const FoulingReport& report);

}  // namespace vorsant
