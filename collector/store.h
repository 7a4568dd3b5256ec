#pragma once
// Where hits live: the hits themselves, one row per session kept up to date
// as its hits arrive (so the figures never scan every hit), and the count
// of rejected bodies per day. The same SQL runs on SQLite and PostgreSQL.
// Each column of the hits and sessions is described once, in
// store_columns.h, and everything here that names columns takes them from
// there.

#include <climits>
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

inline constexpr int kSchemaVersion = 3;

class Store;

// One write transaction of hits. On SQLite each hit's row is written as
// soon as it is added, in a transaction that stays open until Commit, so
// that hits arriving while the earlier ones are written can join this
// commit instead of waiting for the next; on PostgreSQL everything goes to
// the server at Send, in one round trip, and the outcome is read with the
// connection's AwaitTransaction (Commit does both). Sessions and rejection
// counts are merged at Send. Added hits must stay where they are until
// then. Whatever is not committed is rolled back; SqlError leaves nothing
// stored.
class HitBatch {
 public:
  explicit HitBatch(Store& store);
  ~HitBatch();
  HitBatch(const HitBatch&) = delete;
  HitBatch& operator=(const HitBatch&) = delete;

  void Add(const HitRecord& hit);
  // Rejected bodies per "YYYY-MM-DD".
  void Commit(const std::map<std::string, std::int64_t>& rejections = {});
  // Commits on SQLite; on PostgreSQL sends the transaction without waiting.
  void Send(const std::map<std::string, std::int64_t>& rejections = {});
  std::size_t size() const { return added_; }

 private:
  struct Sessions;
  SqlConnection& db_;
  bool sqlite_;
  bool open_ = false;  // an SQLite transaction begun and not yet ended
  std::size_t added_ = 0;
  std::vector<const HitRecord*> held_;  // PostgreSQL: sent at Commit
  std::unique_ptr<Sessions> sessions_;
};

class Store {
 public:
  // Takes the connection; creates or migrates the schema unless `migrate`
  // is false (a database already prepared): then a database without the
  // collector's schema, or with a newer one, is refused with SqlError.
  explicit Store(std::unique_ptr<SqlConnection> connection, bool migrate = true);

  // Stores the hits and the rejections (per "YYYY-MM-DD") in one
  // transaction (a HitBatch); throws SqlError when it cannot (nothing is
  // then stored).
  void Insert(const std::vector<HitRecord>& hits, const std::map<std::string, std::int64_t>& rejections = {});
  // Adds all that `source` holds (hits, sessions, rejection counts) in one
  // transaction, read from one snapshot of the source, sessions merged into
  // any stored already; returns the hits added. Run again, it adds only
  // what the source gained since: hits it brought before are known by their
  // content, rejections by a ledger per source and day.
  std::int64_t ImportFrom(Store& source);
  // An empty write transaction: throws SqlError while the store cannot commit.
  void Probe();
  // Deletes what was received before `cutoffMs`, at most `rows` hits or
  // sessions in one transaction: true once nothing older is left. A
  // shortened retention may have a million hits to delete: in one go they
  // would hold every hit that waits for seconds.
  bool DeleteReceivedBefore(std::int64_t cutoffMs, std::int64_t rows = INT64_MAX);

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
