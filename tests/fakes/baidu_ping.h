#pragma once
// Baidu's ping (URL submission) page: GET "/ping.html" shows the form (a hidden field, then the
// blog address and RSS address fields, then the submit button); POST "/ping.html" submits it
// and answers with the confirmation text above the form again, except for addresses that are
// never confirmed (their answer is an error text above the form). An address can be held: its
// answer waits until release(), so a test can act while that address is being submitted.
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_server.h"

namespace tessaly::fakes {

class FakeBaiduPing {
 public:
  explicit FakeBaiduPing(FakeServer& server);

  // The blog address as submitted ("http://..."): never confirmed.
  void never_confirm(const std::string& address);
  // Every submission goes unconfirmed (or confirmed again).
  void never_confirm_any(bool on);
  // The answer to this address waits for release() (at most 20 s).
  void hold(const std::string& address);
  void release();

  // The blog addresses submitted, in arrival order (decoded form values).
  std::vector<std::string> submitted() const;
  // How many times the form page was loaded.
  int form_loads() const;

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable released;
    std::set<std::string> silent, held;
    bool silent_all = false;
    std::vector<std::string> submitted;
    int form_loads = 0;
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace tessaly::fakes
