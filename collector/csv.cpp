#include "collector/csv.h"

#include <string_view>

namespace collector {
namespace {

bool IsNumber(const std::string& cell) {
  std::size_t digits = cell[0] == '-' ? 1 : 0;
  return cell.size() > digits && cell.find_first_not_of("0123456789", digits) == std::string::npos;
}

// A spreadsheet opening the file runs a cell beginning with one of these as
// a formula (a tab or CR before it is skipped); a leading ' makes it text.
bool RunsAsFormula(const std::string& cell) {
  return !cell.empty() && std::string_view("=+-@\t\r").find(cell[0]) != std::string_view::npos &&
         !IsNumber(cell);
}

}  // namespace

std::string CsvRow(const std::vector<std::string>& cells) {
  std::string row;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i) row.push_back(',');
    const std::string cell = RunsAsFormula(cells[i]) ? "'" + cells[i] : cells[i];
    if (cell.find_first_of(",\"\r\n") == std::string::npos) {
      row += cell;
      continue;
    }
    row.push_back('"');
    for (char c : cell) {
      if (c == '"') row.push_back('"');
      row.push_back(c);
    }
    row.push_back('"');
  }
  return row + "\r\n";
}

}  // namespace collector
