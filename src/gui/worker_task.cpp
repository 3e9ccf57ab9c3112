#include "gui/worker_task.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QWidget>

#include <list>
#include <mutex>
#include <thread>

#include "gui/gbk_qt.h"
#include "gui/hooks.h"

namespace tessaly {
namespace {

struct TrackedThread {
  std::thread thread;
  std::shared_ptr<Job> job;
  std::shared_ptr<std::atomic<bool>> ended;
};

std::mutex threads_mutex;

// Workers still running when the program ends are stopped and joined, never abandoned.
struct ThreadList : std::list<TrackedThread> {
  ~ThreadList() {
    for (auto& t : *this) t.job->request_stop();
    for (auto& t : *this) t.thread.join();
  }
};
ThreadList threads;

// Joins threads whose run has ended, so the list stays short in a long session.
void reap_finished_locked() {
  for (auto it = threads.begin(); it != threads.end();) {
    if (it->ended->load()) {
      it->thread.join();
      it = threads.erase(it);
    } else {
      ++it;
    }
  }
}

// Runs body on a new tracked thread; `ended` reports the outcome through the bridge, after the
// run's last write.
void start_worker_thread(std::shared_ptr<Bridge> bridge, WorkerTask::Body body,
                         std::function<void(JobOutcome)> ended) {
  static std::once_flag hook_quit;
  std::call_once(hook_quit, [] {
    if (auto* app = QCoreApplication::instance())
      QObject::connect(app, &QCoreApplication::aboutToQuit, app, [] { stop_all_workers(); });
    qAddPostRoutine(stop_all_workers);  // also when the application object goes away
  });
  auto thread_ended = std::make_shared<std::atomic<bool>>(false);
  std::shared_ptr<Job> job = bridge->job_ptr();
  std::thread t([bridge, body = std::move(body), ended = std::move(ended), thread_ended] {
    JobOutcome outcome = run_job(bridge->job(), [&] { body(*bridge); });
    bridge->finish([ended, outcome] { ended(outcome); });
    thread_ended->store(true);
  });
  std::lock_guard lock(threads_mutex);
  reap_finished_locked();
  threads.push_back(TrackedThread{std::move(t), std::move(job), thread_ended});
}

}  // namespace

void stop_all_workers() {
  std::list<TrackedThread> all;
  {
    std::lock_guard lock(threads_mutex);
    all.splice(all.end(), threads);
  }
  for (auto& t : all) t.job->request_stop();
  for (auto& t : all) t.thread.join();
}

int running_worker_threads() {
  std::lock_guard lock(threads_mutex);
  int running = 0;
  for (const auto& t : threads) running += t.ended->load() ? 0 : 1;
  return running;
}

WorkerTask::WorkerTask(QWidget* owner) : QObject(owner), owner_(owner) {}

WorkerTask::~WorkerTask() {
  // The window is going away: its run has nowhere left to write, and its end reaches no one.
  if (std::shared_ptr<Bridge> run = std::move(bridge_)) run->stop();
}

void WorkerTask::set_start_button(QAbstractButton* button, QString start_wording, QString stop_wording) {
  start_button_ = button;
  start_wording_ = std::move(start_wording);
  stop_wording_ = std::move(stop_wording);
  show_state();
}

void WorkerTask::set_pause_button(QAbstractButton* button, QString pause_wording, QString resume_wording) {
  pause_button_ = button;
  pause_wording_ = std::move(pause_wording);
  resume_wording_ = std::move(resume_wording);
  show_state();
}

void WorkerTask::disable_while_active(std::initializer_list<QWidget*> widgets) {
  for (QWidget* w : widgets) disabled_while_active_.emplace_back(w);
  show_state();
}

bool WorkerTask::start(Body body) {
  if (state_ == JobState::Stopping && !winding_down_) {
    pending_ = std::move(body);
    show_state();
    return true;
  }
  if (state_ != JobState::Idle) return false;
  awaiting_click_ = false;
  winding_down_ = false;
  bridge_ = Bridge::create(std::make_shared<Job>(), owner_);
  QPointer<WorkerTask> self(this);
  std::shared_ptr<Bridge> run = bridge_;
  set_state(JobState::Running);
  start_worker_thread(bridge_, std::move(body), [self, run](JobOutcome outcome) {
    // Only the run this task is waiting for may end it (a late end of an earlier run can't).
    if (self && self->bridge_ == run) self->on_run_ended(std::move(outcome));
  });
  return true;
}

void WorkerTask::toggle(const std::function<void()>& prepare, Body body) {
  if (shows_stop_wording()) {
    stop();
    return;
  }
  if (prepare) prepare();
  start(std::move(body));
}

void WorkerTask::restart(Body body) {
  stop_now();
  start(std::move(body));
}

void WorkerTask::stop() {
  if (awaiting_click_) {
    awaiting_click_ = false;
    show_state();
    return;
  }
  if (pending_) {
    pending_ = nullptr;  // the queued run is called off
    show_state();
    return;
  }
  if (!active() || state_ == JobState::Stopping) return;
  // The state changes first: stopping applies the queued writes, and the run's end may be
  // among them.
  set_state(JobState::Stopping);
  std::shared_ptr<Bridge> run = bridge_;
  if (stop_finishes_started_) {
    winding_down_ = true;
    show_state();
    run->job().request_wind_down();
    run->job().resume();  // a paused pool must get going to finish what it started
  } else {
    run->stop();
  }
}

void WorkerTask::stop_now() {
  pending_ = nullptr;
  if (!active()) return;
  winding_down_ = false;
  set_state(JobState::Stopping);
  std::shared_ptr<Bridge> run = bridge_;
  run->stop();  // may end the run at once (its end was queued)
}

void WorkerTask::pause() {
  if (state_ != JobState::Running) return;
  bridge_->job().pause();
  set_state(JobState::Paused);
}

void WorkerTask::resume() {
  if (state_ != JobState::Paused) return;
  bridge_->job().resume();
  set_state(JobState::Running);
}

void WorkerTask::toggle_pause() {
  if (state_ == JobState::Running)
    pause();
  else if (state_ == JobState::Paused)
    resume();
}

void WorkerTask::on_run_ended(JobOutcome outcome) {
  bridge_.reset();
  winding_down_ = false;
  last_outcome_ = std::move(outcome);
  awaiting_click_ = keep_stop_wording_ && last_outcome_.end == JobEnd::Done;
  set_state(JobState::Idle);
  // Announced before the next run of a restart begins, so a listener sees each end in order.
  JobOutcome ended = last_outcome_;
  Q_EMIT finished(ended);
  if (ended.end == JobEnd::Failed)
    message_box(QStringLiteral("运行出错：") + from_gbk(ended.message), kIconError);
  if (pending_) start(std::exchange(pending_, {}));
}

void WorkerTask::set_state(JobState state) {
  if (state_ == state) return;
  state_ = state;
  show_state();
  Q_EMIT state_changed(state);
}

void WorkerTask::show_state() {
  const bool active_run = state_ != JobState::Idle;
  if (start_button_) {
    start_button_->setText(shows_stop_wording() ? stop_wording_ : start_wording_);
    start_button_->setEnabled(!(state_ == JobState::Stopping && winding_down_));
  }
  if (pause_button_) pause_button_->setText(state_ == JobState::Paused ? resume_wording_ : pause_wording_);
  for (auto& w : disabled_while_active_)
    if (w) w->setEnabled(!active_run);
}

}  // namespace tessaly
