#pragma once
// The collector's HTTP layer, over Boost.Beast: asynchronous, so an idle
// or slow connection costs a socket and a few kilobytes, never a thread.
// Every request is handed whole to an HttpService; the layer itself only
// refuses what it cannot read:
//   431  request head, chunk extensions and trailer larger than the header
//        limit together
//   400  a request it cannot parse (conflicting Content-Length among
//        others), or one with trailer fields, which nothing here reads
//   501  a transfer coding other than "chunked"
// A body larger than the body limit is handed on with bodyTooLarge set.
// A request must arrive whole within the request deadline, a kept-alive
// connection may idle for the idle timeout; connections beyond the caps
// are closed at once.

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "collector/hit_record.h"
#include "collector/http_message.h"

namespace collector {

class Connection;

struct ServerLimits {
  std::chrono::milliseconds requestDeadline{10'000};  // head and body, from the first byte
  std::chrono::milliseconds idleTimeout{5'000};       // between requests on one connection
  std::chrono::milliseconds writeDeadline{30'000};    // for each piece of an answer
  std::size_t headerBytes = kHeadLimitBytes;  // request line, headers, chunk extensions, trailer
  std::size_t bodyBytes = kMaxBodyBytes;
  std::size_t connections = 4096;
  std::size_t connectionsPerAddress = 64;
  // Addresses not held to the per-address cap: a reverse proxy in front.
  std::vector<std::string> uncappedAddresses;
  int threads = 2;
};

class HttpServer {
 public:
  HttpServer(HttpService& service, ServerLimits limits = {});
  // Only once Run has returned: closes what connections are left and frees them.
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // The numeric addresses a host name stands for, first the one to bind;
  // empty with a reason in `error` when it stands for none.
  using Resolver = std::function<std::vector<std::string>(const std::string& host, std::string* error)>;
  // The system's resolver unless set (tests give names addresses of their own).
  void SetResolver(Resolver resolver);

  // Binds the first address HOST resolves to, on PORT (0 picks a free
  // one): the port bound, or -1 with a reason in `error`. With
  // `loopbackOnly`, an address outside 127.0.0.0/8 and ::1 (0.0.0.0 among
  // them) is never bound: kNotLoopback. The check is on the address, not
  // on the name: "127.example.org" may resolve anywhere.
  static constexpr int kNotLoopback = -2;
  int Bind(const std::string& host, int port, std::string* error = nullptr, bool loopbackOnly = false);
  // Whether the bound address is a loopback address (127.0.0.0/8, ::1).
  bool BoundToLoopback() const;
  // Serves until Stop(), on `threads` threads, the caller's among them.
  void Run();
  // Stops accepting and closes every connection that waits for a request;
  // requests already with the service are answered first. Safe from any thread.
  void Stop();

 private:
  friend class Connection;
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace collector
