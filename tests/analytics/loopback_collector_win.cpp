#include "loopback_collector_win.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cctype>

namespace plumeta::testing {
namespace {

struct WinsockUser {
  WinsockUser() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
  ~WinsockUser() { WSACleanup(); }
};

WinsockUser& Winsock() {
  static WinsockUser user;
  return user;
}

SOCKET BoundLoopbackSocket(unsigned short& port) {
  Winsock();
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int length = sizeof address;
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return s;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string Trim(const std::string& text) {
  std::size_t begin = text.find_first_not_of(" \t");
  std::size_t end = text.find_last_not_of(" \t\r");
  return begin == std::string::npos ? "" : text.substr(begin, end - begin + 1);
}

}  // namespace

LoopbackCollector::LoopbackCollector(Mode mode) : mode_(mode) {
  listener_ = BoundLoopbackSocket(port_);
  listen(listener_, 16);
  thread_ = std::thread([this] { Serve(); });
}

LoopbackCollector::~LoopbackCollector() {
  stop_ = true;
  thread_.join();
  closesocket(listener_);
  for (SOCKET s : held_) closesocket(s);
}

std::wstring LoopbackCollector::Url() const {
  return L"http://127.0.0.1:" + std::to_wstring(port_);
}

std::vector<RecordedRequest> LoopbackCollector::Requests() {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void LoopbackCollector::Serve() {
  while (!stop_) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(listener_, &readable);
    timeval wait{0, 100000};
    if (select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
    SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) continue;
    if (mode_ == Mode::kSilent) {
      held_.push_back(client);
      continue;
    }
    Answer(client);
    closesocket(client);
  }
}

void LoopbackCollector::Answer(SOCKET client) {
  DWORD limit = 5000;
  setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit);
  std::string data;
  char buffer[4096];
  std::size_t headerEnd;
  while ((headerEnd = data.find("\r\n\r\n")) == std::string::npos) {
    int got = recv(client, buffer, sizeof buffer, 0);
    if (got <= 0) return;
    data.append(buffer, got);
  }
  RecordedRequest request;
  std::string head = data.substr(0, headerEnd);
  std::size_t lineEnd = head.find("\r\n");
  std::string first = head.substr(0, lineEnd);
  std::size_t space = first.find(' ');
  request.method = first.substr(0, space);
  request.path = first.substr(space + 1, first.find(' ', space + 1) - space - 1);
  while (lineEnd != std::string::npos) {
    std::size_t next = head.find("\r\n", lineEnd + 2);
    std::string line =
        head.substr(lineEnd + 2, next == std::string::npos ? std::string::npos : next - lineEnd - 2);
    std::size_t colon = line.find(':');
    if (colon != std::string::npos)
      request.headers[Lower(Trim(line.substr(0, colon)))] = Trim(line.substr(colon + 1));
    lineEnd = next;
  }
  std::size_t length = 0;
  if (auto it = request.headers.find("content-length"); it != request.headers.end()) {
    length = std::stoul(it->second);
  }
  request.body = data.substr(headerEnd + 4);
  while (request.body.size() < length) {
    int got = recv(client, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    request.body.append(buffer, got);
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
  }
  static constexpr char kReply[] = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok";
  send(client, kReply, sizeof kReply - 1, 0);
  shutdown(client, SD_SEND);
}

unsigned short ClosedLoopbackPort() {
  unsigned short port = 0;
  closesocket(BoundLoopbackSocket(port));
  return port;
}

}  // namespace plumeta::testing
