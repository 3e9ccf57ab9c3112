#pragma once
// The DNSPod session and everything sent to the DNSPod console: login, the create-domain and
// create-record requests of the batch, listing and removing domains for the manager. All
// requests go through winhttp_request against the DNSPOD_WEB endpoint with the session's
// cookie jar; the anti-forgery token rides in every API query.
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/text.h"
#include "dns/dns_common.h"
#include "dns/dns_console.h"

namespace tessaly {

// The process-wide DNSPod session. Its fields are read and replaced by the window thread and by
// workers; every access takes the session's lock, and no lock is held across a request.
class DnspodClient : public DnsConsole {
 public:
  static DnspodClient& instance();

  // GETs "/Login" (collects the console's cookies), POSTs the login form to "/Auth/Login",
  // refreshes the token pair (also on failure) and succeeds when the success marker came back;
  // any other answer with a status is a refusal, one without a status has no verdict. A request
  // without an answer ends the attempt with its reason (the form is not sent when the login page
  // brought none). The e-mail is
  // percent-decoded first and the password trimmed of spaces; both are sent percent-encoded.
  DnsLoginResult login(std::string_view email, std::string_view password) override;
  bool logged_in() const override;
  void logout() override;
  // The batch with the failure log "DNSpod添加失败记录.txt" in the program folder.
  void run_batch(DnsBatchSink& sink) override;
  std::string failure_log_path() const override;
  // One Domain.List request, then its rows one at a time, 50 ms apart.
  ItemOutcome list_domains(const std::function<void(DomainRows)>& add_rows) override;
  // A Domain.Remove request; true when the answer carries the removal marker.
  bool delete_domain(std::string_view domain_id) override;

  // POSTs `body` to an API path ("/Api/Domain.Create"); the query is the token pair verbatim.
  // The response's cookies are merged into the session jar. Returns the body as text.
  Text api_post(std::string_view path, std::string_view body);
  // The same, with the whole response.
  HttpResponse api_request(std::string_view path, std::string_view body);

  std::string session_cookies() const;
  std::string xsrf_pair() const;
  // Replaces both fields and logs out (tests and a fresh program state).
  void set_session(std::string cookies, std::string xsrf_pair);

 private:
  // One request with a copy of the jar; the cookies it returns are merged into the session jar.
  HttpResponse request(const std::string& url, HttpMethod method, std::string_view body);

  mutable std::mutex mutex_;
  bool logged_in_ = false;
  std::string session_cookies_;
  std::string xsrf_pair_;
};

// The success marker of a login answer: {"status":"success","string":"\/Domain"}
const std::string& dnspod_login_marker();
// The login form body from the two boxes' texts.
std::string dnspod_login_body(std::string_view email, std::string_view password);

// --- batch requests ---
std::string dnspod_create_domain_body(std::string_view domain);
std::string dnspod_create_record_body(DnsRecord record, std::string_view domain_id, std::string_view domain,
                                      std::string_view ip);
// True when an API answer carries "code":"1".
bool dnspod_succeeded(std::string_view response);
// The domain ID of a create-domain answer; empty when absent.
Text dnspod_domain_id(std::string_view response);

// --- the batch ---
struct DnspodBatchOptions {
  std::string failure_log_path;  // rewritten whole after each failure
};

// Runs every row present at the start: create the domain, then the ticked records, status after
// each step, the time when the row ends, then the delay (also after the last row). Failures go
// to the failure log. Returns normally at the end; a stop unwinds with JobStopped.
void run_dnspod_batch(DnspodClient& client, DnsBatchSink& sink, const DnspodBatchOptions& options);

// --- the domain manager ---
struct DnspodDomainRow {
  Text name;     // column 0
  Text id;       // column 1
  int position;  // column 2: the item's piece number minus one
  Text status;   // column 3: "状态错误" or "域名状态正常"
  Text records;  // column 4: "记录数" (records - 2) "条"
};

// Parses a Domain.List answer (XML with CR LF) into rows, in order.
std::vector<DnspodDomainRow> parse_dnspod_domain_list(std::string_view response);
// The item pattern of a Domain.List answer (groups: id, ext_status, name, records).
const std::string& dnspod_item_pattern();

std::string dnspod_remove_body(std::string_view domain_id);
// True when a Domain.Remove answer carries "status":{"code":"1","message
bool dnspod_removed(std::string_view response);
// The log line of a removed domain: name "--成功-删除\r\n".
Text dnspod_removed_line(std::string_view name);

}  // namespace tessaly
