#include "collector/store.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <set>

#include "collector/summary_query.h"

namespace collector {
namespace {

// Tables common to both databases; the hits' key is the one difference.
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS hits (
  id %ID%,
  received_ms BIGINT NOT NULL,
  made_ms BIGINT NOT NULL,
  queue_ms BIGINT NOT NULL,
  app TEXT NOT NULL,
  version TEXT NOT NULL,
  client_id TEXT NOT NULL,
  session_id TEXT NOT NULL,
  type TEXT NOT NULL,
  life_control TEXT,
  life_status TEXT,
  label TEXT,
  value TEXT,
  exception_description TEXT,
  exception_details TEXT,
  exception_fatal TEXT,
  os_version TEXT,
  architecture TEXT,
  extra TEXT,
  exception_key BIGINT,
  import_key BIGINT);
CREATE INDEX IF NOT EXISTS hits_received ON hits (received_ms);
CREATE INDEX IF NOT EXISTS hits_exceptions ON hits (session_id) WHERE type = 'exception';
CREATE TABLE IF NOT EXISTS sessions (
  session_id TEXT PRIMARY KEY,
  app TEXT NOT NULL,
  version TEXT NOT NULL,
  client_id TEXT NOT NULL,
  first_made_ms BIGINT NOT NULL,
  day TEXT NOT NULL,
  last_received_ms BIGINT NOT NULL,
  hits BIGINT NOT NULL,
  end_status TEXT,
  install_type TEXT,
  last_screen TEXT,
  last_screen_ms BIGINT,
  os_version TEXT,
  architecture TEXT,
  language TEXT,
  screen TEXT,
  dpi TEXT,
  features TEXT,
  missing_prerequisites TEXT);
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

constexpr const char* kHitColumns =
    "received_ms, made_ms, queue_ms, app, version, client_id, session_id, type, life_control, life_status, "
    "label, "
    "value, exception_description, exception_details, exception_fatal, os_version, architecture, extra";
// Written with every hit, never read back as one of its fields.
constexpr const char* kHitInsertColumns =
    "received_ms, made_ms, queue_ms, app, version, client_id, session_id, type, life_control, life_status, "
    "label, value, exception_description, exception_details, exception_fatal, os_version, architecture, extra, "
    "exception_key";
constexpr int kHitColumnCount = 19;

// An exception's group (action, details, fatal) as one number, so that the
// groups are counted from a small index instead of sorting every text:
// 60,000 distinct details of 8 KiB would otherwise be 480 MB to group.
// FNV-1a over the three texts with their lengths; NULL for other hits.
void HashText(std::uint64_t& hash, std::string_view text) {
  for (unsigned char c : text) hash = (hash ^ c) * 0x100000001B3ULL;
  for (std::size_t n = text.size(), i = 0; i < 8; ++i, n >>= 8) hash = (hash ^ (n & 0xFF)) * 0x100000001B3ULL;
}
constexpr std::uint64_t kHashStart = 0xCBF29CE484222325ULL;

SqlValue ExceptionKey(std::string_view type, std::string_view action, std::string_view details, bool fatal) {
  if (type != "exception") return nullptr;
  std::uint64_t hash = kHashStart;
  HashText(hash, action);
  HashText(hash, details);
  HashText(hash, fatal ? "1" : "0");
  return static_cast<std::int64_t>(hash);
}

// An imported hit's identity: its place in the source (the source's row
// id), its session and every field it holds, the times included, so that a
// second import of the same hits adds none of them (a unique index refuses
// the key), while two hits alike in every field, posted in one millisecond,
// stay two. A NULL differs from an empty text. Two different hits share a
// key with odds of about 1 in 10^7 per million imported.
std::int64_t ImportKey(const SqlRow& row, std::size_t from) {
  std::uint64_t hash = kHashStart;
  for (std::size_t c = from; c < row.size(); ++c) {
    hash = (hash ^ (row[c] ? 1u : 0u)) * 0x100000001B3ULL;
    HashText(hash, row[c] ? std::string_view(*row[c]) : std::string_view());
  }
  return static_cast<std::int64_t>(hash);
}

// The most rows one INSERT carries (SQLite allows 32766 parameters): one
// statement per 256 rows instead of one each, which is what a PostgreSQL
// server, a round trip away, needs most.
constexpr std::size_t kRowsPerInsert = 256;

constexpr int kSessionColumnCount = 19;
constexpr const char* kSessionInsert = R"sql(
INSERT INTO sessions (session_id, app, version, client_id, first_made_ms, day, last_received_ms, hits, end_status,
  install_type, last_screen, last_screen_ms, os_version, architecture, language, screen, dpi, features,
  missing_prerequisites)
VALUES )sql";
// Merges a row into the stored one as the row's hits would have: used for
// each batch's sessions and for a whole imported session alike.
constexpr const char* kSessionMerge = R"sql(
ON CONFLICT (session_id) DO UPDATE SET
  first_made_ms = CASE WHEN excluded.first_made_ms < sessions.first_made_ms
                       THEN excluded.first_made_ms ELSE sessions.first_made_ms END,
  day = CASE WHEN excluded.first_made_ms < sessions.first_made_ms THEN excluded.day ELSE sessions.day END,
  last_received_ms = CASE WHEN excluded.last_received_ms > sessions.last_received_ms
                          THEN excluded.last_received_ms ELSE sessions.last_received_ms END,
  hits = sessions.hits + excluded.hits,
  end_status = COALESCE(excluded.end_status, sessions.end_status),
  install_type = COALESCE(excluded.install_type, sessions.install_type),
  last_screen = CASE WHEN excluded.last_screen_ms IS NOT NULL AND (sessions.last_screen_ms IS NULL
                       OR excluded.last_screen_ms >= sessions.last_screen_ms)
                     THEN excluded.last_screen ELSE sessions.last_screen END,
  last_screen_ms = CASE WHEN excluded.last_screen_ms IS NOT NULL AND (sessions.last_screen_ms IS NULL
                          OR excluded.last_screen_ms >= sessions.last_screen_ms)
                        THEN excluded.last_screen_ms ELSE sessions.last_screen_ms END,
  os_version = COALESCE(sessions.os_version, excluded.os_version),
  architecture = COALESCE(sessions.architecture, excluded.architecture),
  language = COALESCE(excluded.language, sessions.language),
  screen = COALESCE(excluded.screen, sessions.screen),
  dpi = COALESCE(excluded.dpi, sessions.dpi),
  features = COALESCE(excluded.features, sessions.features),
  missing_prerequisites = COALESCE(excluded.missing_prerequisites, sessions.missing_prerequisites)
)sql";

