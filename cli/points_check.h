#pragma once
// The data command's own checks of typed readings, before anything is
// written: each row's numbers and bounds, and readings that go backwards,
// refused with the reading's number and the real cause (the data dialog
// keeps its one message); and readings that whole seconds put in one
// second, named for the user.

#include <string>
#include <string_view>
#include <vector>

#include "cli/points_csv.h"

namespace vorsant::cli {

// Throws CommandError naming `source`, the reading and what is wrong with
// it, for the first row in order that is wrong. Rows are as rounded to
// whole seconds.
void CheckPoints(const std::vector<PointTexts>& rows, std::string_view source);

// "readings 6 and 7 both fall on 1:03", one text for each run of readings
// in one whole second of which at least one was rounded there (`rounded`
// flags them by row).
std::vector<std::string> SameSecondReadings(const std::vector<PointTexts>& rows, const std::vector<bool>& rounded);

}  // namespace vorsant::cli
