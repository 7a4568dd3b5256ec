#pragma once
// The little the store needs of a database: statements with parameters,
// rows read as texts, transactions. One implementation over SQLite, one over
// libpq; the store's SQL is shared and written with "?" placeholders.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace collector {

// A text is owned, or borrowed (const std::string*) from a caller that keeps
// it alive until the statement has run: ingestion binds the hits' own
// fields instead of copying each of them.
using SqlValue = std::variant<std::nullptr_t, std::int64_t, std::string, const std::string*>;

// The text of `value`, or null when it holds no text.
inline const std::string* TextOf(const SqlValue& value) {
  if (auto* owned = std::get_if<std::string>(&value)) return owned;
  if (auto* borrowed = std::get_if<const std::string*>(&value)) return *borrowed;
  return nullptr;
}
using SqlRow = std::vector<std::optional<std::string>>;  // nullopt for NULL

class SqlError : public std::runtime_error {
 public:
  SqlError(const std::string& what, bool retryable = false)
      : std::runtime_error(what), retryable_(retryable) {}
  // A deadlock or serialization failure: the transaction may be run again.
  bool retryable() const { return retryable_; }

 private:
  bool retryable_;
};

enum class SqlDialect { kSqlite, kPostgres };

struct SqlStatement {
  std::string sql;
  std::vector<SqlValue> params;
  // > 0: `sql` takes this many parameters and is run once for each slice
  // of `params` (rows inserted one by one with one prepared statement).
  std::size_t paramsPerRun = 0;
};

class SqlConnection {
 public:
  virtual ~SqlConnection() = default;
  virtual SqlDialect dialect() const = 0;
  // Runs one statement; calls `row` for each result row. Throws SqlError.
  virtual void Run(std::string_view sql, const std::vector<SqlValue>& params = {},
                   const std::function<void(const SqlRow&)>& row = {}) = 0;
  // Several statements without parameters or results.
  virtual void Script(std::string_view sql) = 0;
  // Runs the statements in one write transaction, all or none: throws
  // SqlError, the transaction rolled back. SQLite takes its write lock at
  // the start, so that two writers never deadlock on an upgrade.
  virtual void RunTransaction(const std::vector<SqlStatement>& statements);
  // Where the database is a round trip away (PostgreSQL's pipeline), a
  // transaction is sent without waiting for its outcome, so that the server
  // commits one while the next is on its way. Outcomes are read in the
  // order sent: AwaitTransaction throws SqlError for a transaction not
  // carried out (nothing of it stored). Run and RunTransaction must wait
  // until every transaction sent is awaited. Elsewhere SendTransaction runs
  // the transaction at once and there is nothing to await.
  virtual void SendTransaction(const std::vector<SqlStatement>& statements) { RunTransaction(statements); }
  virtual void AwaitTransaction() {}
  // Readable when an outcome may have come; -1 where nothing is sent ahead.
  virtual int AnswerHandle() { return -1; }
  // Whether AwaitTransaction would return without waiting.
  virtual bool Answered() { return true; }
  // How long a statement waits for another connection's lock before it
  // fails as retryable.
  virtual void SetLockWait(std::chrono::milliseconds wait) = 0;
  // False once the connection is known to be lost (the server went away);
  // never blocks.
  virtual bool Alive() { return true; }
  // What the database is, for messages: "sqlite:PATH" or the URI without its password.
  virtual std::string Describe() const = 0;
  // Which database this is, however it was named: the file's device and
  // inode, or the PostgreSQL cluster's system identifier and the
  // database's oid. Equal for two connections to one database. Throws SqlError.
  virtual std::string Identity() = 0;
};

// kReadOnly never creates, migrates or changes the journal mode of a
// database: for the commands that only read, so that a mistyped path or
// someone else's file is refused rather than changed.
enum class OpenMode { kReadWrite, kReadOnly };

// Opens "sqlite:PATH" or a "postgresql://" / "postgres://" URI. Throws
// SqlError when the database cannot be opened. A SQLite file it creates is
// readable by its owner only.
std::unique_ptr<SqlConnection> OpenSqlConnection(const std::string& url, OpenMode mode = OpenMode::kReadWrite);
// Whether `url` names a database kind the collector knows.
bool IsDatabaseUrl(std::string_view url);

std::unique_ptr<SqlConnection> OpenSqlite(const std::string& path, OpenMode mode);
std::unique_ptr<SqlConnection> OpenPostgres(const std::string& conninfo, OpenMode mode);

}  // namespace collector
