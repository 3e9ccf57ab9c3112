#include "app/ui/bridge.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QProgressBar>
#include <QThread>
#include <QTimer>

#include "app/ui/controls.h"
#include "app/ui/gbk_qt.h"
#include "app/ui/hooks.h"
#include "app/ui/report_list.h"

namespace tessaly {
namespace {

// Writes are applied at most this often while a worker keeps producing them.
constexpr auto kFlushInterval = std::chrono::milliseconds(15);

bool on_window_thread() {
  return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

}  // namespace

std::shared_ptr<Bridge> Bridge::create(std::shared_ptr<Job> job, QObject* context) {
  return std::shared_ptr<Bridge>(new Bridge(std::move(job), context));
}

Bridge::Bridge(std::shared_ptr<Job> job, QObject* context) : job_(std::move(job)), context_(context) {}

void Bridge::enqueue(Op op) {
  job_->checkpoint();
  {
    std::lock_guard lock(mutex_);
    if (closed_) throw JobStopped{};
    Op* last = queue_.empty() ? nullptr : &queue_.back();
    if (last && last->kind == op.kind && last->target == op.target && op.kind == Kind::Append) {
      last->appended += op.appended;  // one insert for a run of appends to the same box
    } else if (last && last->kind == op.kind && last->target == op.target && op.kind == Kind::Progress) {
      last->position = op.position;  // only the newest position of a bar is ever seen
    } else {
      queue_.push_back(std::move(op));
    }
    if (scheduled_) return;
    scheduled_ = true;
  }
  schedule();
}

void Bridge::schedule() {
  auto self = shared_from_this();
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [self] {
        auto since = std::chrono::steady_clock::now() - self->last_flush_;
        if (since >= kFlushInterval) {
          self->flush();
        } else {
          auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(kFlushInterval - since);
          QTimer::singleShot(wait, QCoreApplication::instance(), [self] { self->flush(); });
        }
      },
      Qt::QueuedConnection);
}

void Bridge::flush() {
  if (flushing_) return;  // re-entered from a message box's event loop: the outer loop goes on
  flushing_ = true;
  while (true) {
    std::deque<Op> batch;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) {
        scheduled_ = false;
        break;
      }
      batch.swap(queue_);
    }
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
          if (alive) op.fn();
          break;
        case Kind::Call:
        case Kind::Message: op.fn(); break;
      }
    }
  }
  last_flush_ = std::chrono::steady_clock::now();
  flushing_ = false;
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

void Bridge::set_text(QWidget* box, std::string gbk_text) {
  enqueue(Op{Kind::Other, box, [box, t = std::move(gbk_text)] { set_box_text(box, t); }, {}});
}

void Bridge::set_caption(QAbstractButton* button, QString caption) {
  enqueue(Op{Kind::Other, button, [button, c = std::move(caption)] { button->setText(c); }, {}});
}

void Bridge::set_progress_range(QProgressBar* bar, int minimum, int maximum) {
  enqueue(Op{Kind::Other, bar, [bar, minimum, maximum] { bar->setRange(minimum, maximum); }, {}});
}

void Bridge::set_progress(QProgressBar* bar, int position) {
  enqueue(Op{Kind::Progress, bar, {}, {}, position});
}

void Bridge::set_cell(ReportList* list, int row, int column, std::string gbk_text) {
  enqueue(Op{Kind::Other, list, [list, row, column, t = std::move(gbk_text)] { list->lv_set_cell(row, column, t); }, {}});
}

void Bridge::message_box(QString text, int flags, QString caption) {
  enqueue(Op{Kind::Message, nullptr, [t = std::move(text), flags, c = std::move(caption)] { tessaly::message_box(t, flags, c); }, {}});
}

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
  enqueue(Op{Kind::Call, nullptr,
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

}  // namespace tessaly
