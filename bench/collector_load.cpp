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

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "collector/form_decoder.h"
#include "collector/store.h"

namespace {

using namespace collector;
using Clock = std::chrono::steady_clock;

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
      httplib::Client client("127.0.0.1", port);
      client.set_keep_alive(true);
      client.set_tcp_nodelay(true);
      const httplib::Headers headers = {{"User-Agent", kAgent}};
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
          auto res = client.Post("/", headers, Body(sid, cid, fields, 5),
                                 "application/x-www-form-urlencoded; charset=utf-8");
          const auto done = Clock::now();
          (res && res->status == 204 ? ok : other)++;
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
  httplib::Client client("127.0.0.1", port);
  client.set_read_timeout(60);
  httplib::Headers headers;
  if (!token.empty()) headers.emplace("Authorization", "Bearer " + token);
  std::vector<double> times;
  std::size_t bytes = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    auto res = client.Get(path.c_str(), headers);
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    if (!res || res->status != 200) {
      std::fprintf(stderr, "get: %s failed\n", path.c_str());
      return 1;
    }
    bytes = res->body.size();
  }
  std::sort(times.begin(), times.end());
  std::printf("%s: %zu bytes; ms min %.1f median %.1f max %.1f over %d runs\n", path.c_str(), bytes,
              times.front(), times[times.size() / 2], times.back(), runs);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "ingest") return Ingest(argc, argv);
  if (command == "seed") return Seed(argc, argv);
  if (command == "get") return Get(argc, argv);
  std::fprintf(stderr, "usage: collector_load ingest|seed|get ...\n");
  return 2;
}
