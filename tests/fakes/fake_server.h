#pragma once
// The loopback fake-services server that every network test talks to (nothing reaches the
// internet). Tests start one per case (or per fixture) on an ephemeral port, register the
// pages they need and read back what the program sent.
//
// How to add a service:
//   FakeServer server;                       // FakeServer(FakeServer::Scheme::Https) for TLS
//   server.handle("GET", "/s", [](const RecordedRequest& req, Reply& reply) {
//     reply.body = "...a page carrying the marker the tool looks for...";
//   });
//   point_endpoints({{"BAIDU_WEB_SEARCH", &server}});   // the endpoint key now reaches it
//   ... run the tool ...
//   server.requests("/s")  // every request in arrival order: method, path, raw query,
//                          // headers in received order with their exact spelling, body
// A service used by several tests gets a module of its own beside this file (see
// baidu_search.h): a function that registers its handlers on a server.
//
// Replies: status, headers in the order given (Set-Cookie lines keep their spelling and order),
// body bytes as given. Reply::redirect() answers with a Location; Reply::hang makes the server
// never answer (until it stops), for cancellation and time-out tests. Paths without a handler
// get 404. Each connection carries one request (the server closes it after the reply), so the
// raw header block of every request is recorded exactly as it arrived.
//
// HTTPS uses a certificate for 127.0.0.1 and localhost issued by a test CA that is made once per
// process with the OpenSSL API (no key material is stored anywhere); trust_test_ca() makes the
// request functions trust it, untrust_test_ca() takes that back.
#include <condition_variable>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaly::fakes {

struct Header {
  std::string name;
  std::string value;
  bool operator==(const Header&) const = default;
};

struct RecordedRequest {
  std::string method;
  std::string target;  // as on the request line: path and query
  std::string path;    // target up to "?", not decoded
  std::string query;   // after "?", not decoded ("" when none)
  std::string version;
  std::vector<Header> headers;  // in received order, names spelled as sent
  std::string header_block;     // the raw request head: request line and header lines, CR LF
  std::string body;             // decoded from chunked transfer when it came chunked
  bool https = false;

  // First value of the header (name compared without case); "" when absent.
  std::string header(std::string_view name) const;
  bool has_header(std::string_view name) const;
  // Every header name in received order.
  std::vector<std::string> header_names() const;
  // A query parameter, percent-decoded ("+" stays "+"); "" when absent.
  std::string param(std::string_view name) const;
};

// A connection a reply has taken over (Reply::takeover): nothing is sent on it but what the
// handler sends, for replies no well-behaved server gives (a trickle, a reset, an endless body).
class RawConnection {
 public:
  virtual ~RawConnection() = default;
  // Sends the bytes as they are; false once the client has gone or the server stops.
  virtual bool send(std::string_view bytes) = 0;
  // Waits up to ms milliseconds; false when the server is stopping.
  virtual bool pause(int ms) = 0;
  // Ends the connection with a TCP reset instead of an orderly close.
  virtual void reset() = 0;
};

struct Reply {
  int status = 200;
  std::vector<Header> headers;  // sent in this order
  std::string body;
  std::string content_type = "text/html";        // "" sends no Content-Type
  bool hang = false;                             // never answer; the connection stays open
  std::function<void(RawConnection&)> takeover;  // set: the handler's raw bytes instead of a reply

  Reply& header(std::string name, std::string value);
  // Adds a "Set-Cookie" header (or the given spelling of its name).
  Reply& set_cookie(std::string value, std::string name = "Set-Cookie");
  Reply& redirect(std::string location, int status = 302);
};

using Handler = std::function<void(const RecordedRequest&, Reply&)>;

class FakeServer {
 public:
  enum class Scheme { Http, Https };

  // Starts listening on 127.0.0.1 at an ephemeral port at once.
  explicit FakeServer(Scheme scheme = Scheme::Http);
  ~FakeServer();  // stops
  FakeServer(const FakeServer&) = delete;
  FakeServer& operator=(const FakeServer&) = delete;

  // Registers a handler for a method ("GET", "POST", ... or "*" for any) and an exact path
  // (without query). A later registration for the same method and path replaces the earlier;
  // a handler for the request's own method is preferred to one for "*".
  void handle(std::string method, std::string path, Handler handler);
  // Handles every path that starts with the prefix when no exact path matches (the longest
  // prefix wins). A second handler for the same method and prefix replaces the first.
  void handle_prefix(std::string method, std::string prefix, Handler handler);
  // Answers requests no handler takes (default: 404 "not found").
  void set_fallback(Handler handler);
  // Sees every request before the handlers (a rate limiter in front of the services): when it
  // returns true its reply is sent and no handler runs.
  using Front = std::function<bool(const RecordedRequest&, Reply&)>;
  void set_front(Front front);

  int port() const;
  Scheme scheme() const { return scheme_; }
  // "http://127.0.0.1:port" (or https).
  std::string base_url() const;
  // base_url() with "localhost" as the host.
  std::string localhost_url() const;

  // The log, in arrival order (a request is logged when its head and body have arrived).
  std::vector<RecordedRequest> requests() const;
  std::vector<RecordedRequest> requests(std::string_view path) const;
  size_t request_count() const;
  void clear_log();
  // Waits until at least n requests are logged; false on time-out.
  bool wait_for_requests(size_t n, int timeout_ms = 5000) const;
  // Number of requests currently held by Reply::hang.
  int hanging() const;
  // Lets every hanging request go (they then get an empty 503 reply).
  void release_hanging();

  // Stops listening, ends every connection and waits for the server's threads.
  void stop();

 private:
  struct Impl;
  Scheme scheme_;
  std::unique_ptr<Impl> impl_;
};

// Writes endpoint overrides so that each key reaches the given server (the process overrides of
// set_endpoint_overrides; reset_endpoints() drops them again).
void point_endpoints(std::initializer_list<std::pair<std::string_view, const FakeServer*>> keys);
void reset_endpoints();

// The test CA: its PEM file (made on first use, removed at process exit).
const std::string& test_ca_file();
// Makes the request functions trust / stop trusting the test CA.
void trust_test_ca();
void untrust_test_ca();

// Percent-decoding of query parameters ("%3A" -> ":"); bytes stay bytes.
std::string percent_decode(std::string_view text);

}  // namespace tessaly::fakes
