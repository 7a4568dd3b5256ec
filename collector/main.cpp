// plumeta-collector: receives the installer library's hits, stores them and
// shows what they say.
//
//   plumeta-collector serve [--listen HOST:PORT] [--db URL] [--token-file FILE] [--retain-days N]
//                           [--public-url URL] [--trusted-proxy ADDRESS]...
//   plumeta-collector token
//   plumeta-collector report [--db URL] [FILTERS] [--json]
//   plumeta-collector export hits|sessions [--db URL] [FILTERS] [-o FILE]
//   plumeta-collector import --from sqlite:OLD.db --db postgresql://...
//   FILTERS: --app ID --version V --since YYYY-MM-DD --until YYYY-MM-DD

#include <malloc.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "collector/access.h"
#include "collector/csv.h"
#include "collector/database_target.h"
#include "collector/filters.h"
#include "collector/handler.h"
#include "collector/ingest_queue.h"
#include "collector/reader_pool.h"
#include "collector/report_text.h"
#include "collector/server.h"
#include "collector/store.h"
#include "collector/store_claim.h"

namespace {

using namespace collector;

constexpr const char* kUsage = "usage: plumeta-collector serve|report|export|import|token ... (see --help)";
constexpr const char* kHelp = R"(plumeta-collector: receives the installer library's hits, stores them and
shows what they say.

  plumeta-collector serve [--listen HOST:PORT] [--db URL] [--token-file FILE]
                          [--retain-days N] [--public-url URL]
                          [--trusted-proxy ADDRESS]...
  plumeta-collector report [--db URL] [FILTERS] [--json]
  plumeta-collector export hits|sessions [--db URL] [FILTERS] [-o FILE]
  plumeta-collector import --from sqlite:OLD.db --db postgresql://...
                   copies a store into another database (stop the collectors
                   that write to it first); run again, it adds only what the
                   source gained since
  plumeta-collector token          prints a new random token
  plumeta-collector --help | --version

  --db sqlite:PATH or postgresql://USER@HOST/DB (the password from PGPASSFILE
       or ~/.pgpass, never on the command line); sqlite:plumeta.db by default
  --listen       127.0.0.1:8080 by default; any other address needs a token
  --token-file   the token (at least 16 characters) that guards the figures;
                 read again on SIGHUP
  --public-url   the address readers use, e.g. https://stats.example.org:
                 with https the token cookie is sent over HTTPS only
  --trusted-proxy  a reverse proxy's address: its X-Forwarded-Proto is
                 believed and its connections are not capped per address
  FILTERS: --app ID --version V --since YYYY-MM-DD --until YYYY-MM-DD

See docs/collector.md.
)";

#ifndef COLLECTOR_VERSION
#define COLLECTOR_VERSION "unknown"
#endif

// Stores that read at once (dashboard, figures, exports), each with a thread.
constexpr std::size_t kReaders = 2;

struct Misuse {
  std::string message;
};

struct Options {
  std::string command, exportWhat;
  std::string listen = "127.0.0.1:8080";
  std::string db = "sqlite:plumeta.db";
  std::string tokenFile, output, publicUrl, from;
  std::vector<std::string> trustedProxies;
  int retainDays = 400;
  bool json = false;
  Filters filters;
};

