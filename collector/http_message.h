#pragma once
// A request and its answer as the collector's handler sees them, with no
// socket: the HTTP layer fills a Request, the handler answers a Response.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace collector {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct Request {
  std::string method;  // "GET", "POST", ...
  std::string target;  // path and query, as sent: "/api/summary?app=X"
  HeaderList headers;
  std::string body;
  std::string peer;  // the client's address, "127.0.0.1" or "::1"
  // The body was longer than the HTTP layer takes; `body` is empty.
  bool bodyTooLarge = false;

  // The first header named `name` (in any case); empty when absent.
  std::string Header(std::string_view name) const;
  std::string Path() const;
  // The query parameter `name`, percent-decoded ("+" is a blank); empty when absent.
  std::string Query(std::string_view name) const;
  bool HasQuery(std::string_view name) const;
};

// Writes one piece of a streamed body; false once the client is gone.
using BodyWriter = std::function<bool(std::string_view)>;

struct Response {
  int status = 200;
  HeaderList headers;
  std::string body;
  // When set, the body is produced by this call, piece by piece, on the
  // thread that answered (never a network thread), instead of `body`; false
  // when it could not be produced whole (the answer is then cut off).
  std::function<bool(const BodyWriter&)> stream;

  std::string Header(std::string_view name) const;
};

Response TextResponse(int status, std::string_view text);

// The query of `target` without the parameter `name` ("" when nothing is left).
std::string QueryWithout(std::string_view target, std::string_view name);

// Answers one request; `reply` runs exactly once, on any thread.
class HttpService {
 public:
  virtual ~HttpService() = default;
  virtual void Handle(Request request, std::function<void(Response)> reply) = 0;
};

}  // namespace collector
