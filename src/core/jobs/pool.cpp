#include "core/jobs/pool.h"

#include <exception>
#include <list>
#include <memory>
#include <thread>

#include "core/text/charset.h"

namespace tessaly {
namespace {

using namespace std::chrono_literals;

// How often a dispatcher with nothing to do asks for the limit again.
constexpr auto kLimitPoll = 200ms;

struct Worker {
  std::thread thread;
  std::shared_ptr<std::atomic<bool>> ended;
};

}  // namespace

PoolResult run_pooled(Job& job, const PoolPlan& plan, const PoolWork& work) {
  std::atomic<long long> next{0}, done{0};
  std::atomic<int> running{0}, limit{0};
  std::atomic<bool> failed{false};
  std::mutex error_mutex;
  std::exception_ptr error;
  std::list<Worker> workers;
  int started = 0;
  long long reported = 0;

  auto rows_left = [&] { return plan.rows > 0 && (plan.repeat || next.load() < plan.rows); };
  auto read_limit = [&] { limit = plan.limit ? plan.limit() : 1; };
  auto reap = [&] {
    for (auto it = workers.begin(); it != workers.end();) {
      if (it->ended->load()) {
        it->thread.join();
        it = workers.erase(it);
      } else {
        ++it;
      }
    }
  };
  auto report = [&] {
    long long now = done.load();
    if (now != reported && work.progress) work.progress(now);
    reported = now;
  };
  // A worker leaves when the run winds down or fails, when the rows run out, or when it is one
  // more than a lowered limit allows.
  auto leave_for_lower_limit = [&] {
    int r = running.load();
    while (r > limit.load())
      if (running.compare_exchange_weak(r, r - 1)) return true;
    return false;
  };
  auto worker_body = [&](int id, std::shared_ptr<std::atomic<bool>> ended) {
    Job::Scope scope(&job);
    bool counted = true;  // still counted in `running`
    try {
      while (true) {
        job.checkpoint();
        if (job.winding_down() || failed.load()) break;
        if (leave_for_lower_limit()) {
          counted = false;
          break;
        }
        long long n = next.fetch_add(1);
        if (!plan.repeat && n >= plan.rows) break;
        int row = static_cast<int>(plan.repeat ? n % plan.rows : n);
        if (work.announce) work.announce(row, id);
        work.work(row, id);
        ++done;
        // The dispatcher is woken after a row only for what it acts on: a progress report, or
        // a new limit (asked here after every row, so a change takes effect at once). A wake-up
        // per row would cost a thread switch per request to a pool of fast requests.
        const int now = plan.limit ? plan.limit() : 1;
        const bool new_limit = now != limit.exchange(now);
        if (new_limit || work.progress) job.notify();
      }
    } catch (const JobStopped&) {
    } catch (...) {
      std::lock_guard lock(error_mutex);
      if (!error) error = std::current_exception();
      failed = true;
    }
    if (counted) --running;
    ended->store(true);
    job.notify();
  };
  auto join_all = [&] {
    for (auto& w : workers) w.thread.join();
    workers.clear();
  };

  try {
    while (true) {
      // Workers of a stopped run unwind at once; without this the dispatcher could keep making
      // new ones for as long as each is gone before it comes round again.
      if (job.stop_requested()) throw JobStopped{};
      reap();
      report();
      if (failed.load() || job.winding_down() || !rows_left()) {
        if (running.load() == 0 && workers.empty()) break;
        long long seen = done.load();
        job.wait_until([&] { return running.load() == 0 || done.load() != seen; }, 1s);
        continue;
      }
      read_limit();
      if (running.load() < limit.load()) {
        ++running;
        auto ended = std::make_shared<std::atomic<bool>>(false);
        int id = ++started;
        try {
          workers.push_back(Worker{std::thread(worker_body, id, ended), ended});
        } catch (...) {
          --running;  // no thread could be made: the run fails with what was done
          std::lock_guard lock(error_mutex);
          if (!error) error = std::current_exception();
          failed = true;
        }
        continue;
      }
      int seen_running = running.load(), seen_limit = limit.load();
      long long seen_done = done.load();
      job.wait_until(
          [&] {
            return running.load() < seen_running || limit.load() != seen_limit ||
                   (work.progress && done.load() != seen_done) || job.winding_down() || failed.load();
          },
          kLimitPoll);
    }
  } catch (...) {
    join_all();  // a stopped job's workers unwind at their next checkpoint
    throw;
  }
  join_all();
  report();
  if (error) std::rethrow_exception(error);
  PoolResult result;
  result.done = done.load();
  result.complete = !plan.repeat && !job.winding_down() && done.load() == plan.rows;
  return result;
}

std::string pool_busy_note(int worker) {
  static const std::string prefix = gbk("由线程："), suffix = gbk("正在处理");
  return prefix + std::to_string(worker) + suffix;
}

const std::string& pool_done_note() {
  static const std::string note = gbk("完毕。线程ID已无效");
  return note;
}

}  // namespace tessaly
