#include "fakes/translate.h"

#include "fakes/dns_consoles.h"

namespace tessaly::fakes {

FakeTranslate::FakeTranslate(FakeServer& server) {
  server.handle("POST", "/v2transapi", [state = state_](const RecordedRequest& req, Reply& reply) {
    std::lock_guard lock(state->mutex);
    reply.content_type = "application/json";
    switch (state->mode) {
      case Mode::Hang:
        reply.hang = true;
        return;
      case Mode::ServerError:
        reply.status = 500;
        reply.body = "{\"error\":\"internal\"}";
        return;
      case Mode::NoTranslation:
        reply.body = "{\"error\":997,\"msg\":\"unsupported\"}";
        return;
      case Mode::Answer:
        break;
    }
    auto form = parse_form(req.body);
    std::string query = form["query"];
    std::string data;
    size_t pos = 0;
    while (pos <= query.size()) {
      size_t end = query.find('\n', pos);
      if (end == std::string::npos) end = query.size();
      std::string line = query.substr(pos, end - pos);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      pos = end + 1;
      if (line.empty()) continue;
      auto it = state->words.find(line);
      std::string dst = it == state->words.end() ? "?" + line : it->second;
      if (!data.empty()) data += ",";
      data += "{\"dst\":\"" + dst + "\",\"prefixWrap\":0,\"src\":\"" + line + "\"}";
    }
    reply.body =
        "{\"trans_result\":{\"data\":[" + data + "],\"from\":\"zh\",\"status\":0,\"to\":\"en\",\"type\":2}}";
  });
}

void FakeTranslate::add_word(const std::string& source, const std::string& english) {
  std::lock_guard lock(state_->mutex);
  state_->words[source] = english;
}

void FakeTranslate::set_mode(Mode mode) {
  std::lock_guard lock(state_->mutex);
  state_->mode = mode;
}

}  // namespace tessaly::fakes
