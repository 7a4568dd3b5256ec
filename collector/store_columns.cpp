#include "collector/store_columns.h"

#include <algorithm>
#include <stdexcept>

#include "collector/filters.h"

namespace collector {
namespace {

// How a hit's field is bound: numbers as they are, the texts a hit always
// has as they are, the others NULL when empty. Texts are borrowed.
template <std::int64_t HitRecord::*M>
SqlValue Number(const HitRecord& h) {
  return h.*M;
}
template <std::string HitRecord::*M>
SqlValue Required(const HitRecord& h) {
  return &(h.*M);
}
template <std::string HitRecord::*M>
SqlValue Optional(const HitRecord& h) {
  return (h.*M).empty() ? SqlValue(nullptr) : SqlValue(&(h.*M));
}

// What one hit says of its session, where the hit's type tells something.
SqlValue Day(const HitRecord& h) {
  return DayText(h.madeMs);
}
SqlValue One(const HitRecord&) {
  return std::int64_t{1};
}
SqlValue EndStatus(const HitRecord& h) {
  return h.type == "lifecycle" && h.lifeControl == "end" ? SqlValue(&h.lifeStatus) : SqlValue(nullptr);
}
SqlValue InstallType(const HitRecord& h) { return h.type == "installtype" ? SqlValue(&h.value) : nullptr; }
SqlValue Screen(const HitRecord& h) { return h.type == "screenview" ? SqlValue(&h.label) : nullptr; }
SqlValue ScreenMs(const HitRecord& h) { return h.type == "screenview" ? SqlValue(h.madeMs) : nullptr; }
// A property hit's value, for the session column that keeps that property.
SqlValue Property(const HitRecord& h, std::string_view label) {
  return h.type == "property" && h.label == label ? SqlValue(&h.value) : SqlValue(nullptr);
}
SqlValue Language(const HitRecord& h) { return Property(h, "UserLanguage"); }
SqlValue ScreenSize(const HitRecord& h) { return Property(h, "ScreenResolution"); }
SqlValue Dpi(const HitRecord& h) { return Property(h, "DpiScale"); }
SqlValue Features(const HitRecord& h) { return Property(h, "ADDLOCAL"); }
SqlValue Missing(const HitRecord& h) { return Property(h, "OX_MISSING_PREREQS"); }

constexpr HitRole kId = HitRole::kId;
using enum Merge;
using enum Shown;
using enum Tallied;

}  // namespace

// The order is the stored one: exports and existing databases rely on it.
// clang-format off
constinit const std::array<Column, 21> kHitColumns = {{
    {.name = "id", .type = "%ID%", .number = true, .role = kId},
    {.name = "received_ms", .type = "BIGINT NOT NULL", .number = true, .fromHit = Number<&HitRecord::receivedMs>,
     .exportAt = 1, .header = "received", .shown = kTime},
    {.name = "made_ms", .type = "BIGINT NOT NULL", .number = true, .fromHit = Number<&HitRecord::madeMs>,
     .exportAt = 2, .header = "made", .shown = kTime},
    {.name = "queue_ms", .type = "BIGINT NOT NULL", .number = true, .fromHit = Number<&HitRecord::queueMs>,
     .exportAt = 3},
    {.name = "app", .type = "TEXT NOT NULL", .fromHit = Required<&HitRecord::app>, .exportAt = 4},
    {.name = "version", .type = "TEXT NOT NULL", .fromHit = Required<&HitRecord::version>, .exportAt = 5},
    {.name = "client_id", .type = "TEXT NOT NULL", .fromHit = Required<&HitRecord::clientId>, .exportAt = 6},
    {.name = "session_id", .type = "TEXT NOT NULL", .fromHit = Required<&HitRecord::sessionId>, .exportAt = 7},
    {.name = "type", .type = "TEXT NOT NULL", .fromHit = Required<&HitRecord::type>, .exportAt = 8},
    {.name = "life_control", .type = "TEXT", .fromHit = Optional<&HitRecord::lifeControl>, .exportAt = 9},
    {.name = "life_status", .type = "TEXT", .fromHit = Optional<&HitRecord::lifeStatus>, .exportAt = 10},
    {.name = "label", .type = "TEXT", .fromHit = Optional<&HitRecord::label>, .exportAt = 11},
    {.name = "value", .type = "TEXT", .fromHit = Optional<&HitRecord::value>, .exportAt = 12},
    {.name = "exception_description", .type = "TEXT", .fromHit = Optional<&HitRecord::exceptionDescription>,
     .exportAt = 13},
    {.name = "exception_details", .type = "TEXT", .fromHit = Optional<&HitRecord::exceptionDetails>, .exportAt = 14},
    {.name = "exception_fatal", .type = "TEXT", .fromHit = Optional<&HitRecord::exceptionFatal>, .exportAt = 15},
    {.name = "os_version", .type = "TEXT", .fromHit = Optional<&HitRecord::osVersion>, .exportAt = 16},
    {.name = "architecture", .type = "TEXT", .fromHit = Optional<&HitRecord::architecture>, .exportAt = 17},
    {.name = "extra", .type = "TEXT", .fromHit = Optional<&HitRecord::extra>, .exportAt = 18},
    {.name = "exception_key", .type = "BIGINT", .number = true, .role = HitRole::kExceptionKey},
    {.name = "import_key", .type = "BIGINT", .number = true, .role = HitRole::kImportKey},
}};

constinit const std::array<Column, 19> kSessionColumns = {{
    {.name = "session_id", .type = "TEXT PRIMARY KEY", .fromHit = Required<&HitRecord::sessionId>, .exportAt = 1},
    {.name = "app", .type = "TEXT NOT NULL", .fromHit = Required<&HitRecord::app>, .exportAt = 3},
    {.name = "version", .type = "TEXT NOT NULL", .fromHit = Required<&HitRecord::version>, .exportAt = 4},
    {.name = "client_id", .type = "TEXT NOT NULL", .fromHit = Required<&HitRecord::clientId>, .exportAt = 2},
    {.name = "first_made_ms", .type = "BIGINT NOT NULL", .number = true, .fromHit = Number<&HitRecord::madeMs>,
     .merge = kEarliestBy, .by = "first_made_ms", .exportAt = 5, .header = "started", .shown = kTime},
    {.name = "day", .type = "TEXT NOT NULL", .fromHit = Day, .merge = kEarliestBy, .by = "first_made_ms",
     .exportAt = 6},
    {.name = "last_received_ms", .type = "BIGINT NOT NULL", .number = true,
     .fromHit = Number<&HitRecord::receivedMs>, .merge = kLargest},
    {.name = "hits", .type = "BIGINT NOT NULL", .number = true, .fromHit = One, .merge = kSum, .exportAt = 7},
    {.name = "end_status", .type = "TEXT", .fromHit = EndStatus, .merge = kNewerKnown, .exportAt = 8,
     .header = "outcome", .shown = kOutcome},
    {.name = "install_type", .type = "TEXT", .fromHit = InstallType, .merge = kNewerKnown, .exportAt = 9,
     .tallied = kSessions, .list = &Summary::installTypes},
    {.name = "last_screen", .type = "TEXT", .fromHit = Screen, .merge = kNewestBy, .by = "last_screen_ms",
     .exportAt = 10, .tallied = kSessions, .list = &Summary::abortScreens,
     .tallyAlso = " AND s.end_status = 'user abort'"},
    {.name = "last_screen_ms", .type = "BIGINT", .number = true, .fromHit = ScreenMs, .merge = kNewestBy,
     .by = "last_screen_ms"},
    {.name = "os_version", .type = "TEXT", .fromHit = Optional<&HitRecord::osVersion>, .merge = kFirstKnown,
     .exportAt = 11, .tallied = kMachines, .list = &Summary::osVersions},
    {.name = "architecture", .type = "TEXT", .fromHit = Optional<&HitRecord::architecture>, .merge = kFirstKnown,
     .exportAt = 12, .tallied = kMachines, .list = &Summary::architectures},
    {.name = "language", .type = "TEXT", .fromHit = Language, .merge = kNewerKnown, .exportAt = 13,
     .tallied = kMachines, .list = &Summary::languages},
    {.name = "screen", .type = "TEXT", .fromHit = ScreenSize, .merge = kNewerKnown, .exportAt = 14,
     .tallied = kMachines, .list = &Summary::screens},
    {.name = "dpi", .type = "TEXT", .fromHit = Dpi, .merge = kNewerKnown, .exportAt = 15, .tallied = kMachines,
     .list = &Summary::dpi},
    {.name = "features", .type = "TEXT", .fromHit = Features, .merge = kNewerKnown, .exportAt = 16,
     .tallied = kParts, .list = &Summary::features},
    {.name = "missing_prerequisites", .type = "TEXT", .fromHit = Missing, .merge = kNewerKnown, .exportAt = 17,
     .tallied = kParts, .list = &Summary::missingPrerequisites},
}};
// clang-format on

void HashText(std::uint64_t& hash, std::string_view text) {
  for (unsigned char c : text) hash = (hash ^ c) * 0x100000001B3ULL;
  for (std::size_t n = text.size(), i = 0; i < 8; ++i, n >>= 8) hash = (hash ^ (n & 0xFF)) * 0x100000001B3ULL;
}

SqlValue ExceptionKey(std::string_view type, std::string_view action, std::string_view details, bool fatal) {
  if (type != "exception") return nullptr;
  std::uint64_t hash = kHashStart;
  HashText(hash, action);
  HashText(hash, details);
  HashText(hash, fatal ? "1" : "0");
  return static_cast<std::int64_t>(hash);
}

std::size_t ColumnAt(Columns table, std::string_view name) {
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].name == name) return i;
  }
  throw std::logic_error("no stored column " + std::string(name));
}

