#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>

#include "core/jobs/job.h"
#include "core/jobs/pool.h"

namespace tessaly {
namespace {

using namespace std::chrono_literals;

// Runs the dispatcher on its own thread as a job's worker would.
struct PooledRun {
  Job job;
  PoolCounters counters;
  std::thread thread;
  std::atomic<bool> ended{false};
  std::atomic<bool> stopped{false};

  void start(int limit, int rows, PoolCallbacks callbacks, bool repeat = false) {
    thread = std::thread([this, limit, rows, callbacks = std::move(callbacks), repeat] {
      Job::Scope scope(&job);
      try {
        run_pooled(job, limit, rows, callbacks, counters, repeat);
      } catch (const JobStopped&) {
        stopped = true;
      }
      ended = true;
    });
  }
  ~PooledRun() {
    job.request_stop();
    if (thread.joinable()) thread.join();
  }
};

TEST(Pool, LimitAboveRowCountStartsOneWorkerPerRow) {
  PooledRun run;
  std::mutex m;
  std::set<int> rows_done;
  std::atomic<int> announced{0};
  run.start(10, 3,
            {[&](int, int) { ++announced; },
             [&](int row) {
               std::lock_guard lock(m);
               rows_done.insert(row);
             }});
  run.thread.join();
  EXPECT_TRUE(run.ended);
  EXPECT_FALSE(run.stopped);
  EXPECT_EQ(announced, 3);
  EXPECT_EQ(rows_done, (std::set<int>{0, 1, 2}));
  EXPECT_EQ(run.counters.running, 0);
}

TEST(Pool, NeverRunsMoreThanTheLimitAtOnce) {
  PooledRun run;
  std::atomic<int> now{0}, peak{0}, done{0};
  run.start(3, 20, {nullptr, [&](int) {
                      int n = ++now;
                      int p = peak;
                      while (n > p && !peak.compare_exchange_weak(p, n)) {}
                      std::this_thread::sleep_for(2ms);
                      --now;
                      ++done;
                    }});
  run.thread.join();
  EXPECT_EQ(done, 20);
  EXPECT_LE(peak, 3);
  EXPECT_GE(peak, 2);  // the pool really runs workers side by side
}

TEST(Pool, LimitZeroStartsNoneAndRunsUntilStopped) {
  PooledRun run;
  std::atomic<int> worked{0};
  run.start(0, 5, {nullptr, [&](int) { ++worked; }});
  std::this_thread::sleep_for(150ms);
  EXPECT_FALSE(run.ended);
  run.job.request_stop();
  run.thread.join();
  EXPECT_TRUE(run.stopped);
  EXPECT_EQ(worked, 0);
}

TEST(Pool, StopUnwindsWorkersAtTheirCheckpoints) {
  PooledRun run;
  std::atomic<int> started{0};
  run.start(4, 100, {nullptr, [&](int) {
                       ++started;
                       while (true) checkpoint();  // a worker busy until stopped
                     }});
  while (started < 4) std::this_thread::sleep_for(1ms);
  run.job.request_stop();
  run.thread.join();
  EXPECT_TRUE(run.stopped);
  EXPECT_EQ(started, 4);
  EXPECT_EQ(run.counters.running, 0);
}

TEST(Pool, RepeatingJobGoesRoundAgainUntilStopped) {
  PooledRun run;
  std::atomic<int> done{0};
  run.start(2, 3, {nullptr, [&](int) { ++done; }}, true);
  while (done < 9) std::this_thread::sleep_for(1ms);
  run.job.request_stop();
  run.thread.join();
  EXPECT_TRUE(run.stopped);
}

TEST(Job, PauseHoldsAtCheckpointAndStopEndsAPausedJob) {
  Job job;
  std::atomic<int> steps{0};
  std::atomic<bool> stopped{false};
  std::thread t([&] {
    Job::Scope scope(&job);
    try {
      while (true) {
        checkpoint();
        ++steps;
        std::this_thread::sleep_for(1ms);
      }
    } catch (const JobStopped&) {
      stopped = true;
    }
  });
  while (steps < 5) std::this_thread::sleep_for(1ms);
  job.pause();
  std::this_thread::sleep_for(20ms);
  int held = steps;
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(steps, held);
  job.request_stop();
  t.join();
  EXPECT_TRUE(stopped);
  EXPECT_EQ(steps, held);
}

TEST(Job, SleepWakesAtOnceOnStop) {
  Job job;
  auto begin = std::chrono::steady_clock::now();
  std::thread t([&] {
    Job::Scope scope(&job);
    EXPECT_THROW(sleep_ms(10'000), JobStopped);
  });
  std::this_thread::sleep_for(20ms);
  job.request_stop();
  t.join();
  EXPECT_LT(std::chrono::steady_clock::now() - begin, 2s);
}

}  // namespace
}  // namespace tessaly
