#include "collector/summary.h"

#include <algorithm>
#include <map>
#include <functional>
#include <iterator>
#include <string_view>
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
    json.BeginObject();
    t.others ? json.Key("others").Number(t.others) : json.Key(valueKey).String(t.value);
    json.Key(countKey).Number(t.count).EndObject();
  }
  json.EndArray();
}

// Counts per value, in sessions.
using Counts = std::unordered_map<std::string, std::int64_t>;

// Gives distinct texts the numbers 0, 1, 2... in the order first seen. Open
// addressing over arrays: a summary numbers every machine and every value
// of its sessions, and a node per text would cost an allocation each.
class TextIds {
 public:
  // The text's number, and whether it is new.
  std::pair<std::uint32_t, bool> Add(std::string_view text) {
    if ((texts_.size() + 1) * 2 > slots_.size()) Grow();
    const std::size_t hash = std::hash<std::string_view>{}(text);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const std::uint32_t id = slots_[i];
      if (id == kEmpty) {
        slots_[i] = static_cast<std::uint32_t>(texts_.size());
        texts_.emplace_back(text);
        hashes_.push_back(hash);
        return {slots_[i], true};
      }
      if (hashes_[id] == hash && texts_[id] == text) return {id, false};
    }
  }
  const std::string& Text(std::uint32_t id) const { return texts_[id]; }
  std::size_t size() const { return texts_.size(); }

 private:
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
  void Grow() {
    std::vector<std::uint32_t> slots(std::max<std::size_t>(64, slots_.size() * 2), kEmpty);
    const std::size_t mask = slots.size() - 1;
    for (std::uint32_t id = 0; id < texts_.size(); ++id) {
      std::size_t i = hashes_[id] & mask;
      while (slots[i] != kEmpty) i = (i + 1) & mask;
      slots[i] = id;
    }
    slots_.swap(slots);
  }
  std::vector<std::uint32_t> slots_;
  std::vector<std::string> texts_;
  std::vector<std::size_t> hashes_;
};

// A set of non-zero 64-bit keys, by open addressing.
class KeySet {
 public:
  bool Insert(std::uint64_t key) {
    if ((size_ + 1) * 2 > slots_.size()) Grow();
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = Spread(key) & mask;; i = (i + 1) & mask) {
      if (slots_[i] == key) return false;
      if (slots_[i] == 0) {
        slots_[i] = key;
        ++size_;
        return true;
      }
    }
  }

 private:
  static std::size_t Spread(std::uint64_t key) { return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> 17); }
  void Grow() {
    std::vector<std::uint64_t> old(std::max<std::size_t>(64, slots_.size() * 2), 0);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (std::uint64_t key : old) {
      if (!key) continue;
      std::size_t i = Spread(key) & mask;
      while (slots_[i]) i = (i + 1) & mask;
      slots_[i] = key;
    }
  }
  std::vector<std::uint64_t> slots_;
  std::size_t size_ = 0;
};

// The largest kListed of `count` values (count desc, then text) and one
// row for the rest, without sorting them all.
std::vector<Tally> Largest(std::size_t count, const std::function<std::int64_t(std::size_t)>& countOf,
                           const std::function<const std::string&(std::size_t)>& textOf) {
  std::vector<std::size_t> order(count);
  for (std::size_t i = 0; i < count; ++i) order[i] = i;
  auto before = [&](std::size_t a, std::size_t b) {
    std::int64_t ca = countOf(a), cb = countOf(b);
    return ca != cb ? ca > cb : textOf(a) < textOf(b);
  };
  std::size_t listed = std::min(count, kListed);
  std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(listed), order.end(), before);
  std::vector<Tally> tallies;
  for (std::size_t i = 0; i < listed; ++i) tallies.push_back({textOf(order[i]), countOf(order[i])});
  if (count > listed) {
    Tally other{std::string(), 0, static_cast<std::int64_t>(count - listed)};
    for (std::size_t i = listed; i < count; ++i) other.count += countOf(order[i]);
    tallies.push_back(std::move(other));
  }
  return tallies;
}

// Distinct machines per value: a machine counts for a value the first time
// their pair is seen.
class Machines {
 public:
  void Add(const std::string& value, std::uint32_t machine) {
    auto [id, added] = values_.Add(value);
    if (added) counts_.push_back(0);
    if (seen_.Insert((std::uint64_t{id} + 1) << 32 | machine)) ++counts_[id];
  }
  std::vector<Tally> Sorted() const {
    return Largest(
        counts_.size(), [&](std::size_t id) { return counts_[id]; },
        [&](std::size_t id) -> const std::string& { return values_.Text(static_cast<std::uint32_t>(id)); });
  }

 private:
  TextIds values_;
  std::vector<std::int64_t> counts_;
  KeySet seen_;
};

std::vector<Tally> Sorted(const Counts& counts) {
  std::vector<Tally> tallies;
  tallies.reserve(counts.size());
  for (const auto& [value, count] : counts) tallies.push_back({value, count});
  SortTallies(tallies);
  return tallies;
}

std::vector<Tally> Folded(const Counts& counts) {
  std::vector<Tally> tallies = Sorted(counts);
  FoldTallies(tallies);
  return tallies;
}

}  // namespace

void AddCounts(OutcomeCounts& into, const OutcomeCounts& more) {
  into.sessions += more.sessions;
  into.success += more.success;
  into.userAbort += more.userAbort;
  into.fatalError += more.fatalError;
  into.unfinished += more.unfinished;
}

namespace {

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
  TextIds clients;  // client id -> small number
  std::map<std::pair<std::string, std::string>, OutcomeCounts> versions;
  std::map<std::string, OutcomeCounts> days;
  Counts installTypes, abortScreens, features, missing;
  Machines osVersions, architectures, languages, screens, dpi;
};

