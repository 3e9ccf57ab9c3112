#pragma once
// A rate limiter in front of a fake server's services, as busy services answer a client that
// asks too often: chosen requests are refused with 429 ("too many requests") or 503
// ("unavailable"), with a Retry-After header or without; the rest reach the services. Every
// arrival is logged with its time, so tests see the spacing of requests and the waits after a
// refusal.
//
//   FakeServer server;
//   FakeBaiduSearch baidu(server);
//   FakeRateLimiter limiter(server);
//   limiter.refuse("b.com", 2, 429, "1");   // the next two requests naming b.com: 429, Retry-After: 1
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "fakes/fake_server.h"

namespace tessaly::fakes {

struct Arrival {
  std::string target;  // path and query as sent
  std::chrono::steady_clock::time_point at;
  bool refused = false;
};

class FakeRateLimiter {
 public:
  explicit FakeRateLimiter(FakeServer& server);

  // The next `count` requests whose target contains `match` (percent-decoded; "" matches every
  // request; count -1: all of them) get `status` and, unless `retry_after` is empty, that
  // Retry-After value. Rules are looked at in the order they were made.
  void refuse(std::string match, int count, int status = 429, std::string retry_after = "0");
  std::vector<Arrival> arrivals() const;
  int refused() const;

 private:
  struct Rule {
    std::string match;
    int left;
    int status;
    std::string retry_after;
  };
  struct State {
    mutable std::mutex mutex;
    std::vector<Rule> rules;
    std::vector<Arrival> arrivals;
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace tessaly::fakes
