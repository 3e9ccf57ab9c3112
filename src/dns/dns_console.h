#pragma once
// What a hosted DNS console offers the batch pages and the domain managers. DnspodClient and
// Dns51Client implement it; the pages and windows talk to a console only through it, so every
// path, form field and marker of a service stays inside its client.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/http/http.h"
#include "core/text/text.h"
#include "dns/dns_common.h"

namespace tessaly {

// Failed: refused, or no answer at all; NoAnswer: an answer without the service's verdict.
enum class DnsLogin { Failed, Succeeded, NoAnswer };

struct DnsLoginResult {
  DnsLogin result = DnsLogin::Failed;
  Text problem;  // why there was no verdict (GBK), shown under the failure; "" for a refusal
};

// The batch page as the worker sees it. Every call may be a checkpoint.
class DnsBatchSink {
 public:
  virtual ~DnsBatchSink() = default;
  virtual int row_count() = 0;
  virtual DomainIpPair row(int r) = 0;                     // columns 1 and 2 of row r (0-based)
  virtual void set_status(int r, const Text& status) = 0;  // column 3
  virtual void set_time(int r, const Text& time) = 0;      // column 4
  virtual void show_row(int r) = 0;                        // scrolls row r into view
  // Row r is done: Result when every step succeeded, Failed when one did not.
  virtual void row_done(int r, ItemOutcome outcome) = 0;
  virtual RecordTicks ticks() = 0;  // the record boxes as they are now
  virtual int delay_seconds() = 0;  // the delay box as it is now (0 without one)
};

// Rows of a domain listing, each as the texts of the manager's columns in order.
using DomainRows = std::vector<TextList>;

class DnsConsole {
 public:
  virtual ~DnsConsole() = default;

  // Opens a session with the account; every attempt starts logged out. A request that brings no
  // answer ends the attempt there (within the request time-out), with the reason.
  virtual DnsLoginResult login(std::string_view email, std::string_view password) = 0;
  // The latest login attempt succeeded (a logout leaves this as it is).
  virtual bool logged_in() const = 0;
  // Expires the service's cookies in the process cookie store. The session's own cookies are
  // kept, and nothing is sent to the service.
  virtual void logout() = 0;

  // Runs the batch over the rows present at its start. Returns at its end; a stop unwinds with
  // JobStopped.
  virtual void run_batch(DnsBatchSink& sink) = 0;
  // Where the batch records its failures for the user: a file ("" when the rows' statuses are
  // the only record).
  virtual std::string failure_log_path() const { return {}; }
  // Lists the account's domains, handing the rows over as they come in. Result: rows came;
  // Empty: the account holds none; Failed / RateLimited: a list request brought no answer.
  virtual ItemOutcome list_domains(const std::function<void(DomainRows)>& add_rows) = 0;
  // Removes one domain from the account. True when the console confirmed it; a console that
  // sends no confirmation reports true once it answered.
  virtual bool delete_domain(std::string_view domain_id) = 0;
};

}  // namespace tessaly
