#include "collector/store.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <set>

#include "collector/store_columns.h"
#include "collector/summary_query.h"

namespace collector {
namespace {

// The tables as first made; the hits' key is the one difference between
// the two databases.
std::string Schema(bool postgres) {
  std::string hits = "CREATE TABLE IF NOT EXISTS hits " + TableDefinition(kHitColumns) + ";\n";
  hits.replace(hits.find("%ID%"), 4, postgres ? "BIGSERIAL PRIMARY KEY" : "INTEGER PRIMARY KEY");
  return hits + R"sql(CREATE INDEX IF NOT EXISTS hits_received ON hits (received_ms);
CREATE INDEX IF NOT EXISTS hits_exceptions ON hits (session_id) WHERE type = 'exception';
CREATE TABLE IF NOT EXISTS sessions )sql" +
         TableDefinition(kSessionColumns) + R"sql(;
CREATE INDEX IF NOT EXISTS sessions_first_made ON sessions (first_made_ms);
CREATE INDEX IF NOT EXISTS sessions_last_received ON sessions (last_received_ms);
CREATE TABLE IF NOT EXISTS rejections (
  day TEXT PRIMARY KEY,
  count BIGINT NOT NULL);
CREATE TABLE IF NOT EXISTS imported_rejections (
  source TEXT NOT NULL,
  day TEXT NOT NULL,
  count BIGINT NOT NULL,
  PRIMARY KEY (source, day));
CREATE TABLE IF NOT EXISTS collector_schema (version INTEGER NOT NULL);
)sql";
}

bool IsField(const Column& c) {
  return c.role == HitRole::kField;
}
bool IsAny(const Column&) {
  return true;
}

const Selection kHitInserted(kHitColumns, Inserted);
const std::size_t kHitInsertCount = kHitInserted.columns.size();
const std::string kHitInsertHead = "INSERT INTO hits (" + kHitInserted.List() + ") VALUES ";

// An imported hit's identity: its place in the source (the source's row
// id), its session and every field it holds, the times included, so that a
// second import of the same hits adds none of them (a unique index refuses
// the key), while two hits alike in every field, posted in one millisecond,
// stay two. A NULL differs from an empty text. Two different hits share a
// key with odds of about 1 in 10^7 per million imported. `row` holds the
// id and the fields, in the table's order, as read.
std::int64_t ImportKey(const SqlRow& row) {
  std::uint64_t hash = kHashStart;
  for (const std::optional<std::string>& cell : row) {
    hash = (hash ^ (cell ? 1u : 0u)) * 0x100000001B3ULL;
    HashText(hash, cell ? std::string_view(*cell) : std::string_view());
  }
  return static_cast<std::int64_t>(hash);
}

// The most rows one INSERT carries (SQLite allows 32766 parameters): one
// statement per 256 rows instead of one each, which is what a PostgreSQL
// server, a round trip away, needs most.
constexpr std::size_t kRowsPerInsert = 256;

const std::string kSessionInsertHead =
    "INSERT INTO sessions (" + Selection(kSessionColumns, IsAny).List() + ") VALUES ";
// Merges a row into the stored one as the row's hits would have: used for
// each batch's sessions and for a whole imported session alike.
const std::string kSessionMerge = SessionMergeSql();

// "(?, ?, ...)" with `columns` placeholders.
std::string Placeholders(std::size_t columns) {
  std::string row = "(?";
  for (std::size_t i = 1; i < columns; ++i) row += ", ?";
  return row + ")";
}

// `head` + rows + `tail` for every kRowsPerInsert rows of `rows`, which
// holds `columns` values per row, from `start`.
std::size_t NextRows(SqlStatement& statement, const std::string& head, const std::string& tail,
                     std::size_t columns, const std::vector<SqlValue>& rows, std::size_t start) {
  const std::string one = Placeholders(columns);
  std::size_t count = std::min(kRowsPerInsert, (rows.size() - start) / columns);
  statement.sql = head;
  for (std::size_t i = 0; i < count; ++i) statement.sql += (i ? ", " : "") + one;
  statement.sql += tail;
  auto first = rows.begin() + static_cast<std::ptrdiff_t>(start);
  statement.params.assign(first, first + static_cast<std::ptrdiff_t>(count * columns));
  return start + count * columns;
}

