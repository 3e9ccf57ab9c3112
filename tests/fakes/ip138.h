#pragma once
// The IP138 lookup page ("/ips1388.asp?ip=<domain>&action=2"): a GBK page naming the domain's
// address and its region, or neither for a domain it does not know. Answers can be held.
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "fakes/fake_server.h"

namespace tessaly::fakes {

class FakeIp138 {
 public:
  explicit FakeIp138(FakeServer& server);

  // region is UTF-8 (sent as GBK).
  void set_domain(const std::string& domain, const std::string& ip, const std::string& region);
  // Requests for the domain get no answer until the server releases them.
  void hold(const std::string& domain);

 private:
  struct Entry {
    std::string ip, region;
  };
  struct State {
    std::mutex mutex;
    std::map<std::string, Entry> domains;
    std::string held;
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace tessaly::fakes