Selection::Selection(Columns table, std::initializer_list<std::string_view> names) {
  for (std::string_view name : names) columns.push_back(&table[ColumnAt(table, name)]);
}

std::string Selection::List(std::string_view prefix) const {
  std::string list;
  for (const Column* c : columns) list.append(list.empty() ? "" : ", ").append(prefix).append(c->name);
  return list;
}

std::size_t Selection::At(std::string_view name) const {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i]->name == name) return i;
  }
  throw std::logic_error("no column " + std::string(name) + " is read");
}

SqlValue StoredExceptionKey(const Selection& read, const SqlRow& row) {
  auto text = [&](std::string_view name) {
    const std::optional<std::string>& cell = row[read.At(name)];
    return cell ? std::string_view(*cell) : std::string_view();
  };
  return ExceptionKey(text("type"), text("exception_description"), text("exception_details"),
                      text("exception_fatal") == "1");
}

std::string TableDefinition(Columns table) {
  std::string sql = "(";
  for (const Column& c : table) {
    sql.append(sql.size() > 1 ? ",\n  " : "\n  ").append(c.name).append(" ").append(c.type);
  }
  return sql + ")";
}

bool Inserted(const Column& c) {
  return c.role == HitRole::kField || c.role == HitRole::kExceptionKey;
}

