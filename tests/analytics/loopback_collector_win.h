#pragma once
// A collection endpoint on 127.0.0.1 for the tests that run the library's
// exports under Windows: records every request (method, path, headers,
// body) and answers 200, or holds every connection without answering.

#include <winsock2.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace plumeta::testing {

struct RecordedRequest {
  std::string method;
  std::string path;
  std::map<std::string, std::string> headers;  // names in lower case
  std::string body;
};

class LoopbackCollector {
 public:
  enum class Mode { kAnswer, kSilent };
  explicit LoopbackCollector(Mode mode = Mode::kAnswer);
  ~LoopbackCollector();
  LoopbackCollector(const LoopbackCollector&) = delete;
  LoopbackCollector& operator=(const LoopbackCollector&) = delete;

  // "http://127.0.0.1:<port>"
  std::wstring Url() const;
  std::vector<RecordedRequest> Requests();

 private:
  void Serve();
  void Answer(SOCKET client);

  Mode mode_;
  SOCKET listener_ = INVALID_SOCKET;
  unsigned short port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<RecordedRequest> requests_;
  std::vector<SOCKET> held_;
  std::thread thread_;
};

// A loopback port that nothing listens on.
unsigned short ClosedLoopbackPort();

}  // namespace plumeta::testing