// Adds `head` + rows + `tail` for every kRowsPerInsert rows; `rows` holds
// `columns` values per row. SQLite, in the same process, runs one prepared
// single-row statement per row instead: no statement text to build and no
// new statement to prepare for each batch size.
void AddRows(std::vector<SqlStatement>& out, SqlDialect dialect, const std::string& head,
             const std::string& tail, std::size_t columns, std::vector<SqlValue>&& rows) {
  if (rows.empty()) return;
  if (dialect == SqlDialect::kSqlite) {
    out.push_back({head + Placeholders(columns) + tail, std::move(rows), columns});
    return;
  }
  for (std::size_t start = 0; start < rows.size();)
    start = NextRows(out.emplace_back(), head, tail, columns, rows, start);
}

void AddHits(std::vector<SqlStatement>& out, SqlDialect dialect, std::vector<SqlValue>&& rows) {
  AddRows(out, dialect, kHitInsertHead, "", kHitInsertCount, std::move(rows));
}

void AddSessions(std::vector<SqlStatement>& out, SqlDialect dialect, std::vector<SqlValue>&& rows) {
  AddRows(out, dialect, kSessionInsertHead, kSessionMerge, kSessionColumns.size(), std::move(rows));
}

void AddRejections(std::vector<SqlStatement>& out, const std::string& day, std::int64_t count) {
  out.push_back({"INSERT INTO rejections (day, count) VALUES (?, ?) "
                 "ON CONFLICT (day) DO UPDATE SET count = rejections.count + excluded.count",
                 {day, count}});
}

void RunAll(SqlConnection& db, const std::vector<SqlStatement>& statements) {
  for (const SqlStatement& statement : statements) {
    std::size_t each = statement.paramsPerRun ? statement.paramsPerRun : statement.params.size();
    std::size_t start = 0;
    do {
      auto first = statement.params.begin() + static_cast<std::ptrdiff_t>(start);
      db.Run(statement.sql, std::vector<SqlValue>(first, first + static_cast<std::ptrdiff_t>(each)));
      start += each;
    } while (start < statement.params.size());
  }
}

// " WHERE ..." over the sessions table (alias `s`) and its parameters.
struct Where {
  std::string sql;
  std::vector<SqlValue> params;
};

Where SessionWhere(const Filters& filters) {
  Where where{" WHERE 1 = 1", {}};
  if (!filters.app.empty()) where.sql += " AND s.app = ?", where.params.emplace_back(filters.app);
  if (!filters.version.empty()) where.sql += " AND s.version = ?", where.params.emplace_back(filters.version);
  if (auto since = filters.SinceMs())
    where.sql += " AND s.first_made_ms >= ?", where.params.emplace_back(*since);
  if (auto until = filters.UntilMs())
    where.sql += " AND s.first_made_ms < ?", where.params.emplace_back(*until);
  return where;
}

std::int64_t Int(const std::optional<std::string>& text) {
  return text ? std::stoll(*text) : 0;
}
std::string Text(const std::optional<std::string>& text) {
  return text.value_or(std::string());
}

// Runs `work` in one write transaction, rolled back if it throws. SQLite
// takes its write lock at BEGIN so that two writers never deadlock on an
// upgrade.
template <class Work>
void InWriteTransaction(SqlConnection& db, Work&& work) {
  db.Script(db.dialect() == SqlDialect::kPostgres ? "BEGIN" : "BEGIN IMMEDIATE");
  try {
    work();
    db.Script("COMMIT");
  } catch (...) {
    try {
      db.Script("ROLLBACK");
    } catch (const SqlError&) {
    }
    throw;
  }
}

