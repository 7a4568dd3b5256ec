#include "collector/server.h"

#include <atomic>
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>

namespace collector {
namespace {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;

constexpr int kListenBacklog = 1024;
constexpr std::size_t kFirstRead = 4096;
const boost::system::error_category& kParseErrors = beast::error_code(http::error::bad_target).category();

}  // namespace

class Connection;

struct HttpServer::State : std::enable_shared_from_this<HttpServer::State> {
  State(HttpService& service, ServerLimits limits)
      : service(service), limits(std::move(limits)), io(this->limits.threads), acceptor(net::make_strand(io)) {}

  HttpService& service;
  ServerLimits limits;
  HttpServer::Resolver resolve;
  std::atomic<bool> stopping{false};

  // The open connections, for Stop() and the caps.
  std::mutex mutex;
  std::map<Connection*, std::weak_ptr<Connection>> open;
  std::unordered_map<std::string, std::size_t> perAddress;

  // Last, so the connections its handlers may still hold are released
  // while the members above exist.
  net::io_context io;
  tcp::acceptor acceptor;

  bool Admit(const std::string& address);
  void Release(Connection* connection, const std::string& address);
  void Accept();
};

namespace {

bool IsLoopback(const net::ip::address& address) {
  if (address.is_v6() && address.to_v6().is_v4_mapped()) {
    return net::ip::make_address_v4(net::ip::v4_mapped, address.to_v6()).is_loopback();
  }
  return address.is_loopback();
}

}  // namespace

// One client connection; every member but the reply path runs on its strand.
// It keeps the server's state alive: the service may hold its reply, and so
// the connection, a little past the server's end.
class Connection : public std::enable_shared_from_this<Connection> {
 public:
  // The buffer holds what is read but not yet parsed: a head, a chunk's
  // size line, a trailer. Bounded by the header limit, so that no part of
  // a request grows it further (the body is moved out as it is parsed).
  Connection(std::shared_ptr<HttpServer::State> state, tcp::socket socket, std::string peer)
      : state_(std::move(state)),
        stream_(std::move(socket)),
        peer_(std::move(peer)),
        buffer_(state_->limits.headerBytes) {}
  ~Connection() { state_->Release(this, peer_); }

  void Start() {
    net::dispatch(stream_.get_executor(), [self = shared_from_this()] { self->ReadRequest(); });
  }

  // Stop(): a connection waiting for a request closes now; one whose
  // request is with the service closes after its answer.
  void Stop() {
    net::dispatch(stream_.get_executor(), [self = shared_from_this()] {
      if (!self->busy_) self->stream_.socket().close();
    });
  }

  // Closes at once; only once no thread runs the io_context any more.
  void Abort() { Close(); }

 private:
  using Executor = net::io_context::executor_type;

  // A kept-alive connection first waits for a byte for at most the idle
  // time; the request deadline counts from there.
  void AwaitRequest() {
    if (state_->stopping) return Close();
    if (buffer_.size() > 0) return ReadRequest();
    stream_.expires_after(state_->limits.idleTimeout);
    stream_.async_read_some(buffer_.prepare(kFirstRead),
                            [self = shared_from_this()](beast::error_code ec, std::size_t n) {
                              if (ec) return self->Close();
                              self->buffer_.commit(n);
                              self->ReadRequest();
                            });
  }

  void ReadRequest() {
    if (state_->stopping) return Close();
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(state_->limits.headerBytes));
    parser_->body_limit(state_->limits.bodyBytes);
    stream_.expires_after(state_->limits.requestDeadline);
    http::async_read_header(stream_, buffer_, *parser_,
                            [self = shared_from_this()](beast::error_code ec, std::size_t head) {
                              self->OnHeader(ec, head);
                            });
  }

  // Only "chunked" is undone here; a body in any other coding could not be read.
  bool UnknownCoding() const {
    const auto& message = parser_->get();
    auto [first, last] = message.equal_range(http::field::transfer_encoding);
    if (first == last) return false;
    return std::next(first) != last || !beast::iequals(Trimmed(first->value()), "chunked");
  }

  static beast::string_view Trimmed(beast::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
  }

