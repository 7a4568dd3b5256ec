#include "collector/csv.h"

namespace collector {

std::string CsvRow(const std::vector<std::string>& cells) {
  std::string row;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i) row.push_back(',');
    const std::string& cell = cells[i];
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