// Exports read a page, end the statement and only then hand the rows on:
// the client may read slowly or never, and a statement still stepping
// would keep its read snapshot all that time, so that no checkpoint could
// copy the log past it. A page is at most 1000 hits of 16 KiB.
constexpr std::size_t kExportPage = 1000;

// Hands on a page's rows; false when it was the last page.
bool EmitPage(const std::vector<std::vector<std::string>>& page,
              const std::function<void(const std::vector<std::string>&)>& row) {
  for (const auto& cells : page) row(cells);
  return page.size() == kExportPage;
}

// The error groups are counted by their keys in the database, from an
// index that holds no text; only the listed groups' texts are read.
std::vector<ErrorGroup> ErrorGroups(SqlConnection& db, const Where& where) {
  const std::string grouped =
      "SELECT h.exception_key AS k, COUNT(DISTINCT h.session_id) AS n FROM hits h "
      "JOIN sessions s ON s.session_id = h.session_id" +
      where.sql + " AND h.type = 'exception' GROUP BY h.exception_key";
  std::vector<ErrorGroup> errors;
  std::vector<std::int64_t> keys;
  std::int64_t groups = 0, sessions = 0;
  db.Run("SELECT COUNT(*), COALESCE(SUM(n), 0) FROM (" + grouped + ") g", where.params, [&](const SqlRow& row) {
    groups = Int(row[0]);
    sessions = Int(row[1]);
  });
  // More than listed are fetched, so that ties in the count are broken by
  // the texts as before; the ties that reach past them are rare.
  db.Run("SELECT k, n FROM (" + grouped + ") g ORDER BY n DESC LIMIT " + std::to_string(kListed * 2),
           where.params, [&](const SqlRow& row) {
             keys.push_back(Int(row[0]));
             errors.push_back({{}, {}, false, Int(row[1])});
           });
  for (std::size_t i = 0; i < keys.size(); ++i) {
    db.Run("SELECT COALESCE(exception_description, ''), COALESCE(exception_details, ''), exception_fatal "
             "FROM hits WHERE type = 'exception' AND exception_key = ? LIMIT 1",
             {keys[i]}, [&](const SqlRow& row) {
               errors[i].action = Text(row[0]);
               errors[i].details = Text(row[1]);
               errors[i].fatal = Text(row[2]) == "1";
             });
  }
  std::sort(errors.begin(), errors.end(), [](const ErrorGroup& a, const ErrorGroup& b) {
    if (a.sessions != b.sessions) return a.sessions > b.sessions;
    if (a.fatal != b.fatal) return a.fatal;
    return a.action != b.action ? a.action < b.action : a.details < b.details;
  });
  if (errors.size() > kListed) errors.resize(kListed);
  if (groups > static_cast<std::int64_t>(errors.size())) {
    ErrorGroup other;
    other.others = groups - static_cast<std::int64_t>(errors.size());
    other.sessions = sessions;
    for (const ErrorGroup& e : errors) other.sessions -= e.sessions;
    errors.push_back(std::move(other));
  }
  return errors;
}

// Schema 1 had no exception keys: the column is added and filled in.
void AddExceptionKeys(SqlConnection& db) {
  db.Script("ALTER TABLE hits ADD COLUMN exception_key BIGINT");
  std::vector<std::pair<std::int64_t, SqlValue>> keys;
  const Selection read(kHitColumns, {"id", "type", "exception_description", "exception_details", "exception_fatal"});
  db.Run("SELECT " + read.List() + " FROM hits WHERE type = 'exception'", {}, [&](const SqlRow& row) {
    keys.emplace_back(Int(row[read.At("id")]), StoredExceptionKey(read, row));
  });
  for (const auto& [id, key] : keys) db.Run("UPDATE hits SET exception_key = ? WHERE id = ?", {key, id});
}

