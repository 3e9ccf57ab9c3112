#include "fakes/request_gate.h"

#include <algorithm>
#include <chrono>

namespace tessaly::fakes {

RequestGate::Pass::Pass(std::shared_ptr<RequestGate> gate) : gate_(std::move(gate)) {
  std::lock_guard lock(gate_->mutex_);
  gate_->peak_ = std::max(gate_->peak_, ++gate_->in_flight_);
  gate_->changed_.notify_all();
}

RequestGate::Pass::~Pass() {
  std::lock_guard lock(gate_->mutex_);
  --gate_->in_flight_;
}

void RequestGate::hold(int ms) { hold_for(ms, true); }

void RequestGate::hold_for(int ms, bool until_released) {
  std::unique_lock lock(mutex_);
  if (shut_) return;
  const unsigned generation = generation_;
  auto let_go = [&] { return shut_ || (until_released && generation_ != generation); };
  if (until_released) ++held_;
  changed_.notify_all();
  if (ms >= 0)
    changed_.wait_for(lock, std::chrono::milliseconds(ms), let_go);
  else
    changed_.wait(lock, let_go);
  if (until_released) --held_;
}

bool RequestGate::wait_for_held_and_peak(int peak, int timeout_ms) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                           [&] { return held_ >= 1 && peak_ >= peak; });
}

void RequestGate::release() {
  {
    std::lock_guard lock(mutex_);
    ++generation_;
  }
  changed_.notify_all();
}

void RequestGate::shutdown() {
  {
    std::lock_guard lock(mutex_);
    shut_ = true;
  }
  changed_.notify_all();
}

int RequestGate::in_flight() const {
  std::lock_guard lock(mutex_);
  return in_flight_;
}

int RequestGate::peak() const {
  std::lock_guard lock(mutex_);
  return peak_;
}

int RequestGate::held() const {
  std::lock_guard lock(mutex_);
  return held_;
}

void RequestGate::reset_peak() {
  std::lock_guard lock(mutex_);
  peak_ = in_flight_;
}

}  // namespace tessaly::fakes
