#include "core/jobs/job.h"

#include <exception>
#include <thread>

namespace tessaly {
namespace {
thread_local Job* current_job = nullptr;
}

void Job::request_stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_.store(true, std::memory_order_release);
  }
  changed_.notify_all();
}

void Job::request_wind_down() {
  {
    std::lock_guard lock(mutex_);
    winding_down_.store(true, std::memory_order_release);
  }
  changed_.notify_all();
}

void Job::pause() {
  std::lock_guard lock(mutex_);
  paused_.store(true, std::memory_order_release);
}

void Job::resume() {
  {
    std::lock_guard lock(mutex_);
    paused_.store(false, std::memory_order_release);
  }
  changed_.notify_all();
}

void Job::set_pacing(const RequestPacing& pacing) {
  std::lock_guard lock(mutex_);
  pacing_ = pacing;
}

RequestPacing Job::pacing() const {
  std::lock_guard lock(mutex_);
  return pacing_;
}

void Job::hold_while_paused(std::unique_lock<std::mutex>& lock) {
  ++held_;
  changed_.wait(lock, [this] { return !paused() || stop_requested(); });
  --held_;
}

void Job::checkpoint() {
  if (stop_requested()) throw JobStopped{};
  if (!paused()) return;
  std::unique_lock lock(mutex_);
  hold_while_paused(lock);
  if (stop_requested()) throw JobStopped{};
}

void Job::sleep_for(std::chrono::milliseconds ms) {
  auto deadline = std::chrono::steady_clock::now() + ms;
  std::unique_lock lock(mutex_);
  while (true) {
    if (stop_requested()) throw JobStopped{};
    if (paused()) {
      // A paused wait holds still and continues where it was after resume.
      auto left = deadline - std::chrono::steady_clock::now();
      hold_while_paused(lock);
      deadline = std::chrono::steady_clock::now() + left;
      continue;
    }
    if (changed_.wait_until(lock, deadline, [this] { return paused() || stop_requested(); })) continue;
    return;
  }
}

bool Job::wait_until(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock lock(mutex_);
  while (true) {
    if (stop_requested()) throw JobStopped{};
    if (paused()) {
      hold_while_paused(lock);
      continue;
    }
    if (pred()) return true;
    if (changed_.wait_until(lock, deadline) == std::cv_status::timeout) {
      if (stop_requested()) throw JobStopped{};
      return pred();
    }
  }
}

void Job::notify() {
  { std::lock_guard lock(mutex_); }  // a waiter between its test and its wait sees the change
  changed_.notify_all();
}

Job* Job::current() { return current_job; }

JobOutcome run_job(Job& job, const std::function<void()>& body) {
  Job::Scope scope(&job);
  try {
    body();
  } catch (const JobStopped&) {
    return {JobEnd::Stopped, {}};
  } catch (const std::exception& e) {
    return {JobEnd::Failed, e.what()};
  } catch (...) {
    return {JobEnd::Failed, "unknown error"};
  }
  if (job.stop_requested() || job.winding_down()) return {JobEnd::Stopped, {}};
  return {JobEnd::Done, {}};
}

Job::Scope::Scope(Job* job) : previous_(current_job) { current_job = job; }
Job::Scope::~Scope() { current_job = previous_; }

void checkpoint() {
  if (current_job) current_job->checkpoint();
}

bool current_job_stopped() { return current_job && current_job->stop_requested(); }

void sleep_ms(int ms) {
  if (ms <= 0) return;
  if (current_job)
    current_job->sleep_for(std::chrono::milliseconds(ms));
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace tessaly
