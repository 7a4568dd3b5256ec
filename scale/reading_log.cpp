#include "scale/reading_log.h"

#include <cstdio>
#include <stdexcept>

#include "trial/number_text.h"

namespace vorsant {

std::filesystem::path ReadingLogPath(const std::filesystem::path& trialPath) {
  std::filesystem::path log = trialPath;
  log.replace_extension(".readings.csv");
  return log;
}

void ReadingLog::Close() {
  closed_ = true;
  out_.close();
}

void ReadingLog::Add(double seconds, double grams, double ml) {
  if (closed_) throw std::runtime_error("the readings file beside the trial is closed");
  if (!out_.is_open()) {
    out_.open(path_, std::ios::binary | std::ios::trunc);
    if (out_) out_ << kReadingLogHeader << "\n";
  }
  if (!out_) throw std::runtime_error("the readings file beside the trial cannot be written");
  char line[96];
  std::snprintf(line, sizeof line, "%.1f,%.3f,%.3f\n", seconds, grams, ml);
  // Flushed at once: what the operating system has survives the program.
  out_ << line << std::flush;
}

std::vector<LoggedReading> ParseReadingLog(std::string_view text, int* skipped) {
  std::vector<LoggedReading> readings;
  int bad = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line == kReadingLogHeader) continue;
    const std::size_t a = line.find(',');
    const std::size_t b = a == std::string_view::npos ? a : line.find(',', a + 1);
    const std::optional<double> seconds = ParseDecimal(line.substr(0, a));
    const std::optional<double> ml =
        b == std::string_view::npos ? std::nullopt : ParseDecimal(line.substr(b + 1));
    if (!seconds || !ml || !ParseDecimal(line.substr(a + 1, b - a - 1))) {
      ++bad;
      continue;
    }
    readings.push_back({*seconds, *ml});
  }
  if (skipped != nullptr) *skipped = bad;
  return readings;
}

}  // namespace vorsant
