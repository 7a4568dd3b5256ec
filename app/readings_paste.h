#pragma once
// Readings brought into the data dialog from a spreadsheet: one reading a
// line, the volume and then the time, as a sheet copies its cells. Pure
// functions over texts; the dialog only moves them to and from its boxes.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "trial/data_input.h"

namespace vorsant {

// One reading's box texts, "." as the decimal point.
struct PastedReading {
  std::string Volume, Minutes, Seconds;
};

struct ReadingsPaste {
  std::vector<PastedReading> Readings;
  int BadLine = 0;  // the first line (from 1) that is no reading; then Readings is empty
};

// A number typed with the user's decimal separator (`userDecimal`, UTF-8)
// in the record's form, "." as the point: "30,5" is "30.5" where the
// separator is a comma. Text that holds a "." already, more than one
// separator, or a separator of several characters stays as it is, and so
// does everything where the separator is ".".
std::string DotDecimal(std::string_view text, std::string_view userDecimal);

// Whether a pasted text is readings rather than what one box takes: more
// than one line, or a line of several fields.
bool LooksLikeReadings(std::string_view text);

// Lines of "volume TAB minutes TAB seconds", "volume TAB minutes:seconds" or
// "volume;seconds" (the elapsed time in seconds), fields also split by
// semicolons, by commas where the decimal separator is not a comma, or by
// blanks. Empty lines are passed over, and so is a first line of headings.
ReadingsPaste ParseReadings(std::string_view text, std::string_view userDecimal);

// Puts `readings` into the boxes of points firstRow + 1 on (firstRow from 0)
// as far as they go; returns how many were placed.
std::size_t FillReadings(DataInput& boxes, std::size_t firstRow, const std::vector<PastedReading>& readings);

// What the dialog says after a paste: "Took 12 readings into points 1 to
// 12." and what did not fit or could not be read.
std::string PasteSummary(const ReadingsPaste& paste, std::size_t firstRow, std::size_t placed);

}  // namespace vorsant
