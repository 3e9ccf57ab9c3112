#include "fakes/rate_limiter.h"

namespace tessaly::fakes {

FakeRateLimiter::FakeRateLimiter(FakeServer& server) {
  server.set_front([state = state_](const RecordedRequest& req, Reply& reply) {
    const std::string decoded = percent_decode(req.target);
    std::lock_guard lock(state->mutex);
    Arrival arrival{req.target, std::chrono::steady_clock::now(), false};
    for (Rule& rule : state->rules) {
      if (rule.left == 0 || decoded.find(rule.match) == std::string::npos) continue;
      if (rule.left > 0) --rule.left;
      reply.status = rule.status;
      reply.content_type = "text/html";
      reply.body = rule.status == 429 ? "<html><body>Too Many Requests</body></html>"
                                      : "<html><body>Service Unavailable</body></html>";
      if (!rule.retry_after.empty()) reply.header("Retry-After", rule.retry_after);
      arrival.refused = true;
      break;
    }
    state->arrivals.push_back(arrival);
    return arrival.refused;
  });
}

void FakeRateLimiter::refuse(std::string match, int count, int status, std::string retry_after) {
  std::lock_guard lock(state_->mutex);
  state_->rules.push_back({std::move(match), count, status, std::move(retry_after)});
}

std::vector<Arrival> FakeRateLimiter::arrivals() const {
  std::lock_guard lock(state_->mutex);
  return state_->arrivals;
}

int FakeRateLimiter::refused() const {
  std::lock_guard lock(state_->mutex);
  int n = 0;
  for (const Arrival& a : state_->arrivals) n += a.refused ? 1 : 0;
  return n;
}

}  // namespace tessaly::fakes
