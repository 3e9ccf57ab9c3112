#pragma once
// The plain half of the job contract: cooperative stop and pause for work running on worker
// threads, and how a run ends. Every control write, every request and every item boundary calls
// checkpoint(): a paused job waits there, a stopped job unwinds with JobStopped so that RAII
// releases whatever it holds. A run ends exactly once, as done, stopped or failed (run_job).
// The window side (gui/worker_task.h) drives the same Job from buttons.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

namespace tessaly {

// Thrown at a checkpoint of a stopped job; run_job turns it into a stopped end.
struct JobStopped {};

// What a job's controls show: idle (no run), running, paused, or stopping (stop asked for, the
// run not yet ended).
enum class JobState { Idle, Running, Paused, Stopping };

enum class JobEnd { Done, Stopped, Failed };

struct JobOutcome {
  JobEnd end = JobEnd::Done;
  std::string message;  // why a failed run failed (GBK text)
};

// How the requests of a job go out (the request layer reads it; see core/http/pacing.h): at most
// `per_second` requests a second to any one host (0: no limit), and up to `retries` further
// attempts of a request the service answered with 429 or 503, each after the wait its Retry-After
// asks for (a wait longer than max_wait_ms gives up at once) or, without one, backoff_ms doubled
// per attempt. A job that paces reports an item the service kept refusing as rate limited.
// The default paces nothing: a request goes out at once and is made once.
struct RequestPacing {
  double per_second = 0;
  int retries = 0;
  int max_wait_ms = 60'000;
  int backoff_ms = 1'000;
  bool active() const { return per_second > 0 || retries > 0; }
};

class Job {
 public:
  // Every checkpoint from now on throws JobStopped; waits and requests end at once.
  void request_stop();
  bool stop_requested() const { return stopped_.load(std::memory_order_acquire); }
  // Pooled jobs: start no new item, let the items already started finish and write.
  void request_wind_down();
  bool winding_down() const { return winding_down_.load(std::memory_order_acquire); }
  void pause();
  void resume();  // no effect when not paused
  bool paused() const { return paused_.load(std::memory_order_acquire); }
  // Threads of this job holding still at a pause right now (they cannot move until resume).
  int held_threads() const { return held_.load(std::memory_order_acquire); }
  // How this job's requests are paced (set before its threads start requesting).
  void set_pacing(const RequestPacing& pacing);
  RequestPacing pacing() const;

  // Waits while paused; throws JobStopped when stopped.
  void checkpoint();
  // Sleeps up to `ms`, waking at once on stop (throws) and holding still while paused.
  void sleep_for(std::chrono::milliseconds ms);
  // Waits until pred() holds or `timeout` has passed, holding still while paused; throws
  // JobStopped on stop. pred runs under the job's lock: it may only read what notify() callers
  // change before they call notify(). Returns pred().
  bool wait_until(const std::function<bool()>& pred, std::chrono::milliseconds timeout);
  // Wakes wait_until() to look at its predicate again.
  void notify();

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
  void hold_while_paused(std::unique_lock<std::mutex>& lock);

  std::atomic<bool> stopped_{false};
  std::atomic<bool> winding_down_{false};
  std::atomic<bool> paused_{false};
  std::atomic<int> held_{0};
  RequestPacing pacing_;  // under mutex_
  mutable std::mutex mutex_;
  std::condition_variable changed_;
};

// Runs body on the calling thread as `job`'s work and says how it ended: done when it returns,
// stopped when it unwinds with JobStopped (or returns after a stop or wind-down was asked for),
// failed with the exception's message when it throws anything else. Never throws.
JobOutcome run_job(Job& job, const std::function<void()>& body);

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
