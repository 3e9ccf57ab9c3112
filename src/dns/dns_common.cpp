#include "dns/dns_common.h"

#include <cctype>

#include "core/http/cookie_store.h"
#include "core/http/endpoints.h"
#include "core/http/http.h"
#include "core/jobs/job.h"
#include "core/patterns/web_text.h"
#include "core/text/charset.h"

namespace tessaly {
namespace {

bool is_ip_address(std::string_view host) {
  if (host.empty()) return false;
  for (char c : host)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == ':')) return false;
  return true;
}

}  // namespace

Text cookie_value(std::string& jar, std::string_view name, bool value_only) {
  jar = trim_both(jar);
  if (jar.empty() || jar.back() != ';') jar += ';';
  std::string left(name);
  left += '=';
  int at = find_text(jar, left);
  if (at == kNotFound) return {};
  int value_start = at + static_cast<int>(left.size());
  int end = find_text(jar, ";", value_start);
  if (end == kNotFound) return {};
  Text value = jar.substr(static_cast<size_t>(value_start - 1), static_cast<size_t>(end - value_start));
  if (value.empty() || value_only) return value;
  return std::string(name) + "=" + value;
}

void add_cookie(std::string& jar, std::string_view pair) {
  if (pair.empty()) return;
  std::string trimmed = trim_right(jar);
  if (!trimmed.empty() && trimmed.back() != ';') trimmed += ';';
  if (!trimmed.empty()) trimmed += ' ';
  trimmed += pair;
  jar = std::move(trimmed);
}

Text read_site_cookies(std::string_view domain, std::string_view name) {
  // The store answers with every cookie the site's pages would carry, HttpOnly ones included.
  std::string cookies;
  merge_cookies(cookies, cookie_store_get("http://" + std::string(domain)));
  if (name.empty()) return cookies;
  return cookie_value(cookies, name, false);
}

void clear_site_cookies(std::string_view domain) {
  // Every cookie the site would be sent goes, whatever its path, secure flag or domain form.
  cookie_store_clear(domain);
}

std::string service_cookie_domain(std::string_view endpoint_key) {
  std::string host = endpoint(endpoint_key).host;
  host = to_lower(host);
  if (!host.empty() && host.front() == '[') {  // an IPv6 literal stays whole
    size_t close = host.find(']');
    return host.substr(0, close == std::string::npos ? host.size() : close + 1);
  }
  if (size_t colon = host.find(':'); colon != std::string::npos) host.resize(colon);
  if (is_ip_address(host)) return host;
  size_t last = host.rfind('.');
  if (last == std::string::npos || last == 0) return host;
  size_t second = host.rfind('.', last - 1);
  return second == std::string::npos ? host : host.substr(second + 1);
}

std::string form_value(std::string_view gbk_text) { return url_encode(gbk_text, true, true); }

std::string form_bytes(std::string_view bytes) { return url_encode(bytes, true, false); }

Text now_text() { return date_time_text(local_now()); }

std::optional<std::vector<DomainIpPair>> import_domain_ip_pairs(std::string_view domain_text,
                                                                std::string_view ip_text) {
  TextList domains = split_lines(domain_text);
  TextList ips = split_lines(ip_text);
  if (domains.size() != ips.size()) return std::nullopt;
  std::vector<DomainIpPair> pairs;
  pairs.reserve(domains.size());
  for (size_t i = 0; i < domains.size(); ++i) pairs.push_back({std::move(domains[i]), std::move(ips[i])});
  return pairs;
}

Text import_count_message() { return gbk("请输入数量相同的域名和IP"); }

HttpResponse session_request(std::mutex& mutex, std::string& jar, const std::string& url, HttpMethod method,
                             std::string_view body) {
  std::string sent;
  {
    std::lock_guard lock(mutex);
    sent = jar;
  }
  HttpOptions options;
  options.method = method;
  options.post_text = std::string(body);
  options.cookie_jar = &sent;
  HttpResponse reply = winhttp_request(url, options);
  checkpoint();
  std::lock_guard lock(mutex);
  merge_cookies(jar, reply.cookies);
  return reply;
}

}  // namespace tessaly
