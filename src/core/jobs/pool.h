#pragma once
// Pooled jobs: one dispatcher hands the rows of a list to up to `limit` worker threads at once,
// replacing a finished worker at once. Workers take rows through an atomic counter.
#include <atomic>
#include <functional>

#include "core/jobs/job.h"

namespace tessaly {

struct PoolCallbacks {
  // On the dispatcher, before worker `worker_number` (1-based) starts on `row` (0-based).
  std::function<void(int row, int worker_number)> announce;
  // On the worker thread: the tool's work for one row.
  std::function<void(int row)> work;
};

struct PoolCounters {
  std::atomic<int> next_row{0};
  std::atomic<int> running{0};
};

// Runs every row once (repeat = false) or round after round until the job is stopped
// (repeat = true). A limit of 0 or less starts no worker and waits until the job is stopped.
// Must run on a thread that belongs to `job` (the dispatcher); returns when all its workers have
// ended; throws JobStopped after a stop, once the workers have unwound.
void run_pooled(Job& job, int limit, int row_count, const PoolCallbacks& callbacks,
                PoolCounters& counters, bool repeat = false);

}  // namespace tessaly