Options ParseArguments(int argc, char** argv) {
  if (argc < 2) throw Misuse{kUsage};
  Options o;
  o.command = argv[1];
  if (o.command == "--help" || o.command == "-h" || o.command == "--version" || o.command == "token") {
    if (argc > 2) throw Misuse{o.command + " takes no arguments"};
    return o;
  }
  if (o.command != "serve" && o.command != "report" && o.command != "export" && o.command != "import") {
    throw Misuse{"unknown command " + o.command + "; " + kUsage};
  }
  int i = 2;
  if (o.command == "export") {
    if (argc < 3 || (std::string(argv[2]) != "hits" && std::string(argv[2]) != "sessions")) {
      throw Misuse{"export needs \"hits\" or \"sessions\""};
    }
    o.exportWhat = argv[2];
    i = 3;
  }
  auto value = [&](const std::string& option) -> std::string {
    if (i + 1 >= argc) throw Misuse{option + " needs a value"};
    return argv[++i];
  };
  for (; i < argc; ++i) {
    std::string arg = argv[i];
    bool serve = o.command == "serve";
    if (arg == "--db") {
      o.db = value(arg);
      if (!IsDatabaseUrl(o.db)) throw Misuse{"--db must be sqlite:PATH or postgresql://..., not " + o.db};
    } else if (serve && arg == "--listen") {
      o.listen = value(arg);
    } else if (serve && arg == "--token-file") {
      o.tokenFile = value(arg);
    } else if (serve && arg == "--public-url") {
      o.publicUrl = value(arg);
      if (!o.publicUrl.starts_with("https://") && !o.publicUrl.starts_with("http://")) {
        throw Misuse{"--public-url must be an http:// or https:// address, not " + o.publicUrl};
      }
    } else if (serve && arg == "--trusted-proxy") {
      o.trustedProxies.push_back(value(arg));
    } else if (serve && arg == "--retain-days") {
      std::string text = value(arg);
      auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), o.retainDays);
      if (ec != std::errc() || end != text.data() + text.size() || o.retainDays < 1) {
        throw Misuse{"--retain-days must be a whole number of days, at least 1"};
      }
    } else if (!serve && o.command != "import" && (arg == "--app" || arg == "--version" || arg == "--since" || arg == "--until")) {
      std::string reason;
      if (!SetFilter(o.filters, arg.substr(2), value(arg), &reason)) throw Misuse{reason};
    } else if (o.command == "report" && arg == "--json") {
      o.json = true;
    } else if (o.command == "import" && arg == "--from") {
      o.from = value(arg);
      if (!IsDatabaseUrl(o.from)) throw Misuse{"--from must be sqlite:PATH or postgresql://..., not " + o.from};
    } else if (o.command == "export" && (arg == "-o" || arg == "--output")) {
      o.output = value(arg);
    } else {
      throw Misuse{"unknown option " + arg + " for " + o.command};
    }
  }
  return o;
}

// HOST:PORT, the host possibly in brackets.
bool SplitListen(const std::string& listen, std::string& host, int& port) {
  std::size_t colon = listen.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  host = listen.substr(0, colon);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  std::string text = listen.substr(colon + 1);
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
  return ec == std::errc() && end == text.data() + text.size() && port >= 0 && port <= 65535 && !text.empty();
}

std::string ReadToken(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw Misuse{"cannot read the token file " + path};
  std::stringstream content;
  content << file.rdbuf();
  std::string token = content.str();
  while (!token.empty() && (token.back() == '\n' || token.back() == '\r' || token.back() == ' '))
    token.pop_back();
  if (token.empty()) throw Misuse{"the token file " + path + " is empty"};
  std::string problem = TokenProblem(token);
  if (!problem.empty()) throw Misuse{problem + ", in " + path};
  return token;
}

// Descriptors the collector needs besides its connections: the listening
// sockets, the database's files and connections, the log, eventfds.
constexpr rlim_t kSpareDescriptors = 128;

// Raises the soft limit on open files to the hard one (outside systemd it is
// often 1024, below the connection cap) and returns how many connections
// fit under it.
std::size_t ConnectionsUnderDescriptorLimit(std::size_t wanted) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return wanted;
  if (limit.rlim_cur < limit.rlim_max) {
    rlimit raised = limit;
    raised.rlim_cur = limit.rlim_max;
    if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
  }
  if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= wanted + kSpareDescriptors) return wanted;
  std::size_t fit = limit.rlim_cur > 2 * kSpareDescriptors ? limit.rlim_cur - kSpareDescriptors : limit.rlim_cur / 2;
  std::fprintf(stderr, "plumeta-collector: at most %zu connections at once: the limit on open files is %llu\n", fit,
               static_cast<unsigned long long>(limit.rlim_cur));
  return fit;
}

std::unique_ptr<Store> OpenStore(const std::string& url, bool migrate) {
  return std::make_unique<Store>(OpenSqlConnection(url), migrate);
}

