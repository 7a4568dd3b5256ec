#pragma once
// The collector's HTTP interface over cpp-httplib:
//   POST /              a hit (open to everyone)
//   GET  /healthz       "ok" (open to everyone)
//   GET  /              the dashboard
//   GET  /api/summary   the figures as JSON
//   GET  /export/hits.csv, /export/sessions.csv
// The last four need the token when one is set, and take the filters as
// query parameters.

#include <functional>
#include <memory>
#include <string>

#include "collector/ingest_queue.h"
#include "collector/store.h"

namespace httplib {
class Server;
}

namespace collector {

struct ServerOptions {
  std::string token;  // empty: no token needed (loopback only)
  // Opens a store for one request that reads; throws SqlError.
  std::function<std::unique_ptr<Store>()> openReader;
};

class CollectorServer {
 public:
  CollectorServer(ServerOptions options, IngestQueue& queue);
  ~CollectorServer();

  // Binds HOST:PORT (port 0 picks a free one); the port bound, or -1.
  int Bind(const std::string& host, int port);
  // Serves until Stop(); in-flight requests are answered first.
  void Listen();
  void Stop();

 private:
  void Routes();

  ServerOptions options_;
  IngestQueue& queue_;
  std::unique_ptr<httplib::Server> server_;
  int listenSocket_ = -1;
};

}  // namespace collector