void AddHitCells(std::vector<SqlValue>& cells, const HitRecord& hit) {
  for (const Column& c : kHitColumns) {
    if (c.role == HitRole::kField) cells.push_back(c.fromHit(hit));
  }
  cells.push_back(
      ExceptionKey(hit.type, hit.exceptionDescription, hit.exceptionDetails, hit.exceptionFatal == "1"));
}

std::vector<SqlValue> SessionOfHit(const HitRecord& hit) {
  std::vector<SqlValue> cells;
  cells.reserve(kSessionColumns.size());
  for (const Column& c : kSessionColumns) cells.push_back(c.fromHit(hit));
  return cells;
}

namespace {

bool IsNull(const SqlValue& v) {
  return std::holds_alternative<std::nullptr_t>(v);
}
std::int64_t Number(const SqlValue& v) {
  return std::get<std::int64_t>(v);
}

// Whether the newer row's value replaces the stored one; the same rule as
// the CASE that SessionMergeSql writes for the column.
bool NewerWins(const Column& c, std::size_t at, const std::vector<SqlValue>& stored,
               const std::vector<SqlValue>& newer) {
  static const auto kBy = [] {
    std::array<std::size_t, kSessionColumns.size()> by{};
    for (std::size_t i = 0; i < by.size(); ++i)
      by[i] = kSessionColumns[i].by.empty() ? i : ColumnAt(kSessionColumns, kSessionColumns[i].by);
    return by;
  }();
  const std::size_t by = kBy[at];
  switch (c.merge) {
    case Merge::kLargest:
      return Number(newer[at]) > Number(stored[at]);
    case Merge::kEarliestBy:
      return Number(newer[by]) < Number(stored[by]);
    case Merge::kNewestBy:
      return !IsNull(newer[by]) && (IsNull(stored[by]) || Number(newer[by]) >= Number(stored[by]));
    case Merge::kNewerKnown:
      return !IsNull(newer[at]);
    case Merge::kFirstKnown:
      return IsNull(stored[at]);
    case Merge::kKeep:
    case Merge::kSum:
      break;
  }
  return false;
}

std::string NewerWinsSql(const Column& c) {
  const std::string self(c.name), by(c.by);
  switch (c.merge) {
    case Merge::kLargest:
      return "excluded." + self + " > sessions." + self;
    case Merge::kEarliestBy:
      return "excluded." + by + " < sessions." + by;
    case Merge::kNewestBy:
      return "excluded." + by + " IS NOT NULL AND (sessions." + by + " IS NULL OR excluded." + by +
             " >= sessions." + by + ")";
    case Merge::kNewerKnown:
      return "excluded." + self + " IS NOT NULL";
    case Merge::kFirstKnown:
      return "sessions." + self + " IS NULL";
    case Merge::kKeep:
    case Merge::kSum:
      break;
  }
  return "FALSE";
}

}  // namespace

