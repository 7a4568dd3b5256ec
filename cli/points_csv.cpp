#include "cli/points_csv.h"

#include "cli/command.h"
#include "trial/wine_rec.h"

namespace vorsant::cli {

namespace {

std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::vector<PointTexts> ParsePointsCsv(std::string_view content, std::string_view source) {
  if (content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);  // a byte order mark
  std::vector<PointTexts> rows;
  bool first = true;
  int lineNumber = 0;
  while (!content.empty()) {
    const auto end = content.find('\n');
    std::string_view line = content.substr(0, end);
    content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    ++lineNumber;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (Trim(line).empty()) continue;
    if (first) {
      first = false;
      if (IsLetter(Trim(line)[0])) continue;  // column names
    }
    PointTexts row;
    std::size_t field = 0;
    for (;;) {
      const auto comma = line.find(',');
      if (field == row.size()) {
        throw CommandError(std::string(source) + " line " + std::to_string(lineNumber) +
                           ": expected volume_ml,minutes,seconds");
      }
      row[field++] = std::string(Trim(line.substr(0, comma)));
      if (comma == std::string_view::npos) break;
      line.remove_prefix(comma + 1);
    }
    if (rows.size() == kPointCount) {
      throw CommandError(std::string(source) + " has more than " + std::to_string(kPointCount) + " points");
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace vorsant::cli
