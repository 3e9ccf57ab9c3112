#pragma once
// Baidu's URL-submission API ("POST /urls?site=SITE&token=TOKEN", the URLs one per line) as a
// stateful service: each site has its token and the day's quota, and every answer is the JSON
// the service gives. A request for an unknown token gets 401 "token is not valid", a site the
// token is not for 400 "site error", no URL 400 "empty content", more than the per-request limit
// 400 "only 2000 urls are allowed once", a push with no quota left 400 "over quota". Otherwise
// the URLs of another host are answered in "not_same_site", lines that are no http(s) URL (or
// whose host has no dot) in "not_valid", and the rest are taken in their order while the quota
// lasts: {"remain":R,"success":S,...}. Strings are escaped as the service escapes them ("\/",
// "\uXXXX").
//
// Modes for what goes wrong: the next requests answered 429 (with Retry-After: 0) or with a
// server error, or held until the test lets them go (the gate: a test decides the order, never
// a sleep). The server records every request byte for byte; describe() gives one with its token
// masked, for failure messages.
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "fakes/fake_server.h"
#include "fakes/request_gate.h"

namespace tessaly::fakes {

class FakeBaiduPush {
 public:
  // Registers "/urls" (and answers 404 {"error":404,"message":"not found"} on any other path).
  explicit FakeBaiduPush(FakeServer& server);
  ~FakeBaiduPush();
  FakeBaiduPush(const FakeBaiduPush&) = delete;
  FakeBaiduPush& operator=(const FakeBaiduPush&) = delete;

  // A site as registered ("www.example.com" or "https://www.example.com"), its token and the
  // quota left today.
  void add_site(const std::string& site, const std::string& token, long long quota);
  long long remain(const std::string& site) const;
  // The URLs taken for a site, in the order they came.
  std::vector<std::string> pushed(const std::string& site) const;
  // The most URLs one request may carry (2,000 unless set).
  void set_limit(int urls);

  // The next `count` requests (-1: every one) get `status` with {"error":status,"message":...};
  // a 429 also carries Retry-After: 0.
  void refuse_next(int count, int status, std::string message);
  // From now on requests are held before they are answered, until release(); off again with
  // hold_requests(false).
  void hold_requests(bool on);
  void release() { gate_->release(); }
  int held() const { return gate_->held(); }

  // A request as a dump for failure messages: request line, headers and body, with the token
  // replaced by "******" wherever it appears.
  static std::string describe(const RecordedRequest& request, const std::string& token);

 private:
  struct Account {
    std::string token;
    long long quota = 0;
    std::vector<std::string> pushed;
  };
  struct State {
    std::mutex mutex;
    std::map<std::string, Account> sites;  // by the site as registered
    int limit = 2000;
    int refuse_left = 0;
    int refuse_status = 0;
    std::string refuse_message;
    bool hold = false;
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
  std::shared_ptr<RequestGate> gate_ = std::make_shared<RequestGate>();
};

}  // namespace tessaly::fakes
