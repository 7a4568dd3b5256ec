#include "fouling/companion_readings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "scale/reading_log.h"
#include "trial/number_text.h"

namespace vorsant {
namespace {

// The log's volume at `seconds`, straight between its neighbours, held at
// its ends; `kept` rises in both.
double MlAt(const std::vector<Reading>& kept, double seconds) {
  if (seconds <= kept.front().seconds) return kept.front().ml;
  if (seconds >= kept.back().seconds) return kept.back().ml;
  const auto after = std::upper_bound(kept.begin(), kept.end(), seconds,
                                      [](double s, const Reading& r) { return s < r.seconds; });
  const Reading& b = *after;
  const Reading& a = *(after - 1);
  if (!(b.seconds > a.seconds)) return b.ml;
  return a.ml + (b.ml - a.ml) * (seconds - a.seconds) / (b.seconds - a.seconds);
}

std::string MlText(double ml) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", ml);
  return text;
}

}  // namespace

std::optional<CompanionLog> LoadCompanionLog(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return std::nullopt;
  CompanionLog log;
  const std::u8string name = path.filename().u8string();  // the verdict's texts are UTF-8
  log.file.assign(name.begin(), name.end());
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  // An empty file inserts nothing, which the stream counts as a failure.
  if (in && in.peek() != std::char_traits<char>::eof()) text << in.rdbuf();
  if (std::filesystem::is_directory(path, ec) || (!in.good() && !in.eof())) {
    log.error = "it cannot be read";
    return log;
  }
  int skipped = 0;
  for (const LoggedReading& r : ParseReadingLog(text.str(), &skipped)) log.readings.push_back({r.Ml, r.Seconds});
  log.unreadableLines = skipped;
  return log;
}

std::string MinutesSecondsText(double seconds) {
  long long whole = std::llround(std::max(0.0, seconds));
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
  return text;
}

CompanionMatch MatchCompanion(const TrialReadings& trial, const std::vector<Reading>& log) {
  CompanionMatch out;
  for (const Reading& r : log) {
    const bool rises = out.kept.empty() || (r.ml > out.kept.back().ml && r.seconds >= out.kept.back().seconds);
    if (rises && std::isfinite(r.ml) && std::isfinite(r.seconds) && r.ml >= 0 && r.seconds >= 0) {
      out.kept.push_back(r);
    } else {
      ++out.notRising;
    }
  }
  if (out.kept.empty()) {
    out.disagreement = "it holds no readings";
    return out;
  }
  for (std::size_t i = 0; i < trial.kept.size(); ++i) {
    const Reading& s = trial.kept[i];
    const std::string reading = "reading " + std::to_string(trial.rows[i]);
    const std::string at = MinutesSecondsText(s.seconds);
    if (s.seconds > out.kept.back().seconds + kAgreeSeconds) {
      out.disagreement = "its readings end at " + MinutesSecondsText(out.kept.back().seconds) + ", before " +
                         reading + " at " + at;
      return out;
    }
    if (s.seconds < out.kept.front().seconds - kAgreeSeconds) {
      out.disagreement = "its readings begin at " + MinutesSecondsText(out.kept.front().seconds) + ", after " +
                         reading + " at " + at;
      return out;
    }
    // The stored volume lies between the log's a moment before and a
    // moment after, give or take the stored text's rounding.
    const double tolerance = kAgreeMl + kAgreeShare * s.ml;
    const double lo = MlAt(out.kept, s.seconds - kAgreeSeconds), hi = MlAt(out.kept, s.seconds + kAgreeSeconds);
    if (s.ml < lo - tolerance || s.ml > hi + tolerance) {
      out.disagreement = "it reads " + MlText(MlAt(out.kept, s.seconds)) + " ml at " + at + " where " + reading +
                         " has " + MlText(s.ml) + " ml";
      return out;
    }
  }
  return out;
}

}  // namespace vorsant
