#include "gui/worker_task.h"

#include <QAbstractButton>
#include <QCoreApplication>

#include <list>
#include <mutex>
#include <thread>

namespace tessaly {
namespace {

struct TrackedThread {
  std::thread thread;
  std::shared_ptr<Job> job;
  std::shared_ptr<std::atomic<bool>> done;
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

// Joins threads whose body has ended, so the list stays short in a long session.
void reap_finished_locked() {
  for (auto it = threads.begin(); it != threads.end();) {
    if (it->done->load()) {
      it->thread.join();
      it = threads.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace

void start_worker_thread(std::shared_ptr<Bridge> bridge, WorkerTask::Body body,
                         std::shared_ptr<std::atomic<bool>> alive) {
  static std::once_flag hook_quit;
  std::call_once(hook_quit, [] {
    if (auto* app = QCoreApplication::instance())
      QObject::connect(app, &QCoreApplication::aboutToQuit, app, [] { stop_all_workers(); });
    qAddPostRoutine(stop_all_workers);  // also when the application object goes away
  });
  auto done = std::make_shared<std::atomic<bool>>(false);
  if (alive) alive->store(true);
  std::shared_ptr<Job> job = bridge->job_ptr();
  std::thread t([bridge, body = std::move(body), done, alive] {
    {
      Job::Scope scope(&bridge->job());
      try {
        body(*bridge);
      } catch (const JobStopped&) {
        // stopped: the run ends where it stood
      }
    }
    if (alive) alive->store(false);
    done->store(true);
  });
  std::lock_guard lock(threads_mutex);
  reap_finished_locked();
  threads.push_back(TrackedThread{std::move(t), std::move(job), done});
}

void stop_all_workers() {
  std::list<TrackedThread> all;
  {
    std::lock_guard lock(threads_mutex);
    all.splice(all.end(), threads);
  }
  for (auto& t : all) t.job->request_stop();
  for (auto& t : all) t.thread.join();
}

WorkerTask::WorkerTask(QAbstractButton* start_button, QString start_wording, QString stop_wording,
                       QObject* parent)
    : QObject(parent),
      start_button_(start_button),
      start_wording_(std::move(start_wording)),
      stop_wording_(std::move(stop_wording)),
      alive_(std::make_shared<std::atomic<bool>>(false)) {}

void WorkerTask::set_pause_button(QAbstractButton* pause_button, QString pause_wording, QString resume_wording) {
  pause_button_ = pause_button;
  pause_wording_ = std::move(pause_wording);
  resume_wording_ = std::move(resume_wording);
}

void WorkerTask::toggle(const std::function<void()>& prepare, Body body) {
  if (!start_button_) return;
  if (start_button_->text() == start_wording_) {
    start_button_->setText(stop_wording_);
    if (prepare) prepare();
    start(std::move(body));
  } else {
    start_button_->setText(start_wording_);
    stop();
  }
}

void WorkerTask::toggle_pause() {
  if (!pause_button_) return;
  if (pause_button_->text() == pause_wording_) {
    pause_button_->setText(resume_wording_);
    if (bridge_) bridge_->job().pause();
  } else {
    pause_button_->setText(pause_wording_);
    if (bridge_) bridge_->job().resume();
  }
}

void WorkerTask::start(Body body) {
  // The job writes the controls of the window that holds the start button (or the task's owner).
  QObject* context = start_button_ ? static_cast<QObject*>(start_button_->window()) : parent();
  bridge_ = Bridge::create(std::make_shared<Job>(), context);
  alive_ = std::make_shared<std::atomic<bool>>(false);
  start_worker_thread(bridge_, std::move(body), alive_);
}

void WorkerTask::stop() {
  if (bridge_) bridge_->stop();
}

bool WorkerTask::running() const { return alive_ && alive_->load(); }

}  // namespace tessaly
