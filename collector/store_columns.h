#pragma once
// Every stored column of the hits and sessions, written once: its name and
// SQL type, whether it holds a number, how a hit fills it, how a session's
// newer facts merge into the stored ones, and where the exports show it.
// The schema, the inserts, the import, both exports and the summary's
// lists take their columns from these tables; rows are read through them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "collector/hit_record.h"
#include "collector/sql_connection.h"
#include "collector/summary.h"

namespace collector {

// What a hits column is to the hit it stores.
enum class HitRole {
  kId,            // the row's number, given by the database
  kField,         // one of the hit's own fields: stored, imported, exported
  kExceptionKey,  // computed from the hit's fields when it is stored
  kImportKey,     // set on hits brought by an import only
};

// How a stored session row takes in a newer row of the same session (the
// hits of a later batch, or an imported session): either the two are
// added, or the newer value wins when `WinsSql` says so, or the stored one
// stays.
enum class Merge {
  kKeep,        // what the session's first hits said
  kSum,         // counts
  kLargest,     // the larger number
  kEarliestBy,  // the value of the row whose `by` is smaller
  kNewestBy,    // the value of the row whose `by` is known and not older
  kNewerKnown,  // the newer value when it is known
  kFirstKnown,  // the stored value unless unknown
};

// How an export shows a column.
enum class Shown { kText, kTime, kOutcome };

// How the summary lists a session column's values.
enum class Tallied { kNo, kSessions, kMachines, kParts };

using FromHit = SqlValue (*)(const HitRecord&);

struct Column {
  std::string_view name;
  std::string_view type;  // as in CREATE TABLE
  bool number = false;    // read and bound as an integer, else as a text
  // Hits: the column's role, and for kField how the hit's field is bound.
  // Sessions: what one hit says (NULL: nothing), merged by `merge`.
  HitRole role = HitRole::kField;
  FromHit fromHit = nullptr;
  Merge merge = Merge::kKeep;
  std::string_view by = {};  // the column kEarliestBy and kNewestBy compare
  // The export's column from 1 (0: not exported), its header when not the
  // name, and how the cell is shown.
  int exportAt = 0;
  std::string_view header = {};
  Shown shown = Shown::kText;
  // Sessions: the summary's list of the column's values, counted in the
  // sessions that also meet `tallyAlso` (" AND ...").
  Tallied tallied = Tallied::kNo;
  std::vector<Tally> Summary::*list = nullptr;
  std::string_view tallyAlso = {};
};

using Columns = std::span<const Column>;

// FNV-1a, over texts and their lengths.
inline constexpr std::uint64_t kHashStart = 0xCBF29CE484222325ULL;
void HashText(std::uint64_t& hash, std::string_view text);

// An exception's group (action, details, fatal) as one number, so that the
// groups are counted from a small index instead of sorting every text:
// 60,000 distinct details of 8 KiB would otherwise be 480 MB to group.
// NULL for other hits.
SqlValue ExceptionKey(std::string_view type, std::string_view action, std::string_view details, bool fatal);

extern const std::array<Column, 21> kHitColumns;
extern const std::array<Column, 19> kSessionColumns;

// The place of `name` in `table`; throws std::logic_error when there is
// no such column.
std::size_t ColumnAt(Columns table, std::string_view name);

// The columns one SELECT reads, in its order: rows are read by the
// columns' names through it.
struct Selection {
  template <class Keep>
  Selection(Columns table, Keep keep) {
    for (const Column& c : table) {
      if (keep(c)) columns.push_back(&c);
    }
  }
  Selection(Columns table, std::initializer_list<std::string_view> names);
  explicit Selection(std::vector<const Column*> chosen) : columns(std::move(chosen)) {}
  // "a, b, c", each name after `prefix`.
  std::string List(std::string_view prefix = {}) const;
  // The place of column `name` in the rows read; std::logic_error when it is not read.
  std::size_t At(std::string_view name) const;
  std::vector<const Column*> columns;
};

// The exception key of a stored hit, from a row read through `read`
// (which holds the type and the exception's fields).
SqlValue StoredExceptionKey(const Selection& read, const SqlRow& row);

// The body of CREATE TABLE: "(\n  name type,\n ...)".
std::string TableDefinition(Columns table);

// The stored hits columns that a hit fills when it is received.
bool Inserted(const Column& c);
// A hit's cells, as Inserted() lists them; texts borrowed from `hit`.
void AddHitCells(std::vector<SqlValue>& cells, const HitRecord& hit);

// A session as one hit tells it: a cell per column, texts borrowed from `hit`.
std::vector<SqlValue> SessionOfHit(const HitRecord& hit);
// Merges `newer` into `stored` as the upsert's ON CONFLICT clause merges it
// in the database.
void MergeSession(std::vector<SqlValue>& stored, std::vector<SqlValue>&& newer);
// " ON CONFLICT (session_id) DO UPDATE SET ..." for the sessions' upsert.
std::string SessionMergeSql();

// The exported columns in the export's order.
std::vector<const Column*> Exported(Columns table);
// An exported cell as the CSV shows it.
std::string ShownCell(const Column& c, const std::optional<std::string>& cell);

}  // namespace collector
