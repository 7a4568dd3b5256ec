#pragma once
// Points for the data command: a CSV of volume_ml,minutes,seconds rows, up
// to 36, optionally headed by a line of column names. Blank lines are
// ignored; a row may leave fields empty, as the data dialog's boxes may be.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vorsant::cli {

using PointTexts = std::array<std::string, 3>;  // volume, minutes, seconds

// Fields are trimmed of blanks. Throws CommandError naming `source` and the
// line for a row of more than three fields, or for more than 36 rows.
std::vector<PointTexts> ParsePointsCsv(std::string_view content, std::string_view source);

}  // namespace vorsant::cli
