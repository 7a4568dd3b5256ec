// Load and data for the collector's benchmarks (figures in docs/benchmarks.md,
// run by scripts/bench_collector.sh).
//
//   collector_load ingest --port P [--connections C] [--seconds S] [--rate R]
//       posts real hit bodies, installation after installation, on C
//       keep-alive connections, as fast as answered or at R hits per second
//       in all; prints the rate and the answer times (measured from when
//       each request was due, so a stall is not hidden)
//   collector_load seed --db URL --hits N
//       stores N hits of realistic installations straight into the store
//   collector_load get --port P --path PATH [--runs N] [--token T]
//       times N requests of PATH
//   collector_load yardstick [--port P]
//       serves on the collector's own HTTP layer with a handler that does
//       nothing but answer 204: what the collector is measured against

#include <algorithm>
#include <utility>  // before Asio, whose headers of this version need it

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "collector/form_decoder.h"
#include "collector/server.h"
#include "collector/store.h"

namespace {

using namespace collector;
using Clock = std::chrono::steady_clock;
namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;

// One kept-alive loopback connection, opened again after an error.
class Client {
 public:
  explicit Client(int port) : port_(port) {}
  // The status, or -1 when there was no answer; `body` gets the answer's body.
  int Send(http::verb verb, const std::string& target, const std::vector<std::pair<std::string, std::string>>& headers,
           const std::string& payload, std::string* body = nullptr) {
    http::request<http::string_body> request(verb, target, 11);
    request.set(http::field::host, "127.0.0.1");
    for (const auto& [name, value] : headers) request.set(name, value);
    request.body() = payload;
    if (verb == http::verb::post || !payload.empty()) request.prepare_payload();
    for (int attempt = 0; attempt < 2; ++attempt) {
      beast::error_code ec;
      if (!stream_) {
        stream_.emplace(io_);
        stream_->connect(net::ip::tcp::endpoint(net::ip::address_v4::loopback(), static_cast<unsigned short>(port_)), ec);
        if (!ec) stream_->socket().set_option(net::ip::tcp::no_delay(true), ec);
      }
      http::response_parser<http::string_body> parser;
      parser.body_limit(boost::none);
      if (!ec) http::write(*stream_, request, ec);
      if (!ec) http::read(*stream_, buffer_, parser, ec);
      if (!ec) {
        if (!parser.get().keep_alive()) stream_.reset();
        if (body) *body = std::move(parser.get().body());
        return parser.get().result_int();
      }
      stream_.reset();
      buffer_.clear();
    }
    return -1;
  }

 private:
  int port_;
  net::io_context io_;
  std::optional<beast::tcp_stream> stream_;
  beast::flat_buffer buffer_;
};

constexpr const char* kAgent = "OrvexAnalytics/1.0 (Microsoft Windows NT 10.0.19045 ; x64)";

std::string Arg(int argc, char** argv, const char* name, const char* fallback) {
  for (int i = 2; i + 1 < argc; ++i) {
    if (std::string(argv[i]) == name) return argv[i + 1];
  }
  return fallback;
}

std::string Guid(std::mt19937_64& random) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%04X-%012llX}", static_cast<unsigned>(random()),
                static_cast<unsigned>(random() & 0xFFFF), static_cast<unsigned>(random() & 0xFFFF),
                static_cast<unsigned>(random() & 0xFFFF),
                static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFULL));
  return text;
}

std::string ClientId(int machine) {
  char text[48];
  std::snprintf(text, sizeof text, "%08X%032X", static_cast<unsigned>(machine * 2654435761u), 0);
  return std::string(text).substr(0, 40);
}

