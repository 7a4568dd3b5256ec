#include "collector/sql_connection.h"

namespace collector {

bool IsDatabaseUrl(std::string_view url) {
  return (url.starts_with("sqlite:") && url.size() > 7) || url.starts_with("postgresql://") ||
         url.starts_with("postgres://");
}

std::unique_ptr<SqlConnection> OpenSqlConnection(const std::string& url) {
  if (url.starts_with("sqlite:")) return OpenSqlite(url.substr(7));
  if (IsDatabaseUrl(url)) return OpenPostgres(url);
  throw SqlError("not a database URL: " + url);
}

}  // namespace collector
