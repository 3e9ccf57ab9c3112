#pragma once
// The pooled form of a job: the calling thread dispatches the rows of a list to up to `limit`
// worker threads at once and replaces a worker that ends at once. Workers take rows through a
// shared counter, one row at a time, and all of them work for the calling thread's job: a stop
// unwinds them at their checkpoints, a pause holds them, a wind-down lets the rows already taken
// finish and starts no more.
#include <functional>
#include <string>

#include "core/jobs/job.h"

namespace tessaly {

struct PoolPlan {
  int rows = 0;
  // How many workers may run at once; asked before every worker start and after every row (on
  // the worker that did it), so a change takes effect at the next start (a lower limit ends
  // surplus workers after their row).
  // Zero or less starts none and waits, without using the processor, for a higher limit or a stop.
  std::function<int()> limit;
  // Endless passes: after the last row the next worker takes row 0 again, until the job is
  // stopped or wound down (several workers may then work on one row at once).
  bool repeat = false;
};

struct PoolWork {
  // On the worker thread, before it works on `row` (0-based); `worker` (1-based) tells the
  // run's workers apart.
  std::function<void(int row, int worker)> announce;
  // On the worker thread: the tool's work for one row.
  std::function<void(int row, int worker)> work;
  // On the dispatching thread, whenever the number of rows done has changed.
  std::function<void(long long done)> progress;
};

struct PoolResult {
  long long done = 0;     // rows worked through
  bool complete = false;  // every row was done (never for a repeating plan)
};

// Must run on a thread that works for `job` (run_job). Returns when every worker has ended:
// after the last row, or after a wind-down. Throws JobStopped after a stop, and a worker's
// exception (the first one; no new row is taken after it), once all workers have ended.
PoolResult run_pooled(Job& job, const PoolPlan& plan, const PoolWork& work);

// The notes a pooled tool shows in the worker column of a row (GBK): "由线程：" + worker +
// "正在处理" while a worker works on the row, "完毕。线程ID已无效" once it is done with it.
std::string pool_busy_note(int worker);
const std::string& pool_done_note();

}  // namespace tessaly
