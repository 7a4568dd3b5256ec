#include "collector/summary.h"

#include <algorithm>
#include <map>

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

}  // namespace

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
