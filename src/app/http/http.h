#pragma once
// The two request functions and the text helpers around them. One libcurl transport with two
// faces: http_request/http_request_bytes (default headers, process-wide cookie store when no jar
// is given) and winhttp_request (15-second time-outs, cookies only through the caller's jar).
// Certificates are always verified. A request made on a job's thread ends at once when the job
// is stopped (it then returns empty and writes no output parameter).
#include <string>
#include <string_view>

namespace tessaly {

struct HttpOptions {
  int method = 0;                           // 1 = POST, anything else GET
  std::string post_text;                    // GBK form body (when post_bytes is empty)
  std::string* cookie_jar = nullptr;        // in/out "a=1; b=2"; null: the process cookie store
  std::string* returned_cookies = nullptr;  // out
  std::string* headers = nullptr;           // in/out extra header lines (CR LF separated)
  std::string* returned_location = nullptr; // out (http_request)
  std::string* raw_headers = nullptr;       // out (http_request_bytes, winhttp_request)
  bool no_redirect = false;
  std::string post_bytes;
};

// Body as GBK text (converted from UTF-8 when the page says so); empty on failure.
std::string http_request(const std::string& url, const HttpOptions& options = {});
std::string http_request_bytes(const std::string& url, const HttpOptions& options = {});
std::string winhttp_request(const std::string& url, const HttpOptions& options = {});

void merge_cookies(std::string& jar, std::string_view new_cookies);

std::string url_host(std::string_view url, bool root_only = false, bool keep_port = false);
int url_port(std::string_view url);
std::string url_path(std::string_view url);
std::string header_name(std::string_view line);
std::string header_value(std::string_view line);
std::string url_encode(std::string_view text, bool keep_safe = false, bool utf8 = false);
std::string url_decode(std::string_view text, bool utf8 = false);

}  // namespace tessaly
