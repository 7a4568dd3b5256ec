#include "collector/sql_connection.h"

namespace collector {

void SqlConnection::RunTransaction(const std::vector<SqlStatement>& statements) {
  Script(dialect() == SqlDialect::kPostgres ? "BEGIN" : "BEGIN IMMEDIATE");
  try {
    for (const SqlStatement& statement : statements) {
      if (!statement.paramsPerRun) {
        Run(statement.sql, statement.params);
        continue;
      }
      for (std::size_t start = 0; start < statement.params.size(); start += statement.paramsPerRun) {
        auto first = statement.params.begin() + static_cast<std::ptrdiff_t>(start);
        Run(statement.sql, std::vector<SqlValue>(first, first + static_cast<std::ptrdiff_t>(statement.paramsPerRun)));
      }
    }
    Script("COMMIT");
  } catch (...) {
    try {
      Script("ROLLBACK");
    } catch (const SqlError&) {
    }
    throw;
  }
}

bool IsDatabaseUrl(std::string_view url) {
  return (url.starts_with("sqlite:") && url.size() > 7) || url.starts_with("postgresql://") ||
         url.starts_with("postgres://");
}

std::unique_ptr<SqlConnection> OpenSqlConnection(const std::string& url, OpenMode mode) {
  if (url.starts_with("sqlite:")) return OpenSqlite(url.substr(7), mode);
  if (IsDatabaseUrl(url)) return OpenPostgres(url, mode);
  throw SqlError("not a database URL: " + url);
}

}  // namespace collector
