#pragma once
// What the DNSPod and 51dns clients share: cookie helpers over a CookieJar text and over the
// process cookie store, form-value encoding, the domain/IP pairing of the batch pages, and the
// record choices of a batch. Texts are GBK.
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/http/http.h"
#include "core/text/text.h"

namespace tessaly {

// Looks `name` up in a CookieJar text. The jar is trimmed and made to end with ";" (written
// back). The first "name=" anywhere in the jar counts, so a cookie whose name ends with `name`
// matches as well. Empty when absent; the value alone or "name=value".
Text cookie_value(std::string& jar, std::string_view name, bool value_only);

// Appends "name=value" to a jar as one more cookie.
void add_cookie(std::string& jar, std::string_view pair);

// The cookies the process cookie store holds for `domain` (all, or only `name` as "name=value").
Text read_site_cookies(std::string_view domain, std::string_view name = {});
// Expires every cookie the process cookie store holds for `domain`.
void clear_site_cookies(std::string_view domain);

// The cookie domain of a remote service: its host without port, reduced to the last two labels
// (an IP address or a one-label host stays whole).
std::string service_cookie_domain(std::string_view endpoint_key);

// A form or query value: UTF-8, every byte but letters, digits, "-" and "." percent-encoded, so
// that "&", "=", "+" and "%" in a value can neither cut it nor add fields.
std::string form_value(std::string_view gbk_text);
// The same for a value that already holds the bytes to send (no code-page conversion).
std::string form_bytes(std::string_view bytes);

// A console request with a session jar that the window thread and workers share: the request
// runs on a copy (no lock is held across it) and the cookies it returns are merged back under
// the lock. A stopped request changes nothing.
HttpResponse session_request(std::mutex& mutex, std::string& jar, const std::string& url, HttpMethod method,
                             std::string_view body);

// A response body as text: its bytes up to the first zero byte, unconverted.
inline Text response_text(std::string_view body) { return to_text_bytes(body); }

// "2024年3月7日9时5分" for the current local time.
Text now_text();

struct DomainIpPair {
  Text domain;
  Text ip;
};

// The import of the batch pages: line i of the domain box pairs with line i of the IP box.
// Nothing is trimmed or checked; empty lines pair as empty values. Null when the two boxes hold
// different numbers of lines (the caller shows import_count_message()).
std::optional<std::vector<DomainIpPair>> import_domain_ip_pairs(std::string_view domain_text,
                                                                std::string_view ip_text);
// "请输入数量相同的域名和IP"
Text import_count_message();

// The A records a batch can create for a domain.
enum class DnsRecord { At, Www, Star };

// Which A records a batch creates for each domain.
struct RecordTicks {
  bool at = true;    // "@", the bare domain
  bool www = true;   // "www"
  bool star = true;  // "*", the wildcard
  bool any() const { return at || www || star; }
  bool has(DnsRecord record) const {
    return record == DnsRecord::At ? at : record == DnsRecord::Www ? www : star;
  }
  void set(DnsRecord record, bool on) {
    (record == DnsRecord::At ? at : record == DnsRecord::Www ? www : star) = on;
  }
};

}  // namespace tessaly
