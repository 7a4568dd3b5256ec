#include "collector/summary.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "collector/hit_record.h"

#include "collector/json_writer.h"

namespace collector {
namespace {

void WriteOutcomes(JsonWriter& json, const OutcomeCounts& counts) {
  json.Key("success").Number(counts.success);
  json.Key("user_abort").Number(counts.userAbort);
  json.Key("fatal_error").Number(counts.fatalError);
  json.Key("unfinished").Number(counts.unfinished);
}

void WriteTallies(JsonWriter& json, const char* key, const std::vector<Tally>& tallies, const char* valueKey,
                  const char* countKey) {
  json.Key(key).BeginArray();
  for (const Tally& t : tallies) {
    json.BeginObject().Key(valueKey).String(t.value).Key(countKey).Number(t.count).EndObject();
  }
  json.EndArray();
}

// Counts per value, in sessions or in distinct machines.
using Counts = std::unordered_map<std::string, std::int64_t>;
// Distinct machines, by the small numbers given to client ids: a bit each.
struct MachineSet {
  std::vector<std::uint64_t> bits;
  std::int64_t count = 0;
  void Add(std::uint32_t machine) {
    const std::size_t word = machine / 64;
    if (word >= bits.size()) bits.resize(word + 1 + word / 2);
    const std::uint64_t bit = std::uint64_t{1} << (machine % 64);
    if (!(bits[word] & bit)) bits[word] |= bit, ++count;
  }
};
using Machines = std::unordered_map<std::string, MachineSet>;

std::vector<Tally> Sorted(const Counts& counts) {
  std::vector<Tally> tallies;
  tallies.reserve(counts.size());
  for (const auto& [value, count] : counts) tallies.push_back({value, count});
  SortTallies(tallies);
  return tallies;
}

std::vector<Tally> Sorted(const Machines& machines) {
  std::vector<Tally> tallies;
  tallies.reserve(machines.size());
  for (const auto& [value, set] : machines) tallies.push_back({value, set.count});
  SortTallies(tallies);
  return tallies;
}

void AddOutcome(OutcomeCounts& counts, const std::optional<std::string>& endStatus) {
  ++counts.sessions;
  switch (OutcomeOf(endStatus)) {
    case Outcome::kSuccess:
      ++counts.success;
      break;
    case Outcome::kUserAbort:
      ++counts.userAbort;
      break;
    case Outcome::kFatalError:
      ++counts.fatalError;
      break;
    case Outcome::kUnfinished:
      ++counts.unfinished;
      break;
  }
}

}  // namespace

struct SummaryBuilder::State {
  Summary summary;
  std::unordered_map<std::string, std::uint32_t> clients;  // client id -> small number
  std::map<std::pair<std::string, std::string>, OutcomeCounts> versions;
  std::map<std::string, OutcomeCounts> days;
  Counts installTypes, abortScreens, features, missing;
  Machines osVersions, architectures, languages, screens, dpi;
};

SummaryBuilder::SummaryBuilder() : state_(std::make_unique<State>()) {}
SummaryBuilder::~SummaryBuilder() = default;

void SummaryBuilder::Add(const SessionFacts& s) {
  State& st = *state_;
  const std::uint32_t client =
      st.clients.try_emplace(s.clientId, static_cast<std::uint32_t>(st.clients.size())).first->second;
  st.summary.hits += s.hits;
  AddOutcome(st.summary.outcomes, s.endStatus);
  AddOutcome(st.versions[{s.app, s.version}], s.endStatus);
  AddOutcome(st.days[s.day], s.endStatus);
  if (s.installType) ++st.installTypes[*s.installType];
  if (s.lastScreen && OutcomeOf(s.endStatus) == Outcome::kUserAbort) ++st.abortScreens[*s.lastScreen];
  if (s.osVersion) st.osVersions[*s.osVersion].Add(client);
  if (s.architecture) st.architectures[*s.architecture].Add(client);
  if (s.language) st.languages[*s.language].Add(client);
  if (s.screen) st.screens[*s.screen].Add(client);
  if (s.dpi) st.dpi[*s.dpi].Add(client);
  if (s.features) ++st.features[*s.features];
  if (s.missingPrerequisites) ++st.missing[*s.missingPrerequisites];
}

Summary SummaryBuilder::Finish(std::int64_t rejected, std::vector<ErrorGroup> errors) {
  State& st = *state_;
  Summary summary = std::move(st.summary);
  summary.rejected = rejected;
  summary.machines = static_cast<std::int64_t>(st.clients.size());
  summary.installTypes = Sorted(st.installTypes);
  for (auto& [key, outcomes] : st.versions) summary.byVersion.push_back({key.first, key.second, outcomes});
  std::stable_sort(summary.byVersion.begin(), summary.byVersion.end(),
                   [](const auto& a, const auto& b) { return a.outcomes.sessions > b.outcomes.sessions; });
  for (auto& [day, outcomes] : st.days) summary.perDay.push_back({day, outcomes});
  summary.abortScreens = Sorted(st.abortScreens);
  std::sort(errors.begin(), errors.end(), [](const ErrorGroup& a, const ErrorGroup& b) {
    if (a.sessions != b.sessions) return a.sessions > b.sessions;
    if (a.fatal != b.fatal) return a.fatal;
    return a.action != b.action ? a.action < b.action : a.details < b.details;
  });
  summary.errors = std::move(errors);
  summary.osVersions = Sorted(st.osVersions);
  summary.architectures = Sorted(st.architectures);
  summary.languages = Sorted(st.languages);
  summary.screens = Sorted(st.screens);
  summary.dpi = Sorted(st.dpi);
  summary.features = SplitTallies(Sorted(st.features));
  summary.missingPrerequisites = SplitTallies(Sorted(st.missing));
  return summary;
}

void SortTallies(std::vector<Tally>& tallies) {
  std::sort(tallies.begin(), tallies.end(), [](const Tally& a, const Tally& b) {
    return a.count != b.count ? a.count > b.count : a.value < b.value;
  });
}

std::vector<Tally> SplitTallies(const std::vector<Tally>& lists) {
  std::map<std::string, std::int64_t> counts;
  for (const Tally& list : lists) {
    std::size_t start = 0;
    while (start <= list.value.size()) {
      std::size_t end = list.value.find(',', start);
      if (end == std::string::npos) end = list.value.size();
      std::size_t first = list.value.find_first_not_of(' ', start);
      std::size_t last = list.value.find_last_not_of(' ', end == 0 ? 0 : end - 1);
      if (first < end && last != std::string::npos && last >= first) {
        counts[list.value.substr(first, last - first + 1)] += list.count;
      }
      start = end + 1;
    }
  }
  std::vector<Tally> tallies;
  for (auto& [value, count] : counts) tallies.push_back({value, count});
  SortTallies(tallies);
  return tallies;
}

std::string SummaryJson(const Summary& s) {
  JsonWriter json;
  json.BeginObject();
  json.Key("hits").Number(s.hits);
  json.Key("rejected").Number(s.rejected);
  json.Key("sessions").Number(s.outcomes.sessions);
  json.Key("machines").Number(s.machines);
  json.Key("outcomes").BeginObject();
  WriteOutcomes(json, s.outcomes);
  json.EndObject();
  json.Key("install_types").BeginObject();
  for (const Tally& t : s.installTypes) json.Key(t.value).Number(t.count);
  json.EndObject();
  json.Key("by_version").BeginArray();
  for (const VersionOutcomes& v : s.byVersion) {
    json.BeginObject().Key("app").String(v.app).Key("version").String(v.version);
    json.Key("sessions").Number(v.outcomes.sessions);
    WriteOutcomes(json, v.outcomes);
    json.EndObject();
  }
  json.EndArray();
  json.Key("per_day").BeginArray();
  for (const DayOutcomes& d : s.perDay) {
    json.BeginObject().Key("date").String(d.date).Key("sessions").Number(d.outcomes.sessions);
    WriteOutcomes(json, d.outcomes);
    json.EndObject();
  }
  json.EndArray();
  WriteTallies(json, "abort_screens", s.abortScreens, "screen", "sessions");
  json.Key("errors").BeginArray();
  for (const ErrorGroup& e : s.errors) {
    json.BeginObject().Key("action").String(e.action).Key("details").String(e.details);
    json.Key("fatal").Bool(e.fatal).Key("sessions").Number(e.sessions).EndObject();
  }
  json.EndArray();
  json.Key("machine").BeginObject();
  WriteTallies(json, "os_versions", s.osVersions, "value", "machines");
  WriteTallies(json, "architectures", s.architectures, "value", "machines");
  WriteTallies(json, "languages", s.languages, "value", "machines");
  WriteTallies(json, "screens", s.screens, "value", "machines");
  WriteTallies(json, "dpi", s.dpi, "value", "machines");
  json.EndObject();
  WriteTallies(json, "features", s.features, "feature", "sessions");
  WriteTallies(json, "missing_prerequisites", s.missingPrerequisites, "value", "sessions");
  json.EndObject();
  return json.Take();
}

}  // namespace collector
