#pragma once
// Domain information query: whois data (registrar, name servers, DNS servers, update, creation
// and expiry dates, or "not registered") and the resolved IP address of many domains, read from
// two public lookup pages, and the exports of the result list.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/http/http.h"
#include "core/text/text.h"

namespace tessaly {
class PatternMatcher;
}

namespace tessaly::domains {

// One row of the result list: domain, registrar (or IP), name servers, DNS servers, update,
// creation and expiry dates.
using DomainInfoRow = std::array<Text, 7>;

std::string whois_url(const Text& domain);
std::string ip_page_url(const Text& domain);

// A page's text: its bytes up to the first zero byte.
Text info_page_text(const Bytes& body);
// The decoded text: every "%" and two hex digits as the byte they name, then read as UTF-8 and
// converted to GBK. Chinese markers and patterns are matched against it.
Text info_decoded_text(const Text& page_text);
// The whois page is complete when its text holds the whois block.
bool has_whois_marker(const Text& page_text);

// Unreadable: the page holds neither the unregistered text nor the whois fields.
enum class WhoisOutcome { Registered, Unregistered, Unreadable };
struct WhoisResult {
  WhoisOutcome outcome = WhoisOutcome::Registered;
  std::array<Text, 6> fields{};  // columns 1 to 6 of a registered domain
};
// The matcher keeps the compiled pattern from one page to the next.
WhoisResult read_whois(PatternMatcher& matcher, const Text& decoded_text);
// The address of the IP page's first result ("" when none).
Text read_ip_address(const Text& decoded_text);

struct WhoisOptions {
  TextList domains;                 // the domain box's lines, as typed
  std::function<int()> delay_ms{};  // after each domain's first request; read for every domain
  int retries = 3;                  // more requests when the page lacks the whois block
  int retry_pause_ms = 1000;        // pause before retry n: n times this
};

class WhoisSink {
 public:
  virtual ~WhoisSink() = default;
  virtual void status(const Text& line) = 0;  // a progress line, ending in CR LF
  // Row `index` (0-based, the domain's line): added with empty rows before it when missing.
  // Result: a registered domain with its fields; Empty: an unregistered one ("该域名未被注册");
  // Failed: no whois page, or one whose fields cannot be read (registrar query_failed_text());
  // RateLimited: the service kept refusing (registrar rate_limited_text()).
  virtual void write_row(int index, const DomainInfoRow& row, ItemOutcome outcome) = 0;
  // The domain on line `position` (from 1) got no whois page, or was rate limited; told just
  // before its row, `why` in English.
  virtual void request_problem(int /*position*/, RequestOutcome /*outcome*/, const std::string& /*why*/) {}
};

// The whois worker: one domain after another. A page that still lacks the whois block after
// the retries, or holds it without the fields, gives a failed row ("查询失败") and a status line
// saying so; a domain the service kept refusing is not asked again and gives the row
// rate_limited_text().
void run_whois_query(const WhoisOptions& options, WhoisSink& sink);
// The registrar column of an unregistered domain's row ("该域名未被注册").
const Text& whois_unregistered_text();

class IpQuerySink {
 public:
  virtual ~IpQuerySink() = default;
  // Result: the page's address; Empty: a page without one (the IP empty); Failed: no answer, an
  // error status or a reply without markup (query_failed_text()); RateLimited: the service kept
  // refusing (rate_limited_text()).
  virtual void add_row(const Text& domain, const Text& ip, ItemOutcome outcome) = 0;
  virtual void request_problem(int /*position*/, RequestOutcome /*outcome*/, const std::string& /*why*/) {}
};

// The IP worker: one domain after another, without pauses.
void run_ip_query(const TextList& domains, IpQuerySink& sink);

enum class InfoExport { ErrorDomains, AllRows, DomainDns };

// The export file's name in the program folder (a native name).
std::string info_export_file(InfoExport mode);
// The all-rows export line of row i (from 1), without its line break.
Text all_rows_line(int i, const DomainInfoRow& row);
// The file's content: one line per row, CR LF each (rows numbered from 1).
Text info_export_text(const std::vector<DomainInfoRow>& rows, InfoExport mode);
// The domain-IP export: "domain-IP" per row; and its file name on the desktop.
Text domain_ip_export_text(const std::vector<DomainInfoRow>& rows);
extern const char* const kDomainIpFile;

}  // namespace tessaly::domains