int Serve(const Options& o) {
  std::string host;
  int port = 0;
  if (!SplitListen(o.listen, host, port)) throw Misuse{"--listen must be HOST:PORT, not " + o.listen};
  std::string token = o.tokenFile.empty() ? std::string() : ReadToken(o.tokenFile);

  // The signals are taken by one thread with sigwait; every other thread
  // inherits the block.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  // Few threads allocate, but each would keep a malloc arena as large as
  // the largest summary it ever built.
  mallopt(M_ARENA_MAX, 2);

  // Created or migrated once here. One writer on either database: on
  // PostgreSQL, several writers committing at once made smaller commits
  // that each waited for a disk flush of their own (see docs/benchmarks.md).
  // An import under way is waited for by no one: the collector refuses to
  // start. On SQLite the claim is the process's, kept until every
  // connection has closed; on PostgreSQL the writer's connection holds it,
  // and takes it again when it reconnects.
  std::unique_ptr<StoreClaim> claim;
  {
    std::unique_ptr<Store> first = OpenStore(o.db, true);
    claim = StoreClaim::TryTake(first->connection(), StoreClaim::Kind::kServing);
    if (!claim) {
      std::fprintf(stderr, "plumeta-collector: an import into %s is under way; start the collector once it is done\n",
                   DescribeDatabase(o.db).c_str());
      return 1;
    }
  }
  const bool postgres = !o.db.starts_with("sqlite:");
  IngestQueue queue(
      [url = o.db, postgres] {
        std::unique_ptr<Store> store = OpenStore(url, false);
        if (postgres && !StoreClaim::TryTake(store->connection(), StoreClaim::Kind::kServing))
          throw SqlError("an import into the database is under way");
        return store;
      },
      {.retainDays = o.retainDays});
  ReaderPool readers([url = o.db] { return OpenStore(url, false); }, kReaders);
  HandlerOptions handling;
  handling.token = token;
  handling.publicHttps = o.publicUrl.starts_with("https://");
  handling.trustedProxies = o.trustedProxies;
  handling.readThreads = kReaders;
  Handler handler(handling, queue, readers);
  ServerLimits limits;
  limits.uncappedAddresses = o.trustedProxies;
  limits.connections = ConnectionsUnderDescriptorLimit(limits.connections);
  HttpServer server(handler, limits);
  std::string error;
  // Without a token only a loopback address is bound.
  int bound = server.Bind(host, port, &error, token.empty());
  if (bound == HttpServer::kNotLoopback) {
    throw Misuse{"listening on " + host + " needs --token-file: the figures would be open to everyone (" + error +
                 ")"};
  }
  if (bound < 0) {
    std::fprintf(stderr, "plumeta-collector: %s\n", error.c_str());
    return 1;
  }
  std::thread signalThread([&] {
    for (;;) {
      int received = 0;
      sigwait(&signals, &received);
      if (received != SIGHUP) break;
      if (o.tokenFile.empty()) continue;
      try {
        handler.SetToken(ReadToken(o.tokenFile));
        std::fprintf(stderr, "plumeta-collector: token read again from %s\n", o.tokenFile.c_str());
      } catch (const Misuse& m) {
        std::fprintf(stderr, "plumeta-collector: %s; the token stays as it was\n", m.message.c_str());
      }
    }
    server.Stop();
  });
  std::string shownHost = host.find(':') != std::string::npos ? "[" + host + "]" : host;
  std::printf("plumeta-collector: listening on http://%s:%d, storing in %s\n", shownHost.c_str(), bound,
              DescribeDatabase(o.db).c_str());
  std::fflush(stdout);
  server.Run();
  // Run also returns when the server stops for another reason; wake the
  // signal thread so it can be joined.
  pthread_kill(signalThread.native_handle(), SIGTERM);
  signalThread.join();
  queue.Stop();
  return 0;
}

// The commands that only read open the database read-only: a mistyped
// path or a file that is not the collector's is refused, never created,
// migrated or switched to another journal.
std::unique_ptr<Store> OpenForReading(const std::string& url) {
  return std::make_unique<Store>(OpenSqlConnection(url, OpenMode::kReadOnly), false);
}

