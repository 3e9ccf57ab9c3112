#include "core/http/cookie_store.h"

#include <algorithm>
#include <ctime>
#include <mutex>

#include "core/http/http.h"
#include "core/http/transport.h"
#include "core/text/text.h"

namespace tessaly {
namespace {

std::mutex listener_mutex;
std::function<void()> listener;

// libcurl's export format: [#HttpOnly_][.]domain TAB tailmatch TAB path TAB secure TAB expires
// TAB name TAB value.
bool parse_netscape(std::string_view line, StoredCookie& c) {
  constexpr std::string_view kHttpOnly = "#HttpOnly_";
  c = StoredCookie{};
  if (line.substr(0, kHttpOnly.size()) == kHttpOnly) {
    c.http_only = true;
    line.remove_prefix(kHttpOnly.size());
  }
  std::vector<std::string_view> f;
  size_t pos = 0;
  while (f.size() < 6) {
    size_t tab = line.find('\t', pos);
    if (tab == std::string_view::npos) return false;
    f.push_back(line.substr(pos, tab - pos));
    pos = tab + 1;
  }
  f.push_back(line.substr(pos));
  std::string_view domain = f[0];
  while (!domain.empty() && domain.front() == '.') domain.remove_prefix(1);
  c.domain = to_lower(domain);
  c.include_subdomains = f[1] == "TRUE";
  c.path = std::string(f[2]);
  c.secure = f[3] == "TRUE";
  c.expires = std::atoll(std::string(f[4]).c_str());
  c.name = std::string(f[5]);
  c.value = std::string(f[6]);
  return !c.domain.empty();
}

std::string clean(std::string_view field) {
  std::string out;
  for (char ch : field)
    if (ch != '\t' && ch != '\r' && ch != '\n') out.push_back(ch);
  return out;
}

std::string to_netscape(const StoredCookie& c) {
  std::string line = c.http_only ? "#HttpOnly_" : "";
  line += (c.include_subdomains ? "." : "") + clean(c.domain);
  line += c.include_subdomains ? "\tTRUE\t" : "\tFALSE\t";
  line += (c.path.empty() ? std::string("/") : clean(c.path)) + (c.secure ? "\tTRUE\t" : "\tFALSE\t");
  line += std::to_string(c.expires) + "\t" + clean(c.name) + "\t" + clean(c.value);
  return line;
}

std::vector<StoredCookie> list_locked(CURL* h) {
  std::vector<StoredCookie> out;
  curl_slist* cookies = nullptr;
  if (curl_easy_getinfo(h, CURLINFO_COOKIELIST, &cookies) != CURLE_OK) return out;
  long long now = static_cast<long long>(std::time(nullptr));
  for (curl_slist* e = cookies; e; e = e->next) {
    StoredCookie c;
    if (parse_netscape(e->data, c) && (c.expires == 0 || c.expires > now)) out.push_back(std::move(c));
  }
  curl_slist_free_all(cookies);
  return out;
}

bool domain_covers(const StoredCookie& c, std::string_view host) {
  if (host == c.domain) return true;
  return c.include_subdomains && host.size() > c.domain.size() &&
         host.substr(host.size() - c.domain.size()) == c.domain &&
         host[host.size() - c.domain.size() - 1] == '.';
}

bool path_covers(std::string_view cookie_path, std::string_view path) {
  if (cookie_path.empty() || cookie_path == "/") return true;
  if (path.substr(0, cookie_path.size()) != cookie_path) return false;
  return path.size() == cookie_path.size() || cookie_path.back() == '/' || path[cookie_path.size()] == '/';
}

struct Target {
  std::string host;
  std::string path = "/";
  bool https = false;
};

Target target_of(std::string_view url_or_host) {
  Target t;
  if (url_or_host.find("://") != std::string_view::npos) {
    t.host = url_host(url_or_host);
    t.path = url_path(url_or_host);
    size_t q = t.path.find_first_of("?#");
    if (q != std::string::npos) t.path.resize(q);
    t.https = to_lower(url_or_host.substr(0, 5)) == "https";
  } else {
    t.host = to_lower(url_or_host.substr(0, url_or_host.find_first_of(":/")));
  }
  return t;
}

// Runs fn(handle) under the store's lock, then tells the listener.
template <class F>
void write_store(F fn) {
  {
    auto lock = transport::lock_cookie_store();
    CURL* h = transport::cookie_store_handle();
    if (!h) return;
    fn(h);
    curl_easy_cleanup(h);
  }
  transport::notify_cookie_store_changed();
}

}  // namespace

namespace transport {
void notify_cookie_store_changed() {
  std::function<void()> fn;
  {
    std::lock_guard lock(listener_mutex);
    fn = listener;
  }
  if (fn) fn();
}
}  // namespace transport

std::vector<StoredCookie> cookie_store_list() {
  // A store nothing has used yet is empty; listing it needs no libcurl (the embedded browsers'
  // profile lists it when the program starts their engine).
  if (!transport::cookie_store_made()) return {};
  auto lock = transport::lock_cookie_store();
  CURL* h = transport::cookie_store_handle();
  if (!h) return {};
  std::vector<StoredCookie> out = list_locked(h);
  curl_easy_cleanup(h);
  return out;
}

std::string cookie_store_get(std::string_view url_or_host) {
  Target t = target_of(url_or_host);
  std::vector<StoredCookie> sent;
  for (auto& c : cookie_store_list())
    if (domain_covers(c, t.host) && path_covers(c.path, t.path) && (!c.secure || t.https))
      sent.push_back(std::move(c));
  // As a request sends them: longer paths first, otherwise in the order they were stored.
  std::stable_sort(sent.begin(), sent.end(), [](const StoredCookie& a, const StoredCookie& b) {
    return a.path.size() > b.path.size();
  });
  std::vector<std::string> pieces;
  for (const auto& c : sent) pieces.push_back(c.name.empty() ? c.value : c.name + "=" + c.value);
  return join_text(pieces, "; ");
}

void cookie_store_put(const StoredCookie& cookie) {
  if (cookie.domain.empty()) return;
  std::string line = to_netscape(cookie);
  write_store([&](CURL* h) { curl_easy_setopt(h, CURLOPT_COOKIELIST, line.c_str()); });
}

bool cookie_store_set(std::string_view url_or_host, std::string_view set_cookie) {
  Target t = target_of(url_or_host);
  if (t.host.empty()) return false;
  std::vector<std::string> parts = split_text(set_cookie, ";");
  if (parts.empty()) return false;
  StoredCookie c;
  c.domain = t.host;
  std::string first = trim_both(parts[0]);
  size_t eq = first.find('=');
  if (eq == std::string::npos) return false;
  c.name = trim_both(first.substr(0, eq));
  c.value = trim_both(first.substr(eq + 1));
  bool has_max_age = false;
  for (size_t i = 1; i < parts.size(); ++i) {
    std::string attr = trim_both(parts[i]);
    size_t aeq = attr.find('=');
    std::string key = to_lower(trim_both(attr.substr(0, aeq)));
    std::string value = aeq == std::string::npos ? std::string() : trim_both(attr.substr(aeq + 1));
    if (key == "domain" && !value.empty()) {
      std::string d = to_lower(value);
      while (!d.empty() && d.front() == '.') d.erase(0, 1);
      StoredCookie probe;
      probe.domain = d;
      probe.include_subdomains = true;
      if (d.empty() || !domain_covers(probe, t.host)) return false;
      c.domain = d;
      c.include_subdomains = true;
    } else if (key == "path" && !value.empty() && value.front() == '/') {
      c.path = value;
    } else if (key == "expires" && !has_max_age) {
      time_t when = curl_getdate(value.c_str(), nullptr);
      if (when != -1) c.expires = when > 0 ? static_cast<long long>(when) : 1;
    } else if (key == "max-age") {
      has_max_age = true;
      long long seconds = std::atoll(value.c_str());
      c.expires = seconds > 0 ? static_cast<long long>(std::time(nullptr)) + seconds : 1;
    } else if (key == "secure") {
      c.secure = true;
    } else if (key == "httponly") {
      c.http_only = true;
    }
  }
  cookie_store_put(c);
  return true;
}

void cookie_store_clear(std::string_view host_text) {
  std::string host = target_of(host_text).host;
  if (host.empty()) return;
  write_store([&](CURL* h) {
    std::vector<StoredCookie> all = list_locked(h);
    curl_easy_setopt(h, CURLOPT_COOKIELIST, "ALL");
    StoredCookie under_host;
    under_host.domain = host;
    under_host.include_subdomains = true;
    for (const auto& c : all) {
      bool sent_to_host = domain_covers(c, host);
      bool below_host = domain_covers(under_host, c.domain);
      if (!sent_to_host && !below_host) curl_easy_setopt(h, CURLOPT_COOKIELIST, to_netscape(c).c_str());
    }
  });
}

void cookie_store_clear_all() {
  write_store([](CURL* h) { curl_easy_setopt(h, CURLOPT_COOKIELIST, "ALL"); });
}

void set_cookie_store_listener(std::function<void()> fn) {
  std::lock_guard lock(listener_mutex);
  listener = std::move(fn);
}

}  // namespace tessaly