// Texts borrowed from the hits and sessions of a batch, which outlive its
// transaction.
SqlValue TextOrNull(const std::string& text) {
  return text.empty() ? SqlValue(nullptr) : SqlValue(&text);
}
SqlValue Optional(const std::optional<std::string>& text) {
  return text ? SqlValue(&*text) : SqlValue(nullptr);
}

// What the hits of one batch tell about their session, merged the way the
// upsert merges them into the stored row.
struct SessionDelta {
  std::string app, version, clientId;
  std::int64_t firstMadeMs = 0, lastReceivedMs = 0, hits = 0;
  std::optional<std::string> endStatus, installType, lastScreen, osVersion, architecture;
  std::optional<std::string> language, screen, dpi, features, missingPrerequisites;
  std::optional<std::int64_t> lastScreenMs;

  void Add(const HitRecord& hit) {
    if (hits == 0 || hit.madeMs < firstMadeMs) firstMadeMs = hit.madeMs;
    if (hits == 0) app = hit.app, version = hit.version, clientId = hit.clientId;
    lastReceivedMs = std::max(lastReceivedMs, hit.receivedMs);
    ++hits;
    if (!osVersion && !hit.osVersion.empty()) osVersion = hit.osVersion;
    if (!architecture && !hit.architecture.empty()) architecture = hit.architecture;
    if (hit.type == "lifecycle" && hit.lifeControl == "end") {
      endStatus = hit.lifeStatus;
    } else if (hit.type == "installtype") {
      installType = hit.value;
    } else if (hit.type == "screenview") {
      if (!lastScreenMs || hit.madeMs >= *lastScreenMs) lastScreen = hit.label, lastScreenMs = hit.madeMs;
    } else if (hit.type == "property") {
      if (hit.label == "UserLanguage") language = hit.value;
      if (hit.label == "ScreenResolution") screen = hit.value;
      if (hit.label == "DpiScale") dpi = hit.value;
      if (hit.label == "ADDLOCAL") features = hit.value;
      if (hit.label == "OX_MISSING_PREREQS") missingPrerequisites = hit.value;
    }
  }
};