int Report(const Options& o) {
  Summary summary = OpenForReading(o.db)->Summarize(o.filters);
  std::cout << (o.json ? SummaryJson(summary) + "\n" : RenderReport(summary));
  return 0;
}

int Export(const Options& o) {
  std::unique_ptr<Store> store = OpenForReading(o.db);
  std::ofstream file;
  if (!o.output.empty()) {
    file.open(o.output, std::ios::binary | std::ios::trunc);
    if (!file) {
      std::fprintf(stderr, "plumeta-collector: cannot write %s\n", o.output.c_str());
      return 1;
    }
  }
  std::ostream& out = o.output.empty() ? std::cout : file;
  // On a terminal the cells are shown, their control characters escaped;
  // a file or a pipe gets them as stored.
  bool terminal = o.output.empty() && isatty(STDOUT_FILENO);
  auto row = [&](const std::vector<std::string>& cells) {
    if (!terminal) {
      out << CsvRow(cells);
      return;
    }
    std::vector<std::string> shown;
    for (const std::string& cell : cells) shown.push_back(TerminalText(cell));
    out << CsvRow(shown);
  };
  o.exportWhat == "hits" ? store->ExportHits(o.filters, row) : store->ExportSessions(o.filters, row);
  out.flush();
  if (!out) {
    std::fprintf(stderr, "plumeta-collector: writing the export failed\n");
    return 1;
  }
  return 0;
}

int Import(const Options& o) {
  if (o.from.empty()) throw Misuse{"import needs --from URL, the database to copy"};
  std::unique_ptr<Store> source;
  try {
    source = OpenForReading(o.from);
  } catch (const SqlError& e) {
    std::fprintf(stderr, "plumeta-collector: cannot read %s: %s\n", DescribeDatabase(o.from).c_str(), e.what());
    return 1;
  }
  std::unique_ptr<SqlConnection> connection = OpenSqlConnection(o.db);
  // The same database under two names would copy every hit onto itself.
  if (source->connection().Identity() == connection->Identity()) {
    throw Misuse{"import needs two different databases: " + DescribeDatabase(o.from) + " is " +
                 DescribeDatabase(o.db)};
  }
  // Declared before the store, so that it is released after the store's
  // connection has closed.
  std::unique_ptr<StoreClaim> claim = StoreClaim::TryTake(*connection, StoreClaim::Kind::kImporting);
  if (!claim) {
    std::fprintf(stderr, "plumeta-collector: a collector is writing to %s; stop it before importing into it\n",
                 DescribeDatabase(o.db).c_str());
    return 1;
  }
  Store target(std::move(connection), true);
  std::int64_t hits = target.ImportFrom(*source);
  std::printf("plumeta-collector: copied %lld hits from %s to %s%s\n", static_cast<long long>(hits),
              source->connection().Describe().c_str(), target.connection().Describe().c_str(),
              hits == 0 ? " (the target held them all already)" : "");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  try {
    options = ParseArguments(argc, argv);
  } catch (const Misuse& m) {
    std::fprintf(stderr, "plumeta-collector: %s\n", m.message.c_str());
    return 2;
  }
  if (options.command == "--help" || options.command == "-h") {
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (options.command == "--version") {
    std::printf("plumeta-collector %s\n", COLLECTOR_VERSION);
    return 0;
  }
  try {
    if (options.command == "token") {
      std::printf("%s\n", NewToken().c_str());
      return 0;
    }
    if (options.command == "serve") return Serve(options);
    if (options.command == "report") return Report(options);
    if (options.command == "import") return Import(options);
    return Export(options);
  } catch (const Misuse& m) {
    std::fprintf(stderr, "plumeta-collector: %s\n", m.message.c_str());
    return 2;
  } catch (const SqlError& e) {
    std::fprintf(stderr, "plumeta-collector: cannot use the database %s: %s\n", DescribeDatabase(options.db).c_str(),
                 e.what());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "plumeta-collector: %s\n", e.what());
    return 1;
  }
}
