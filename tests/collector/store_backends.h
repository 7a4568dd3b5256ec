#pragma once
// The databases every store test runs against: a SQLite file in a scratch
// folder, and a fresh database on the PostgreSQL server named by
// PLUMETA_TEST_POSTGRES (scripts/pg_test_server.sh); without it the
// PostgreSQL cases are skipped.

#include <gtest/gtest.h>

#include <string>

namespace collector {

enum class Backend { kSqlite, kPostgres };

// A database of its own for one test; dropped or deleted at the end.
class ScratchDatabase {
 public:
  explicit ScratchDatabase(Backend backend);
  ~ScratchDatabase();
  bool available() const { return !url_.empty(); }
  const std::string& url() const { return url_; }

 private:
  Backend backend_;
  std::string url_, folder_, name_;
};

// Whether another connection can copy the whole write-ahead log of the
// SQLite file `path` into the database now: a reader that keeps its
// snapshot holds back every frame written after it began.
bool SqliteLogCopiesWhole(const std::string& path);

std::string BackendName(const testing::TestParamInfo<Backend>& info);

}  // namespace collector