// "(?, ?, ...)" with `columns` placeholders.
std::string Placeholders(int columns) {
  std::string row = "(?";
  for (int i = 1; i < columns; ++i) row += ", ?";
  return row + ")";
}

// Adds `head` + rows + `tail` for every kRowsPerInsert rows; `rows` holds
// `columns` values per row. SQLite, in the same process, runs one prepared
// single-row statement per row instead: no statement text to build and no
// new statement to prepare for each batch size.
void AddRows(std::vector<SqlStatement>& out, SqlDialect dialect, const std::string& head, const char* tail,
             int columns, std::vector<SqlValue>&& rows) {
  const std::size_t perRow = static_cast<std::size_t>(columns);
  const std::string one = Placeholders(columns);
  if (rows.empty()) return;
  if (dialect == SqlDialect::kSqlite) {
    out.push_back({head + one + tail, std::move(rows), perRow});
    return;
  }
  for (std::size_t start = 0; start < rows.size(); start += kRowsPerInsert * perRow) {
    std::size_t count = std::min(kRowsPerInsert, (rows.size() - start) / perRow);
    SqlStatement& statement = out.emplace_back();
    statement.sql = head;
    for (std::size_t i = 0; i < count; ++i) statement.sql += (i ? ", " : "") + one;
    statement.sql += tail;
    statement.params.assign(rows.begin() + static_cast<std::ptrdiff_t>(start),
                            rows.begin() + static_cast<std::ptrdiff_t>(start + count * perRow));
  }
}

void AddHitRow(std::vector<SqlValue>& rows, const HitRecord& h) {
  rows.insert(rows.end(),
              {h.receivedMs, h.madeMs, h.queueMs, &h.app, &h.version, &h.clientId, &h.sessionId, &h.type,
               TextOrNull(h.lifeControl), TextOrNull(h.lifeStatus), TextOrNull(h.label), TextOrNull(h.value),
               TextOrNull(h.exceptionDescription), TextOrNull(h.exceptionDetails), TextOrNull(h.exceptionFatal),
               TextOrNull(h.osVersion), TextOrNull(h.architecture), TextOrNull(h.extra),
               ExceptionKey(h.type, h.exceptionDescription, h.exceptionDetails, h.exceptionFatal == "1")});
}

void AddHits(std::vector<SqlStatement>& out, SqlDialect dialect, std::vector<SqlValue>&& rows) {
  AddRows(out, dialect, std::string("INSERT INTO hits (") + kHitInsertColumns + ") VALUES ", "", kHitColumnCount,
          std::move(rows));
}