// The fields of one installation's hits, in the order the library sends them.
std::vector<std::vector<std::pair<std::string, std::string>>> Installation(std::mt19937_64& random) {
  static const char* kVersions[] = {"6.0.0", "6.0.1", "6.1.0", "6.1.0", "6.1.0"};
  static const char* kLanguages[] = {"en-US", "de-DE", "fr-FR", "it-IT", "es-ES", "pt-BR"};
  static const char* kScreens[] = {"1920x1080", "1366x768", "2560x1440", "1280x1024"};
  static const char* kDialogs[] = {"WelcomeDlg", "LicenseAgreementDlg", "CustomizeDlg", "VerifyReadyDlg"};
  std::vector<std::vector<std::pair<std::string, std::string>>> hits;
  int roll = static_cast<int>(random() % 100);
  auto property = [&](const char* label, std::string value) {
    hits.push_back({{"t", "property"}, {"lb", label}, {"val", std::move(value)}});
  };
  hits.push_back({{"t", "lifecycle"}, {"lc", "start"}});
  hits.push_back({{"t", "screenview"}, {"lb", kDialogs[0]}});
  property("VersionNT", "603");
  property("VersionNT64", "603");
  property("PhysicalMemory", std::to_string(4096 << (random() % 4)));
  property("VersionMsi", "5.00");
  property("UILevel", "5");
  property("MsiNTProductType", "1");
  property("ProductLanguage", "1033");
  property("ScreenResolution", kScreens[random() % 4]);
  property("UserLanguage", kLanguages[random() % 6]);
  property("DpiScale", random() % 3 ? "96" : "144");
  hits.push_back({{"t", "installtype"},
                  {"val", roll < 80   ? "install"
                          : roll < 90 ? "maintenance"
                                      : "uninstall"}});
  property("INSTALLLEVEL", "1");
  property("ADDLOCAL", random() % 2 ? "Main,Docs" : "Main");
  if (random() % 4 == 0) property("OX_MISSING_PREREQS", "VCRedist2015");
  std::size_t dialogs = 1 + random() % 3;
  for (std::size_t d = 1; d <= dialogs; ++d) hits.push_back({{"t", "screenview"}, {"lb", kDialogs[d]}});
  if (roll < 85) {
    hits.push_back({{"t", "lifecycle"}, {"lc", "end"}, {"ls", "success"}});
  } else if (roll < 95) {
    hits.push_back({{"t", "lifecycle"}, {"lc", "end"}, {"ls", "user abort"}});
  } else if (roll < 99) {
    hits.push_back({{"t", "exception"},
                    {"exd", "InstallFiles"},
                    {"exdt", "Error 1310. Error writing to file: C:\\Program Files\\Vorsant\\vorsant.exe"},
                    {"exf", "1"}});
    hits.push_back({{"t", "lifecycle"}, {"lc", "end"}, {"ls", "fatal error"}});
  }
  for (auto& hit : hits) hit.insert(hit.begin() + 1, {"av", kVersions[random() % 5]});
  return hits;
}

std::string Body(const std::string& sid, const std::string& cid,
                 const std::vector<std::pair<std::string, std::string>>& f, int queueMs) {
  std::string body = "v=2&aid=Vorsant&cid=" + cid + "&sid=" + sid + "&qt=" + std::to_string(queueMs);
  for (const auto& [key, value] : f) body += "&" + key + "=" + EncodeFormText(value);
  return body;
}

int Ingest(int argc, char** argv) {
  const int port = std::stoi(Arg(argc, argv, "--port", "8080"));
  const int connections = std::stoi(Arg(argc, argv, "--connections", "32"));
  const double seconds = std::stod(Arg(argc, argv, "--seconds", "10"));
  const double rate = std::stod(Arg(argc, argv, "--rate", "0"));
  std::atomic<long> ok{0}, other{0};
  std::vector<std::vector<double>> latencies(static_cast<std::size_t>(connections));
  const auto start = Clock::now();
  const auto end =
      start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  std::vector<std::thread> threads;
  for (int c = 0; c < connections; ++c) {
    threads.emplace_back([&, c] {
      std::mt19937_64 random(static_cast<std::uint64_t>(c) * 7919 + 1);
      Client client(port);
      const std::vector<std::pair<std::string, std::string>> headers = {
          {"User-Agent", kAgent}, {"Content-Type", "application/x-www-form-urlencoded; charset=utf-8"}};
      const auto interval =
          rate > 0 ? std::chrono::duration<double>(connections / rate) : std::chrono::duration<double>(0);
      auto due = start + std::chrono::duration_cast<Clock::duration>(interval *
                                                                     (static_cast<double>(c) / connections));
      while (true) {
        const std::string sid = Guid(random), cid = ClientId(static_cast<int>(random() % 5000));
        for (const auto& fields : Installation(random)) {
          if (rate > 0) std::this_thread::sleep_until(due);
          const auto sent = rate > 0 ? due : Clock::now();
          if (sent >= end) return;
          const int status = client.Send(http::verb::post, "/", headers, Body(sid, cid, fields, 5));
          const auto done = Clock::now();
          (status == 204 ? ok : other)++;
          latencies[static_cast<std::size_t>(c)].push_back(
              std::chrono::duration<double, std::milli>(done - sent).count());
          due += std::chrono::duration_cast<Clock::duration>(interval);
        }
      }
    });
  }
  for (auto& t : threads) t.join();
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  std::vector<double> all;
  for (auto& l : latencies) all.insert(all.end(), l.begin(), l.end());
  std::sort(all.begin(), all.end());
  auto pct = [&](double p) {
    return all.empty() ? 0.0 : all[std::min(all.size() - 1, static_cast<std::size_t>(p * all.size()))];
  };
  std::printf(
      "answered 204: %ld, other: %ld, %.0f hits/s over %.1f s; answer ms p50 %.2f p99 %.2f max %.2f\n",
      ok.load(), other.load(), ok.load() / elapsed, elapsed, pct(0.5), pct(0.99),
      all.empty() ? 0.0 : all.back());
  return other.load() == 0 ? 0 : 1;
}

