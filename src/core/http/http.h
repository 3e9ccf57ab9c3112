#pragma once
// The two request functions and the text helpers around them. One libcurl transport with two
// faces: http_request/http_request_bytes (default headers, process-wide cookie store when no jar
// is given, see cookie_store.h) and winhttp_request (15-second time-outs, cookies only through
// the caller's jar). Certificates are always verified against the system store.
//
// Every request is a checkpoint of the calling thread's job: a paused job waits before it, and a
// request in flight ends at once when its job is stopped; the job then unwinds (JobStopped) as at
// any checkpoint. Outside jobs requests run to the end.
//
// Failures are results: a request that could not be made or did not complete comes back with
// `error` set and no body (half a page is no page). The status code is not examined: a 404 page
// is a body like any other.
//
// A job may pace its requests (RequestPacing, core/jobs/job.h; core/http/pacing.h): requests to
// one host are then spaced out, and answers 429 and 503 are tried again after the wait the
// service asks for; a request the service kept refusing comes back with `rate_limited` set, as
// does a 429 to a job that does not pace.
#include <string>
#include <string_view>

#include "core/http/item_outcome.h"

namespace tessaly {

enum class HttpMethod { Get, Post };

struct HttpOptions {
  HttpMethod method = HttpMethod::Get;
  std::string post_text{};            // GBK form body (when post_bytes is empty)
  std::string post_bytes{};           // POST body as bytes; takes precedence over post_text
  std::string headers{};              // extra header lines (CR LF separated)
  std::string* cookie_jar = nullptr;  // the caller's session jar "a=1; b=2", updated with the
                                      // cookies the response sets; null: the process cookie
                                      // store (http_request*) or no cookies (winhttp_request)
  bool no_redirect = false;           // true: redirects are not followed
  bool raw_body = false;              // http_request: the body bytes as they came (not converted
                                      // from UTF-8, not cut at a zero byte)
};

struct HttpResponse {
  int status = 0;              // of the last response; 0 when none arrived
  std::string final_url{};     // the URL of the last response, after redirects
  std::string body{};          // http_request: GBK text; the other faces: the bytes as they came
  std::string error{};         // why the request failed; empty when a response arrived whole
  std::string sent_headers{};  // the request's header lines as completed with the defaults
  std::string head{};          // http_request*: the response head (status line and header lines,
                               // CR LF); winhttp_request: the header lines without the status line
  std::string cookies{};       // the cookies this response set, "a=1; b=2"
  std::string location{};      // http_request: the Location header's value, or the whole head
                               // when there is none
  bool rate_limited = false;   // refused in the end: 429, or 503 to a job that paces its requests
  bool ok() const { return error.empty(); }
};

// How a tool's request for one item went: answered; failed (no whole answer, or an error
// status); or rate limited (the service kept refusing a job that paces its requests). A rate
// limited item is reported as such, never counted as a result.
enum class RequestOutcome { Answered, Failed, RateLimited };
RequestOutcome request_outcome(const HttpResponse& response);
// Why a request brought no answer (English): the transport's error, or "HTTP <status>".
std::string request_problem(const HttpResponse& response);
// The same for a request whose answer should be a web page: an answer that holds no markup (no
// "<" at all: empty, or stray bytes) is Failed too, since a marker missing from it says nothing
// about what the service meant; its problem is "no page".
RequestOutcome page_outcome(const HttpResponse& response);
std::string page_problem(const HttpResponse& response);
// What a tool shows for an item the service kept refusing (GBK "频率受限").
const std::string& rate_limited_text();
// What a tool shows for an item whose request brought no answer (GBK "查询失败").
const std::string& query_failed_text();
// Why a request brought no answer, for a message (GBK): "频率受限", "服务器回答HTTP <status>",
// or "没有得到回答（<the transport's error>）".
std::string request_problem_text(const HttpResponse& response);

// An item's outcome (ItemOutcome, core/http/item_outcome.h), for an item of one request: its
// failure, or Result / Empty as the answer `found` what the tool looks for.
ItemOutcome item_outcome(RequestOutcome request, bool found);
// The outcome of an item made of several requests: a refusal outweighs a failure, a failure any
// answer, and one result outweighs empty answers.
ItemOutcome combined_outcome(ItemOutcome a, ItemOutcome b);
// What stands where a Failed or RateLimited item's result would (query_failed_text(),
// rate_limited_text()); empty for the other two.
const std::string& failure_text(ItemOutcome outcome);

// A run's items counted by outcome, for its closing message or status line.
struct OutcomeCounts {
  int result = 0, empty = 0, failed = 0, rate_limited = 0;
  void add(ItemOutcome outcome);
  bool all_answered() const { return failed == 0 && rate_limited == 0; }
};
// What the counts count: items ("个"), pages ("页") or requests ("次").
enum class CountUnit { Items, Pages, Requests };
// What a closing message adds to its usual wording when some items got no answer (GBK):
// "，其中N个查询失败" and "，其中M个频率受限" ("，M个频率受限" after a failure part), with the
// unit's word; empty when every item was answered.
std::string failures_tail(const OutcomeCounts& counts, CountUnit unit = CountUnit::Items);

// Default User-Agent strings of the two faces.
extern const char* const kHttpRequestAgent;
extern const char* const kHttpBytesAgent;  // also winhttp_request's

// The body as GBK text up to its first zero byte, converted from UTF-8 when the bytes "utf-8"
// occur below position 500 of the body or "utf-8" (any case) in the response head.
HttpResponse http_request(const std::string& url, const HttpOptions& options = {});
// The body bytes as they came.
HttpResponse http_request_bytes(const std::string& url, const HttpOptions& options = {});
// The body bytes; cookies only through options.cookie_jar; any spelling of Set-Cookie.
HttpResponse winhttp_request(const std::string& url, const HttpOptions& options = {});

// A plain download as the platform library's URL opener makes it: an HTTP/1.0 GET carrying only
// the agent and "Accept: */*", redirects followed, the process cookie store. The body bytes as
// they came.
HttpResponse http_download(const std::string& url, const std::string& agent);

// Merges new cookies into a jar: new values first, then the old cookies not named among them;
// spaces removed, cookies whose text ends in "=deleted" dropped, repeated pieces kept once.
void merge_cookies(std::string& jar, std::string_view new_cookies);

std::string url_host(std::string_view url, bool root_only = false, bool keep_port = false);
int url_port(std::string_view url);
std::string url_path(std::string_view url);
std::string header_name(std::string_view line);
std::string header_value(std::string_view line);
// keep_safe: ASCII letters, digits, "-" and "." stay; every other byte becomes %XX (upper-case
// hex, a space is %20). utf8: the GBK text is encoded as UTF-8 first.
std::string url_encode(std::string_view text, bool keep_safe = false, bool utf8 = false);
// "%" and two hex digits become a byte ("%" followed by anything else stays as it is); utf8:
// the bytes are read as UTF-8 and converted to GBK.
std::string url_decode(std::string_view text, bool utf8 = false);

}  // namespace tessaly
