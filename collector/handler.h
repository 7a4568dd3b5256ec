#pragma once
// What the collector answers, with no socket under it:
//   POST /              a hit (open to everyone): 204 once committed, 503
//                       with Retry-After when it could not be, 400/413 for
//                       a body that is not a hit (counted as rejected)
//   GET  /healthz       "ok", or 503 while the store cannot commit
//   GET  /              the dashboard
//   GET  /api/summary   the figures as JSON
//   GET  /export/hits.csv, /export/sessions.csv
// The last four need the token when one is set and take the filters as
// query parameters; they are read on a few threads of their own, so a slow
// summary never holds ingestion or /healthz.

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "collector/http_message.h"
#include "collector/ingest_queue.h"
#include "collector/reader_pool.h"

namespace collector {

struct HandlerOptions {
  std::string token;  // empty: no token needed (loopback only)
  // The collector is reached over HTTPS (a --public-url https://...): the
  // token cookie is then Secure.
  bool publicHttps = false;
  // Addresses of reverse proxies whose X-Forwarded-Proto is believed.
  std::vector<std::string> trustedProxies;
  std::size_t readThreads = 2;
  std::size_t readBacklog = 64;  // reads waiting for a thread; more get 503
};

class Handler : public HttpService {
 public:
  Handler(HandlerOptions options, IngestQueue& queue, ReaderPool& readers);
  ~Handler() override;  // ends the read threads after the reads that wait

  void Handle(Request request, std::function<void(Response)> reply) override;
  // The same, waiting for the answer; a streamed body is gathered into `body`.
  Response Handle(const Request& request);

  // A new token (the token file read again); safe while serving.
  void SetToken(std::string token);

 private:
  void Ingest(const Request& request, std::function<void(Response)>& reply);
  // Answers whether the request may read; on false `denied` is the answer.
  bool Admitted(const Request& request, Response& denied);
  void Read(const Request& request, std::function<void(Response)> reply);
  bool Secure(const Request& request) const;
  void ReadLoop();

  HandlerOptions options_;
  IngestQueue& queue_;
  ReaderPool& readers_;
  mutable std::mutex mutex_;  // token_, reads_, stopping_
  std::string token_;
  std::condition_variable readable_;
  std::deque<std::function<void()>> reads_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace collector
