#include "fakes/link_target.h"

namespace tessaly::fakes {

FakeLinkTarget::FakeLinkTarget(FakeServer& server) {
  server.set_fallback([pages = pages_, gate = gate_](const RecordedRequest& req, Reply& reply) {
    LinkPage page;
    {
      std::lock_guard lock(pages->mutex);
      auto it = pages->paths.find(req.path);
      page = it != pages->paths.end() ? it->second : pages->fallback;
    }
    RequestGate::Pass pass(gate);
    if (page.delay_ms > 0) gate->wait_ms(page.delay_ms);
    if (page.hang) gate->hold();
    reply.body = page.title ? "<html><head><title>收录</title></head><body>" + req.target + "</body></html>"
                            : "<html><body>" + req.target + "</body></html>";
    reply.content_type = "text/html; charset=utf-8";
  });
}

FakeLinkTarget::~FakeLinkTarget() { gate_->shutdown(); }

void FakeLinkTarget::set_page(const std::string& path, LinkPage page) {
  std::lock_guard lock(pages_->mutex);
  pages_->paths[path] = page;
}

void FakeLinkTarget::set_default(LinkPage page) {
  std::lock_guard lock(pages_->mutex);
  pages_->fallback = page;
}

}  // namespace tessaly::fakes
