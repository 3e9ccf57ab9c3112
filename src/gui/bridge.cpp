#include "gui/bridge.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QProgressBar>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <limits>

#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/line_box.h"
#include "gui/report_list.h"

namespace tessaly {
namespace {

// Writes are applied at most this often while a worker keeps producing them.
constexpr auto kFlushInterval = std::chrono::milliseconds(15);
// Appended text applied in one turn of the event loop: a list box takes it in a few
// milliseconds (a copy and a scan for line breaks), so the window keeps answering during a large
// output.
constexpr size_t kFlushBudget = 4 << 20;
// Appended text a worker may have waiting before it waits for the window (also what a stop
// click applies at most in one go).
constexpr size_t kMaxQueuedBytes = 16 << 20;

bool on_window_thread() {
  return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

}  // namespace

std::shared_ptr<Bridge> Bridge::create(std::shared_ptr<Job> job, QObject* context) {
  return std::shared_ptr<Bridge>(new Bridge(std::move(job), context));
}

Bridge::Bridge(std::shared_ptr<Job> job, QObject* context) : job_(std::move(job)), context_(context) {}

void Bridge::enqueue(Op op, const Place* place) {
  if (op.kind != Kind::Finish) job_->checkpoint();
  std::unique_lock lock(mutex_);
  if (op.kind == Kind::Append && !on_window_thread()) {
    // A worker far ahead of the window waits here (stop and pause still act), so a long run
    // holds a bounded amount of text in memory.
    while (queued_bytes_ > kMaxQueuedBytes && !closed_) {
      drained_.wait_for(lock, std::chrono::milliseconds(20));
      lock.unlock();
      job_->checkpoint();
      lock.lock();
    }
  }
  if (closed_ && op.kind != Kind::Finish) throw JobStopped{};
  if (op.kind == Kind::Append) queued_bytes_ += op.appended.size();
  if (place) {
    // The earlier write to this place, if still queued, shows nothing the new one doesn't.
    const unsigned long long number = taken_ + queue_.size();
    auto [it, added] = latest_.try_emplace(*place, number);
    if (!added) {
      if (it->second >= taken_) {
        Op& earlier = queue_[it->second - taken_];
        earlier.kind = Kind::Dropped;
        earlier.fn = nullptr;
      }
      it->second = number;
    }
    queue_.push_back(std::move(op));
  } else {
    // Anything else may read or move what those places hold: later writes queue behind it.
    if (op.kind != Kind::Append && op.kind != Kind::Progress) latest_.clear();
    if (!merge_locked(op)) queue_.push_back(std::move(op));
  }
  if (scheduled_) return;
  scheduled_ = true;
  lock.unlock();
  schedule();
}

bool Bridge::merge_locked(Op& op) {
  if (op.kind != Kind::Append && op.kind != Kind::Progress) return false;
  // Appends and progress writes at the end of the queue are applied together in one turn of
  // the event loop, so joining a write with an earlier one to the same control across writes
  // to other controls shows the same result: one insert per box, one position per bar.
  int looked = 0;
  for (auto it = queue_.rbegin(); it != queue_.rend() && looked < 8; ++it, ++looked) {
    if (it->kind != Kind::Append && it->kind != Kind::Progress) return false;
    if (it->kind != op.kind || it->target != op.target) continue;
    if (op.kind == Kind::Append)
      it->appended += op.appended;
    else
      it->position = op.position;
    return true;
  }
  return false;
}

void Bridge::schedule() {
  auto self = shared_from_this();
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [self] {
        auto since = std::chrono::steady_clock::now() - self->last_flush_;
        if (since >= kFlushInterval) {
          self->apply_queued(kFlushBudget);
        } else {
          auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(kFlushInterval - since);
          QTimer::singleShot(wait, QCoreApplication::instance(),
                             [self] { self->apply_queued(kFlushBudget); });
        }
      },
      Qt::QueuedConnection);
}

void Bridge::flush() { apply_queued(std::numeric_limits<size_t>::max()); }

void Bridge::apply_queued(size_t append_budget) {
  if (flushing_) return;  // re-entered from a message box's event loop: the outer call goes on
  flushing_ = true;
  std::deque<Op> batch;
  {
    std::lock_guard lock(mutex_);
    size_t taken = 0;
    while (!queue_.empty()) {
      Op& op = queue_.front();
      if (op.kind == Kind::Append) {
        if (taken >= append_budget) break;
        size_t room = append_budget - taken;
        if (op.appended.size() > room) {
          // Take whole lines up to the budget; a single longer line goes whole.
          size_t cut = op.appended.rfind('\n', room - 1);
          if (cut != std::string::npos) {
            Op part{Kind::Append, op.target, {}, op.appended.substr(0, cut + 1)};
            op.appended.erase(0, cut + 1);
            taken += part.appended.size();
            batch.push_back(std::move(part));
            break;
          }
          if (taken > 0) break;
        }
        taken += op.appended.size();
      }
      batch.push_back(std::move(op));
      queue_.pop_front();
      ++taken_;
    }
    if (queue_.empty()) latest_.clear();
    queued_bytes_ -= std::min(queued_bytes_, taken);
  }
  drained_.notify_all();
  for (auto& op : batch) {
    // Calls always complete (the worker waits for them); messages need no control; writes to
    // the controls of a closed window are dropped.
    bool alive = context_alive();
    switch (op.kind) {
      case Kind::Append:
        if (alive) append_text(static_cast<QWidget*>(op.target), op.appended);
        break;
      case Kind::Progress:
        if (alive) static_cast<QProgressBar*>(op.target)->setValue(op.position);
        break;
      case Kind::Other:
      case Kind::Latest:
        if (alive) op.fn();
        break;
      case Kind::Dropped:
        break;
      case Kind::Call:
      case Kind::Message:
      case Kind::Finish:
        op.fn();
        break;
    }
  }
  last_flush_ = std::chrono::steady_clock::now();
  flushing_ = false;
  bool more;
  {
    std::lock_guard lock(mutex_);
    more = !queue_.empty();
    scheduled_ = more;
  }
  if (more) {
    // The rest follows on a timer, not a posted event: posted events run back to back, a
    // timer lets input, painting and other timers in first.
    auto self = shared_from_this();
    QTimer::singleShot(std::chrono::milliseconds(1), QCoreApplication::instance(),
                       [self] { self->apply_queued(kFlushBudget); });
  }
}

void Bridge::stop() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  job_->request_stop();
  flush();
}

