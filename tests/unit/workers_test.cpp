// The plain half of the job contract: how a run ends, stop and pause at checkpoints, and the
// pooled form. Waits are for conditions (a worker held at its pause, a count reached), never a
// fixed time.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#include "core/jobs/job.h"
#include "core/jobs/pool.h"
#include "support/test_support.h"

namespace tessaly {
namespace {

using namespace std::chrono_literals;
using test::eventually;

// A job run on its own thread, as the window side runs one.
struct BackgroundJob {
  Job job;
  std::future<JobOutcome> outcome;
  explicit BackgroundJob(std::function<void()> body)
      : outcome(
            std::async(std::launch::async, [this, body = std::move(body)] { return run_job(job, body); })) {}
  ~BackgroundJob() {
    job.request_stop();
    if (outcome.valid()) outcome.wait();
  }
  JobOutcome end() {
    EXPECT_EQ(outcome.wait_for(10s), std::future_status::ready);
    return outcome.get();
  }
};

TEST(Job, EveryRunEndsOnceAsDoneStoppedOrFailed) {
  struct Case {
    const char* name;
    std::function<void(Job&)> body;
    bool stop_first;
    JobEnd end;
    std::string message;
  };
  const Case cases[] = {
      {"returns", [](Job&) {}, false, JobEnd::Done, ""},
      {"stopped at a checkpoint", [](Job&) { checkpoint(); }, true, JobEnd::Stopped, ""},
      {"returns after a stop", [](Job&) {}, true, JobEnd::Stopped, ""},
      {"returns after a wind-down", [](Job& j) { j.request_wind_down(); }, false, JobEnd::Stopped, ""},
      {"std exception", [](Job&) { throw std::runtime_error("disk full"); }, false, JobEnd::Failed,
       "disk full"},
      {"anything else thrown", [](Job&) { throw 42; }, false, JobEnd::Failed, "unknown error"},
  };
  for (const auto& c : cases) {
    Job job;
    if (c.stop_first) job.request_stop();
    JobOutcome outcome = run_job(job, [&] { c.body(job); });
    EXPECT_EQ(outcome.end, c.end) << c.name;
    EXPECT_EQ(outcome.message, c.message) << c.name;
    EXPECT_EQ(Job::current(), nullptr) << c.name;  // the thread works for no job afterwards
  }
}

TEST(Job, PauseHoldsAtTheCheckpointAndStopEndsThePausedRun) {
  std::atomic<int> steps{0};
  BackgroundJob run([&] {
    while (true) {
      checkpoint();
      ++steps;
    }
  });
  ASSERT_TRUE(eventually([&] { return steps > 5; }));
  run.job.pause();
  ASSERT_TRUE(eventually([&] { return run.job.held_threads() == 1; }));
  const int held = steps;  // held in the checkpoint: it cannot move until resumed
  run.job.resume();
  ASSERT_TRUE(eventually([&] { return steps > held + 5; }));
  run.job.pause();
  ASSERT_TRUE(eventually([&] { return run.job.held_threads() == 1; }));
  const int held_again = steps;
  run.job.request_stop();
  EXPECT_EQ(run.end().end, JobEnd::Stopped);
  EXPECT_EQ(steps, held_again);
}

TEST(Job, WaitsWakeAtOnceOnStopAndHoldStillWhilePaused) {
  for (bool use_sleep : {true, false}) {
    BackgroundJob run([&] {
      if (use_sleep)
        sleep_ms(60'000);
      else
        Job::current()->wait_until([] { return false; }, 60s);
    });
    run.job.request_stop();
    EXPECT_EQ(run.end().end, JobEnd::Stopped) << use_sleep;
  }
  // A paused sleep resumes where it was: it still ends after its time.
  std::atomic<bool> slept{false};
  BackgroundJob run([&] {
    sleep_ms(20);
    slept = true;
  });
  run.job.pause();
  ASSERT_TRUE(eventually([&] { return run.job.held_threads() == 1 || slept; }));
  run.job.resume();
  EXPECT_EQ(run.end().end, JobEnd::Done);
  EXPECT_TRUE(slept);
}

// ---- the pooled form ----------------------------------------------------------------------

PoolPlan plan(int rows, int limit, bool repeat = false) {
  return PoolPlan{rows, [limit] { return limit; }, repeat};
}

TEST(Pool, EveryRowOnceAndNeverMoreWorkersThanTheLimit) {
  struct Case {
    int rows, limit;
  };
  for (Case c : {Case{3, 10}, Case{20, 3}, Case{1, 1}, Case{0, 4}}) {
    std::mutex m;
    std::multiset<int> rows;
    std::set<int> workers;
    std::atomic<int> now{0}, peak{0};
    std::vector<long long> progress;
    Job job;
    PoolResult result;
    JobOutcome outcome = run_job(job, [&] {
      result = run_pooled(job, plan(c.rows, c.limit),
                          {.announce = {},
                           .work =
                               [&](int row, int worker) {
                                 int n = ++now;
                                 for (int p = peak; n > p && !peak.compare_exchange_weak(p, n);) {
                                 }
                                 std::this_thread::sleep_for(1ms);
                                 {
                                   std::lock_guard lock(m);
                                   rows.insert(row);
                                   workers.insert(worker);
                                 }
                                 --now;
                               },
                           .progress = [&](long long done) { progress.push_back(done); }});
    });
    EXPECT_EQ(outcome.end, JobEnd::Done);
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(result.done, c.rows);
    std::multiset<int> expected;
    for (int r = 0; r < c.rows; ++r) expected.insert(r);
    EXPECT_EQ(rows, expected) << c.rows << "/" << c.limit;
    EXPECT_LE(peak, std::min(c.rows, c.limit));
    EXPECT_LE(static_cast<int>(workers.size()), std::min(c.rows, c.limit) + 1);
    if (c.rows > 0) {
      EXPECT_EQ(progress.back(), c.rows);
    }
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  }
}

TEST(Pool, EachWorkerAnnouncesItsRowBeforeWorkingOnIt) {
  std::mutex m;
  std::vector<std::pair<int, int>> announced, worked;  // (row, worker)
  Job job;
  run_job(job, [&] {
    run_pooled(job, plan(12, 4),
               {.announce =
                    [&](int row, int worker) {
                      std::lock_guard lock(m);
                      announced.push_back({row, worker});
                    },
                .work =
                    [&](int row, int worker) {
                      std::lock_guard lock(m);
                      // this worker's latest announcement is this row
                      auto last = std::find_if(announced.rbegin(), announced.rend(),
                                               [&](const auto& a) { return a.second == worker; });
                      ASSERT_NE(last, announced.rend());
                      EXPECT_EQ(last->first, row);
                      worked.push_back({row, worker});
                    },
                .progress = {}});
  });
  EXPECT_EQ(announced.size(), 12u);
  EXPECT_EQ(worked.size(), 12u);
}

TEST(Pool, LimitZeroWaitsWithoutWorkingUntilStopped) {
  std::atomic<int> worked{0}, asked{0};
  BackgroundJob run([&] {
    run_pooled(*Job::current(), {5, [&] { return ++asked, 0; }, false},
               {.announce = {}, .work = [&](int, int) { ++worked; }, .progress = {}});
  });
  ASSERT_TRUE(eventually([&] { return asked >= 2; }));  // it keeps asking for the limit
  run.job.request_stop();
  EXPECT_EQ(run.end().end, JobEnd::Stopped);
  EXPECT_EQ(worked, 0);
}

TEST(Pool, AStoppedRunMakesNoNewWorkers) {
  // Workers of a stopped run unwind at once; the dispatcher must not replace them one after
  // another. A dispatcher that goes round again after its first worker asks for the limit a
  // second time; the limit turns to zero after a while so that such a dispatcher still ends.
  std::atomic<int> asked{0};
  BackgroundJob run([&] {
    Job::current()->request_stop();
    run_pooled(*Job::current(), {1, [&] { return ++asked < 200 ? 8 : 0; }, true},
               {.announce = {}, .work = [&](int, int) {}, .progress = {}});
  });
  EXPECT_EQ(run.end().end, JobEnd::Stopped);
  EXPECT_LE(asked, 1);
}

TEST(Pool, StopUnwindsWorkersAtTheirCheckpoints) {
  std::atomic<int> started{0}, unwound{0};
  BackgroundJob run([&] {
    run_pooled(*Job::current(), plan(100, 4),
               {.announce = {},
                .work =
                    [&](int, int) {
                      ++started;
                      try {
                        while (true) checkpoint();
                      } catch (const JobStopped&) {
                        ++unwound;
                        throw;
                      }
                    },
                .progress = {}});
  });
  ASSERT_TRUE(eventually([&] { return started == 4; }));
  run.job.request_stop();
  EXPECT_EQ(run.end().end, JobEnd::Stopped);
  EXPECT_EQ(started, 4);
  EXPECT_EQ(unwound, 4);
}

TEST(Pool, WindDownFinishesTheRowsTakenAndTakesNoMore) {
  std::atomic<int> taken{0}, finished{0};
  std::atomic<bool> release{false};
  PoolResult result;
  BackgroundJob run([&] {
    result = run_pooled(*Job::current(), plan(50, 3),
                        {.announce = {},
                         .work =
                             [&](int, int) {
                               ++taken;
                               while (!release) std::this_thread::yield();
                               ++finished;
                             },
                         .progress = {}});
  });
  ASSERT_TRUE(eventually([&] { return taken == 3; }));
  run.job.request_wind_down();
  release = true;
  EXPECT_EQ(run.end().end, JobEnd::Stopped);
  EXPECT_EQ(finished, 3);
  EXPECT_EQ(taken, 3);
  EXPECT_FALSE(result.complete);
  EXPECT_EQ(result.done, 3);
}

TEST(Pool, AWorkerFailureFailsTheRunAfterTheOthersEnd) {
  std::atomic<int> worked{0};
  Job job;
  JobOutcome outcome = run_job(job, [&] {
    run_pooled(job, plan(1000, 4),
               {.announce = {},
                .work =
                    [&](int row, int) {
                      if (row == 10) throw std::runtime_error("row 10 broke");
                      std::this_thread::sleep_for(200us);
                      ++worked;
                    },
                .progress = {}});
  });
  EXPECT_EQ(outcome.end, JobEnd::Failed);
  EXPECT_EQ(outcome.message, "row 10 broke");
  EXPECT_LT(worked, 100);  // no new row was taken after the failure
}

TEST(Pool, RepeatingPlanGoesRoundAgainWithSeveralWorkersPerRowUntilStopped) {
  std::mutex m;
  std::multiset<int> rows;
  std::atomic<int> now{0}, peak{0};
  std::atomic<bool> four_at_once{false};
  BackgroundJob run([&] {
    run_pooled(*Job::current(), plan(3, 10, true),
               {.announce = {},
                .work =
                    [&](int row, int) {
                      int n = ++now;
                      for (int p = peak; n > p && !peak.compare_exchange_weak(p, n);) {
                      }
                      // The first rows wait for a fourth worker to be under way: a pool that
                      // kept one worker per row never lets them on.
                      if (n >= 4) four_at_once = true;
                      eventually([&] { return four_at_once.load(); });
                      std::this_thread::sleep_for(1ms);
                      --now;
                      std::lock_guard lock(m);
                      rows.insert(row);
                    },
                .progress = {}});
  });
  ASSERT_TRUE(eventually([&] {
    std::lock_guard lock(m);
    return rows.count(0) >= 5 && rows.count(2) >= 5;
  }));
  run.job.request_stop();
  EXPECT_EQ(run.end().end, JobEnd::Stopped);
  EXPECT_LE(peak, 10);
  EXPECT_TRUE(four_at_once);  // more requests in flight than rows
}

TEST(Pool, ALowerLimitEndsSurplusWorkersAfterTheirRow) {
  std::atomic<int> limit{6}, now{0}, peak_after{0};
  std::atomic<bool> lowered{false};
  std::atomic<int> done_after{0};
  BackgroundJob run([&] {
    run_pooled(*Job::current(), {100000, [&] { return limit.load(); }, true},
               {.announce = {},
                .work =
                    [&](int, int) {
                      int n = ++now;
                      std::this_thread::sleep_for(1ms);
                      if (lowered) {
                        if (++done_after > 50) {  // well after the change: the surplus has left
                          for (int p = peak_after; n > p && !peak_after.compare_exchange_weak(p, n);) {
                          }
                        }
                      }
                      --now;
                    },
                .progress = {}});
  });
  ASSERT_TRUE(eventually([&] { return now >= 3; }));
  limit = 2;
  lowered = true;
  ASSERT_TRUE(eventually([&] { return done_after > 200; }));
  run.job.request_stop();
  EXPECT_EQ(run.end().end, JobEnd::Stopped);
  EXPECT_LE(peak_after, 2);
}

}  // namespace
}  // namespace tessaly