// One read transaction, so that figures read by several statements agree;
// ended however the reading ends.
class ReadSnapshot {
 public:
  explicit ReadSnapshot(SqlConnection& db) : db_(db) {
    db_.Script(db_.dialect() == SqlDialect::kPostgres ? "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY" : "BEGIN");
  }
  ~ReadSnapshot() {
    try {
      db_.Script("ROLLBACK");
    } catch (const SqlError&) {
    }
  }
  ReadSnapshot(const ReadSnapshot&) = delete;
  ReadSnapshot& operator=(const ReadSnapshot&) = delete;

 private:
  SqlConnection& db_;
};

// A table's exported columns, header first, a page at a time in the order
// of its key column `key`; `from` names the table as `prefix`.
void ExportTable(SqlConnection& db, Columns table, const std::string& from, const std::string& prefix,
                 std::string_view key, const Where& where,
                 const std::function<void(const std::vector<std::string>&)>& row) {
  const Selection shown(Exported(table));
  std::vector<std::string> header;
  for (const Column* c : shown.columns) header.emplace_back(c->header.empty() ? c->name : c->header);
  row(header);
  const Column& keyColumn = table[ColumnAt(table, key)];
  const std::string keyName = prefix + std::string(key);
  const std::string sql = "SELECT " + keyName + ", " + shown.List(prefix) + " FROM " + from + where.sql +
                          " AND " + keyName + " > ? ORDER BY " + keyName + " LIMIT " +
                          std::to_string(kExportPage);
  SqlValue after = keyColumn.number ? SqlValue(std::int64_t{-1}) : SqlValue(std::string());
  for (;;) {
    std::vector<SqlValue> params = where.params;
    params.push_back(after);
    std::vector<std::vector<std::string>> page;
    db.Run(sql, params, [&](const SqlRow& r) {
      after = keyColumn.number ? SqlValue(Int(r[0])) : SqlValue(Text(r[0]));
      std::vector<std::string>& cells = page.emplace_back();
      for (std::size_t c = 0; c < shown.columns.size(); ++c)
        cells.push_back(ShownCell(*shown.columns[c], r[c + 1]));
    });
    if (!EmitPage(page, row)) break;
  }
}

}  // namespace

Store::Store(std::unique_ptr<SqlConnection> connection, bool migrate) : db_(std::move(connection)) {
  if (migrate) {
    Migrate();
    return;
  }
  bool found = false;
  db_->Run(db_->dialect() == SqlDialect::kPostgres
               ? "SELECT 1 WHERE to_regclass('collector_schema') IS NOT NULL"
               : "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'collector_schema'",
           {}, [&](const SqlRow&) { found = true; });
  std::optional<std::int64_t> version;
  if (found) {
    db_->Run("SELECT MAX(version) FROM collector_schema", {}, [&](const SqlRow& row) {
      if (row[0]) version = Int(row[0]);
    });
  }
  if (!version) throw SqlError("not a plumeta-collector database (it has no collector_schema table)");
  if (*version > kSchemaVersion)
    throw SqlError("the database was made by a newer collector (schema " + std::to_string(*version) + ")");
}

void Store::Migrate() {
  bool postgres = db_->dialect() == SqlDialect::kPostgres;
  const std::string schema = Schema(postgres);
  InWriteTransaction(*db_, [&] {
    // Two collectors starting on one PostgreSQL database take turns here.
    if (postgres) db_->Script("SELECT pg_advisory_xact_lock(7215001)");
    db_->Script(schema);
    std::optional<std::int64_t> version;
    db_->Run("SELECT MAX(version) FROM collector_schema", {}, [&](const SqlRow& row) {
      if (row[0]) version = Int(row[0]);
    });
    if (version && *version > kSchemaVersion) {
      throw SqlError("the database was made by a newer collector (schema " + std::to_string(*version) + ")");
    }
    if (version && *version < 2) AddExceptionKeys(*db_);
    if (version && *version < 3) db_->Script("ALTER TABLE hits ADD COLUMN import_key BIGINT");
    db_->Script("CREATE INDEX IF NOT EXISTS hits_exception_keys ON hits (exception_key, session_id) "
                "WHERE type = 'exception'");
    db_->Script("CREATE UNIQUE INDEX IF NOT EXISTS hits_import_keys ON hits (import_key) "
                "WHERE import_key IS NOT NULL");
    if (!version || *version < kSchemaVersion)
      db_->Run("INSERT INTO collector_schema (version) VALUES (?)", {std::int64_t{kSchemaVersion}});
  });
}

