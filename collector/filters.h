#pragma once
// The filters every view of the data takes, from the command line
// (--app ID --version V --since YYYY-MM-DD --until YYYY-MM-DD) and from a
// query string (app, version, since, until). A session belongs to the UTC
// day of its first hit, and a filter selects sessions; the hits shown are
// those of the selected sessions.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace collector {

struct Filters {
  std::string app;      // empty: every application
  std::string version;  // empty: every version
  // Days since 1970-01-01, both inclusive; nullopt: open. Kept parsed, so
  // no view meets a date it cannot read.
  std::optional<std::int64_t> sinceDay, untilDay;

  // Unix milliseconds of the range [sinceMs, untilMs); nullopt for an open end.
  std::optional<std::int64_t> SinceMs() const;
  std::optional<std::int64_t> UntilMs() const;
  // "YYYY-MM-DD", or empty for an open end.
  std::string SinceText() const;
  std::string UntilText() const;
};

// Days since 1970-01-01 of a valid "YYYY-MM-DD"; nullopt otherwise.
std::optional<std::int64_t> ParseDay(std::string_view text);
// "YYYY-MM-DD" of the UTC day that holds the Unix milliseconds.
std::string DayText(std::int64_t unixMs);
// "YYYY-MM-DDTHH:MM:SS.mmmZ".
std::string TimeText(std::int64_t unixMs);

// Sets the filter named `name` ("app", "version", "since", "until") to
// `value`. False with a one-line reason when the name is unknown or a date
// is not a valid YYYY-MM-DD.
bool SetFilter(Filters& filters, std::string_view name, std::string_view value, std::string* reason);

// Reads the filters from the named query parameters through `get`, which
// answers empty for an absent one.
bool FiltersFromQuery(const std::function<std::string(std::string_view)>& get, Filters& filters,
                      std::string* reason);

// "app=...&version=..." of the filters that are set, URL-encoded.
std::string FiltersQuery(const Filters& filters);

}  // namespace collector
