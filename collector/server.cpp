#include "collector/server.h"

#include <httplib.h>
#include <sys/socket.h>

#include <future>

#include "collector/access.h"
#include "collector/csv.h"
#include "collector/dashboard.h"
#include "collector/filters.h"

namespace collector {
namespace {

// Enough request threads that a commit group can gather many hits; each
// waits only while its hit is being committed.
constexpr std::size_t kRequestThreads = 64;
constexpr int kListenBacklog = 1024;

void Text(httplib::Response& res, int status, const std::string& text) {
  res.status = status;
  res.set_content(text + "\n", "text/plain; charset=utf-8");
}

bool ReadFilters(const httplib::Request& req, httplib::Response& res, Filters& filters) {
  std::string reason;
  auto get = [&](std::string_view name) { return req.get_param_value(std::string(name).c_str()); };
  if (FiltersFromQuery(get, filters, &reason)) return true;
  Text(res, 400, reason);
  return false;
}

}  // namespace

CollectorServer::CollectorServer(ServerOptions options, IngestQueue& queue)
    : options_(std::move(options)), queue_(queue), server_(std::make_unique<httplib::Server>()) {
  server_->new_task_queue = [] { return new httplib::ThreadPool(kRequestThreads); };
  server_->set_payload_max_length(kMaxBodyBytes);
  server_->set_keep_alive_max_count(10'000);
  server_->set_keep_alive_timeout(2);
  // Answers are small; without this they wait for the client's delayed ACK.
  server_->set_tcp_nodelay(true);
  // The listening socket is kept so Bind can widen its backlog.
  server_->set_socket_options([this](socket_t sock) {
    httplib::default_socket_options(sock);
    listenSocket_ = sock;
  });
  Routes();
}

CollectorServer::~CollectorServer() = default;

int CollectorServer::Bind(const std::string& host, int port) {
  int bound = port == 0                                   ? server_->bind_to_any_port(host.c_str())
              : server_->bind_to_port(host.c_str(), port) ? port
                                                          : -1;
  // The HTTP library listens with a backlog of 5: a burst of installers
  // connecting at once would see their connections dropped and retried a
  // second later. Listening again on the same socket only sets the backlog.
  if (bound > 0 && listenSocket_ >= 0) ::listen(listenSocket_, kListenBacklog);
  return bound;
}

void CollectorServer::Listen() {
  server_->listen_after_bind();
}

void CollectorServer::Stop() {
  server_->stop();
}

void CollectorServer::Routes() {
  httplib::Server& svr = *server_;

  // Rejections are counted where every answer passes, so the bodies the
  // HTTP layer refuses as too large count too.
  svr.set_logger([this](const httplib::Request& req, const httplib::Response& res) {
    if (req.method == "POST" && req.path == "/" && (res.status == 400 || res.status == 413)) {
      queue_.CountRejection(NowMs());
    }
  });
  svr.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
    Text(res, 503, "the database is not available");
  });

  svr.Post("/", [this](const httplib::Request& req, httplib::Response& res) {
    std::int64_t received = NowMs();
    if (req.body.size() > kMaxBodyBytes) return Text(res, 413, "body larger than 16 KiB");
    std::string reason;
    std::optional<HitRecord> hit =
        MakeHitRecord(req.body, req.get_header_value("User-Agent"), received, &reason);
    if (!hit) return Text(res, 400, reason);
    std::promise<SubmitOutcome> outcome;
    queue_.Submit(std::move(*hit), [&outcome](SubmitOutcome o) { outcome.set_value(o); });
    if (outcome.get_future().get() != SubmitOutcome::kStored) return Text(res, 503, "the hit could not be stored");
    res.status = 204;
  });

  svr.Get("/healthz", [](const httplib::Request&, httplib::Response& res) { Text(res, 200, "ok"); });

  // Everything else needs the token when one is set.
  svr.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    if (options_.token.empty() || req.path == "/healthz" || (req.method == "POST" && req.path == "/")) {
      return httplib::Server::HandlerResponse::Unhandled;
    }
    if (req.has_param("token")) {
      if (SameToken(req.get_param_value("token"), options_.token)) {
        res.set_header("Set-Cookie", TokenCookie(options_.token));
        return httplib::Server::HandlerResponse::Unhandled;
      }
    } else if (SameToken(BearerToken(req.get_header_value("Authorization")), options_.token) ||
               SameToken(CookieToken(req.get_header_value("Cookie")), options_.token)) {
      return httplib::Server::HandlerResponse::Unhandled;
    }
    res.set_header("WWW-Authenticate", "Bearer");
    Text(res, 401, "a valid token is needed: Authorization: Bearer TOKEN, or ?token=TOKEN");
    return httplib::Server::HandlerResponse::Handled;
  });

  svr.Get("/", [this](const httplib::Request& req, httplib::Response& res) {
    Filters filters;
    if (!ReadFilters(req, res, filters)) return;
    res.set_content(RenderDashboard(options_.openReader()->Summarize(filters), filters),
                    "text/html; charset=utf-8");
  });

  svr.Get("/api/summary", [this](const httplib::Request& req, httplib::Response& res) {
    Filters filters;
    if (!ReadFilters(req, res, filters)) return;
    res.set_content(SummaryJson(options_.openReader()->Summarize(filters)) + "\n", "application/json");
  });

  auto exporter = [this](bool hits) {
    return [this, hits](const httplib::Request& req, httplib::Response& res) {
      Filters filters;
      if (!ReadFilters(req, res, filters)) return;
      std::shared_ptr<Store> store = options_.openReader();
      res.set_header("Content-Disposition",
                     hits ? "attachment; filename=\"hits.csv\"" : "attachment; filename=\"sessions.csv\"");
      res.set_chunked_content_provider(
          "text/csv; charset=utf-8", [store, filters, hits](std::size_t, httplib::DataSink& sink) {
            // The whole export in one call, written out in pieces of about 64 KiB.
            std::string buffer;
            auto row = [&](const std::vector<std::string>& cells) {
              buffer += CsvRow(cells);
              if (buffer.size() >= 65536) {
                if (!sink.write(buffer.data(), buffer.size())) throw std::runtime_error("client gone");
                buffer.clear();
              }
            };
            try {
              hits ? store->ExportHits(filters, row) : store->ExportSessions(filters, row);
              if (!buffer.empty()) sink.write(buffer.data(), buffer.size());
              sink.done();
            } catch (const std::exception&) {
              return false;
            }
            return true;
          });
    };
  };
  svr.Get("/export/hits.csv", exporter(true));
  svr.Get("/export/sessions.csv", exporter(false));
}

}  // namespace collector
