#pragma once
// The figures of the dashboard, of "report" and of GET /api/summary.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace collector {

// Each list shows its kListed largest rows; the rest are summed in one
// last row whose `others` says how many values it holds.
inline constexpr std::size_t kListed = 20;

struct Tally {
  std::string value;
  std::int64_t count = 0;
  std::int64_t others = 0;  // > 0: the row of the values not listed
};

struct OutcomeCounts {
  std::int64_t sessions = 0, success = 0, userAbort = 0, fatalError = 0, unfinished = 0;
};

// Adds `more` into `into`, count by count.
void AddCounts(OutcomeCounts& into, const OutcomeCounts& more);

struct VersionOutcomes {
  std::string app, version;
  OutcomeCounts outcomes;
  std::int64_t others = 0;  // as in Tally
};

// Days are a time series, not values to rank: the list keeps the last
// kListedDays days that have installations, in date order, and sums the
// earlier ones in one first row.
inline constexpr std::size_t kListedDays = 90;

struct DayOutcomes {
  std::string date;
  OutcomeCounts outcomes;
  std::int64_t others = 0;  // > 0: the row of the earlier days, this many
};

struct ErrorGroup {
  std::string action, details;
  bool fatal = false;
  std::int64_t sessions = 0;
  std::int64_t others = 0;  // as in Tally
};

struct Summary {
  std::int64_t hits = 0, rejected = 0, machines = 0;
  OutcomeCounts outcomes;  // outcomes.sessions is "sessions"
  std::vector<Tally> installTypes;
  std::vector<VersionOutcomes> byVersion;
  std::vector<DayOutcomes> perDay;
  std::vector<Tally> abortScreens;
  std::vector<ErrorGroup> errors;
  // Counted in distinct machines.
  std::vector<Tally> osVersions, architectures, languages, screens, dpi;
  std::vector<Tally> features, missingPrerequisites;  // counted in sessions
};

// What one stored session contributes to the figures.
struct SessionFacts {
  std::string clientId, app, version, day;
  std::int64_t hits = 0;
  std::optional<std::string> endStatus, installType, lastScreen;
  std::optional<std::string> osVersion, architecture, language, screen, dpi;
  std::optional<std::string> features, missingPrerequisites;
};

// The figures of a set of sessions, gathered in one pass over them: one
// scan of the sessions is much quicker than a query per figure. Memory
// grows with the sessions and their distinct values, never with their
// product: distinct machines per value are counted in one hash set of
// (value, machine) pairs.
class SummaryBuilder {
 public:
  SummaryBuilder();
  ~SummaryBuilder();
  void Add(const SessionFacts& session);
  // The rejections and the error groups come from their own tables; the
  // groups are listed and folded already, by the database.
  Summary Finish(std::int64_t rejected, std::vector<ErrorGroup> errors);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The object of GET /api/summary.
std::string SummaryJson(const Summary& summary);

// Splits each "A,B" value at commas (blanks around a part dropped, empty
// parts skipped) and adds its count to every part; sorted like all lists.
std::vector<Tally> SplitTallies(const std::vector<Tally>& lists);
// Largest count first, then by value.
void SortTallies(std::vector<Tally>& tallies);
// Keeps the first kListed of sorted tallies and sums the rest in one row.
void FoldTallies(std::vector<Tally>& tallies);

}  // namespace collector
