#include "collector/sql_connection.h"

namespace collector {

void SqlConnection::RunTransaction(const std::vector<SqlStatement>& statements) {
  Script(dialect() == SqlDialect::kPostgres ? "BEGIN" : "BEGIN IMMEDIATE");
  try {
    for (const SqlStatement& statement : statements) Run(statement.sql, statement.params);
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
