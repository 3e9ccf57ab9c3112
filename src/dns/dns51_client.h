#pragma once
// The 51dns session and everything sent to the 51dns member console: login, the batch that adds
// domains and their A records, listing and deleting domains for the manager. All requests go
// through winhttp_request against the DNS51_WEB endpoint.
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/text.h"
#include "dns/dns_common.h"
#include "dns/dns_console.h"

namespace tessaly {

// The process-wide 51dns session. Its fields are read and replaced by the window thread and by
// workers; every access takes the session's lock, and no lock is held across a request.
class Dns51Client : public DnsConsole {
 public:
  static Dns51Client& instance();

  // GETs the login page for a fresh cookie set, POSTs the login form (both values
  // percent-encoded) and judges the answer: "failed", else "successful", else no verdict. A
  // request without an answer ends the attempt with its reason.
  DnsLoginResult login(std::string_view email, std::string_view password) override;
  bool logged_in() const override;
  void logout() override;
  // The batch with the record boxes as they are when it starts.
  void run_batch(DnsBatchSink& sink) override;
  // Every list page with the login cookies; the rows of a page come in together.
  ItemOutcome list_domains(const std::function<void(DomainRows)>& add_rows) override;
  // A delete request with the login cookies; what it answers is not examined, only that it
  // answered. None for an empty ID.
  bool delete_domain(std::string_view domain_id) override;

  std::string login_cookies() const;
  std::string saved_cookies() const;
  std::string session_id_pair() const;
  void set_saved_cookies(std::string cookies);
  // Replaces every field (tests and a fresh program state).
  void set_session(bool logged_in, std::string login_cookies, std::string saved_cookies,
                   std::string session_id_pair);

  // A request with the caller's jar (sent, then merged with the answer's cookies).
  Text request(std::string_view path_and_query, HttpMethod method, std::string_view body, std::string& jar);
  // The same, with the whole response.
  HttpResponse exchange(std::string_view path_and_query, HttpMethod method, std::string_view body,
                        std::string& jar);
  // A request with the login cookies (the manager's jar), merged back into them.
  HttpResponse manager_request(std::string_view path_and_query, HttpMethod method, std::string_view body);

 private:
  mutable std::mutex mutex_;
  bool logged_in_ = false;
  std::string login_cookies_;
  std::string saved_cookies_;
  std::string session_id_pair_;
};

std::string dns51_login_body(std::string_view email, std::string_view password);

// --- batch requests and answers ---
std::string dns51_add_domain_body(std::string_view domain);
std::string dns51_find_domain_path(std::string_view domain);
std::string dns51_detail_path(std::string_view domain_id);
std::string dns51_add_record_path(std::string_view domain_id);
// The add-record body; `present` selects the form that names the existing record's ID.
std::string dns51_record_body(DnsRecord record, bool present, std::string_view record_id, std::string_view ip,
                              std::string_view domain_id);
// True when an add-domain answer holds "domainID" (the domain is new), and its domain ID.
bool dns51_domain_added(std::string_view response);
Text dns51_added_domain_id(std::string_view response);
// The domain ID shown by the find-domain page.
Text dns51_found_domain_id(std::string_view page);

// The IDs of the A records named "www", "@" and "*" on a domain's detail page; empty when absent.
// A record is a table row whose <tr> carries data-record-id (or id="record_N"); its name is the
// cell whose class holds "name" (else the first cell), its type the cell whose class holds
// "type" (else the second). Names may be written as relative names, "@", or the full name.
struct Dns51RecordIds {
  Text www, at, star;
};
Dns51RecordIds parse_51dns_record_ids(std::string_view page, std::string_view domain);

// Runs every row present at the start with the records ticked at the start. The record jar
// lives for the whole run; each row starts from the cookies the previous row ended with.
void run_51dns_batch(Dns51Client& client, DnsBatchSink& sink, RecordTicks ticks);

// --- the domain manager ---
struct Dns51DomainRow {
  int number;  // column 0: running number from 1
  Text name;   // column 1
  Text id;     // column 2
};

// The total of the "共&nbsp;N&nbsp;" block of a list page (percent-decoded UTF-8); 0 when absent.
int parse_51dns_total(std::string_view page);
// Pages to fetch for a total: total / 100 + 1.
int dns51_page_count(int total);
// The domains of list page `page` (1-based), numbered from (page - 1) * 100 + 1.
std::vector<Dns51DomainRow> parse_51dns_page(std::string_view text, int page);
std::string dns51_list_path(int page);

// Fetches the first page for the total, then every page, handing each page's rows over. Result
// when rows came, Empty when the first page answered without any, Failed / RateLimited when a
// page brought no answer (the rows of the pages before it stay).
ItemOutcome run_51dns_domain_list(Dns51Client& client,
                                  const std::function<void(std::vector<Dns51DomainRow>)>& add_rows);

std::string dns51_delete_path();
std::string dns51_delete_body(std::string_view domain_id);

}  // namespace tessaly
