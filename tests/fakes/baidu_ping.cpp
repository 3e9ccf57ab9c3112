#include "fakes/baidu_ping.h"

#include <chrono>

#include "fakes/web_pages.h"

namespace tessaly::fakes {
namespace {

const std::string kForm =
    "<form method=\"post\" action=\"/ping.html\">"
    "<input type=\"hidden\" name=\"t\" value=\"1\">"
    "<p>博客地址：<input type=\"text\" name=\"blogurl\" size=\"50\"></p>"
    "<p>RSS地址：<input type=\"text\" name=\"rssurl\" size=\"50\"></p>"
    "<p><input type=\"submit\" value=\"提交\"></p></form>";

// A form field of an urlencoded body, decoded ("+" is a space).
std::string form_value(const std::string& body, const std::string& name) {
  size_t pos = 0;
  while (pos <= body.size()) {
    size_t amp = body.find('&', pos);
    if (amp == std::string::npos) amp = body.size();
    std::string piece = body.substr(pos, amp - pos);
    if (piece.rfind(name + "=", 0) == 0) {
      std::string value = piece.substr(name.size() + 1);
      for (char& c : value)
        if (c == '+') c = ' ';
      return percent_decode(value);
    }
    pos = amp + 1;
  }
  return {};
}

}  // namespace

FakeBaiduPing::FakeBaiduPing(FakeServer& server) {
  server.handle("GET", "/ping.html", [state = state_](const RecordedRequest&, Reply& reply) {
    {
      std::lock_guard lock(state->mutex);
      ++state->form_loads;
    }
    reply_page(reply, "Ping服务", "<h3>Ping服务</h3>" + kForm);
  });
  server.handle("POST", "/ping.html", [state = state_](const RecordedRequest& req, Reply& reply) {
    std::string address = form_value(req.body, "blogurl");
    bool confirmed;
    {
      std::unique_lock lock(state->mutex);
      state->submitted.push_back(address);
      state->released.wait_for(lock, std::chrono::seconds(20), [&] { return !state->held.count(address); });
      confirmed = !state->silent_all && !state->silent.count(address);
    }
    reply_page(
        reply, "Ping服务",
        (confirmed ? "<p>恭喜您，您的博客地址或RSS地址已经成功提交。</p>" : "<p>提交失败，请稍后再试。</p>") +
            kForm);
  });
}

void FakeBaiduPing::never_confirm(const std::string& address) {
  std::lock_guard lock(state_->mutex);
  state_->silent.insert(address);
}

void FakeBaiduPing::never_confirm_any(bool on) {
  std::lock_guard lock(state_->mutex);
  state_->silent_all = on;
}

void FakeBaiduPing::hold(const std::string& address) {
  std::lock_guard lock(state_->mutex);
  state_->held.insert(address);
}

void FakeBaiduPing::release() {
  {
    std::lock_guard lock(state_->mutex);
    state_->held.clear();
  }
  state_->released.notify_all();
}

std::vector<std::string> FakeBaiduPing::submitted() const {
  std::lock_guard lock(state_->mutex);
  return state_->submitted;
}

int FakeBaiduPing::form_loads() const {
  std::lock_guard lock(state_->mutex);
  return state_->form_loads;
}

}  // namespace tessaly::fakes