// What the hits of a batch tell about their sessions, a row each, merged
// as the upsert merges them into the stored rows.
struct HitBatch::Sessions {
  std::map<std::string, std::vector<SqlValue>> byId;  // ordered by id: every writer locks rows in one order
};

HitBatch::HitBatch(Store& store)
    : db_(store.connection()),
      sqlite_(db_.dialect() == SqlDialect::kSqlite),
      sessions_(std::make_unique<Sessions>()) {
  if (sqlite_) {
    db_.Run("BEGIN IMMEDIATE");
    open_ = true;
  }
}

HitBatch::~HitBatch() {
  if (!open_) return;
  try {
    db_.Script("ROLLBACK");
  } catch (const SqlError&) {
  }
}

void HitBatch::Add(const HitRecord& hit) {
  std::vector<SqlValue> told = SessionOfHit(hit);
  auto [session, added] = sessions_->byId.try_emplace(hit.sessionId);
  if (added) {
    session->second = std::move(told);
  } else {
    MergeSession(session->second, std::move(told));
  }
  ++added_;
  if (!sqlite_) {
    held_.push_back(&hit);
    return;
  }
  // One prepared single-row statement, bound to the hit's own texts.
  static const std::string kInsertOne = kHitInsertHead + Placeholders(kHitInsertCount);
  std::vector<SqlValue> row;
  row.reserve(kHitInsertCount);
  AddHitCells(row, hit);
  db_.Run(kInsertOne, row);
}

void HitBatch::Commit(const std::map<std::string, std::int64_t>& rejections) {
  Send(rejections);
  db_.AwaitTransaction();
}

void HitBatch::Send(const std::map<std::string, std::int64_t>& rejections) {
  std::vector<SqlValue> hitRows, sessionRows;
  hitRows.reserve(held_.size() * kHitInsertCount);
  for (const HitRecord* h : held_) AddHitCells(hitRows, *h);
  sessionRows.reserve(sessions_->byId.size() * kSessionColumns.size());
  for (const auto& [id, cells] : sessions_->byId)
    sessionRows.insert(sessionRows.end(), cells.begin(), cells.end());
  std::vector<SqlStatement> statements;
  AddHits(statements, db_.dialect(), std::move(hitRows));
  AddSessions(statements, db_.dialect(), std::move(sessionRows));
  for (const auto& [day, count] : rejections) AddRejections(statements, day, count);
  if (!sqlite_) {
    // One transaction of a few statements, which PostgreSQL gets in one
    // round trip.
    db_.SendTransaction(statements);
    return;
  }
  RunAll(db_, statements);
  db_.Run("COMMIT");
  open_ = false;
}

void Store::Insert(const std::vector<HitRecord>& hits,
                   const std::map<std::string, std::int64_t>& rejections) {
  HitBatch batch(*this);
  for (const HitRecord& hit : hits) batch.Add(hit);
  batch.Commit(rejections);
}