int Seed(int argc, char** argv) {
  const long total = std::stol(Arg(argc, argv, "--hits", "1000000"));
  Store store(OpenSqlConnection(Arg(argc, argv, "--db", "sqlite:plumeta.db")));
  std::mt19937_64 random(42);
  const std::int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
  std::vector<HitRecord> batch;
  long stored = 0;
  while (stored < total) {
    const std::string sid = Guid(random), cid = ClientId(static_cast<int>(random() % 20000));
    // Spread over the last 90 days.
    const std::int64_t received = now - static_cast<std::int64_t>(random() % (90LL * 86'400'000));
    int queue = 2000;
    for (const auto& fields : Installation(random)) {
      std::string reason;
      auto hit = MakeHitRecord(Body(sid, cid, fields, queue), kAgent, received, &reason);
      queue -= 50;
      if (!hit) {
        std::fprintf(stderr, "seed: %s\n", reason.c_str());
        return 1;
      }
      batch.push_back(std::move(*hit));
      if (++stored == total) break;
    }
    if (batch.size() >= 5000 || stored == total) {
      store.Insert(batch);
      batch.clear();
    }
  }
  std::printf("stored %ld hits\n", stored);
  return 0;
}

int Get(int argc, char** argv) {
  const int port = std::stoi(Arg(argc, argv, "--port", "8080"));
  const int runs = std::stoi(Arg(argc, argv, "--runs", "5"));
  const std::string path = Arg(argc, argv, "--path", "/api/summary");
  const std::string token = Arg(argc, argv, "--token", "");
  Client client(port);
  std::vector<std::pair<std::string, std::string>> headers;
  if (!token.empty()) headers.emplace_back("Authorization", "Bearer " + token);
  std::vector<double> times;
  std::size_t bytes = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    std::string body;
    const int status = client.Send(http::verb::get, path, headers, "", &body);
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    if (status != 200) {
      std::fprintf(stderr, "get: %s failed (%d)\n", path.c_str(), status);
      return 1;
    }
    bytes = body.size();
  }
  std::sort(times.begin(), times.end());
  std::printf("%s: %zu bytes; ms min %.1f median %.1f max %.1f over %d runs\n", path.c_str(), bytes,
              times.front(), times[times.size() / 2], times.back(), runs);
  return 0;
}

// Answers 204 to everything at once, on the network thread.
class NothingService : public HttpService {
 public:
  void Handle(Request, std::function<void(Response)> reply) override {
    Response response;
    response.status = 204;
    reply(std::move(response));
  }
};

int Yardstick(int argc, char** argv) {
  NothingService service;
  HttpServer server(service);
  const int port = server.Bind("127.0.0.1", std::stoi(Arg(argc, argv, "--port", "0")));
  if (port < 0) return 1;
  std::printf("yardstick: listening on http://127.0.0.1:%d\n", port);
  std::fflush(stdout);
  net::io_context signals;
  net::signal_set stop(signals, SIGINT, SIGTERM);
  stop.async_wait([&](beast::error_code, int) { server.Stop(); });
  std::thread waiter([&] { signals.run(); });
  server.Run();
  signals.stop();
  waiter.join();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "ingest") return Ingest(argc, argv);
  if (command == "seed") return Seed(argc, argv);
  if (command == "get") return Get(argc, argv);
  if (command == "yardstick") return Yardstick(argc, argv);
  std::fprintf(stderr, "usage: collector_load ingest|seed|get|yardstick ...\n");
  return 2;
}
