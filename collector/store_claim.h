#pragma once
// A serving collector and an import must not write one store at once: an
// import merges whole sessions, which hits arriving meanwhile would change
// under it. Every serving collector holds a shared claim on its store, an
// import an exclusive one, each for as long as it runs.
//
// On SQLite the claim is a lock on one byte of the database file far past
// those SQLite locks, taken on an open file description of its own, so that
// it conflicts within one process too. Closing that file drops the
// process's other locks on the database, SQLite's included: destroy a claim
// only after the process's connections to the file are closed. On
// PostgreSQL the claim is an advisory lock of the connection's session and
// lasts as long as the connection.

#include <memory>

#include "collector/sql_connection.h"

namespace collector {

class StoreClaim {
 public:
  enum class Kind { kServing, kImporting };
  // Null when another claim stands in the way. Throws SqlError.
  static std::unique_ptr<StoreClaim> TryTake(SqlConnection& db, Kind kind);
  ~StoreClaim();
  StoreClaim(const StoreClaim&) = delete;
  StoreClaim& operator=(const StoreClaim&) = delete;

 private:
  explicit StoreClaim(int fd) : fd_(fd) {}
  int fd_;  // -1 on PostgreSQL
};

}  // namespace collector