  void OnHeader(beast::error_code ec, std::size_t head) {
    if (ec) return OnRead(ec);
    if (UnknownCoding()) return Refuse(501, "transfer codings other than chunked are not accepted");
    // Chunk extensions share the head's limit with it.
    headRoom_ = state_->limits.headerBytes > head ? state_->limits.headerBytes - head : 0;
    headFields_ = std::distance(parser_->get().begin(), parser_->get().end());
    chunkHeader_ = [this](std::uint64_t, beast::string_view extensions, beast::error_code& ec) {
      if (extensions.size() > headRoom_) {
        ec = http::error::header_limit;
        return;
      }
      headRoom_ -= extensions.size();
    };
    parser_->on_chunk_header(chunkHeader_);
    // A client that asks first (curl does for larger bodies) is told to go on.
    if (beast::iequals(parser_->get()[http::field::expect], "100-continue")) {
      static const std::string kContinue = "HTTP/1.1 100 Continue\r\n\r\n";
      net::async_write(stream_, net::buffer(kContinue), [self = shared_from_this()](beast::error_code ec, std::size_t) {
        if (ec) return self->Close();
        self->ReadBody();
      });
      return;
    }
    ReadBody();
  }

  void ReadBody() {
    http::async_read(stream_, buffer_, *parser_, [self = shared_from_this()](beast::error_code ec, std::size_t) {
      self->OnRead(ec);
    });
  }

  void OnRead(beast::error_code ec) {
    // A head, chunk extensions or a trailer that outgrew the buffer.
    if (ec == http::error::header_limit || ec == http::error::buffer_overflow) {
      return Refuse(431, "request headers, chunk extensions and trailer larger than " +
                             KiBText(state_->limits.headerBytes));
    }
    // Raised once the head is read (Content-Length too large) or within the body.
    if (ec == http::error::body_limit) {
      Request request = MakeRequest();
      request.bodyTooLarge = true;
      keepAlive_ = false;  // the rest of the body is never read
      return Dispatch(std::move(request));
    }
    if (ec && ec.category() == kParseErrors && ec != http::error::end_of_stream && ec != http::error::partial_message) {
      return Refuse(400, "malformed request: " + ec.message());
    }
    if (ec) return Close();
    // A trailer's fields join the headers: a hit's trailer could otherwise
    // say what its head did not. Nothing here needs one.
    if (std::distance(parser_->get().begin(), parser_->get().end()) != headFields_) {
      return Refuse(400, "trailer fields are not accepted");
    }
    keepAlive_ = parser_->get().keep_alive();
    Request request = MakeRequest();
    request.body = std::move(parser_->get().body());
    Dispatch(std::move(request));
  }

  Request MakeRequest() {
    const auto& message = parser_->get();
    Request request;
    request.method = std::string(message.method_string());
    request.target = std::string(message.target());
    for (const auto& field : message) request.headers.emplace_back(field.name_string(), field.value());
    request.peer = peer_;
    return request;
  }

  void Dispatch(Request request) {
    busy_ = true;
    stream_.expires_never();
    // The io_context must not run out of work while the service answers.
    work_.emplace(state_->io.get_executor());
    state_->service.Handle(std::move(request),
                          [self = shared_from_this()](Response response) { self->Reply(std::move(response)); });
  }

  void Refuse(int status, std::string_view text) {
    keepAlive_ = false;
    busy_ = true;
    Write(TextResponse(status, text));
  }

  // Any thread. A streamed body is written from the calling thread, which
  // waits for each piece; the network threads never wait.
  void Reply(Response response) {
    if (response.stream) return Stream(std::move(response));
    net::post(stream_.get_executor(), [self = shared_from_this(), response = std::move(response)]() mutable {
      self->Write(std::move(response));
    });
  }

  template <typename Fields>
  void SetHeaders(Fields& message, const Response& response) {
    for (const auto& [name, value] : response.headers) message.insert(name, value);
    message.keep_alive(keepAlive_ && !state_->stopping);
  }

  void Write(Response response) {
    auto message = std::make_shared<http::response<http::string_body>>(static_cast<http::status>(response.status), 11);
    SetHeaders(*message, response);
    message->body() = std::move(response.body);
    message->prepare_payload();
    stream_.expires_after(state_->limits.writeDeadline);
    http::async_write(stream_, *message, [self = shared_from_this(), message](beast::error_code ec, std::size_t) {
      self->Written(ec, message->keep_alive());
    });
  }

