#include "fakes/fake_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>
#include <openssl/err.h>
#include <openssl/ssl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <list>
#include <memory>
#include <stdexcept>
#include <thread>

#include "core/http/endpoints.h"
#include "core/http/transport_settings.h"
#include "fakes/test_certificates.h"

namespace tessaly::fakes {
namespace {

constexpr int kIoTimeoutMs = 10'000;

bool same_name(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool wait_fd(int fd, short events, int timeout_ms) {
  pollfd p{fd, events, 0};
  int r;
  do {
    r = ::poll(&p, 1, timeout_ms);
  } while (r < 0 && errno == EINTR);
  return r > 0;
}

// One accepted connection as httplib's stream. Everything read is kept, so the request head
// is available exactly as it arrived (header order and spelling included).
class ConnectionStream : public httplib::Stream {
 public:
  ConnectionStream(int fd, SSL* ssl) : fd_(fd), ssl_(ssl) {}

  bool is_readable() const override {
    return pos_ < filled_ || (ssl_ && SSL_pending(ssl_) > 0) || wait_fd(fd_, POLLIN, 0);
  }
  bool is_writable() const override { return wait_fd(fd_, POLLOUT, kIoTimeoutMs); }

  // The engine reads a request head a byte at a time: the bytes come from a buffer filled with
  // whatever has arrived, so a request costs a few system calls, not a few per byte.
  ssize_t read(char* ptr, size_t size) override {
    if (size == 0) return 0;
    if (pos_ == filled_) {
      pos_ = filled_ = 0;
      if (!(ssl_ && SSL_pending(ssl_) > 0) && !wait_fd(fd_, POLLIN, kIoTimeoutMs)) return -1;
      ssize_t n;
      if (ssl_) {
        int r = SSL_read(ssl_, buffer_.get(), static_cast<int>(kReadBlock));
        n = r > 0 ? r : -1;
      } else {
        n = ::recv(fd_, buffer_.get(), kReadBlock, 0);
      }
      if (n <= 0) return -1;
      filled_ = static_cast<size_t>(n);
    }
    const size_t n = std::min(size, filled_ - pos_);
    std::memcpy(ptr, buffer_.get() + pos_, n);
    pos_ += n;
    recorded_.append(ptr, n);
    return static_cast<ssize_t>(n);
  }

  ssize_t write(const char* ptr, size_t size) override {
    if (closed_) return -1;
    size_t done = 0;
    while (done < size) {
      if (!wait_fd(fd_, POLLOUT, kIoTimeoutMs)) return -1;
      ssize_t n;
      if (ssl_) {
        int r = SSL_write(ssl_, ptr + done, static_cast<int>(std::min<size_t>(size - done, 1 << 20)));
        n = r > 0 ? r : -1;
      } else {
        n = ::send(fd_, ptr + done, size - done, MSG_NOSIGNAL);
      }
      if (n <= 0) return -1;
      done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(size);
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override { address(true, ip, port); }
  void get_local_ip_and_port(std::string& ip, int& port) const override { address(false, ip, port); }
  socket_t socket() const override { return fd_; }

  const std::string& recorded() const { return recorded_; }
  bool https() const { return ssl_ != nullptr; }
  // After a takeover: nothing more is written (the engine's own reply is dropped).
  void close_writes() { closed_ = true; }
  // The descriptor closes with a reset (no orderly shutdown).
  void set_reset() {
    linger l{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof(l));
    reset_ = true;
  }
  bool was_reset() const { return reset_; }

 private:
  void address(bool remote, std::string& ip, int& port) const {
    sockaddr_storage addr{};
    socklen_t len = sizeof(addr);
    int r = remote ? ::getpeername(fd_, reinterpret_cast<sockaddr*>(&addr), &len)
                   : ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    if (r != 0 || addr.ss_family != AF_INET) return;
    auto* in = reinterpret_cast<sockaddr_in*>(&addr);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof(text));
    ip = text;
    port = ntohs(in->sin_port);
  }

  static constexpr size_t kReadBlock = 16 * 1024;

  int fd_;
  SSL* ssl_;
  // Read from the connection: bytes pos_ to filled_ are not yet handed to the engine.
  std::unique_ptr<char[]> buffer_ = std::make_unique_for_overwrite<char[]>(kReadBlock);
  size_t pos_ = 0, filled_ = 0;
  std::string recorded_;
  bool closed_ = false, reset_ = false;
};

thread_local ConnectionStream* current_stream = nullptr;

// httplib's request engine without its listener: our own accept loop hands it each connection.
class Engine : public httplib::Server {
 public:
  void serve(httplib::Stream& stream) {
    bool closed = false;
    process_request(stream, true, closed, {});
  }
};

RecordedRequest parse_head(const std::string& raw) {
  RecordedRequest r;
  size_t end = raw.find("\r\n\r\n");
  r.header_block = raw.substr(0, end == std::string::npos ? raw.size() : end + 2);
  size_t pos = 0;
  bool first = true;
  while (pos < r.header_block.size()) {
    size_t eol = r.header_block.find("\r\n", pos);
    if (eol == std::string::npos) eol = r.header_block.size();
    std::string line = r.header_block.substr(pos, eol - pos);
    pos = eol + 2;
    if (first) {
      first = false;
      size_t a = line.find(' ');
      size_t b = line.rfind(' ');
      if (a == std::string::npos || b == a) continue;
      r.method = line.substr(0, a);
      r.target = line.substr(a + 1, b - a - 1);
      r.version = line.substr(b + 1);
      size_t q = r.target.find('?');
      r.path = r.target.substr(0, q);
      r.query = q == std::string::npos ? std::string() : r.target.substr(q + 1);
      continue;
    }
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string value = line.substr(colon + 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.erase(0, 1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
    r.headers.push_back(Header{line.substr(0, colon), value});
  }
  return r;
}

struct Route {
  std::string method;
  std::string path;
  bool prefix;
  Handler handler;
};

}  // namespace

struct FakeServer::Impl {
  bool https = false;
  SSL_CTX* ssl_ctx = nullptr;
  int listen_fd = -1;
  int port = 0;
  Engine engine;
  std::thread acceptor;
  std::atomic<bool> stopping{false};
  bool stopped = false;

  struct Connection {
    std::thread thread;
    int fd;
    std::shared_ptr<std::atomic<bool>> done;
  };
  std::mutex connections_mutex;
  std::list<Connection> connections;

  mutable std::mutex routes_mutex;
  std::vector<Route> routes;
  Handler fallback;
  Front front;

  mutable std::mutex log_mutex;
  mutable std::condition_variable log_changed;
  std::vector<RecordedRequest> log;
  int hanging = 0;
  unsigned release_generation = 0;

  Handler find(const RecordedRequest& r) const {
    std::lock_guard lock(routes_mutex);
    // An exact path before a prefix, a longer prefix before a shorter one, and the request's
    // own method before "*".
    auto matches = [&](const Route& route, bool prefix, bool any_method) {
      if (route.prefix != prefix) return false;
      if (any_method ? route.method != "*" : route.method != r.method) return false;
      return prefix ? r.path.compare(0, route.path.size(), route.path) == 0 : r.path == route.path;
    };
    for (bool any_method : {false, true})
      for (const auto& route : routes)
        if (matches(route, false, any_method)) return route.handler;
    for (bool any_method : {false, true}) {
      const Route* best = nullptr;
      for (const auto& route : routes)
        if (matches(route, true, any_method) && (!best || route.path.size() > best->path.size()))
          best = &route;
      if (best) return best->handler;
    }
    return fallback;
  }

  void dispatch(const httplib::Request& hreq, httplib::Response& hres) {
    RecordedRequest r = parse_head(current_stream ? current_stream->recorded() : std::string());
    r.body = hreq.body;
    r.https = https;
    {
      std::lock_guard lock(log_mutex);
      log.push_back(r);
    }
    log_changed.notify_all();

    Reply reply;
    Front f;
    {
      std::lock_guard lock(routes_mutex);
      f = front;
    }
    if (f && f(r, reply)) {
    } else if (Handler h = find(r)) {
      h(r, reply);
    } else {
      reply.status = 404;
      reply.content_type = "text/plain";
      reply.body = "not found";
    }
    if (reply.takeover && current_stream) {
      struct Raw : RawConnection {
        Impl& d;
        ConnectionStream& stream;
        Raw(Impl& impl, ConnectionStream& s) : d(impl), stream(s) {}
        bool send(std::string_view bytes) override {
          return !d.stopping.load() &&
                 stream.write(bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
        }
        bool pause(int ms) override {
          std::unique_lock lock(d.log_mutex);
          return !d.log_changed.wait_for(lock, std::chrono::milliseconds(ms),
                                         [&] { return d.stopping.load(); });
        }
        void reset() override { stream.set_reset(); }
      } raw(*this, *current_stream);
      reply.takeover(raw);
      current_stream->close_writes();
      return;
    }
    if (reply.hang) {
      std::unique_lock lock(log_mutex);
      ++hanging;
      log_changed.notify_all();
      unsigned generation = release_generation;
      log_changed.wait(lock, [&] { return stopping.load() || release_generation != generation; });
      --hanging;
      hres.status = 503;
      return;
    }
    hres.status = reply.status;
    for (const auto& h : reply.headers) hres.headers.emplace(h.name, h.value);
    if (!reply.content_type.empty()) hres.headers.emplace("Content-Type", reply.content_type);
    hres.body = std::move(reply.body);
  }

  void serve_connection(int fd) {
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
    SSL* ssl = nullptr;
    if (https) {
      timeval tv{kIoTimeoutMs / 1000, 0};
      ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv));
      ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof(tv));
      ssl = SSL_new(ssl_ctx);
      SSL_set_fd(ssl, fd);
      if (SSL_accept(ssl) <= 0) {
        // A client that refuses the certificate ends here.
        ERR_clear_error();
        SSL_free(ssl);
        return;
      }
    }
    ConnectionStream stream(fd, ssl);
    current_stream = &stream;
    engine.serve(stream);
    current_stream = nullptr;
    if (ssl) {
      if (!stream.was_reset()) SSL_shutdown(ssl);
      SSL_free(ssl);
      ERR_clear_error();
    }
  }

  void accept_loop() {
    while (!stopping.load()) {
      if (!wait_fd(listen_fd, POLLIN, 100)) continue;
      if (stopping.load()) break;
      int fd = ::accept4(listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      auto done = std::make_shared<std::atomic<bool>>(false);
      std::lock_guard lock(connections_mutex);
      for (auto it = connections.begin(); it != connections.end();) {
        if (it->done->load()) {
          it->thread.join();
          it = connections.erase(it);
        } else {
          ++it;
        }
      }
      connections.push_back(Connection{std::thread([this, fd, done] {
                                         serve_connection(fd);
                                         {
                                           // Closed under the lock so that stop() never shuts
                                           // down a descriptor number reused elsewhere.
                                           std::lock_guard inner(connections_mutex);
                                           ::close(fd);
                                           done->store(true);
                                         }
                                       }),
                                       fd, done});
    }
  }
};

FakeServer::FakeServer(Scheme scheme) : scheme_(scheme), impl_(std::make_unique<Impl>()) {
  Impl& d = *impl_;
  d.https = scheme == Scheme::Https;
  if (d.https) {
    const TestCertificates& certs = TestCertificates::get();
    d.ssl_ctx = SSL_CTX_new(TLS_server_method());
    if (!d.ssl_ctx || SSL_CTX_use_certificate(d.ssl_ctx, certs.server_certificate()) != 1 ||
        SSL_CTX_use_PrivateKey(d.ssl_ctx, certs.server_key()) != 1)
      throw std::runtime_error("fake server: TLS set-up failed");
    SSL_CTX_set_min_proto_version(d.ssl_ctx, TLS1_2_VERSION);
  }
  auto dispatch = [&d](const httplib::Request& req, httplib::Response& res) { d.dispatch(req, res); };
  d.engine.Get(".*", dispatch);
  d.engine.Post(".*", dispatch);
  d.engine.Put(".*", dispatch);
  d.engine.Patch(".*", dispatch);
  d.engine.Delete(".*", dispatch);
  d.engine.Options(".*", dispatch);

  d.listen_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof(addr);
  if (d.listen_fd < 0 || ::bind(d.listen_fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
      ::listen(d.listen_fd, 64) != 0 ||
      ::getsockname(d.listen_fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
    throw std::runtime_error("fake server: cannot listen on 127.0.0.1");
  d.port = ntohs(addr.sin_port);
  d.acceptor = std::thread([&d] { d.accept_loop(); });
}

FakeServer::~FakeServer() { stop(); }

void FakeServer::stop() {
  Impl& d = *impl_;
  if (d.stopped) return;
  d.stopped = true;
  {
    std::lock_guard lock(d.log_mutex);
    d.stopping.store(true);
  }
  d.log_changed.notify_all();
  ::shutdown(d.listen_fd, SHUT_RDWR);  // wakes the accept loop at once
  d.acceptor.join();
  ::close(d.listen_fd);
  std::list<Impl::Connection> all;
  {
    std::lock_guard lock(d.connections_mutex);
    for (auto& c : d.connections)
      if (!c.done->load()) ::shutdown(c.fd, SHUT_RDWR);
    all.swap(d.connections);
  }
  for (auto& c : all) c.thread.join();
  if (d.ssl_ctx) SSL_CTX_free(d.ssl_ctx);
  d.ssl_ctx = nullptr;
}

void FakeServer::handle(std::string method, std::string path, Handler handler) {
  std::lock_guard lock(impl_->routes_mutex);
  auto& routes = impl_->routes;
  for (auto& r : routes) {
    if (!r.prefix && r.method == method && r.path == path) {
      r.handler = std::move(handler);
      return;
    }
  }
  routes.push_back(Route{std::move(method), std::move(path), false, std::move(handler)});
}

void FakeServer::handle_prefix(std::string method, std::string prefix, Handler handler) {
  std::lock_guard lock(impl_->routes_mutex);
  for (auto& r : impl_->routes) {
    if (r.prefix && r.method == method && r.path == prefix) {
      r.handler = std::move(handler);
      return;
    }
  }
  impl_->routes.push_back(Route{std::move(method), std::move(prefix), true, std::move(handler)});
}

void FakeServer::set_fallback(Handler handler) {
  std::lock_guard lock(impl_->routes_mutex);
  impl_->fallback = std::move(handler);
}

void FakeServer::set_front(Front front) {
  std::lock_guard lock(impl_->routes_mutex);
  impl_->front = std::move(front);
}

int FakeServer::port() const { return impl_->port; }

std::string FakeServer::base_url() const {
  return std::string(scheme_ == Scheme::Https ? "https" : "http") + "://127.0.0.1:" + std::to_string(port());
}

std::string FakeServer::localhost_url() const {
  return std::string(scheme_ == Scheme::Https ? "https" : "http") + "://localhost:" + std::to_string(port());
}

std::vector<RecordedRequest> FakeServer::requests() const {
  std::lock_guard lock(impl_->log_mutex);
  return impl_->log;
}

std::vector<RecordedRequest> FakeServer::requests(std::string_view path) const {
  std::lock_guard lock(impl_->log_mutex);
  std::vector<RecordedRequest> out;
  for (const auto& r : impl_->log)
    if (r.path == path) out.push_back(r);
  return out;
}

size_t FakeServer::request_count() const {
  std::lock_guard lock(impl_->log_mutex);
  return impl_->log.size();
}

void FakeServer::clear_log() {
  std::lock_guard lock(impl_->log_mutex);
  impl_->log.clear();
}

bool FakeServer::wait_for_requests(size_t n, int timeout_ms) const {
  std::unique_lock lock(impl_->log_mutex);
  return impl_->log_changed.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                                     [&] { return impl_->log.size() >= n; });
}

int FakeServer::hanging() const {
  std::lock_guard lock(impl_->log_mutex);
  return impl_->hanging;
}

void FakeServer::release_hanging() {
  {
    std::lock_guard lock(impl_->log_mutex);
    ++impl_->release_generation;
  }
  impl_->log_changed.notify_all();
}

// --- requests and replies ---

std::string RecordedRequest::header(std::string_view name) const {
  for (const auto& h : headers)
    if (same_name(h.name, name)) return h.value;
  return {};
}

bool RecordedRequest::has_header(std::string_view name) const {
  return std::any_of(headers.begin(), headers.end(),
                     [&](const Header& h) { return same_name(h.name, name); });
}

std::vector<std::string> RecordedRequest::header_names() const {
  std::vector<std::string> names;
  for (const auto& h : headers) names.push_back(h.name);
  return names;
}

std::string RecordedRequest::param(std::string_view name) const {
  size_t pos = 0;
  while (pos <= query.size()) {
    size_t amp = query.find('&', pos);
    if (amp == std::string::npos) amp = query.size();
    std::string_view piece(query.data() + pos, amp - pos);
    size_t eq = piece.find('=');
    if (piece.substr(0, eq) == name)
      return eq == std::string_view::npos ? std::string() : percent_decode(piece.substr(eq + 1));
    pos = amp + 1;
  }
  return {};
}

Reply& Reply::header(std::string name, std::string value) {
  headers.push_back(Header{std::move(name), std::move(value)});
  return *this;
}

Reply& Reply::set_cookie(std::string value, std::string name) {
  return header(std::move(name), std::move(value));
}

Reply& Reply::redirect(std::string location, int code) {
  status = code;
  return header("Location", std::move(location));
}

std::string percent_decode(std::string_view text) {
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

// --- endpoints and trust ---

void point_endpoints(std::initializer_list<std::pair<std::string_view, const FakeServer*>> keys) {
  std::string lines;
  for (const auto& [key, server] : keys) lines += std::string(key) + " = " + server->base_url() + "\n";
  set_endpoint_overrides(lines);
}

void reset_endpoints() { set_endpoint_overrides(""); }

const std::string& test_ca_file() { return TestCertificates::get().ca_file(); }

void trust_test_ca() { set_extra_ca_file(test_ca_file()); }

void untrust_test_ca() { set_extra_ca_file(""); }

}  // namespace tessaly::fakes
