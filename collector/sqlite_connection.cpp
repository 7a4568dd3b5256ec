#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

#include "collector/sql_connection.h"

namespace collector {
namespace {

struct StatementCloser {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementCloser>;

// Copies the write-ahead log into the database file on a thread and a
// connection of its own, so that the writer never waits for that copy and
// its fsync: SQLite would otherwise run it inside a commit every 1000 pages,
// holding every hit that waits. A passive checkpoint takes no lock that the
// writer or the readers need, but under steady traffic the writer appends
// while it copies, so the log would never be wholly copied and never start
// over: under load it grew by 50 MB a second. A restarting checkpoint then
// copies the few frames added meanwhile while the writer waits, so that the
// next commit writes the log from its start again.
class Checkpointer {
 public:
  explicit Checkpointer(std::string path) : path_(std::move(path)), thread_([this] { Loop(); }) {}
  ~Checkpointer() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }
  void Request() {
    {
      std::lock_guard lock(mutex_);
      due_ = true;
    }
    wake_.notify_one();
  }

 private:
  // Its connection is opened when first needed and again after any failure
  // to open it or to checkpoint with it (a descriptor limit reached, the
  // file briefly gone): otherwise one failure would leave the log growing
  // until the writer closes. A failure is said once, and so is the recovery.
  void Loop() {
    sqlite3* db = nullptr;
    bool failing = false;
    auto fail = [&](const std::string& what) {
      if (!failing)
        std::fprintf(stderr, "plumeta-collector: cannot checkpoint %s (%s); the log grows until it can\n",
                     path_.c_str(), what.c_str());
      failing = true;
      sqlite3_close_v2(db);
      db = nullptr;
    };
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return due_ || stopping_; });
      if (stopping_) break;
      due_ = false;
      lock.unlock();
      if (!db) {
        if (sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) == SQLITE_OK) {
          // How long the restart waits for the writer's commit or a reader
          // to end; it is tried again after the next 1000 pages.
          sqlite3_busy_timeout(db, 250);
        } else {
          fail(db ? sqlite3_errmsg(db) : "out of memory");
        }
      }
      // A connection finds the log only once it has read the database:
      // until then a checkpoint does nothing and says it succeeded. Read
      // before each one, so that a read that failed once is tried again.
      int rc = db ? sqlite3_exec(db, "SELECT 1 FROM sqlite_master LIMIT 1", nullptr, nullptr, nullptr) : SQLITE_OK;
      if (db && rc == SQLITE_OK) rc = sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
      if (db && rc == SQLITE_OK) {
        sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_RESTART, nullptr, nullptr);
        if (failing) std::fprintf(stderr, "plumeta-collector: checkpoints of %s resumed\n", path_.c_str());
        failing = false;
      } else if (db && rc != SQLITE_BUSY && rc != SQLITE_LOCKED) {
        fail(sqlite3_errmsg(db));
      }
      lock.lock();
    }
    sqlite3_close_v2(db);
  }

  std::string path_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool due_ = false, stopping_ = false;
  std::thread thread_;  // last: it uses the members above
};

constexpr int kCheckpointPages = 1000;

