#pragma once
// What the fouling commands (Fouling Models, Compare Trials, Export Report)
// read beside a trial's own file.

#include <optional>

#include "fouling/companion_readings.h"

namespace vorsant {

class TMDIChild;

// The collection's every reading kept beside the trial's file, when the
// trial has a file and the readings are there; the models check that they
// match the trial as the window holds it.
std::optional<CompanionLog> ReadingsBeside(const TMDIChild& w);

}  // namespace vorsant
