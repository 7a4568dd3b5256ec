#pragma once
// The options that models, compare and report --html share: the unit
// system, and the sizing request typed in it. Misuse names the option.

#include "cli/options.h"
#include "fouling/fouling_models.h"
#include "present/quantities.h"

namespace vorsant::cli {

inline constexpr std::string_view kUnitsVariable = "VORSANT_UNITS";

// --units us|metric; without it the environment's VORSANT_UNITS; else us.
// The command line's figures keep one style: "." for decimals, "," for
// thousands.
Presentation PresentationOption(const Options& options);

// --volume (in the presentation's volume unit unless it names its own),
// --safety and --element-area, each where the command takes it.
SizingRequest SizingOptions(const Options& options, const Presentation& p);

}  // namespace vorsant::cli
