#include "app/readings_paste.h"

#include <cmath>
#include <optional>

#include "trial/number_text.h"

namespace vorsant {
namespace {

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

// The fields of one line. A sheet's tabs come first; then semicolons; then
// commas, unless they are the decimal separator; then runs of blanks.
std::vector<std::string> Fields(std::string_view line, std::string_view userDecimal) {
  line = Trimmed(line);
  std::string separators;
  if (line.find_first_of("\t;") != std::string_view::npos)
    separators = "\t;";
  else if (userDecimal != "," && line.find(',') != std::string_view::npos)
    separators = ",";
  else
    separators = " ";
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = line.find_first_of(separators, start);
    std::string_view field = Trimmed(line.substr(start, end == std::string_view::npos ? end : end - start));
    if (!field.empty() || separators != " ") fields.emplace_back(field);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  // A sheet may copy empty cells after the last one used.
  while (!fields.empty() && fields.back().empty()) fields.pop_back();
  return fields;
}

std::optional<double> Number(const std::string& field, std::string_view userDecimal) {
  return ParseDecimal(DotDecimal(field, userDecimal));
}

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

std::optional<PastedReading> Reading(std::string_view line, std::string_view userDecimal) {
  const std::vector<std::string> fields = Fields(line, userDecimal);
  if (fields.size() < 2 || fields.size() > 3 || !Number(fields[0], userDecimal)) return std::nullopt;
  PastedReading r{DotDecimal(fields[0], userDecimal), "", ""};
  if (fields.size() == 3) {
    if (!Number(fields[1], userDecimal) || !Number(fields[2], userDecimal)) return std::nullopt;
    r.Minutes = DotDecimal(fields[1], userDecimal);
    r.Seconds = DotDecimal(fields[2], userDecimal);
    return r;
  }
  const std::string& time = fields[1];
  if (const std::size_t colon = time.find(':'); colon != std::string::npos) {
    const std::string_view m = std::string_view(time).substr(0, colon);
    const std::string_view s = std::string_view(time).substr(colon + 1);
    if (!AllDigits(m) || !AllDigits(s)) return std::nullopt;
    r.Minutes = std::string(m);
    r.Seconds = std::string(s);
    return r;
  }
  const std::optional<double> seconds = Number(time, userDecimal);
  if (!seconds || *seconds < 0 || *seconds > 1e9) return std::nullopt;
  // Whole seconds, as the dialog and the balance keep them.
  const long long whole = std::llround(*seconds);
  r.Minutes = std::to_string(whole / 60);
  r.Seconds = std::to_string(whole % 60);
  return r;
}

}  // namespace

std::string DotDecimal(std::string_view text, std::string_view userDecimal) {
  std::string s(text);
  if (userDecimal.size() != 1 || userDecimal == "." || s.find('.') != std::string::npos) return s;
  const std::size_t at = s.find(userDecimal[0]);
  if (at == std::string::npos || s.find(userDecimal[0], at + 1) != std::string::npos) return s;
  s[at] = '.';
  return s;
}

bool LooksLikeReadings(std::string_view text) {
  text = Trimmed(text);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
    text = Trimmed(text.substr(0, text.size() - 1));
  return text.find_first_of("\n\t;") != std::string_view::npos;
}

ReadingsPaste ParseReadings(std::string_view text, std::string_view userDecimal) {
  ReadingsPaste paste;
  bool firstLine = true;
  int number = 0;
  for (std::string_view line : Lines(text)) {
    ++number;
    if (Trimmed(line).empty()) continue;
    std::optional<PastedReading> r = Reading(line, userDecimal);
    const bool headings = firstLine && !r;
    firstLine = false;
    if (headings) continue;
    if (!r) {
      paste.Readings.clear();
      paste.BadLine = number;
      return paste;
    }
    paste.Readings.push_back(std::move(*r));
  }
  return paste;
}

std::size_t FillReadings(DataInput& boxes, std::size_t firstRow, const std::vector<PastedReading>& readings) {
  std::size_t placed = 0;
  for (const PastedReading& r : readings) {
    const std::size_t row = firstRow + placed;
    if (row >= kPointCount) break;
    boxes.V[row] = r.Volume;
    boxes.Min[row] = r.Minutes;
    boxes.Sec[row] = r.Seconds;
    ++placed;
  }
  return placed;
}

std::string PasteSummary(const ReadingsPaste& paste, std::size_t firstRow, std::size_t placed) {
  if (paste.BadLine > 0)
    return "Line " + std::to_string(paste.BadLine) +
           " of the pasted text is not a reading (a volume, then minutes and seconds); nothing was taken.";
  if (placed == 0) return "The pasted text holds no readings; nothing was taken.";
  std::string text =
      "Took " + std::to_string(placed) + (placed == 1 ? " reading" : " readings") + " into point" +
      (placed == 1 ? " " + std::to_string(firstRow + 1)
                   : "s " + std::to_string(firstRow + 1) + " to " + std::to_string(firstRow + placed));
  const std::size_t left = paste.Readings.size() - placed;
  if (left > 0) text += "; " + std::to_string(left) + " more did not fit";
  return text + ".";
}

}  // namespace vorsant
