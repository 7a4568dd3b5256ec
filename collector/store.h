#pragma once
// Where hits live: the hits themselves, one row per session kept up to date
// as its hits arrive (so the figures never scan every hit), and the count
// of rejected bodies per day. The same SQL runs on SQLite and PostgreSQL.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "collector/filters.h"
#include "collector/hit_record.h"
#include "collector/sql_connection.h"
#include "collector/summary.h"

namespace collector {

inline constexpr int kSchemaVersion = 1;

class Store {
 public:
  // Takes the connection; creates or migrates the schema unless `migrate`
  // is false (a database already prepared): then a database without the
  // collector's schema, or with a newer one, is refused with SqlError.
  explicit Store(std::unique_ptr<SqlConnection> connection, bool migrate = true);

  // Stores the hits and the rejections (per "YYYY-MM-DD") in one
  // transaction; throws SqlError when it cannot (nothing is then stored).
  void Insert(const std::vector<HitRecord>& hits, const std::map<std::string, std::int64_t>& rejections = {});
  // Adds all that `source` holds (hits, sessions, rejection counts) in one
  // transaction, sessions merged into any stored already; the hits copied.
  // For moving a store to another database: run it once.
  std::int64_t ImportFrom(Store& source);
  // An empty write transaction: throws SqlError while the store cannot commit.
  void Probe();
  // Deletes what was received before `cutoffMs`.
  void DeleteReceivedBefore(std::int64_t cutoffMs);

  Summary Summarize(const Filters& filters);

  // Rows of the CSV exports, header first; `row` gets the cells.
  void ExportHits(const Filters& filters, const std::function<void(const std::vector<std::string>&)>& row);
  void ExportSessions(const Filters& filters,
                      const std::function<void(const std::vector<std::string>&)>& row);

  SqlConnection& connection() { return *db_; }

 private:
  void Migrate();

  std::unique_ptr<SqlConnection> db_;
};

}  // namespace collector
