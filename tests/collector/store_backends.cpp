#include "store_backends.h"

#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "collector/sql_connection.h"

namespace collector {
namespace {

std::string PostgresBase() {
  const char* uri = std::getenv("PLUMETA_TEST_POSTGRES");
  return uri ? uri : "";
}

// The base URI with another database name ("postgresql:///NAME?...").
std::string WithDatabase(const std::string& uri, const std::string& name) {
  std::size_t slash = uri.find('/', uri.find("://") + 3);
  std::size_t query = uri.find('?', slash);
  return uri.substr(0, slash + 1) + name + (query == std::string::npos ? "" : uri.substr(query));
}

}  // namespace

ScratchDatabase::ScratchDatabase(Backend backend) : backend_(backend) {
  static std::atomic<int> counter{0};
  std::string unique = std::to_string(getpid()) + "_" + std::to_string(counter++);
  if (backend == Backend::kSqlite) {
    folder_ = (std::filesystem::temp_directory_path() / ("collector_test_" + unique)).string();
    std::filesystem::create_directories(folder_);
    url_ = "sqlite:" + folder_ + "/hits.db";
    return;
  }
  std::string base = PostgresBase();
  if (base.empty()) return;
  name_ = "collector_test_" + unique;
  OpenSqlConnection(base)->Script("CREATE DATABASE " + name_);
  url_ = WithDatabase(base, name_);
}

ScratchDatabase::~ScratchDatabase() {
  try {
    if (backend_ == Backend::kSqlite && !folder_.empty()) std::filesystem::remove_all(folder_);
    if (backend_ == Backend::kPostgres && !name_.empty()) {
      OpenSqlConnection(PostgresBase())->Script("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
    }
  } catch (const std::exception&) {
  }
}

bool SqliteLogCopiesWhole(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  // A connection sees the log only once it has read the database.
  sqlite3_exec(db, "SELECT 1 FROM sqlite_master LIMIT 1", nullptr, nullptr, nullptr);
  int log = -1, copied = -2, rc = SQLITE_BUSY;
  // Busy while the collector's own checkpoint runs (it waits 250 ms at most).
  for (int tries = 0; rc == SQLITE_BUSY && tries < 200; ++tries) {
    if (tries) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    rc = sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, &log, &copied);
  }
  sqlite3_close_v2(db);
  return rc == SQLITE_OK && log == copied;
}

std::string BackendName(const testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::kSqlite ? "Sqlite" : "Postgres";
}

}  // namespace collector
