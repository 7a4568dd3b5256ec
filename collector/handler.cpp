#include "collector/handler.h"

#include <future>

#include "collector/access.h"
#include "collector/csv.h"
#include "collector/dashboard.h"
#include "collector/filters.h"
#include "collector/hit_record.h"
#include "collector/sql_connection.h"

namespace collector {
namespace {

// An installer that gets 503 keeps its hit for the next flush.
constexpr const char* kRetryAfterSeconds = "30";
// CSV is written out in pieces of about this size.
constexpr std::size_t kStreamPiece = 64 * 1024;

Response Unavailable(std::string_view text) {
  Response response = TextResponse(503, text);
  response.headers.emplace_back("Retry-After", kRetryAfterSeconds);
  return response;
}

bool IsReadPath(std::string_view path) {
  return path == "/" || path == "/api/summary" || path == "/export/hits.csv" || path == "/export/sessions.csv";
}

// Answers that carry or follow from the token are never kept by a cache
// and never tell another site where the reader came from.
void Guard(Response& response) {
  response.headers.emplace_back("Cache-Control", "no-store");
  response.headers.emplace_back("Referrer-Policy", "no-referrer");
}

}  // namespace

Handler::Handler(HandlerOptions options, IngestQueue& queue, ReaderPool& readers)
    : options_(std::move(options)), queue_(queue), readers_(readers), token_(options_.token) {
  for (std::size_t i = 0; i < std::max<std::size_t>(options_.readThreads, 1); ++i) {
    threads_.emplace_back([this] { ReadLoop(); });
  }
}

Handler::~Handler() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  readable_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void Handler::SetToken(std::string token) {
  std::lock_guard lock(mutex_);
  token_ = std::move(token);
}

Response Handler::Handle(const Request& request) {
  std::promise<Response> answer;
  std::future<Response> answered = answer.get_future();
  Handle(request, [&answer](Response response) {
    if (response.stream) {
      bool whole = response.stream([&response](std::string_view piece) {
        response.body += piece;
        return true;
      });
      response.stream = nullptr;
      if (!whole) response.status = 0;  // what a client would see as a cut answer
    }
    answer.set_value(std::move(response));
  });
  return answered.get();
}

void Handler::Handle(Request request, std::function<void(Response)> reply) {
  std::string path = request.Path();
  if (path == "/" && request.method == "POST") return Ingest(request, reply);
  if (path == "/healthz" && request.method == "GET") {
    return reply(queue_.Ready() ? TextResponse(200, "ok") : Unavailable("the database cannot commit"));
  }
  if (!IsReadPath(path)) return reply(TextResponse(404, "not found"));
  if (request.method != "GET") {
    Response response = TextResponse(405, "method not allowed");
    response.headers.emplace_back("Allow", path == "/" ? "GET, POST" : "GET");
    return reply(std::move(response));
  }
  Response denied;
  if (!Admitted(request, denied)) {
    Guard(denied);
    return reply(std::move(denied));
  }
  Read(request, std::move(reply));
}

void Handler::Ingest(const Request& request, std::function<void(Response)>& reply) {
  std::int64_t received = NowMs();
  if (request.bodyTooLarge) {
    queue_.CountRejection(received);
    return reply(TextResponse(413, "body larger than " + KiBText(kMaxBodyBytes)));
  }
  std::string reason;
  std::optional<HitRecord> hit = MakeHitRecord(request.body, request.Header("User-Agent"), received, &reason);
  if (!hit) {
    queue_.CountRejection(received);
    return reply(TextResponse(400, reason));
  }
  queue_.Submit(std::move(*hit), [reply = std::move(reply)](SubmitOutcome outcome) {
    switch (outcome) {
      case SubmitOutcome::kStored: {
        Response stored;
        stored.status = 204;
        return reply(std::move(stored));
      }
      case SubmitOutcome::kRefused:
        return reply(Unavailable("the hit could not be stored"));
      case SubmitOutcome::kBusy:
        return reply(Unavailable("too many hits wait to be stored"));
    }
  });
}

bool Handler::Secure(const Request& request) const {
  if (options_.publicHttps) return true;
  for (const std::string& proxy : options_.trustedProxies) {
    if (proxy == request.peer) {
      std::string proto = request.Header("X-Forwarded-Proto");
      return proto == "https" || proto == "HTTPS";
    }
  }
  return false;
}

bool Handler::Admitted(const Request& request, Response& denied) {
  std::string token;
  {
    std::lock_guard lock(mutex_);
    token = token_;
  }
  if (token.empty()) return true;
  if (request.HasQuery("token")) {
    if (SameToken(request.Query("token"), token)) {
      // The address without the token, so it stays out of the history.
      std::string rest = QueryWithout(request.target, "token");
      denied = TextResponse(303, "see the same address without the token");
      denied.headers.emplace_back("Location", request.Path() + (rest.empty() ? "" : "?" + rest));
      denied.headers.emplace_back("Set-Cookie", TokenCookie(token, Secure(request)));
      return false;
    }
  } else if (SameToken(BearerToken(request.Header("Authorization")), token) ||
             SameToken(CookieToken(request.Header("Cookie")), token)) {
    return true;
  }
  denied = TextResponse(401, "a valid token is needed: Authorization: Bearer TOKEN, or ?token=TOKEN");
  denied.headers.emplace_back("WWW-Authenticate", "Bearer");
  return false;
}

void Handler::Read(const Request& request, std::function<void(Response)> reply) {
  Filters filters;
  std::string reason;
  auto get = [&request](std::string_view name) { return request.Query(name); };
  if (!FiltersFromQuery(get, filters, &reason)) {
    Response bad = TextResponse(400, reason);
    Guard(bad);
    return reply(std::move(bad));
  }
  auto work = [this, path = request.Path(), filters, reply]() {
    Response response;
    try {
      auto lease = std::make_shared<ReaderPool::Lease>(readers_.Acquire());
      if (path == "/") {
        response.headers.emplace_back("Content-Type", "text/html; charset=utf-8");
        response.body = RenderDashboard((*lease)->Summarize(filters), filters);
      } else if (path == "/api/summary") {
        response.headers.emplace_back("Content-Type", "application/json");
        response.body = SummaryJson((*lease)->Summarize(filters)) + "\n";
      } else {
        bool hits = path == "/export/hits.csv";
        response.headers.emplace_back("Content-Type", "text/csv; charset=utf-8");
        response.headers.emplace_back("Content-Disposition", hits ? "attachment; filename=\"hits.csv\""
                                                                  : "attachment; filename=\"sessions.csv\"");
        response.stream = [lease, filters, hits](const BodyWriter& write) {
          struct ClientGone {};
          std::string buffer;
          auto row = [&](const std::vector<std::string>& cells) {
            buffer += CsvRow(cells);
            if (buffer.size() >= kStreamPiece) {
              if (!write(buffer)) throw ClientGone{};
              buffer.clear();
            }
          };
          try {
            hits ? (*lease)->ExportHits(filters, row) : (*lease)->ExportSessions(filters, row);
            return buffer.empty() || write(buffer);
          } catch (const ClientGone&) {
          } catch (const std::exception&) {
          }
          return false;
        };
      }
    } catch (const std::exception&) {
      response = Unavailable("the database is not available");
    }
    Guard(response);
    reply(std::move(response));
  };
  {
    std::lock_guard lock(mutex_);
    if (reads_.size() < options_.readBacklog && !stopping_) {
      reads_.push_back(std::move(work));
      readable_.notify_one();
      return;
    }
  }
  Response busy = Unavailable("too many reads at once");
  Guard(busy);
  reply(std::move(busy));
}

void Handler::ReadLoop() {
  for (;;) {
    std::function<void()> work;
    {
      std::unique_lock lock(mutex_);
      readable_.wait(lock, [this] { return stopping_ || !reads_.empty(); });
      if (reads_.empty()) return;
      work = std::move(reads_.front());
      reads_.pop_front();
    }
    work();
  }
}

}  // namespace collector
