#pragma once
// The sites an external link tool requests: every path of the server answers a page, with a
// "title" tag unless the path is set otherwise; a path can also wait before answering or hang
// until the test releases it (or the fake goes away). Requests being answered right now are
// counted, and the most at any moment is kept, so a test can tell how many requests a tool had
// in flight at once.
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "fakes/fake_server.h"
#include "fakes/request_gate.h"

namespace tessaly::fakes {

struct LinkPage {
  bool title = true;  // the page contains "title"
  int delay_ms = 0;   // waits this long before answering
  bool hang = false;  // waits for release() before answering
};

class FakeLinkTarget {
 public:
  // Answers every path of `server` that no other handler takes.
  explicit FakeLinkTarget(FakeServer& server);
  ~FakeLinkTarget();
  FakeLinkTarget(const FakeLinkTarget&) = delete;
  FakeLinkTarget& operator=(const FakeLinkTarget&) = delete;

  // How a path (without its query) answers; set_default() for every other path.
  void set_page(const std::string& path, LinkPage page);
  void set_default(LinkPage page);

  void release() { gate_->release(); }
  int in_flight() const { return gate_->in_flight(); }
  int peak_in_flight() const { return gate_->peak(); }
  int hanging() const { return gate_->held(); }
  void reset_peak() { gate_->reset_peak(); }

 private:
  struct Pages {
    std::mutex mutex;
    std::map<std::string, LinkPage> paths;
    LinkPage fallback;
  };
  std::shared_ptr<Pages> pages_ = std::make_shared<Pages>();
  std::shared_ptr<RequestGate> gate_ = std::make_shared<RequestGate>();
};

}  // namespace tessaly::fakes