std::int64_t Store::ImportFrom(Store& source) {
  constexpr std::size_t kPage = 5000;
  // A NUL character, which older collectors let SQLite store, cannot be
  // stored in PostgreSQL text: it becomes U+FFFD rather than cut the text.
  const bool postgres = db_->dialect() == SqlDialect::kPostgres;
  auto text = [postgres](const std::string& value) {
    if (!postgres || value.find('\0') == std::string::npos) return value;
    std::string out;
    for (char c : value) c ? out.push_back(c) : void(out += "\xEF\xBF\xBD");
    return out;
  };
  // A cell read from the source as its column is bound.
  auto copy = [&text](const Column& column, const std::optional<std::string>& cell) -> SqlValue {
    if (!cell) return nullptr;
    return column.number ? SqlValue(Int(cell)) : SqlValue(text(*cell));
  };
  // Everything is read from one snapshot of the source, so that sessions
  // count exactly the hits read even while a collector still writes there.
  const std::string sourceIdentity = source.db_->Identity();
  ReadSnapshot snapshot(*source.db_);
  std::int64_t copied = 0;
  InWriteTransaction(*db_, [&] {
    // Hits in the order they were stored, a page at a time; those a
    // former import brought already are skipped. How many each session
    // gained is what its row gains below.
    std::map<std::string, std::int64_t> added;
    // The id and the fields are read; the stored ones are the fields,
    // their exception key and the import key.
    const Selection read(kHitColumns, [](const Column& c) { return c.role == HitRole::kId || IsField(c); });
    const Selection stored(kHitColumns, [](const Column& c) { return c.role != HitRole::kId; });
    const std::string head = "INSERT INTO hits (" + stored.List() + ") VALUES ";
    const std::size_t perRow = stored.columns.size();
    const std::size_t id = read.At("id");
    for (std::int64_t after = -1;;) {
      std::vector<SqlValue> rows;
      std::size_t count = 0;
      source.db_->Run(
          "SELECT " + read.List() + " FROM hits WHERE id > ? ORDER BY id LIMIT " + std::to_string(kPage),
          {after}, [&](const SqlRow& row) {
            ++count;
            after = Int(row[id]);
            for (std::size_t c = 0; c < row.size(); ++c) {
              if (IsField(*read.columns[c])) rows.push_back(copy(*read.columns[c], row[c]));
            }
            rows.push_back(StoredExceptionKey(read, row));
            rows.push_back(ImportKey(row));
          });
      for (std::size_t start = 0; start < rows.size();) {
        SqlStatement statement;
        start =
            NextRows(statement, head, " ON CONFLICT DO NOTHING RETURNING session_id", perRow, rows, start);
        db_->Run(statement.sql, statement.params, [&](const SqlRow& row) {
          ++added[Text(row[0])];
          ++copied;
        });
      }
      if (count < kPage) break;
    }
    // A session new to this database comes whole, with the hits retention
    // may have deleted from the source still counted; one it holds already
    // gains the hits just added, and its other facts merge as its hits'
    // would (a second import changes none of them).
    const Selection sessions(kSessionColumns, IsAny);
    const std::size_t sessionId = sessions.At("session_id"), hits = sessions.At("hits");
    for (std::string after;;) {
      std::vector<SqlValue> rows;
      std::vector<std::string> ids;
      source.db_->Run("SELECT " + sessions.List() +
                          " FROM sessions WHERE session_id > ? ORDER BY session_id LIMIT " +
                          std::to_string(kPage),
                      {after}, [&](const SqlRow& row) {
                        after = Text(row[sessionId]);
                        ids.push_back(after);
                        for (std::size_t c = 0; c < row.size(); ++c)
                          rows.push_back(copy(*sessions.columns[c], row[c]));
                      });
      if (ids.empty()) break;
      std::set<std::string> held;
      db_->Run("SELECT session_id FROM sessions WHERE session_id >= ? AND session_id <= ?",
               {ids.front(), ids.back()}, [&](const SqlRow& row) { held.insert(Text(row[0])); });
      for (std::size_t i = 0; i < ids.size(); ++i) {
        if (!held.contains(ids[i])) continue;
        auto gained = added.find(ids[i]);
        rows[i * sessions.columns.size() + hits] = gained == added.end() ? std::int64_t{0} : gained->second;
      }
      std::vector<SqlStatement> statements;
      AddSessions(statements, db_->dialect(), std::move(rows));
      RunAll(*db_, statements);
      if (ids.size() < kPage) break;
    }
    // Rejections carry nothing to tell one from another: the ledger keeps
    // how many of each day were taken from this source, and only what the
    // source counted since is added.
    std::vector<SqlStatement> statements;
    std::map<std::string, std::int64_t> taken;
    db_->Run("SELECT day, count FROM imported_rejections WHERE source = ?", {sourceIdentity},
             [&](const SqlRow& row) { taken[Text(row[0])] = Int(row[1]); });
    source.db_->Run("SELECT day, count FROM rejections", {}, [&](const SqlRow& row) {
      std::string day = Text(row[0]);
      std::int64_t count = Int(row[1]), before = taken.contains(day) ? taken[day] : 0;
      if (count <= before) return;
      AddRejections(statements, day, count - before);
      statements.push_back({"INSERT INTO imported_rejections (source, day, count) VALUES (?, ?, ?) "
                            "ON CONFLICT (source, day) DO UPDATE SET count = excluded.count",
                            {sourceIdentity, day, count}});
    });
    RunAll(*db_, statements);
  });
  return copied;
}

