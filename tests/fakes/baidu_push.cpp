#include "fakes/baidu_push.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tessaly::fakes {
namespace {

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The host of an http(s) URL in lower case; "" when the text is no such URL.
std::string url_host(const std::string& url) {
  const std::string l = lower(url);
  size_t skip = l.rfind("http://", 0) == 0 ? 7 : l.rfind("https://", 0) == 0 ? 8 : 0;
  if (skip == 0 || l.find_first_of(" \t") != std::string::npos) return {};
  std::string host = l.substr(skip, l.find_first_of("/?#:", skip) - skip);
  return host;
}

// The host of a site as registered ("www.example.com" or "https://www.example.com").
std::string site_host(const std::string& site) {
  const std::string l = lower(site);
  size_t skip = l.rfind("http://", 0) == 0 ? 7 : l.rfind("https://", 0) == 0 ? 8 : 0;
  return l.substr(skip, l.find(':', skip) - skip);
}

// A JSON string as the service writes it: "/" as "\/", everything beyond ASCII as \uXXXX.
std::string json_text(const std::string& utf8) {
  std::string out = "\"";
  auto put_u = [&out](unsigned unit) {
    char buf[16];
    std::snprintf(buf, sizeof(buf), "\\u%04x", unit);
    out += buf;
  };
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      if (c == '"' || c == '\\' || c == '/') {
        out += '\\';
        out += static_cast<char>(c);
      } else if (c < 0x20) {
        put_u(c);
      } else {
        out += static_cast<char>(c);
      }
      ++i;
      continue;
    }
    const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    unsigned cp = c & (length == 4 ? 0x07 : length == 3 ? 0x0F : 0x1F);
    for (int k = 1; k < length && i + static_cast<size_t>(k) < utf8.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]) & 0x3F);
    i += static_cast<size_t>(length);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      put_u(0xD800 + (cp >> 10));
      put_u(0xDC00 + (cp & 0x3FF));
    } else {
      put_u(cp);
    }
  }
  return out + "\"";
}

std::string json_list(const std::vector<std::string>& items) {
  std::string out = "[";
  for (size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + json_text(items[i]);
  return out + "]";
}

void error_answer(Reply& reply, int status, const std::string& message) {
  reply.status = status;
  reply.body = "{\"error\":" + std::to_string(status) + ",\"message\":" + json_text(message) + "}";
}

}  // namespace

FakeBaiduPush::FakeBaiduPush(FakeServer& server) {
  server.set_fallback([](const RecordedRequest&, Reply& reply) {
    reply.content_type = "application/json";
    error_answer(reply, 404, "not found");
  });
  server.handle("*", "/urls", [state = state_, gate = gate_](const RecordedRequest& req, Reply& reply) {
    RequestGate::Pass pass(gate);
    bool hold;
    {
      std::lock_guard lock(state->mutex);
      hold = state->hold;
    }
    if (hold) gate->hold();
    reply.content_type = "application/json";
    std::lock_guard lock(state->mutex);
    if (state->refuse_left != 0) {
      if (state->refuse_left > 0) --state->refuse_left;
      error_answer(reply, state->refuse_status, state->refuse_message);
      if (state->refuse_status == 429) reply.header("Retry-After", "0");
      return;
    }
    const std::string token = req.param("token");
    const std::string site = req.param("site");
    const bool known_token = std::any_of(state->sites.begin(), state->sites.end(),
                                         [&](const auto& entry) { return entry.second.token == token; });
    if (token.empty() || !known_token) return error_answer(reply, 401, "token is not valid");
    auto account = state->sites.find(site);
    if (account == state->sites.end() || account->second.token != token)
      return error_answer(reply, 400, "site error");

    std::vector<std::string> lines;
    size_t from = 0;
    while (from <= req.body.size()) {
      size_t end = req.body.find('\n', from);
      if (end == std::string::npos) end = req.body.size();
      std::string line = req.body.substr(from, end - from);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) lines.push_back(std::move(line));
      from = end + 1;
    }
    if (lines.empty()) return error_answer(reply, 400, "empty content");
    if (static_cast<int>(lines.size()) > state->limit)
      return error_answer(reply, 400, "only " + std::to_string(state->limit) + " urls are allowed once");
    Account& a = account->second;
    if (a.quota <= 0) return error_answer(reply, 400, "over quota");

    std::vector<std::string> other_site, not_valid;
    long long success = 0;
    const std::string own = site_host(site);
    for (const std::string& url : lines) {
      const std::string host = url_host(url);
      // A host without a dot (an intranet name) is no address the engine can crawl.
      if (host.empty() || host.find('.') == std::string::npos) {
        not_valid.push_back(url);
      } else if (host != own) {
        other_site.push_back(url);
      } else if (a.quota > 0) {
        --a.quota;
        ++success;
        a.pushed.push_back(url);
      }
    }
    reply.body = "{\"remain\":" + std::to_string(a.quota) + ",\"success\":" + std::to_string(success);
    if (!other_site.empty()) reply.body += ",\"not_same_site\":" + json_list(other_site);
    if (!not_valid.empty()) reply.body += ",\"not_valid\":" + json_list(not_valid);
    reply.body += "}";
  });
}

FakeBaiduPush::~FakeBaiduPush() { gate_->shutdown(); }

void FakeBaiduPush::add_site(const std::string& site, const std::string& token, long long quota) {
  std::lock_guard lock(state_->mutex);
  state_->sites[site] = Account{token, quota, {}};
}

long long FakeBaiduPush::remain(const std::string& site) const {
  std::lock_guard lock(state_->mutex);
  auto it = state_->sites.find(site);
  return it == state_->sites.end() ? -1 : it->second.quota;
}

std::vector<std::string> FakeBaiduPush::pushed(const std::string& site) const {
  std::lock_guard lock(state_->mutex);
  auto it = state_->sites.find(site);
  return it == state_->sites.end() ? std::vector<std::string>{} : it->second.pushed;
}

void FakeBaiduPush::set_limit(int urls) {
  std::lock_guard lock(state_->mutex);
  state_->limit = urls;
}

void FakeBaiduPush::refuse_next(int count, int status, std::string message) {
  std::lock_guard lock(state_->mutex);
  state_->refuse_left = count;
  state_->refuse_status = status;
  state_->refuse_message = std::move(message);
}

void FakeBaiduPush::hold_requests(bool on) {
  std::lock_guard lock(state_->mutex);
  state_->hold = on;
}

std::string FakeBaiduPush::describe(const RecordedRequest& request, const std::string& token) {
  std::string dump = request.header_block + "\r\n" + request.body;
  if (token.empty()) return dump;
  for (size_t at = dump.find(token); at != std::string::npos; at = dump.find(token, at + 6))
    dump.replace(at, token.size(), "******");
  return dump;
}

}  // namespace tessaly::fakes
