#include <libpq-fe.h>
#include <poll.h>

#include <deque>
#include <map>
#include <optional>

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
    if (!conn_ || PQstatus(conn_.get()) != CONNECTION_OK)
      throw SqlError(conn_ ? Trimmed(PQerrorMessage(conn_.get())) : "out of memory");
    Script("SET client_min_messages = warning");
    if (mode == OpenMode::kReadOnly) Script("SET default_transaction_read_only = on");
  }

  SqlDialect dialect() const override { return SqlDialect::kPostgres; }
  std::string Describe() const override { return described_; }
  std::string Identity() override {
    // The cluster's system identifier may be closed to ordinary roles; the
    // postmaster's start time and port then tell one server from another.
    std::string cluster;
    try {
      Run("SELECT system_identifier::text FROM pg_control_system()", {},
          [&](const SqlRow& row) { cluster = row[0].value_or(""); });
    } catch (const SqlError&) {
      Run("SELECT pg_postmaster_start_time()::text || '/' || current_setting('port')", {},
          [&](const SqlRow& row) { cluster = row[0].value_or(""); });
    }
    std::string database;
    Run("SELECT oid::text FROM pg_database WHERE datname = current_database()", {},
        [&](const SqlRow& row) { database = row[0].value_or(""); });
    return "postgresql:" + cluster + ":" + database;
  }
  void SetLockWait(std::chrono::milliseconds wait) override {
    Script("SET lock_timeout = " + std::to_string(wait.count()));
  }
  bool Alive() override {
    // An idle connection gets nothing from its server unless the server is
    // closing it (its last message, then the end of the stream).
    if (lost_ || PQstatus(conn_.get()) != CONNECTION_OK) return false;
    pollfd socket{PQsocket(conn_.get()), POLLIN, 0};
    return ::poll(&socket, 1, 0) == 0;
  }

  void Script(std::string_view sql) override {
    Result result(PQexec(conn_.get(), std::string(sql).c_str()));
    Check(result.get());
  }

  void Run(std::string_view sql, const std::vector<SqlValue>& params,
           const std::function<void(const SqlRow&)>& row) override {
    Parameters texts(params);
    Result result(PQexecPrepared(conn_.get(), Prepared(sql).c_str(), static_cast<int>(params.size()),
                                 texts.values.data(), nullptr, nullptr, 0));
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


  // The whole transaction in one round trip.
  void RunTransaction(const std::vector<SqlStatement>& statements) override {
    if (!sent_.empty()) throw SqlError("a transaction was run while others were not yet answered");
    SendTransaction(statements);
    AwaitTransaction();
  }

  // Pipeline mode: the statements and a Sync, which ends the implicit
  // transaction they run in, all or nothing. A statement not yet prepared
  // on this connection is prepared in the same pipeline.
  void SendTransaction(const std::vector<SqlStatement>& statements) override {
    PGconn* conn = conn_.get();
    if (PQpipelineStatus(conn) == PQ_PIPELINE_OFF && PQenterPipelineMode(conn) != 1) Lost();
    Sent sent;
    for (const SqlStatement& statement : statements) {
      auto found = prepared_.find(statement.sql);
      if (found == prepared_.end()) {
        std::string name = NewName();
        if (PQsendPrepare(conn, name.c_str(), Numbered(statement.sql).c_str(), 0, nullptr) != 1) Lost();
        found = prepared_.emplace(statement.sql, std::move(name)).first;
        sent.answers.push_back(&found->first);
      }
      std::size_t each = statement.paramsPerRun ? statement.paramsPerRun : statement.params.size();
      std::size_t start = 0;
      do {
        Parameters texts(statement.params.data() + start, each);
        if (PQsendQueryPrepared(conn, found->second.c_str(), static_cast<int>(each), texts.values.data(), nullptr,
                                nullptr, 0) != 1) {
          Lost();
        }
        sent.answers.push_back(nullptr);
        start += each;
      } while (start < statement.params.size());
    }
    if (PQpipelineSync(conn) != 1) Lost();
    sent_.push_back(std::move(sent));
  }

  void AwaitTransaction() override {
    if (sent_.empty()) throw SqlError(lost_ ? "the connection to the database was lost" : "no transaction was sent");
    Sent sent = std::move(sent_.front());
    sent_.pop_front();
    PGconn* conn = conn_.get();
    std::optional<SqlError> failure;
    for (const std::string* prepared : sent.answers) {
      Result result(PQgetResult(conn));
      if (!result) Lost();
      ExecStatusType status = PQresultStatus(result.get());
      if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        // A statement whose preparing failed or was skipped is prepared again next time.
        if (prepared) prepared_.erase(std::string(*prepared));  // a copy: the key goes with its entry
        if (!failure) failure = Error(result.get());
      }
      Result end(PQgetResult(conn));  // each answer ends with a null result
    }
    Result sync(PQgetResult(conn));
    if (!sync || PQresultStatus(sync.get()) != PGRES_PIPELINE_SYNC) Lost();
    if (sent_.empty()) PQexitPipelineMode(conn);
    if (failure) throw *failure;
  }

  int AnswerHandle() override { return PQsocket(conn_.get()); }
  bool Answered() override {
    // An error reading is for AwaitTransaction to report.
    return PQconsumeInput(conn_.get()) != 1 || !PQisBusy(conn_.get());
  }

 private:
  struct ConnCloser {
    void operator()(PGconn* conn) const { PQfinish(conn); }
  };

  // Parameters as libpq takes them: texts, or null pointers for NULL.
  struct Parameters {
    explicit Parameters(const std::vector<SqlValue>& params) : Parameters(params.data(), params.size()) {}
    Parameters(const SqlValue* params, std::size_t count) : texts(count), values(count) {
      for (std::size_t i = 0; i < count; ++i) {
        if (auto* number = std::get_if<std::int64_t>(&params[i])) {
          texts[i] = std::to_string(*number);
          values[i] = texts[i].c_str();
        } else if (const std::string* text = TextOf(params[i])) {
          values[i] = text->c_str();
        }
      }
    }
    std::vector<std::string> texts;
    std::vector<const char*> values;
  };

  // The name of the statement prepared for `sql` on this connection: it is
  // parsed once, not at every commit.
  const std::string& Prepared(std::string_view sql) {
    auto found = prepared_.find(sql);
    if (found != prepared_.end()) return found->second;
    std::string name = NewName();
    Result result(PQprepare(conn_.get(), name.c_str(), Numbered(sql).c_str(), 0, nullptr));
    Check(result.get());
    return prepared_.emplace(std::string(sql), std::move(name)).first->second;
  }

  static std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    for (char& c : text) {
      if (c == '\n') c = ' ';
    }
    return text;
  }

  SqlError Error(PGresult* result) {
    std::string text = Trimmed(result ? PQresultErrorMessage(result) : PQerrorMessage(conn_.get()));
    if (text.empty()) text = "the transaction was not carried out";
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    bool retryable = state && (std::string_view(state) == "40P01" || std::string_view(state) == "40001" ||
                               std::string_view(state) == "23505" || std::string_view(state) == "55P03");
    return SqlError(text, retryable);
  }

  void Check(PGresult* result) {
    ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return;
    throw Error(result);
  }

  // A name no statement of this connection has had.
  std::string NewName() { return "s" + std::to_string(named_++); }

  // The connection is of no more use: what was sent has an unknown outcome.
  [[noreturn]] void Lost() {
    sent_.clear();
    lost_ = true;
    throw SqlError(Trimmed(PQerrorMessage(conn_.get())));
  }

  // A transaction sent and not yet awaited: its answers in order, each the
  // statement text being prepared or null for a statement run.
  struct Sent {
    std::vector<const std::string*> answers;
  };

  std::string described_;
  std::unique_ptr<PGconn, ConnCloser> conn_;
  std::deque<Sent> sent_;
  bool lost_ = false;
  std::size_t named_ = 0;  // statements prepared so far, for their names
  std::map<std::string, std::string, std::less<>> prepared_;
};

}  // namespace

std::unique_ptr<SqlConnection> OpenPostgres(const std::string& conninfo, OpenMode mode) {
  return std::make_unique<PostgresConnection>(conninfo, mode);
}

}  // namespace collector