  void Written(beast::error_code ec, bool keepAlive) {
    busy_ = false;
    work_.reset();
    if (ec || !keepAlive || state_->stopping) return Close();
    AwaitRequest();
  }

  // Runs `start(done)` on the strand and waits for done(ec); false on an error.
  template <typename Start>
  bool OnStrandAndWait(Start start) {
    auto done = std::make_shared<std::promise<beast::error_code>>();
    std::future<beast::error_code> result = done->get_future();
    net::post(stream_.get_executor(), [self = shared_from_this(), start, done]() mutable {
      self->stream_.expires_after(self->state_->limits.writeDeadline);
      start([done](beast::error_code ec) { done->set_value(ec); });
    });
    return !result.get();
  }

  void Stream(Response response) {
    auto head = std::make_shared<http::response<http::empty_body>>(static_cast<http::status>(response.status), 11);
    SetHeaders(*head, response);
    head->chunked(true);
    auto serializer = std::make_shared<http::response_serializer<http::empty_body>>(*head);
    bool ok = OnStrandAndWait([this, head, serializer](auto done) {
      http::async_write_header(stream_, *serializer, [head, serializer, done](beast::error_code ec, std::size_t) {
        done(ec);
      });
    });
    auto writer = [&](std::string_view piece) {
      if (!ok || state_->stopping) return ok = false;
      auto text = std::make_shared<std::string>(piece);
      return ok = OnStrandAndWait([this, text](auto done) {
               net::async_write(stream_, http::make_chunk(net::buffer(*text)),
                                [text, done](beast::error_code ec, std::size_t) { done(ec); });
             });
    };
    if (!response.stream(writer)) ok = false;
    if (ok) {
      ok = OnStrandAndWait([this](auto done) {
        net::async_write(stream_, http::make_chunk_last(), [done](beast::error_code ec, std::size_t) { done(ec); });
      });
    }
    bool keepAlive = ok && head->keep_alive();
    net::post(stream_.get_executor(), [self = shared_from_this(), ok, keepAlive] {
      self->Written(ok ? beast::error_code() : beast::error_code(net::error::operation_aborted), keepAlive);
    });
  }

  void Close() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream_.socket().close(ignored);
  }

  std::shared_ptr<HttpServer::State> state_;  // first, so the stream goes before the io_context
  beast::tcp_stream stream_;
  std::string peer_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  // What is left of the header limit for chunk extensions; the fields the
  // head brought.
  std::size_t headRoom_ = 0;
  std::ptrdiff_t headFields_ = 0;
  std::function<void(std::uint64_t, beast::string_view, beast::error_code&)> chunkHeader_;
  std::optional<net::executor_work_guard<Executor>> work_;
  bool busy_ = false;
  bool keepAlive_ = true;
};

bool HttpServer::State::Admit(const std::string& address) {
  std::lock_guard lock(mutex);
  if (open.size() >= limits.connections) return false;
  bool capped = std::find(limits.uncappedAddresses.begin(), limits.uncappedAddresses.end(), address) ==
                limits.uncappedAddresses.end();
  std::size_t& count = perAddress[address];
  if (capped && count >= limits.connectionsPerAddress) return false;
  ++count;
  return true;
}

void HttpServer::State::Release(Connection* connection, const std::string& address) {
  std::lock_guard lock(mutex);
  open.erase(connection);
  auto it = perAddress.find(address);
  if (it != perAddress.end() && --it->second == 0) perAddress.erase(it);
}

void HttpServer::State::Accept() {
  acceptor.async_accept(net::make_strand(io), [this](beast::error_code ec, tcp::socket socket) {
    if (stopping) return;
    if (ec) {
      // Out of descriptors, say: try again shortly rather than spin.
      auto timer = std::make_shared<net::steady_timer>(io, std::chrono::milliseconds(50));
      timer->async_wait([this, timer](beast::error_code) {
        if (!stopping) Accept();
      });
      return;
    }
    beast::error_code ignored;
    std::string address = socket.remote_endpoint(ignored).address().to_string();
    if (ignored || !Admit(address)) {
      socket.close(ignored);
      return Accept();
    }
    socket.set_option(tcp::no_delay(true), ignored);
    auto connection = std::make_shared<Connection>(shared_from_this(), std::move(socket), address);
    {
      std::lock_guard lock(mutex);
      open.emplace(connection.get(), connection);
    }
    connection->Start();
    Accept();
  });
}

