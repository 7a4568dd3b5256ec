#pragma once
// CSV rows: cells separated by commas, rows ended by CRLF; a cell that holds
// a comma, a quote or a line break is quoted, its quotes doubled.

#include <string>
#include <vector>

namespace collector {

std::string CsvRow(const std::vector<std::string>& cells);

}  // namespace collector