void AddSessions(std::vector<SqlStatement>& out, SqlDialect dialect, std::vector<SqlValue>&& rows) {
  AddRows(out, dialect, kSessionInsert, kSessionMerge, kSessionColumnCount, std::move(rows));
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

std::string MsText(const std::optional<std::string>& ms) {
  return ms ? TimeText(std::stoll(*ms)) : std::string();
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
  db.Run("SELECT id, exception_description, exception_details, exception_fatal FROM hits WHERE type = 'exception'",
         {}, [&](const SqlRow& row) {
           keys.emplace_back(Int(row[0]), ExceptionKey("exception", Text(row[1]), Text(row[2]), Text(row[3]) == "1"));
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
  std::string schema = kSchema;
  schema.replace(schema.find("%ID%"), 4, postgres ? "BIGSERIAL PRIMARY KEY" : "INTEGER PRIMARY KEY");
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

struct HitBatch::Sessions {
  std::map<std::string, SessionDelta> byId;  // ordered by id: every writer locks rows in one order
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
  sessions_->byId[hit.sessionId].Add(hit);
  ++added_;
  if (!sqlite_) {
    held_.push_back(&hit);
    return;
  }
  // One prepared single-row statement, bound to the hit's own texts.
  static const std::string kInsertOne =
      std::string("INSERT INTO hits (") + kHitInsertColumns + ") VALUES " + Placeholders(kHitColumnCount);
  std::vector<SqlValue> row;
  row.reserve(kHitColumnCount);
  AddHitRow(row, hit);
  db_.Run(kInsertOne, row);
}

void HitBatch::Commit(const std::map<std::string, std::int64_t>& rejections) {
  Send(rejections);
  db_.AwaitTransaction();
}

void HitBatch::Send(const std::map<std::string, std::int64_t>& rejections) {
  std::vector<SqlValue> hitRows, sessionRows;
  hitRows.reserve(held_.size() * kHitColumnCount);
  for (const HitRecord* h : held_) AddHitRow(hitRows, *h);
  sessionRows.reserve(sessions_->byId.size() * kSessionColumnCount);
  for (const auto& [id, s] : sessions_->byId) {
    sessionRows.insert(sessionRows.end(),
                       {&id, &s.app, &s.version, &s.clientId, s.firstMadeMs, DayText(s.firstMadeMs), s.lastReceivedMs,
                        s.hits, Optional(s.endStatus), Optional(s.installType), Optional(s.lastScreen),
                        s.lastScreenMs ? SqlValue(*s.lastScreenMs) : SqlValue(nullptr), Optional(s.osVersion),
                        Optional(s.architecture), Optional(s.language), Optional(s.screen), Optional(s.dpi),
                        Optional(s.features), Optional(s.missingPrerequisites)});
  }
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
  // The columns that hold numbers, by position in the rows read.
  auto copy = [&text](const SqlRow& row, std::size_t from, std::initializer_list<std::size_t> numbers,
                      std::vector<SqlValue>& into) {
    for (std::size_t c = from; c < row.size(); ++c) {
      bool number = std::find(numbers.begin(), numbers.end(), c) != numbers.end();
      into.push_back(!row[c] ? SqlValue(nullptr) : number ? SqlValue(Int(row[c])) : SqlValue(text(*row[c])));
    }
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
    const std::string head = std::string("INSERT INTO hits (") + kHitInsertColumns + ", import_key) VALUES ";
    const std::string one = Placeholders(kHitColumnCount + 1);
    for (std::int64_t after = -1;;) {
      std::vector<SqlValue> rows;
      std::size_t read = 0;
      source.db_->Run(std::string("SELECT id, ") + kHitColumns + " FROM hits WHERE id > ? ORDER BY id LIMIT " +
                          std::to_string(kPage),
                      {after}, [&](const SqlRow& row) {
                        ++read;
                        after = Int(row[0]);
                        copy(row, 1, {1, 2, 3}, rows);
                        rows.push_back(ExceptionKey(Text(row[8]), Text(row[13]), Text(row[14]), Text(row[15]) == "1"));
                        rows.push_back(ImportKey(row, 0));
                      });
      const std::size_t perRow = kHitColumnCount + 1;
      for (std::size_t start = 0; start < rows.size(); start += kRowsPerInsert * perRow) {
        std::size_t count = std::min(kRowsPerInsert, (rows.size() - start) / perRow);
        std::string sql = head;
        for (std::size_t i = 0; i < count; ++i) sql += (i ? ", " : "") + one;
        sql += " ON CONFLICT DO NOTHING RETURNING session_id";
        auto first = rows.begin() + static_cast<std::ptrdiff_t>(start);
        db_->Run(sql, std::vector<SqlValue>(first, first + static_cast<std::ptrdiff_t>(count * perRow)),
                 [&](const SqlRow& row) {
                   ++added[Text(row[0])];
                   ++copied;
                 });
      }
      if (read < kPage) break;
    }
    // A session new to this database comes whole, with the hits retention
    // may have deleted from the source still counted; one it holds already
    // gains the hits just added, and its other facts merge as its hits'
    // would (a second import changes none of them).
    for (std::string after;;) {
      std::vector<SqlValue> rows;
      std::vector<std::string> ids;
      source.db_->Run(
          "SELECT session_id, app, version, client_id, first_made_ms, day, last_received_ms, hits, end_status, "
          "install_type, last_screen, last_screen_ms, os_version, architecture, language, screen, dpi, features, "
          "missing_prerequisites FROM sessions WHERE session_id > ? ORDER BY session_id LIMIT " +
              std::to_string(kPage),
          {after}, [&](const SqlRow& row) {
            after = Text(row[0]);
            ids.push_back(after);
            copy(row, 0, {4, 6, 7, 11}, rows);
          });
      if (ids.empty()) break;
      std::set<std::string> held;
      db_->Run("SELECT session_id FROM sessions WHERE session_id >= ? AND session_id <= ?",
               {ids.front(), ids.back()}, [&](const SqlRow& row) { held.insert(Text(row[0])); });
      for (std::size_t i = 0; i < ids.size(); ++i) {
        if (!held.contains(ids[i])) continue;
        auto gained = added.find(ids[i]);
        rows[i * kSessionColumnCount + 7] = gained == added.end() ? std::int64_t{0} : gained->second;
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
             {cutoffMs, rows == INT64_MAX ? rows : rows + 1}, [&](const SqlRow& row) { older = Int(row[0]); });
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
  row({"received", "made", "queue_ms", "app", "version", "client_id", "session_id", "type", "life_control",
       "life_status", "label", "value", "exception_description", "exception_details", "exception_fatal",
       "os_version", "architecture", "extra"});
  Where where = SessionWhere(filters);
  std::int64_t after = -1;
  for (;;) {
    std::vector<SqlValue> params = where.params;
    params.emplace_back(after);
    std::vector<std::vector<std::string>> page;
    db_->Run(
        std::string("SELECT h.id, h.") +
            "received_ms, h.made_ms, h.queue_ms, h.app, h.version, h.client_id, "
            "h.session_id, h.type, h.life_control, h.life_status, h.label, h.value, h.exception_description, "
            "h.exception_details, h.exception_fatal, h.os_version, h.architecture, h.extra "
            "FROM hits h JOIN sessions s ON s.session_id = h.session_id" +
            where.sql + " AND h.id > ? ORDER BY h.id LIMIT " + std::to_string(kExportPage),
        params, [&](const SqlRow& r) {
          after = Int(r[0]);
          std::vector<std::string>& cells = page.emplace_back();
          cells = {MsText(r[1]), MsText(r[2])};
          for (std::size_t c = 3; c < r.size(); ++c) cells.push_back(Text(r[c]));
        });
    if (!EmitPage(page, row)) break;
  }
}

void Store::ExportSessions(const Filters& filters,
                           const std::function<void(const std::vector<std::string>&)>& row) {
  row({"session_id", "client_id", "app", "version", "started", "day", "hits", "outcome", "install_type",
       "last_screen", "os_version", "architecture", "language", "screen", "dpi", "features",
       "missing_prerequisites"});
  Where where = SessionWhere(filters);
  std::string after;
  for (;;) {
    std::vector<SqlValue> params = where.params;
    params.emplace_back(after);
    std::vector<std::vector<std::string>> page;
    db_->Run(
        "SELECT s.session_id, s.client_id, s.app, s.version, s.first_made_ms, s.day, s.hits, s.end_status, "
        "s.install_type, s.last_screen, s.os_version, s.architecture, s.language, s.screen, s.dpi, "
        "s.features, s.missing_prerequisites FROM sessions s" +
            where.sql + " AND s.session_id > ? ORDER BY s.session_id LIMIT " + std::to_string(kExportPage),
        params, [&](const SqlRow& r) {
          after = Text(r[0]);
          std::vector<std::string>& cells = page.emplace_back();
          for (std::size_t c = 0; c < r.size(); ++c) {
            if (c == 4) {
              cells.push_back(MsText(r[c]));
            } else if (c == 7) {
              cells.emplace_back(OutcomeName(OutcomeOf(r[c])));
            } else {
              cells.push_back(Text(r[c]));
            }
          }
        });
    if (!EmitPage(page, row)) break;
  }
}

}  // namespace collector