void Bridge::append(QWidget* box, std::string_view gbk_text) {
  enqueue(Op{Kind::Append, box, {}, std::string(gbk_text)});
}

void Bridge::enqueue_latest(QObject* target, long long slot, std::function<void()> fn) {
  Place place{target, slot};
  enqueue(Op{Kind::Latest, target, std::move(fn), {}}, &place);
}

void Bridge::post_latest(QObject* target, int slot, std::function<void()> fn) {
  enqueue_latest(target, -2 - static_cast<long long>(slot < 0 ? 0 : slot), std::move(fn));
}

void Bridge::set_text(QWidget* box, std::string gbk_text) {
  enqueue_latest(box, -1, [box, t = std::move(gbk_text)] { set_box_text(box, t); });
}

void Bridge::set_text(LineBox* box, std::string gbk_text) {
  // The rows are indexed here; the window thread only swaps the finished text in.
  job_->checkpoint();
  auto content = std::make_shared<LineText>(std::move(gbk_text));
  enqueue_latest(box, -1, [box, content] { box->set_content(std::move(*content)); });
}

void Bridge::set_caption(QAbstractButton* button, QString caption) {
  enqueue_latest(button, -1, [button, c = std::move(caption)] { button->setText(c); });
}

void Bridge::set_progress_range(QProgressBar* bar, int minimum, int maximum) {
  enqueue(Op{Kind::Other, bar, [bar, minimum, maximum] { bar->setRange(minimum, maximum); }, {}});
}

void Bridge::set_progress(QProgressBar* bar, int position) {
  enqueue(Op{Kind::Progress, bar, {}, {}, position});
}

void Bridge::set_cell(ReportList* list, int row, int column, std::string gbk_text) {
  auto write = [list, row, column, t = std::move(gbk_text)] { list->lv_set_cell(row, column, t); };
  if (row < 0 || column < 0 || column >= (1 << 20))
    enqueue(Op{Kind::Other, list, std::move(write), {}});  // no such cell: kept as written
  else
    enqueue_latest(list, (static_cast<long long>(row) << 20) + column, std::move(write));
}

void Bridge::message_box(QString text, int flags, QString caption) {
  enqueue(Op{Kind::Message,
             nullptr,
             [t = std::move(text), flags, c = std::move(caption)] { tessaly::message_box(t, flags, c); },
             {}});
}

void Bridge::finish(std::function<void()> fn) { enqueue(Op{Kind::Finish, nullptr, std::move(fn), {}}); }

void Bridge::post(std::function<void()> fn) { enqueue(Op{Kind::Other, nullptr, std::move(fn), {}}); }

void Bridge::run_queued_call(std::function<void()> fn, std::shared_ptr<std::promise<void>> done) {
  if (on_window_thread()) {
    flush();
    if (context_alive()) fn();
    done->set_value();
    return;
  }
  // The call always completes, so the worker never waits for nothing; fn itself is skipped
  // once the window has been closed.
  enqueue(Op{Kind::Call,
             nullptr,
             [this, fn = std::move(fn), done] {
               if (context_alive()) fn();
               done->set_value();
             },
             {}});
}

void Bridge::wait_for(std::future<void>& done) {
  while (done.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
    // The window may have closed (its control gone, the call dropped) or the job stopped.
    if (job_->stop_requested()) throw JobStopped{};
    std::lock_guard lock(mutex_);
    if (closed_) throw JobStopped{};
  }
}

std::function<void(int done, int total)> bar_progress(Bridge& bridge, QProgressBar* bar) {
  return [&bridge, bar](int done, int total) {
    if (done == 0) bridge.set_progress_range(bar, 0, std::max(total, 1));
    bridge.set_progress(bar, done);
  };
}

}  // namespace tessaly
