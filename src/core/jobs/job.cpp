#include "core/jobs/job.h"

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

void Job::checkpoint() {
  if (stop_requested()) throw JobStopped{};
  if (!paused()) return;
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !paused() || stop_requested(); });
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
      changed_.wait(lock, [this] { return !paused() || stop_requested(); });
      deadline = std::chrono::steady_clock::now() + left;
      continue;
    }
    if (changed_.wait_until(lock, deadline, [this] { return paused() || stop_requested(); }))
      continue;
    return;
  }
}

Job* Job::current() { return current_job; }

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
