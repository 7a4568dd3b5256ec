#include <libpq-fe.h>
#include <poll.h>

#include <map>

#include "collector/sql_connection.h"

namespace collector {
namespace {

struct ResultCloser {
  void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultCloser>;

// "?" placeholders become "$1", "$2", ...; quoted text is left alone.
std::string Numbered(std::string_view sql) {
  std::string out;
  int next = 1;
  bool quoted = false;
  for (char c : sql) {
    if (c == '\'') quoted = !quoted;
    if (c == '?' && !quoted) {
      out += "$" + std::to_string(next++);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// The URI without its password, for messages.
std::string WithoutPassword(const std::string& uri) {
  std::size_t scheme = uri.find("://");
  std::size_t at = uri.find('@');
  if (scheme == std::string::npos || at == std::string::npos) return uri;
  std::size_t colon = uri.find(':', scheme + 3);
  if (colon == std::string::npos || colon > at) return uri;
  return uri.substr(0, colon) + uri.substr(at);
}

class PostgresConnection final : public SqlConnection {
 public:
  PostgresConnection(const std::string& conninfo, OpenMode mode) : described_(WithoutPassword(conninfo)) {
    conn_.reset(PQconnectdb(conninfo.c_str()));
    if (!conn_ || PQstatus(conn_.get()) != CONNECTION_OK) {
      std::string text = conn_ ? PQerrorMessage(conn_.get()) : "out of memory";
      while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
      for (char& c : text) {
        if (c == '\n') c = ' ';
      }
      throw SqlError(text);
    }
    Script("SET client_min_messages = warning");
    if (mode == OpenMode::kReadOnly) Script("SET default_transaction_read_only = on");
  }

  SqlDialect dialect() const override { return SqlDialect::kPostgres; }
  std::string Describe() const override { return described_; }
  void SetLockWait(std::chrono::milliseconds wait) override {
    Script("SET lock_timeout = " + std::to_string(wait.count()));
  }
  bool Alive() override {
    // An idle connection gets nothing from its server unless the server is
    // closing it (its last message, then the end of the stream).
    if (PQstatus(conn_.get()) != CONNECTION_OK) return false;
    pollfd socket{PQsocket(conn_.get()), POLLIN, 0};
    return ::poll(&socket, 1, 0) == 0;
  }

  void Script(std::string_view sql) override {
    Result result(PQexec(conn_.get(), std::string(sql).c_str()));
    Check(result.get());
  }

  void Run(std::string_view sql, const std::vector<SqlValue>& params,
           const std::function<void(const SqlRow&)>& row) override {
    auto found = numbered_.find(sql);
    if (found == numbered_.end()) found = numbered_.emplace(std::string(sql), Numbered(sql)).first;
    std::vector<std::string> texts(params.size());
    std::vector<const char*> values(params.size(), nullptr);
    for (std::size_t i = 0; i < params.size(); ++i) {
      if (auto* number = std::get_if<std::int64_t>(&params[i])) {
        texts[i] = std::to_string(*number);
        values[i] = texts[i].c_str();
      } else if (auto* text = std::get_if<std::string>(&params[i])) {
        values[i] = text->c_str();
      }
    }
    Result result(PQexecParams(conn_.get(), found->second.c_str(), static_cast<int>(params.size()), nullptr,
                               values.data(), nullptr, nullptr, 0));
    Check(result.get());
    if (!row) return;
    int rows = PQntuples(result.get());
    int columns = PQnfields(result.get());
    SqlRow out;
    for (int r = 0; r < rows; ++r) {
      out.assign(static_cast<std::size_t>(columns), std::nullopt);
      for (int c = 0; c < columns; ++c) {
        if (PQgetisnull(result.get(), r, c)) continue;
        out[static_cast<std::size_t>(c)].emplace(PQgetvalue(result.get(), r, c),
                                                 static_cast<std::size_t>(PQgetlength(result.get(), r, c)));
      }
      row(out);
    }
  }

 private:
  struct ConnCloser {
    void operator()(PGconn* conn) const { PQfinish(conn); }
  };

  void Check(PGresult* result) {
    ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return;
    std::string text = result ? PQresultErrorMessage(result) : PQerrorMessage(conn_.get());
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    bool retryable = state && (std::string_view(state) == "40P01" || std::string_view(state) == "40001" ||
                               std::string_view(state) == "23505" ||
                               std::string_view(state) == "55P03");
    throw SqlError(text, retryable);
  }

  std::string described_;
  std::unique_ptr<PGconn, ConnCloser> conn_;
  std::map<std::string, std::string, std::less<>> numbered_;
};

}  // namespace

std::unique_ptr<SqlConnection> OpenPostgres(const std::string& conninfo, OpenMode mode) {
  return std::make_unique<PostgresConnection>(conninfo, mode);
}

}  // namespace collector
