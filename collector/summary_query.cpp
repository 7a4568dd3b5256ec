#include "collector/summary_query.h"

#include <algorithm>

#include "collector/store_columns.h"

namespace collector {
namespace {

std::int64_t Int(const std::optional<std::string>& text) { return text ? std::stoll(*text) : 0; }

// Sessions and their outcomes, as the four columns ReadOutcomes reads; a
// status the library never sends counts as unfinished.
constexpr const char* kOutcomeColumns =
    "COUNT(*), SUM(CASE WHEN s.end_status = 'success' THEN 1 ELSE 0 END), "
    "SUM(CASE WHEN s.end_status = 'user abort' THEN 1 ELSE 0 END), "
    "SUM(CASE WHEN s.end_status = 'fatal error' THEN 1 ELSE 0 END)";

OutcomeCounts ReadOutcomes(const SqlRow& row, std::size_t first) {
  OutcomeCounts c;
  c.sessions = Int(row[first]);
  c.success = Int(row[first + 1]);
  c.userAbort = Int(row[first + 2]);
  c.fatalError = Int(row[first + 3]);
  c.unfinished = c.sessions - c.success - c.userAbort - c.fatalError;
  return c;
}

OutcomeCounts Minus(OutcomeCounts a, const OutcomeCounts& b) {
  a.sessions -= b.sessions;
  a.success -= b.success;
  a.userAbort -= b.userAbort;
  a.fatalError -= b.fatalError;
  a.unfinished -= b.unfinished;
  return a;
}

class Queries {
 public:
  Queries(SqlConnection& db, const std::string& where, const std::vector<SqlValue>& params)
      : db_(db), where_(where), params_(params),
        // Ties are broken by the texts' bytes, whatever the server's collation.
        bytes_(db.dialect() == SqlDialect::kPostgres ? " COLLATE \"C\"" : "") {}

  // The first kListed values by `count` (distinct machines or sessions),
  // then by value; one row for the rest. `grouped` yields v and n.
  std::vector<Tally> Ranked(const std::string& grouped) {
    std::vector<Tally> tallies;
    std::int64_t groups = 0, total = 0, listed = 0;
    db_.Run("SELECT v, n, COUNT(*) OVER (), SUM(n) OVER () FROM (" + grouped + ") g ORDER BY n DESC, v" + bytes_ +
                " LIMIT " + std::to_string(kListed),
            params_, [&](const SqlRow& row) {
              tallies.push_back({row[0].value_or(""), Int(row[1])});
              listed += tallies.back().count;
              groups = Int(row[2]);
              total = Int(row[3]);
            });
    if (groups > static_cast<std::int64_t>(tallies.size())) {
      tallies.push_back({std::string(), total - listed, groups - static_cast<std::int64_t>(tallies.size())});
    }
    return tallies;
  }

  // A column's values counted in sessions or in distinct machines.
  std::vector<Tally> Column(const std::string& column, bool machines, const std::string& also = "") {
    return Ranked("SELECT s." + column + " AS v, " + (machines ? "COUNT(DISTINCT s.client_id)" : "COUNT(*)") +
                  " AS n FROM sessions s" + where_ + " AND s." + column + " IS NOT NULL" + also + " GROUP BY s." +
                  column);
  }

  // Lists such as "Main, Docs": each part counted in the sessions that
  // name it, blanks around a part dropped, empty parts skipped.
  std::vector<Tally> Parts(const std::string& column) {
    const std::string find = db_.dialect() == SqlDialect::kPostgres ? "strpos" : "instr";
    return Ranked("WITH RECURSIVE parts(rest, part) AS (SELECT s." + column +
                  " || ',', CAST(NULL AS TEXT) FROM sessions s" + where_ + " AND s." + column +
                  " IS NOT NULL UNION ALL SELECT substr(rest, " + find + "(rest, ',') + 1), TRIM(substr(rest, 1, " +
                  find + "(rest, ',') - 1)) FROM parts WHERE rest <> '') SELECT part AS v, COUNT(*) AS n "
                  "FROM parts WHERE part <> '' GROUP BY part");
  }

  void Totals(Summary& s) {
    db_.Run(std::string("SELECT COALESCE(SUM(s.hits), 0), COUNT(DISTINCT s.client_id), ") + kOutcomeColumns +
                " FROM sessions s" + where_,
            params_, [&](const SqlRow& row) {
              s.hits = Int(row[0]);
              s.machines = Int(row[1]);
              s.outcomes = ReadOutcomes(row, 2);
            });
  }

  void Versions(Summary& s) {
    OutcomeCounts listed;
    std::int64_t groups = 0;
    db_.Run(std::string("SELECT s.app, s.version, ") + kOutcomeColumns + ", COUNT(*) OVER () FROM sessions s" +
                where_ + " GROUP BY s.app, s.version ORDER BY COUNT(*) DESC, s.app" + bytes_ + ", s.version" + bytes_ +
                " LIMIT " + std::to_string(kListed),
            params_, [&](const SqlRow& row) {
              VersionOutcomes& v = s.byVersion.emplace_back();
              v.app = row[0].value_or("");
              v.version = row[1].value_or("");
              v.outcomes = ReadOutcomes(row, 2);
              AddCounts(listed, v.outcomes);
              groups = Int(row[6]);
            });
    if (groups > static_cast<std::int64_t>(s.byVersion.size())) {
      VersionOutcomes other;
      other.others = groups - static_cast<std::int64_t>(s.byVersion.size());
      other.outcomes = Minus(s.outcomes, listed);
      s.byVersion.push_back(std::move(other));
    }
  }

  // The last kListedDays days in date order, the earlier ones summed first.
  void Days(Summary& s) {
    OutcomeCounts listed;
    std::int64_t days = 0;
    std::vector<DayOutcomes> latest;
    db_.Run(std::string("SELECT s.day, ") + kOutcomeColumns + ", COUNT(*) OVER () FROM sessions s" + where_ +
                " GROUP BY s.day ORDER BY s.day" + bytes_ + " DESC LIMIT " + std::to_string(kListedDays),
            params_, [&](const SqlRow& row) {
              latest.push_back({row[0].value_or(""), ReadOutcomes(row, 1)});
              AddCounts(listed, latest.back().outcomes);
              days = Int(row[5]);
            });
    if (days > static_cast<std::int64_t>(latest.size())) {
      DayOutcomes earlier;
      earlier.others = days - static_cast<std::int64_t>(latest.size());
      earlier.outcomes = Minus(s.outcomes, listed);
      s.perDay.push_back(std::move(earlier));
    }
    s.perDay.insert(s.perDay.end(), latest.rbegin(), latest.rend());
  }

 private:
  SqlConnection& db_;
  const std::string& where_;
  const std::vector<SqlValue>& params_;
  std::string bytes_;
};

}  // namespace

Summary QuerySummary(SqlConnection& db, const std::string& where, const std::vector<SqlValue>& params) {
  Queries q(db, where, params);
  Summary s;
  q.Totals(s);
  q.Versions(s);
  q.Days(s);
  // The session columns' lists, as the column table says.
  for (const Column& c : kSessionColumns) {
    if (c.tallied == Tallied::kParts) {
      s.*c.list = q.Parts(std::string(c.name));
    } else if (c.tallied != Tallied::kNo) {
      s.*c.list = q.Column(std::string(c.name), c.tallied == Tallied::kMachines, std::string(c.tallyAlso));
    }
  }
  return s;
}

}  // namespace collector
