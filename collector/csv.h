#pragma once
// CSV rows: cells separated by commas, rows ended by CRLF; a cell that holds
// a comma, a quote or a line break is quoted, its quotes doubled. A cell
// that a spreadsheet would run as a formula (=, +, -, @, tab or CR first,
// unless it is a plain number) gets a leading ' and stays text.

#include <string>
#include <vector>

namespace collector {

std::string CsvRow(const std::vector<std::string>& cells);

}  // namespace collector
