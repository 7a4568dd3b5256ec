#include "collector/filters.h"

#include <cstdio>

namespace collector {
namespace {

constexpr std::int64_t kDayMs = 86'400'000;

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's
// days_from_civil).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

std::string UrlEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
        c == '_' || c == '~') {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0xF]);
    }
  }
  return out;
}

}  // namespace

std::optional<std::int64_t> ParseDay(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  int digits[8];
  int n = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i == 4 || i == 7) continue;
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    digits[n++] = text[i] - '0';
  }
  int year = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
  unsigned month = static_cast<unsigned>(digits[4] * 10 + digits[5]);
  unsigned day = static_cast<unsigned>(digits[6] * 10 + digits[7]);
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (month < 1 || month > 12 || day < 1) return std::nullopt;
  if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) return std::nullopt;
  return DaysFromCivil(year, month, day);
}

std::string DayText(std::int64_t unixMs) {
  int y;
  unsigned m, d;
  CivilFromDays(FloorDiv(unixMs, kDayMs), y, m, d);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", y, m, d);
  return text;
}

std::string TimeText(std::int64_t unixMs) {
  std::int64_t ms = unixMs - FloorDiv(unixMs, kDayMs) * kDayMs;
  char text[48];
  std::snprintf(text, sizeof text, "%sT%02d:%02d:%02d.%03dZ", DayText(unixMs).c_str(),
                static_cast<int>(ms / 3'600'000), static_cast<int>(ms / 60'000 % 60),
                static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000));
  return text;
}

std::optional<std::int64_t> Filters::SinceMs() const {
  if (!sinceDay) return std::nullopt;
  return *sinceDay * kDayMs;
}

std::optional<std::int64_t> Filters::UntilMs() const {
  if (!untilDay) return std::nullopt;
  return (*untilDay + 1) * kDayMs;
}

std::string Filters::SinceText() const {
  return sinceDay ? DayText(*sinceDay * kDayMs) : std::string();
}

std::string Filters::UntilText() const {
  return untilDay ? DayText(*untilDay * kDayMs) : std::string();
}

bool SetFilter(Filters& filters, std::string_view name, std::string_view value, std::string* reason) {
  auto fail = [&](std::string text) {
    if (reason) *reason = std::move(text);
    return false;
  };
  if (name == "app") {
    filters.app = value;
  } else if (name == "version") {
    filters.version = value;
  } else if (name == "since" || name == "until") {
    std::optional<std::int64_t> day = ParseDay(value);
    if (!value.empty() && !day) {
      return fail(std::string(name) + " must be a date YYYY-MM-DD, not \"" + std::string(value) + "\"");
    }
    (name == "since" ? filters.sinceDay : filters.untilDay) = day;
  } else {
    return fail("unknown filter " + std::string(name));
  }
  return true;
}

bool FiltersFromQuery(const std::function<std::string(std::string_view)>& get, Filters& filters,
                      std::string* reason) {
  for (std::string_view name : {"app", "version", "since", "until"}) {
    if (!SetFilter(filters, name, get(name), reason)) return false;
  }
  return true;
}

std::string FiltersQuery(const Filters& filters) {
  std::string query;
  auto add = [&](std::string_view name, const std::string& value) {
    if (value.empty()) return;
    if (!query.empty()) query.push_back('&');
    query += std::string(name) + "=" + UrlEncode(value);
  };
  add("app", filters.app);
  add("version", filters.version);
  add("since", filters.SinceText());
  add("until", filters.UntilText());
  return query;
}

}  // namespace collector
