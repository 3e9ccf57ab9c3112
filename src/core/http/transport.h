#pragma once
// The libcurl transport under both request functions (internal to src/core/http). One transfer
// at a time per call, on the calling thread; a stopped job ends it at once, a stalled server
// ends it after the stall time-out, and the body never grows beyond the configured limit.
#include <curl/curl.h>

#include <mutex>
#include <string>
#include <vector>

namespace tessaly::transport {

struct Transfer {
  std::string url;  // absolute http or https URL
  bool post = false;
  std::string body;                  // sent with POST, and with GET when get_body is set
  bool get_body = false;             // a non-empty body goes out with GET as well
  std::vector<std::string> headers;  // "Name: value" lines, sent in this order
  std::string user_agent;            // "" = none unless a header line gives one
  bool follow_redirects = true;
  bool http_1_0 = false;            // an HTTP/1.0 request instead of HTTP/1.1
  bool cookie_store = false;        // use (and feed) the process-wide cookie store
  int connect_timeout_ms = 60'000;  // resolve and connect (TLS handshake included)
  int stall_timeout_ms = 60'000;    // once connected: longest time without a byte moving
};

enum class Outcome { Done, Failed, Stopped, NotOpened };

struct Result {
  Outcome outcome = Outcome::NotOpened;
  std::string body;              // of the last response (what arrived of it on failure)
  std::string headers;           // raw head of the last response: status line, header lines, CR LF each,
                                 // then an empty line
  bool set_cookie_seen = false;  // some response of the chain set a cookie (any spelling)
  int status = 0;                // HTTP status of the last response (0 when none arrived)
  std::string final_url;         // the URL of the last response, after redirects
  std::string error;             // why a Failed transfer failed (English, from libcurl or the limits)
  bool rate_limited = false;     // perform_paced: the service refused to the end (see there)
};

Result perform(const Transfer& transfer);
// perform() under the calling job's pacing (core/http/pacing.h). The result's `rate_limited`
// tells that the job paces and the service still answered 429 or 503 when the retries were used
// up (or asked for a longer wait than the job allows), or that a job that does not pace got a
// 429; the result is then that last answer.
Result perform_paced(const Transfer& transfer);

// The header lines of a CR LF header text as libcurl takes them: blank lines and lines without
// a name are dropped, "Name:" with an empty value is sent as an empty header.
std::vector<std::string> header_lines(std::string_view header_text);

// The process-wide cookie store: a libcurl share handle holding the cookie engine. The lock
// serialises every access to it; holding it across several operations makes them one step.
CURLSH* cookie_share();
// Whether the store has been made (by a request or a cookie function); until then it is empty.
bool cookie_store_made();
std::unique_lock<std::recursive_mutex> lock_cookie_store();
// An easy handle attached to the store, for reading and writing cookies (caller cleans up).
CURL* cookie_store_handle();
// Called after the store may have changed.
void notify_cookie_store_changed();

}  // namespace tessaly::transport
