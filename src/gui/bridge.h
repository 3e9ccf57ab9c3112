#pragma once
// The one way workers write controls. A worker queues its writes here; they run on the window
// thread in the order they were made. Consecutive appends to one box are merged into a single
// insert, so a job writing tens of thousands of lines costs a few repaints, not one per line.
// Writes that replace what a control shows (a cell, a box's whole text, a caption) replace a
// queued write to the same place instead of queueing behind it, so many workers writing their
// rows thousands of times a second cost the window one write per place per turn.
// Every worker-side call is a checkpoint: a paused job waits in it, a stopped job unwinds
// (JobStopped) and can write nothing more.
#include <QPointer>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <unordered_map>

#include "core/jobs/job.h"

class QWidget;
class QObject;
class QAbstractButton;
class QProgressBar;

namespace tessaly {

class LineBox;
class ReportList;

class Bridge : public std::enable_shared_from_this<Bridge> {
 public:
  // Made on the window thread by whoever starts the job. `context` is the window whose controls
  // the job writes: once it is closed, writes to its controls are dropped and calls return
  // empty values (the job itself goes on).
  static std::shared_ptr<Bridge> create(std::shared_ptr<Job> job, QObject* context);

  Job& job() { return *job_; }
  const std::shared_ptr<Job>& job_ptr() const { return job_; }

  // --- worker side ---
  void append(QWidget* box, std::string_view gbk_text);
  void set_text(QWidget* box, std::string gbk_text);
  // A list box's whole text, made ready (its rows indexed) on the worker.
  void set_text(LineBox* box, std::string gbk_text);
  void set_caption(QAbstractButton* button, QString caption);
  void set_progress_range(QProgressBar* bar, int minimum, int maximum);
  void set_progress(QProgressBar* bar, int position);
  void set_cell(ReportList* list, int row, int column, std::string gbk_text);
  // Shows a message box on the window thread after the writes before it; the worker goes on.
  void message_box(QString text, int flags = 0, QString caption = {});
  // Any other write: runs fn on the window thread, in order, unless the window has been closed.
  void post(std::function<void()> fn);
  // A write whose effect only the last one of its kind shows (`target` and `slot` name the
  // place, for example a list's scroll position): it drops a write to the same place still
  // queued since the last post, call, message or finish, and goes to the end of the queue.
  void post_latest(QObject* target, int slot, std::function<void()> fn);
  // Runs fn on the window thread after the queued writes and returns its result (reads of
  // controls, row insertions); a default value once the window has been closed. Waits
  // cooperatively: a stop while waiting unwinds the worker.
  template <class F>
  auto call(F fn) -> std::invoke_result_t<F>;
  // The run's end: fn runs on the window thread after every write queued before it, even after
  // a stop or once the window has closed (fn guards what it touches). Not a checkpoint.
  void finish(std::function<void()> fn);

  // --- window side ---
  // Applies everything written so far, then refuses further writes and stops the job.
  void stop();
  // Applies the queued writes now.
  void flush();

 private:
  // Latest: a write that replaces an earlier one to the same place; Dropped: one so replaced.
  enum class Kind { Append, Progress, Other, Latest, Dropped, Call, Message, Finish };
  struct Op {
    Kind kind;
    QObject* target;           // a control of the context window (not for Call and Message)
    std::function<void()> fn;  // empty for an append
    std::string appended;      // GBK text of an append
    int position = 0;          // for a progress write
  };
  // The place a Latest write goes to: a control and a slot in it.
  struct Place {
    const QObject* target;
    long long slot;
    bool operator==(const Place&) const = default;
  };
  struct PlaceHash {
    size_t operator()(const Place& p) const {
      return std::hash<const void*>()(p.target) ^ (std::hash<long long>()(p.slot) * 31);
    }
  };

  Bridge(std::shared_ptr<Job> job, QObject* context);
  void enqueue(Op op, const Place* place = nullptr);
  // Places: a cell is row * 2^20 + column, a control's whole content -1, post_latest's slots
  // -2 and below.
  void enqueue_latest(QObject* target, long long slot, std::function<void()> fn);
  // Merges an append or progress write into a queued one for the same control; false if none.
  bool merge_locked(Op& op);
  void schedule();
  // Applies queued writes on the window thread; with a budget, at most that many bytes of
  // appended text (at line breaks), leaving the rest for the next turn of the event loop.
  void apply_queued(size_t append_budget);
  void run_queued_call(std::function<void()> fn, std::shared_ptr<std::promise<void>> done);
  bool context_alive() const { return !context_.isNull(); }
  void wait_for(std::future<void>& done);

  std::shared_ptr<Job> job_;
  QPointer<QObject> context_;
  std::mutex mutex_;
  std::deque<Op> queue_;
  unsigned long long taken_ = 0;  // how many ops have left the front of queue_
  // Where each place's Latest write waits in the queue (its number among all ops queued), for
  // the writes queued since the last barrier (an op of unknown effect: post, call, message).
  std::unordered_map<Place, unsigned long long, PlaceHash> latest_;
  size_t queued_bytes_ = 0;  // appended text waiting in queue_
  std::condition_variable drained_;
  bool closed_ = false;
  bool scheduled_ = false;
  bool flushing_ = false;
  std::chrono::steady_clock::time_point last_flush_{};
};

template <class F>
auto Bridge::call(F fn) -> std::invoke_result_t<F> {
  using R = std::invoke_result_t<F>;
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> ready = done->get_future();
  if constexpr (std::is_void_v<R>) {
    run_queued_call([fn = std::move(fn)]() mutable { fn(); }, done);
    wait_for(ready);
  } else {
    auto result = std::make_shared<R>();
    run_queued_call([fn = std::move(fn), result]() mutable { *result = fn(); }, done);
    wait_for(ready);
    return std::move(*result);
  }
}

// Drives a progress bar from a run's reports of items done out of a total (a report of 0 sets
// the range; an empty list shows an empty bar, not a busy indicator).
std::function<void(int done, int total)> bar_progress(Bridge& bridge, QProgressBar* bar);

}  // namespace tessaly