HttpServer::HttpServer(HttpService& service, ServerLimits limits)
    : state_(std::make_shared<State>(service, std::move(limits))) {
  state_->resolve = [io = &state_->io](const std::string& host, std::string* error) {
    std::vector<std::string> addresses;
    beast::error_code ec;
    tcp::resolver resolver(*io);
    for (const auto& result : resolver.resolve(host, "0", tcp::resolver::numeric_service, ec)) {
      addresses.push_back(result.endpoint().address().to_string());
    }
    if (ec && error) *error = ec.message();
    return addresses;
  };
}

HttpServer::~HttpServer() {
  Stop();
  // Serving has ended: Run has returned. What the io_context still holds (a
  // close dispatched as the last run ended, a read on a connection that was
  // never closed) holds its connection, and every connection holds this
  // state, so neither would ever be freed: close what is left and run those
  // handlers out here.
  state_->io.restart();
  state_->io.poll();
  std::vector<std::shared_ptr<Connection>> left;
  {
    std::lock_guard lock(state_->mutex);
    for (auto& [raw, weak] : state_->open) {
      if (auto connection = weak.lock()) left.push_back(std::move(connection));
    }
  }
  for (auto& connection : left) connection->Abort();
  left.clear();
  state_->io.restart();
  state_->io.poll();
}

void HttpServer::SetResolver(Resolver resolver) {
  state_->resolve = std::move(resolver);
}

int HttpServer::Bind(const std::string& host, int port, std::string* error, bool loopbackOnly) {
  auto fail = [&](const std::string& why, int result = -1) {
    if (error) *error = why;
    return result;
  };
  std::string why;
  std::vector<std::string> addresses = state_->resolve(host, &why);
  if (addresses.empty()) return fail("cannot resolve " + host + ": " + why);
  beast::error_code ec;
  net::ip::address address = net::ip::make_address(addresses.front(), ec);
  if (ec) return fail("cannot resolve " + host + ": " + addresses.front() + " is not an address");
  if (loopbackOnly && !IsLoopback(address)) {
    return fail(host + " is " + address.to_string() + ", not a loopback address", kNotLoopback);
  }
  tcp::endpoint endpoint(address, static_cast<unsigned short>(port));
  tcp::acceptor& acceptor = state_->acceptor;
  acceptor.open(endpoint.protocol(), ec);
  if (!ec) acceptor.set_option(net::socket_base::reuse_address(true), ec);
  if (!ec) acceptor.bind(endpoint, ec);
  if (!ec) acceptor.listen(kListenBacklog, ec);
  if (ec) {
    beast::error_code ignored;
    acceptor.close(ignored);
    return fail("cannot listen on " + endpoint.address().to_string() + ": " + ec.message());
  }
  return acceptor.local_endpoint().port();
}

bool HttpServer::BoundToLoopback() const {
  beast::error_code ec;
  tcp::endpoint local = state_->acceptor.local_endpoint(ec);
  return !ec && IsLoopback(local.address());
}

void HttpServer::Run() {
  if (!state_->stopping) {
    net::dispatch(state_->acceptor.get_executor(), [state = state_.get()] { state->Accept(); });
  }
  std::vector<std::thread> more;
  for (int i = 1; i < state_->limits.threads; ++i) more.emplace_back([this] { state_->io.run(); });
  state_->io.run();
  for (std::thread& thread : more) thread.join();
}

void HttpServer::Stop() {
  if (state_->stopping.exchange(true)) return;
  net::dispatch(state_->acceptor.get_executor(), [state = state_.get()] {
    beast::error_code ignored;
    state->acceptor.close(ignored);
  });
  std::vector<std::shared_ptr<Connection>> open;
  {
    std::lock_guard lock(state_->mutex);
    for (auto& [raw, weak] : state_->open) {
      if (auto connection = weak.lock()) open.push_back(std::move(connection));
    }
  }
  for (auto& connection : open) connection->Stop();
}

}  // namespace collector
