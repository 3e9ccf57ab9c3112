// The two request functions over the libcurl transport: how each face completes the headers,
// picks its agent name and reads cookies, locations and charsets out of the response.
#include "core/http/http.h"

#include <algorithm>

#include "core/http/transport.h"
#include "core/http/transport_settings.h"
#include "core/jobs/job.h"
#include "core/text/charset.h"
#include "core/text/text.h"

namespace tessaly {

const char* const kHttpRequestAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; Q4ZT9; .NET CLR 2.0.50727; .NET CLR 3.0.04506.648; "
    ".NET CLR 3.5.21022)";
const char* const kHttpBytesAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

namespace {

enum class Face { Text, Bytes };

constexpr std::string_view kFormType = "Content-Type: application/x-www-form-urlencoded";

bool is_host_char(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_';
}

// Bytes libcurl refuses in a URL (controls and spaces) are sent percent-encoded; everything else
// goes out exactly as given.
std::string wire_safe(std::string_view text) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    if (c <= 0x20 || c == 0x7F) {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

// The URL the transport requests for http_request*: host, port and path as url_host, url_port
// and url_path read them, TLS when the url's first five characters are "https". Empty when the
// host cannot be connected to (empty, or holding characters no host name has).
std::string connect_url(const std::string& url) {
  std::string host = url_host(url);
  if (host.empty() || !std::all_of(host.begin(), host.end(),
                                   [](char c) { return is_host_char(static_cast<unsigned char>(c)); }))
    return {};
  int port = url_port(url);
  if (port <= 0 || port > 65535) return {};
  bool secure = to_lower(left(url, 5)) == "https";
  return std::string(secure ? "https://" : "http://") + host + ":" + std::to_string(port) +
         wire_safe(url_path(url));
}

// winhttp_request takes absolute http and https URLs as they are.
std::string absolute_url(const std::string& url) {
  std::string lower = to_lower(left(url, 8));
  if (lower.rfind("http://", 0) != 0 && lower.rfind("https://", 0) != 0) return {};
  return wire_safe(url);
}

// The trimmed text between the first `marker` and the first ";" after it; "" when either is missing.
std::string between_marker_and_semicolon(const std::string& line, std::string_view marker) {
  int p = find_text(line, marker);
  if (p == kNotFound) return {};
  size_t from = static_cast<size_t>(p - 1) + marker.size();
  size_t semi = line.find(';', from);
  if (semi == std::string::npos) return {};
  return trim_both(std::string_view(line).substr(from, semi - from));
}

// The cookie a "Set-Cookie" header line sets: the name=value before the first ";", or the whole
// value when the line has no attributes.
std::string cookie_of_line(const std::string& line) {
  if (line.find(';') == std::string::npos)
    return trim_both(replace_text(line, "Set-Cookie:", "", 1, kAll, true));
  return between_marker_and_semicolon(line, "Set-Cookie:");
}

// Walks the header lines: the cookies of every line holding "Set-Cookie" (exact spelling),
// joined by "; ", and the value of the last line holding "Location:".
void read_head(const std::string& head, std::string& cookies, std::string* location) {
  TextList pieces;
  for (const auto& line : split_text(head, "\r\n")) {
    if (location && find_text(line, "Location:") != kNotFound) *location = header_value(line);
    if (find_text(line, "Set-Cookie") == kNotFound) continue;
    std::string cookie = cookie_of_line(line);
    if (!cookie.empty()) pieces.push_back(std::move(cookie));
  }
  cookies = join_text(pieces, "; ");
}

// Unwinds the calling job after a stopped request; returns when the thread runs no job.
HttpResponse stopped_result() {
  checkpoint();
  return HttpResponse{.error = "stopped"};
}

HttpResponse failed_before_sending(std::string why) { return HttpResponse{.error = std::move(why)}; }

// Copies what every face reports alike from the transport's result.
HttpResponse response_of(transport::Result& r, std::string sent_headers) {
  HttpResponse response;
  response.status = r.status;
  response.final_url = std::move(r.final_url);
  response.rate_limited = r.rate_limited;
  response.sent_headers = std::move(sent_headers);
  // A body that did not arrive whole (cut off, over the limit) is not a page: a tool reading
  // markers out of it would take half a page for the real one.
  if (r.outcome != transport::Outcome::Done)
    response.error = r.error.empty() ? "request failed" : r.error;
  else
    response.body = std::move(r.body);
  return response;
}

HttpResponse http_core(const std::string& url, const HttpOptions& o, Face face) {
  checkpoint();
  std::string target = connect_url(url);
  if (target.empty()) return failed_before_sending("unusable URL: " + url);

  std::string headers = o.headers;
  std::string agent = face == Face::Text ? kHttpRequestAgent : kHttpBytesAgent;
  if (int p = find_text(headers, "User-Agent:", 1, true); p != kNotFound) {
    std::string_view rest = std::string_view(headers).substr(static_cast<size_t>(p - 1) + 11);
    agent = trim_both(rest.substr(0, rest.find_first_of("\r\n")));
  }

  if (face == Face::Text && find_text(headers, "Referer:") == kNotFound)
    headers += (headers.empty() ? "" : "\r\n") + std::string("Referer: ") + url;
  if (find_text(headers, "Accept:") == kNotFound)
    headers += face == Face::Bytes && headers.empty() ? "Accept: */*" : "\r\nAccept: */*";
  if (find_text(headers, "Accept-Language:") == kNotFound) headers += "\r\nAccept-Language: zh-cn";
  if (find_text(headers, "Content-Type:") == kNotFound) headers += "\r\n" + std::string(kFormType);
  if (o.cookie_jar && !o.cookie_jar->empty()) headers += "\r\nCookie: " + *o.cookie_jar;

  TransportSettings settings = transport_settings();
  transport::Transfer t;
  t.url = target;
  t.post = o.method == HttpMethod::Post;
  if (t.post) t.body = o.post_bytes.empty() ? o.post_text : o.post_bytes;
  t.headers = transport::header_lines(headers);
  t.user_agent = agent;
  t.follow_redirects = !o.no_redirect;
  t.cookie_store = o.cookie_jar == nullptr;
  t.connect_timeout_ms = settings.http_connect_timeout_ms;
  t.stall_timeout_ms = settings.http_stall_timeout_ms;

  transport::Result r = transport::perform_paced(t);
  if (r.outcome == transport::Outcome::Stopped) return stopped_result();
  if (r.outcome == transport::Outcome::NotOpened) return failed_before_sending("could not open the request");

  HttpResponse response = response_of(r, headers);
  std::string head = r.headers;
  if (face == Face::Bytes) head = replace_text(head, "Set-Cookie", "Set-Cookie", 1, kAll, false);
  std::string location;
  read_head(head, response.cookies, face == Face::Text ? &location : nullptr);
  if (o.cookie_jar) merge_cookies(*o.cookie_jar, response.cookies);
  response.head = std::move(head);
  if (face == Face::Bytes) return response;
  response.location = location.empty() ? response.head : location;
  if (o.raw_body) return response;

  int declared = find_bytes(response.body, "utf-8");
  bool from_utf8 =
      (declared != kNotFound && declared < 500) || find_text(response.head, "utf-8", 1, true) != kNotFound;
  response.body = to_text_bytes(from_utf8 ? convert_charset(response.body, "UTF-8", "GBK") : response.body);
  return response;
}

struct NamedHeader {
  std::string name, value;
};

// Sets a header the way the request object does: a name already set (any case) gets the new
// value in its place.
void set_request_header(std::vector<NamedHeader>& list, std::string name, std::string value) {
  if (name.empty()) return;
  for (auto& h : list) {
    if (to_lower(h.name) == to_lower(name)) {
      h.value = std::move(value);
      return;
    }
  }
  list.push_back(NamedHeader{std::move(name), std::move(value)});
}

}  // namespace

HttpResponse http_request(const std::string& url, const HttpOptions& options) {
  return http_core(url, options, Face::Text);
}

HttpResponse http_request_bytes(const std::string& url, const HttpOptions& options) {
  return http_core(url, options, Face::Bytes);
}
HttpResponse http_download(const std::string& url, const std::string& agent) {
  checkpoint();
  std::string target = connect_url(url);
  if (target.empty()) return failed_before_sending("unusable URL: " + url);
  TransportSettings settings = transport_settings();
  transport::Transfer t;
  t.url = target;
  t.headers = {"Accept: */*"};
  t.user_agent = agent;
  t.http_1_0 = true;
  t.cookie_store = true;
  t.connect_timeout_ms = settings.http_connect_timeout_ms;
  t.stall_timeout_ms = settings.http_stall_timeout_ms;
  transport::Result r = transport::perform_paced(t);
  if (r.outcome == transport::Outcome::Stopped) return stopped_result();
  if (r.outcome == transport::Outcome::NotOpened) return failed_before_sending("could not open the request");
  HttpResponse response = response_of(r, "Accept: */*");
  read_head(r.headers, response.cookies, nullptr);
  response.head = std::move(r.headers);
  return response;
}

HttpResponse winhttp_request(const std::string& url, const HttpOptions& o) {
  checkpoint();
  std::string headers = o.headers;
  if (headers.empty())
    headers = "Accept: */*";
  else if (find_text(headers, "Accept:") == kNotFound)
    headers += "\r\nAccept: */*";
  if (find_text(headers, "Accept-Language:") == kNotFound) headers += "\r\nAccept-Language: zh-cn";
  if (find_text(headers, "User-Agent:") == kNotFound)
    headers += "\r\nUser-Agent: " + std::string(kHttpBytesAgent);
  if (find_text(headers, "Content-Type:") == kNotFound) headers += "\r\n" + std::string(kFormType);

  std::vector<NamedHeader> list;
  if (o.cookie_jar && !o.cookie_jar->empty()) set_request_header(list, "Cookie", *o.cookie_jar);
  for (const auto& line : split_text(headers, "\r\n"))
    if (!line.empty()) set_request_header(list, header_name(line), header_value(line));

  transport::Result r;
  std::string target = absolute_url(url);
  if (!target.empty()) {
    TransportSettings settings = transport_settings();
    transport::Transfer t;
    t.url = target;
    t.post = o.method == HttpMethod::Post;
    t.body = o.post_bytes.empty() ? o.post_text : o.post_bytes;
    t.get_body = true;
    for (const auto& h : list) {
      auto lines = transport::header_lines(h.name + ": " + h.value);
      t.headers.insert(t.headers.end(), lines.begin(), lines.end());
    }
    t.follow_redirects = !o.no_redirect;
    t.cookie_store = false;
    // Resolve and connect have a time-out each; libcurl measures them as one.
    t.connect_timeout_ms = 2 * settings.winhttp_timeout_ms;
    t.stall_timeout_ms = settings.winhttp_timeout_ms;
    r = transport::perform_paced(t);
    if (r.outcome == transport::Outcome::Stopped) return stopped_result();
  }
  if (target.empty()) return failed_before_sending("unusable URL: " + url);
  if (r.outcome != transport::Outcome::Done) {
    // A failed request reports no body, head or cookies: only why it failed.
    std::string why = r.error.empty() ? "request failed" : r.error;
    r = transport::Result{};
    r.outcome = transport::Outcome::Failed;
    r.error = std::move(why);
  }

  HttpResponse response = response_of(r, headers);
  // The response's header lines without its status line, every Set-Cookie spelled one way.
  std::string head = r.headers;
  if (size_t eol = head.find("\r\n"); eol != std::string::npos && head.rfind("HTTP/", 0) == 0)
    head.erase(0, eol + 2);
  head = replace_text(head, "Set-Cookie", "Set-Cookie", 1, kAll, false);
  read_head(head, response.cookies, nullptr);
  if (o.cookie_jar) merge_cookies(*o.cookie_jar, response.cookies);
  response.head = std::move(head);
  return response;
}

RequestOutcome request_outcome(const HttpResponse& response) {
  if (response.rate_limited) return RequestOutcome::RateLimited;
  if (!response.ok() || response.status >= 400) return RequestOutcome::Failed;
  return RequestOutcome::Answered;
}

std::string request_problem(const HttpResponse& response) {
  if (!response.error.empty()) return response.error;
  return "HTTP " + std::to_string(response.status);
}

namespace {
// "<" is never the second byte of a GBK, Big5 or UTF-8 character: a byte search is enough.
bool holds_markup(std::string_view body) { return body.find('<') != std::string_view::npos; }
}  // namespace

RequestOutcome page_outcome(const HttpResponse& response) {
  RequestOutcome outcome = request_outcome(response);
  return outcome == RequestOutcome::Answered && !holds_markup(response.body) ? RequestOutcome::Failed
                                                                             : outcome;
}

std::string page_problem(const HttpResponse& response) {
  return request_outcome(response) == RequestOutcome::Answered ? std::string("no page")
                                                               : request_problem(response);
}

const std::string& rate_limited_text() {
  static const std::string text = gbk("频率受限");
  return text;
}

const std::string& query_failed_text() {
  static const std::string text = gbk("查询失败");
  return text;
}

std::string request_problem_text(const HttpResponse& response) {
  if (response.rate_limited) return rate_limited_text();
  if (response.error.empty()) return gbk("服务器回答HTTP ") + std::to_string(response.status);
  return gbk("没有得到回答（") + response.error + gbk("）");
}

ItemOutcome item_outcome(RequestOutcome request, bool found) {
  switch (request) {
    case RequestOutcome::Answered:
      break;
    case RequestOutcome::Failed:
      return ItemOutcome::Failed;
    case RequestOutcome::RateLimited:
      return ItemOutcome::RateLimited;
  }
  return found ? ItemOutcome::Result : ItemOutcome::Empty;
}

ItemOutcome combined_outcome(ItemOutcome a, ItemOutcome b) {
  // The enumerators from the least to the most telling: Empty, Result, Failed, RateLimited.
  auto weight = [](ItemOutcome o) {
    switch (o) {
      case ItemOutcome::Empty:
        return 0;
      case ItemOutcome::Result:
        return 1;
      case ItemOutcome::Failed:
        return 2;
      case ItemOutcome::RateLimited:
        return 3;
    }
    return 0;
  };
  return weight(a) >= weight(b) ? a : b;
}

const std::string& failure_text(ItemOutcome outcome) {
  static const std::string none;
  switch (outcome) {
    case ItemOutcome::Failed:
      return query_failed_text();
    case ItemOutcome::RateLimited:
      return rate_limited_text();
    case ItemOutcome::Result:
    case ItemOutcome::Empty:
      break;
  }
  return none;
}

void OutcomeCounts::add(ItemOutcome outcome) {
  switch (outcome) {
    case ItemOutcome::Result:
      ++result;
      break;
    case ItemOutcome::Empty:
      ++empty;
      break;
    case ItemOutcome::Failed:
      ++failed;
      break;
    case ItemOutcome::RateLimited:
      ++rate_limited;
      break;
  }
}

std::string failures_tail(const OutcomeCounts& counts, CountUnit unit) {
  static const std::string among = gbk("，其中"), comma = gbk("，");
  static const std::string items = gbk("个"), pages = gbk("页"), requests = gbk("次");
  const std::string& word = unit == CountUnit::Pages ? pages : unit == CountUnit::Requests ? requests : items;
  std::string tail;
  if (counts.failed > 0) tail += among + std::to_string(counts.failed) + word + query_failed_text();
  if (counts.rate_limited > 0)
    tail += (tail.empty() ? among : comma) + std::to_string(counts.rate_limited) + word + rate_limited_text();
  return tail;
}

}  // namespace tessaly