class SqliteConnection final : public SqlConnection {
 public:
  SqliteConnection(const std::string& path, OpenMode mode) : path_(path) {
    bool readOnly = mode == OpenMode::kReadOnly;
    if (readOnly) {
      struct stat info;
      if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) throw SqlError("no database file " + path);
    } else {
      // Created here first, so that it and the journal files SQLite makes
      // beside it (they take its mode) are the owner's only.
      int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      if (fd >= 0) ::close(fd);
    }
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(
        path.c_str(), &db,
        (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) | SQLITE_OPEN_NOMUTEX,
        nullptr);
    db_.reset(db);
    if (rc != SQLITE_OK) throw SqlError(db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_busy_timeout(db, 10'000);
    if (readOnly) return;
    // WAL lets the dashboard read while hits are written. A transaction
    // committed in WAL mode survives the process being killed; NORMAL only
    // leaves the last commits to a power cut, which saves an fsync per commit.
    Script("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=OFF;");
    sqlite3_wal_hook(db, &SqliteConnection::AfterCommit, this);
  }

  SqlDialect dialect() const override { return SqlDialect::kSqlite; }
  std::string Describe() const override { return "sqlite:" + path_; }
  std::string Identity() override {
    struct stat info;
    if (::stat(path_.c_str(), &info) != 0) throw SqlError("cannot find the database file " + path_);
    return "sqlite:" + std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
  }
  void SetLockWait(std::chrono::milliseconds wait) override {
    sqlite3_busy_timeout(db_.get(), static_cast<int>(wait.count()));
  }

  void Script(std::string_view sql) override {
    char* message = nullptr;
    if (sqlite3_exec(db_.get(), std::string(sql).c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
      std::string text = message ? message : sqlite3_errmsg(db_.get());
      sqlite3_free(message);
      throw SqlError(text, IsBusy());
    }
  }

  void Run(std::string_view sql, const std::vector<SqlValue>& params,
           const std::function<void(const SqlRow&)>& row) override {
    Step(Prepare(sql), params.data(), params.size(), row);
  }

  // BEGIN, the statements and COMMIT, all prepared once and bound without
  // copying: the writer runs them for every batch.
  void RunTransaction(const std::vector<SqlStatement>& statements) override {
    Step(Prepare("BEGIN IMMEDIATE"), nullptr, 0, {});
    try {
      for (const SqlStatement& statement : statements) {
        sqlite3_stmt* prepared = Prepare(statement.sql);
        std::size_t each = statement.paramsPerRun ? statement.paramsPerRun : statement.params.size();
        std::size_t start = 0;
        do {
          Step(prepared, statement.params.data() + start, each, {});
          start += each;
        } while (start < statement.params.size());
      }
      Step(Prepare("COMMIT"), nullptr, 0, {});
    } catch (...) {
      try {
        Script("ROLLBACK");
      } catch (const SqlError&) {
      }
      throw;
    }
  }

 private:
  // Resets a statement however its step ends, a row callback's exception
  // among them: a statement left mid-step keeps its read snapshot, and no
  // checkpoint can copy the log past a snapshot, so the log would grow.
  struct ResetOnExit {
    sqlite3_stmt* statement;
    ~ResetOnExit() { sqlite3_reset(statement); }
  };

  // Binds `count` parameters and steps the statement to its end. The texts
  // are bound without a copy: they outlive the step.
  void Step(sqlite3_stmt* statement, const SqlValue* params, std::size_t count,
            const std::function<void(const SqlRow&)>& row) {
    sqlite3_reset(statement);
    ResetOnExit reset{statement};
    sqlite3_clear_bindings(statement);
    for (std::size_t i = 0; i < count; ++i) {
      int index = static_cast<int>(i + 1);
      if (auto* number = std::get_if<std::int64_t>(&params[i])) {
        sqlite3_bind_int64(statement, index, *number);
      } else if (const std::string* text = TextOf(params[i])) {
        sqlite3_bind_text(statement, index, text->data(), static_cast<int>(text->size()), SQLITE_STATIC);
      } else {
        sqlite3_bind_null(statement, index);
      }
    }
    SqlRow values;
    for (;;) {
      int rc = sqlite3_step(statement);
      if (rc == SQLITE_DONE) break;
      if (rc != SQLITE_ROW) throw SqlError(sqlite3_errmsg(db_.get()), IsBusy());
      if (!row) continue;
      int columns = sqlite3_column_count(statement);
      values.assign(static_cast<std::size_t>(columns), std::nullopt);
      for (int c = 0; c < columns; ++c) {
        if (sqlite3_column_type(statement, c) == SQLITE_NULL) continue;
        auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
        values[static_cast<std::size_t>(c)].emplace(
            text, static_cast<std::size_t>(sqlite3_column_bytes(statement, c)));
      }
      row(values);
    }
  }

  struct DatabaseCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
  };

  // SQLite's hook after each commit, with the pages the log holds. No
  // exception may leave it; without a thread the checkpoint runs here, as
  // SQLite's own would.
  static int AfterCommit(void* self, sqlite3* db, const char*, int pages) {
    if (pages < kCheckpointPages) return SQLITE_OK;
    auto* connection = static_cast<SqliteConnection*>(self);
    try {
      if (!connection->checkpointer_) connection->checkpointer_ = std::make_unique<Checkpointer>(connection->path_);
      connection->checkpointer_->Request();
    } catch (...) {
      sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    }
    return SQLITE_OK;
  }

  bool IsBusy() const {
    int code = sqlite3_errcode(db_.get());
    return code == SQLITE_BUSY || code == SQLITE_LOCKED;
  }

  // Statements are prepared once per connection and kept: ingestion runs the
  // same few statements for every hit.
  sqlite3_stmt* Prepare(std::string_view sql) {
    auto found = statements_.find(sql);
    if (found != statements_.end()) return found->second.get();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_.get(), sql.data(), static_cast<int>(sql.size()), &statement, nullptr) !=
        SQLITE_OK) {
      throw SqlError(sqlite3_errmsg(db_.get()));
    }
    return statements_.emplace(std::string(sql), Statement(statement)).first->second.get();
  }

  std::string path_;
  std::unique_ptr<sqlite3, DatabaseCloser> db_;
  // Declared after the database so they are finalized before it closes.
  std::map<std::string, Statement, std::less<>> statements_;
  std::unique_ptr<Checkpointer> checkpointer_;  // stopped before the database closes
};

}  // namespace

std::unique_ptr<SqlConnection> OpenSqlite(const std::string& path, OpenMode mode) {
  return std::make_unique<SqliteConnection>(path, mode);
}

}  // namespace collector
