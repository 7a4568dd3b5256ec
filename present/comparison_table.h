#pragma once
// The comparison of several trials as a fixed-pitch table, in the
// presentation's units.

#include <span>
#include <string>
#include <vector>

#include "fouling/trial_comparison.h"
#include "present/quantities.h"

namespace vorsant {

// UTF-8 lines: a title line, a rule, one row per trial; the area column only
// when the request had a target volume. A trial that cannot be read or
// analysed shows its message in place of its figures, one without fouling
// says so.
std::vector<std::string> ComparisonTableLines(std::span<const ComparedTrial> trials, bool withArea,
                                              const Presentation& p);

// The unit the comparison writes its volumes in.
VolumeUnit ComparisonVolumeUnit(std::span<const ComparedTrial> trials, UnitSystem units);

}  // namespace vorsant
