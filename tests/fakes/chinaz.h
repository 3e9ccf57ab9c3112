#pragma once
// The Chinaz whois page ("/?Domain=<d>&isforceupdate=1") and IP lookup page ("/?IP=<d>") as the
// domain information query reads them. Chinese texts and field values travel percent-encoded
// as UTF-8 inside otherwise plain UTF-8 pages, so they only match after decoding. A whois page
// carries the "div_whois" block for registered and unregistered domains; a domain can be made
// to get pages without that block for its first N requests, or always. Unknown domains are
// unregistered and resolve to nothing.
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "fakes/fake_server.h"

namespace tessaly::fakes {

struct WhoisRecord {
  bool registered = true;
  std::string registrar{}, name_servers{}, dns_servers{}, updated{}, created{}, expires{};  // UTF-8
  int missing = 0;          // first requests answered without the whois block; -1: every request
  bool unreadable = false;  // the whois block is there but holds none of the fields
};

class FakeChinaz {
 public:
  explicit FakeChinaz(FakeServer& server);

  void set_whois(const std::string& domain, WhoisRecord record);
  void set_ip(const std::string& domain, const std::string& ip);
  // Whois requests received for the domain.
  int whois_requests(const std::string& domain) const;

 private:
  struct State {
    mutable std::mutex mutex;
    std::map<std::string, WhoisRecord> whois;
    std::map<std::string, std::string> ips;
    std::map<std::string, int> requests;
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

// The whois page the fake serves for a record whose block is present.
std::string chinaz_whois_page(const WhoisRecord& record);

// Every byte outside printable ASCII as "%XX" (upper-case hex).
std::string percent_encode_high(const std::string& text);

}  // namespace tessaly::fakes
