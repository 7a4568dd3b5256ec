#include "cli/points_check.h"

#include <cmath>
#include <optional>

#include "cli/command.h"
#include "trial/number_text.h"

namespace vorsant::cli {
namespace {

// The data dialog's bounds.
constexpr double kLeastMl = 0.1, kMostMl = 100000, kMostMinutes = 999, kMostSeconds = 59;

struct Time {
  bool given = false;
  double seconds = 0;
};

std::string MinSec(double seconds) {
  const long long s = std::llround(seconds);
  const std::string sec = std::to_string(s % 60);
  return std::to_string(s / 60) + ":" + (sec.size() < 2 ? "0" : "") + sec;
}

std::string Number(double x) {
  std::string s = std::to_string(x);
  s.erase(s.find_last_not_of('0') + 1);
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

}  // namespace

void CheckPoints(const std::vector<PointTexts>& rows, std::string_view source) {
  std::optional<double> lastMl;
  std::optional<double> lastSeconds;
  std::size_t lastMlRow = 0, lastTimeRow = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const PointTexts& row = rows[i];
    const std::size_t reading = i + 1;
    const auto refuse = [&](const std::string& why) {
      throw CommandError("vorsant-cli: " + std::string(source) + " reading " + std::to_string(reading) + ": " + why +
                         "; nothing was written");
    };
    std::optional<double> ml;
    if (!row[0].empty()) {
      ml = ParseDecimal(row[0]);
      if (!ml) refuse("the volume \"" + row[0] + "\" is not a number");
      if (*ml < kLeastMl) refuse("the volume " + row[0] + " ml is below the least reading, 0.1 ml");
      if (*ml > kMostMl) refuse("the volume " + row[0] + " ml is above the largest reading, 100000 ml");
    }
    Time time;
    double parts[2] = {0, 0};
    const double most[2] = {kMostMinutes, kMostSeconds};
    const char* names[2] = {"minutes", "seconds"};
    for (int k = 0; k < 2; ++k) {
      const std::string& text = row[1 + k];
      if (text.empty()) continue;
      const std::optional<double> x = ParseDecimal(text);
      if (!x) refuse(std::string("the ") + names[k] + " \"" + text + "\" are not a number");
      if (*x < 0 || std::round(*x) > most[k])
        refuse(std::string("the ") + names[k] + " " + text + " are outside 0 to " + Number(most[k]));
      parts[k] = std::round(*x);
      time.given = true;
    }
    time.seconds = 60 * parts[0] + parts[1];
    if (ml && lastMl && *ml <= *lastMl)
      refuse("the volume goes backwards: " + Number(*ml) + " ml is not above reading " + std::to_string(lastMlRow) +
             "'s " + Number(*lastMl) + " ml");
    if (time.given && lastSeconds && time.seconds < *lastSeconds)
      refuse("the time goes backwards: " + MinSec(time.seconds) + " is before reading " +
             std::to_string(lastTimeRow) + "'s " + MinSec(*lastSeconds));
    if (ml) {
      lastMl = ml;
      lastMlRow = reading;
    }
    if (time.given) {
      lastSeconds = time.seconds;
      lastTimeRow = reading;
    }
  }
}

std::vector<std::string> SameSecondReadings(const std::vector<PointTexts>& rows, const std::vector<bool>& rounded) {
  std::vector<std::string> out;
  const auto seconds = [&](std::size_t i) -> std::optional<double> {
    if (rows[i][1].empty() && rows[i][2].empty()) return std::nullopt;
    return 60 * NumberOr0(rows[i][1]) + NumberOr0(rows[i][2]);
  };
  for (std::size_t i = 0; i + 1 < rows.size();) {
    std::size_t end = i + 1;
    const std::optional<double> t = seconds(i);
    bool anyRounded = i < rounded.size() && rounded[i];
    while (t && end < rows.size() && seconds(end) == t) {
      anyRounded = anyRounded || (end < rounded.size() && rounded[end]);
      ++end;
    }
    if (end - i >= 2 && anyRounded) {
      std::string names;
      for (std::size_t k = i; k < end; ++k)
        names += (k == i ? "" : k + 1 == end ? " and " : ", ") + std::to_string(k + 1);
      out.push_back("readings " + names + " both fall on " + MinSec(*t));
      if (end - i > 2) out.back().replace(out.back().find(" both "), 6, " all ");
    }
    i = end;
  }
  return out;
}

}  // namespace vorsant::cli