void MergeSession(std::vector<SqlValue>& stored, std::vector<SqlValue>&& newer) {
  // Every rule compares the rows as they were before this merge, as the
  // database's SET does.
  std::array<bool, kSessionColumns.size()> wins{};
  for (std::size_t i = 0; i < kSessionColumns.size(); ++i)
    wins[i] = NewerWins(kSessionColumns[i], i, stored, newer);
  for (std::size_t i = 0; i < kSessionColumns.size(); ++i) {
    if (kSessionColumns[i].merge == Merge::kSum) {
      stored[i] = Number(stored[i]) + Number(newer[i]);
    } else if (wins[i]) {
      stored[i] = std::move(newer[i]);
    }
  }
}

std::string SessionMergeSql() {
  std::string sql = " ON CONFLICT (session_id) DO UPDATE SET";
  const char* comma = "";
  for (const Column& c : kSessionColumns) {
    if (c.merge == Merge::kKeep) continue;
    const std::string self(c.name);
    sql.append(comma).append("\n  ").append(self).append(" = ");
    comma = ",";
    if (c.merge == Merge::kSum) {
      sql += "sessions." + self + " + excluded." + self;
    } else {
      sql += "CASE WHEN " + NewerWinsSql(c) + " THEN excluded." + self + " ELSE sessions." + self + " END";
    }
  }
  return sql;
}

std::vector<const Column*> Exported(Columns table) {
  std::vector<const Column*> out;
  for (const Column& c : table) {
    if (c.exportAt > 0) out.push_back(&c);
  }
  std::sort(out.begin(), out.end(),
            [](const Column* a, const Column* b) { return a->exportAt < b->exportAt; });
  return out;
}

std::string ShownCell(const Column& c, const std::optional<std::string>& cell) {
  switch (c.shown) {
    case Shown::kTime:
      return cell ? TimeText(std::stoll(*cell)) : std::string();
    case Shown::kOutcome:
      return std::string(OutcomeName(OutcomeOf(cell)));
    case Shown::kText:
      break;
  }
  return cell.value_or(std::string());
}

}  // namespace collector
