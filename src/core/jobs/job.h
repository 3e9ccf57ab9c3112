#pragma once
// Cooperative stop and pause for work running on worker threads. Every control write, every
// request and every item boundary calls checkpoint(): a paused job waits there, a stopped job
// unwinds with JobStopped so that RAII releases whatever it holds.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace tessaly {

// Thrown at a checkpoint of a stopped job; the worker's top level catches it and ends quietly.
struct JobStopped {};

class Job {
 public:
  void request_stop();
  bool stop_requested() const { return stopped_.load(std::memory_order_acquire); }
  void pause();
  void resume();  // no effect when not paused
  bool paused() const { return paused_.load(std::memory_order_acquire); }

  // Waits while paused; throws JobStopped when stopped.
  void checkpoint();
  // Sleeps up to `ms`, waking at once on stop (throws) and holding still while paused.
  void sleep_for(std::chrono::milliseconds ms);

  // The job the calling thread works for, or null on threads that run no job.
  static Job* current();

  // Makes `job` the calling thread's current job for the scope's lifetime.
  class Scope {
   public:
    explicit Scope(Job* job);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    Job* previous_;
  };

 private:
  std::atomic<bool> stopped_{false};
  std::atomic<bool> paused_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
};

// checkpoint() of the calling thread's current job; nothing on other threads.
void checkpoint();
// True when the calling thread's current job has been stopped (for code that must not throw,
// such as a transfer callback).
bool current_job_stopped();

// A plain wait without message processing (a checkpoint-aware wait inside jobs).
void sleep_ms(int ms);

// A critical section for shared counters and lists of pooled jobs. Never held across a
// checkpoint: take it with std::lock_guard around the update only.
using Lock = std::mutex;

}  // namespace tessaly