void Store::Probe() {
  InWriteTransaction(*db_, [] {});
}

bool Store::DeleteReceivedBefore(std::int64_t cutoffMs, std::int64_t rows) {
  // Hits first, then their sessions: a reader may meet a session whose
  // hits are gone for a moment, never hits without their session.
  auto some = [&](const std::string& table, const std::string& key, const std::string& column) {
    std::int64_t older = 0;
    db_->Run("SELECT COUNT(*) FROM (SELECT 1 FROM " + table + " WHERE " + column + " < ? LIMIT ?) x",
             {cutoffMs, rows == INT64_MAX ? rows : rows + 1},
             [&](const SqlRow& row) { older = Int(row[0]); });
    if (older == 0) return true;
    db_->Run("DELETE FROM " + table + " WHERE " + key + " IN (SELECT " + key + " FROM " + table + " WHERE " +
                 column + " < ? LIMIT ?)",
             {cutoffMs, rows});
    return older <= rows;
  };
  bool done = false;
  InWriteTransaction(*db_, [&] {
    if (!some("hits", "id", "received_ms") || !some("sessions", "session_id", "last_received_ms")) return;
    db_->Run("DELETE FROM rejections WHERE day < ?", {DayText(cutoffMs)});
    done = true;
  });
  return done;
}

Summary Store::Summarize(const Filters& filters) {
  Where where = SessionWhere(filters);
  ReadSnapshot snapshot(*db_);
  Summary summary = QuerySummary(*db_, where.sql, where.params);

  // Rejected bodies have no application; only the dates apply.
  std::int64_t rejected = 0;
  std::string sql = "SELECT COALESCE(SUM(count), 0) FROM rejections WHERE 1 = 1";
  std::vector<SqlValue> params;
  if (filters.sinceDay) sql += " AND day >= ?", params.emplace_back(filters.SinceText());
  if (filters.untilDay) sql += " AND day <= ?", params.emplace_back(filters.UntilText());
  db_->Run(sql, params, [&](const SqlRow& row) { rejected = Int(row[0]); });

  summary.rejected = rejected;
  summary.errors = ErrorGroups(*db_, where);
  return summary;
}

void Store::ExportHits(const Filters& filters,
                       const std::function<void(const std::vector<std::string>&)>& row) {
  ExportTable(*db_, kHitColumns, "hits h JOIN sessions s ON s.session_id = h.session_id", "h.", "id",
              SessionWhere(filters), row);
}

void Store::ExportSessions(const Filters& filters,
                           const std::function<void(const std::vector<std::string>&)>& row) {
  ExportTable(*db_, kSessionColumns, "sessions s", "s.", "session_id", SessionWhere(filters), row);
}

}  // namespace collector
