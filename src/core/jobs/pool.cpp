#include "core/jobs/pool.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace tessaly {

void run_pooled(Job& job, int limit, int row_count, const PoolCallbacks& callbacks, PoolCounters& counters,
                bool repeat) {
  std::mutex m;
  std::condition_variable worker_ended;
  std::vector<std::thread> workers;
  int dispatched = 0;  // rows handed out in the current round
  int worker_number = 0;
  counters.next_row = 0;
  counters.running = 0;

  auto join_all = [&] {
    for (auto& t : workers)
      if (t.joinable()) t.join();
    workers.clear();
  };

  try {
    while (true) {
      job.checkpoint();
      if (dispatched >= row_count) {
        if (!repeat || row_count == 0) {
          if (row_count == 0 && repeat) {
            job.sleep_for(std::chrono::milliseconds(50));
            continue;
          }
          break;
        }
        // A repeating job starts the next round once this round's workers have ended.
        {
          std::unique_lock lock(m);
          worker_ended.wait_for(lock, std::chrono::milliseconds(50), [&] { return counters.running == 0; });
          if (counters.running != 0) continue;
        }
        join_all();
        dispatched = 0;
        counters.next_row = 0;
        continue;
      }
      if (limit <= 0) {
        job.sleep_for(std::chrono::milliseconds(50));  // nothing may start; wait for the stop
        continue;
      }
      {
        std::unique_lock lock(m);
        if (counters.running >= limit) {
          worker_ended.wait_for(lock, std::chrono::milliseconds(50), [&] { return counters.running < limit; });
          continue;
        }
      }
      ++worker_number;
      if (callbacks.announce) callbacks.announce(dispatched, worker_number);
      ++counters.running;
      ++dispatched;
      workers.emplace_back([&job, &callbacks, &counters, &m, &worker_ended] {
        Job::Scope scope(&job);
        int row = counters.next_row.fetch_add(1);
        try {
          callbacks.work(row);
        } catch (const JobStopped&) {
        }
        {
          std::lock_guard lock(m);
          --counters.running;
        }
        worker_ended.notify_all();
      });
    }
  } catch (const JobStopped&) {
    join_all();
    throw;
  }
  join_all();
}

}  // namespace tessaly
