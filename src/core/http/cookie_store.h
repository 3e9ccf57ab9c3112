#pragma once
// The process-wide cookie store. http_request and http_request_bytes use it whenever they are
// called without a cookie jar: cookies a site sets are kept here and sent back to it on later
// requests, the way a browser's store works, for as long as the program runs. Requests with a
// jar, and session_request always, bypass it. The functions below let other parts of the
// program read and write it (the embedded browser's cookies are bridged through them, and the
// DNS sessions read and clear the cookies of their console).
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

struct StoredCookie {
  std::string domain;               // host name, lower case, without a leading dot
  bool include_subdomains = false;  // a domain cookie: sent to every host under `domain`
  std::string path = "/";
  bool secure = false;  // sent over https only
  bool http_only = false;
  long long expires = 0;  // Unix time; 0 = a session cookie
  std::string name;
  std::string value;
};

// The cookies a request to the URL would carry, as "name=value; name2=value2" (HttpOnly ones
// included). A bare host name stands for "http://host/".
std::string cookie_store_get(std::string_view url_or_host);

// Stores one cookie as the URL's server would set it: set_cookie is a Set-Cookie value,
// "name=value" optionally followed by "; Domain=...", "; Path=...", "; Expires=...",
// "; Max-Age=...", "; Secure", "; HttpOnly". An expiry in the past deletes the cookie. False
// (and nothing stored) when the text has no name=value or the Domain does not cover the host.
bool cookie_store_set(std::string_view url_or_host, std::string_view set_cookie);

// Removes every cookie that would be sent to the host, and the cookies of its sub-domains.
void cookie_store_clear(std::string_view host);
void cookie_store_clear_all();

// Every live cookie, and the import of one (replacing a cookie of the same domain, path and
// name; an expiry in the past deletes it).
std::vector<StoredCookie> cookie_store_list();
void cookie_store_put(const StoredCookie& cookie);

// Called (on the thread that changed it) after the store may have changed: a request without a
// jar received cookies, or one of the functions above wrote to it. One listener; {} removes it.
void set_cookie_store_listener(std::function<void()> listener);

}  // namespace tessaly
