// Domain and site tools on the command line: the access test, whois and the IP lookup.
#include "cli/command.h"
#include "core/text/charset.h"
#include "domains/access_test.h"
#include "domains/domain_info.h"
#include "domains/ip_lookup.h"
#include "domains/whois_dates.h"

namespace tessaly::cli {
namespace {

// --- access test -------------------------------------------------------------------------------

class AccessLines : public domains::AccessSink {
 public:
  AccessLines(Context& c, const TextList& sites, Progress& progress)
      : c_(c), sites_(sites), progress_(progress) {}

  void request_problem(int position, RequestOutcome outcome, const std::string& why) override {
    c_.problems.add(position, sites_[static_cast<size_t>(position - 1)], outcome, why);
  }
  void site_checked(int position, const Text&, const Text& title, ItemOutcome outcome) override {
    position_ = position;
    title_ = title;
    outcome_ = outcome;
    counts_.add(outcome);
  }
  void result_line(const Text& line) override {
    const bool limited = outcome_ == ItemOutcome::RateLimited;
    if (!limited && title_.empty()) ++flagged_;
    Text text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    c_.out.row(text, {to_text(position_), sites_[static_cast<size_t>(position_ - 1)],
                      limited          ? ""
                      : title_.empty() ? "no"
                                       : "yes",
                      title_, status_word(outcome_)});
    c_.out.flush();
    progress_.step();
  }
  int flagged() const { return flagged_; }
  const OutcomeCounts& counts() const { return counts_; }

 private:
  Context& c_;
  const TextList& sites_;
  Progress& progress_;
  int position_ = 0;
  Text title_;
  ItemOutcome outcome_ = ItemOutcome::Result;
  int flagged_ = 0;
  OutcomeCounts counts_;
};

void run_access(Context& c) {
  const TextList sites = read_input_lines(c.args);
  c.items = static_cast<long long>(sites.size());
  c.out.set_columns({"id", "site", "reachable", "title", "status"});
  Progress progress("sites", c.items);
  AccessLines sink(c, sites, progress);
  domains::run_access_test(sites, sink);
  progress.clear();
  note(utf8(domains::access_summary(sink.flagged()) + failures_tail(sink.counts())));
}

// --- whois -------------------------------------------------------------------------------------

class WhoisLines : public domains::WhoisSink {
 public:
  WhoisLines(Context& c, const TextList& domains, Progress& progress)
      : c_(c), domains_(domains), progress_(progress) {}

  void status(const Text&) override {}
  void request_problem(int position, RequestOutcome outcome, const std::string& why) override {
    c_.problems.add(position, domains_[static_cast<size_t>(position - 1)], outcome, why);
  }
  void write_row(int index, const domains::DomainInfoRow& row, ItemOutcome outcome) override {
    const int position = index + 1;
    std::string registered = outcome == ItemOutcome::Result  ? "yes"
                             : outcome == ItemOutcome::Empty ? "no"
                                                             : "";
    // Each date also in ISO form, for scripts; the tool's own text stays beside it.
    c_.out.row(
        domains::all_rows_line(position, row),
        {to_text(position), row[0], row[1], row[2], row[3], row[4], domains::iso_date(row[4]), row[5],
         domains::iso_date(row[5]), row[6], domains::iso_date(row[6]), registered, status_word(outcome)});
    c_.out.flush();
    progress_.step();
  }

 private:
  Context& c_;
  const TextList& domains_;
  Progress& progress_;
};

void run_whois(Context& c) {
  domains::WhoisOptions options;
  options.domains = read_input_lines(c.args);
  const int delay = static_cast<int>(c.args.number("delay", 2000, 0, 3'600'000));
  options.delay_ms = [delay] { return delay; };
  c.items = static_cast<long long>(options.domains.size());
  c.out.set_columns({"id", "domain", "registrar", "name_servers", "dns_servers", "updated", "updated_iso",
                     "created", "created_iso", "expires", "expires_iso", "registered", "status"});
  Progress progress("domains", c.items);
  WhoisLines sink(c, options.domains, progress);
  domains::run_whois_query(options, sink);
}

// --- IP lookup ---------------------------------------------------------------------------------

class IpLines : public domains::IpLookupSink {
 public:
  IpLines(Context& c, Progress& progress) : c_(c), progress_(progress) {}

  int row_added(int position, const Text& domain) override {
    domain_ = domain;
    return position;
  }
  void request_problem(int position, RequestOutcome outcome, const std::string& why) override {
    c_.problems.add(position, domain_, outcome, why);
  }
  void result(int position, const domains::IpLookupResult& found, ItemOutcome outcome) override {
    c_.out.row(to_text(position) + "---" + domain_ + "---" + found.ip + "---" + found.region,
               {to_text(position), domain_, found.ip, found.region, status_word(outcome)});
    c_.out.flush();
    progress_.step();
  }

 private:
  Context& c_;
  Progress& progress_;
  Text domain_;
};

void run_ip(Context& c) {
  const TextList domains = read_input_lines(c.args);
  c.items = static_cast<long long>(domains.size());
  c.out.set_columns({"id", "domain", "ip", "region", "status"});
  Progress progress("domains", c.items);
  IpLines sink(c, progress);
  domains::run_ip_lookup(domains, sink);
}

}  // namespace

void add_domain_commands(std::vector<Command>& commands) {
  const char* group = "Domain and site tools";
  commands.push_back({"access", group, "reachability and page titles of sites", {}, run_access, true});
  commands.push_back({"whois",
                      group,
                      "whois of domains: registrar, name servers, dates, expiry (Chinaz)",
                      {{"delay", "MS", "wait after each domain's first request (default 2000)"}},
                      run_whois,
                      true});
  commands.push_back({"ip", group, "IP address and hosting region of domains (IP138)", {}, run_ip, true});
}

}  // namespace tessaly::cli