SummaryBuilder::SummaryBuilder() : state_(std::make_unique<State>()) {}
SummaryBuilder::~SummaryBuilder() = default;

void SummaryBuilder::Add(const SessionFacts& s) {
  State& st = *state_;
  const std::uint32_t client = st.clients.Add(s.clientId).first;
  st.summary.hits += s.hits;
  AddOutcome(st.summary.outcomes, s.endStatus);
  AddOutcome(st.versions[{s.app, s.version}], s.endStatus);
  AddOutcome(st.days[s.day], s.endStatus);
  if (s.installType) ++st.installTypes[*s.installType];
  if (s.lastScreen && OutcomeOf(s.endStatus) == Outcome::kUserAbort) ++st.abortScreens[*s.lastScreen];
  if (s.osVersion) st.osVersions.Add(*s.osVersion, client);
  if (s.architecture) st.architectures.Add(*s.architecture, client);
  if (s.language) st.languages.Add(*s.language, client);
  if (s.screen) st.screens.Add(*s.screen, client);
  if (s.dpi) st.dpi.Add(*s.dpi, client);
  if (s.features) ++st.features[*s.features];
  if (s.missingPrerequisites) ++st.missing[*s.missingPrerequisites];
}

Summary SummaryBuilder::Finish(std::int64_t rejected, std::vector<ErrorGroup> errors) {
  State& st = *state_;
  Summary summary = std::move(st.summary);
  summary.rejected = rejected;
  summary.machines = static_cast<std::int64_t>(st.clients.size());
  summary.installTypes = Folded(st.installTypes);
  for (auto& [key, outcomes] : st.versions) summary.byVersion.push_back({key.first, key.second, outcomes});
  std::stable_sort(summary.byVersion.begin(), summary.byVersion.end(),
                   [](const auto& a, const auto& b) { return a.outcomes.sessions > b.outcomes.sessions; });
  if (summary.byVersion.size() > kListed) {
    VersionOutcomes other;
    other.others = static_cast<std::int64_t>(summary.byVersion.size() - kListed);
    for (std::size_t i = kListed; i < summary.byVersion.size(); ++i)
      AddCounts(other.outcomes, summary.byVersion[i].outcomes);
    summary.byVersion.resize(kListed);
    summary.byVersion.push_back(std::move(other));
  }
  if (st.days.size() > kListedDays) {
    DayOutcomes earlier;
    earlier.others = static_cast<std::int64_t>(st.days.size() - kListedDays);
    auto first = std::prev(st.days.end(), static_cast<std::ptrdiff_t>(kListedDays));
    for (auto it = st.days.begin(); it != first; ++it) AddCounts(earlier.outcomes, it->second);
    summary.perDay.push_back(std::move(earlier));
    st.days.erase(st.days.begin(), first);
  }
  for (auto& [day, outcomes] : st.days) summary.perDay.push_back({day, outcomes});
  summary.abortScreens = Folded(st.abortScreens);
  summary.errors = std::move(errors);
  summary.osVersions = st.osVersions.Sorted();
  summary.architectures = st.architectures.Sorted();
  summary.languages = st.languages.Sorted();
  summary.screens = st.screens.Sorted();
  summary.dpi = st.dpi.Sorted();
  summary.features = SplitTallies(Sorted(st.features));
  summary.missingPrerequisites = SplitTallies(Sorted(st.missing));
  FoldTallies(summary.features);
  FoldTallies(summary.missingPrerequisites);
  return summary;
}

void SortTallies(std::vector<Tally>& tallies) {
  std::sort(tallies.begin(), tallies.end(), [](const Tally& a, const Tally& b) {
    return a.count != b.count ? a.count > b.count : a.value < b.value;
  });
}

void FoldTallies(std::vector<Tally>& tallies) {
  if (tallies.size() <= kListed) return;
  Tally other{std::string(), 0, static_cast<std::int64_t>(tallies.size() - kListed)};
  for (std::size_t i = kListed; i < tallies.size(); ++i) other.count += tallies[i].count;
  tallies.resize(kListed);
  tallies.push_back(std::move(other));
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
  for (const Tally& t : s.installTypes) {
    if (!t.others) json.Key(t.value).Number(t.count);
  }
  json.EndObject();
  if (!s.installTypes.empty() && s.installTypes.back().others) {
    const Tally& other = s.installTypes.back();
    json.Key("install_types_others").BeginObject();
    json.Key("others").Number(other.others).Key("installations").Number(other.count).EndObject();
  }
  json.Key("by_version").BeginArray();
  for (const VersionOutcomes& v : s.byVersion) {
    json.BeginObject();
    v.others ? json.Key("others").Number(v.others) : json.Key("app").String(v.app).Key("version").String(v.version);
    json.Key("sessions").Number(v.outcomes.sessions);
    WriteOutcomes(json, v.outcomes);
    json.EndObject();
  }
  json.EndArray();
  json.Key("per_day").BeginArray();
  for (const DayOutcomes& d : s.perDay) {
    json.BeginObject();
    d.others ? json.Key("others").Number(d.others) : json.Key("date").String(d.date);
    json.Key("sessions").Number(d.outcomes.sessions);
    WriteOutcomes(json, d.outcomes);
    json.EndObject();
  }
  json.EndArray();
  WriteTallies(json, "abort_screens", s.abortScreens, "screen", "sessions");
  json.Key("errors").BeginArray();
  for (const ErrorGroup& e : s.errors) {
    json.BeginObject();
    if (e.others) {
      json.Key("others").Number(e.others);
    } else {
      json.Key("action").String(e.action).Key("details").String(e.details).Key("fatal").Bool(e.fatal);
    }
    json.Key("sessions").Number(e.sessions).EndObject();
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
