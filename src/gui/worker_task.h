#pragma once
// The start/stop caption toggle and the pause/resume toggle that drive every long job.
// start never blocks; the body runs on a worker thread and writes controls through its Bridge;
// stop and pause act at the body's next checkpoint; the window thread never waits for a worker.
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

#include "gui/bridge.h"

class QAbstractButton;

namespace tessaly {

class WorkerTask : public QObject {
  Q_OBJECT
 public:
  using Body = std::function<void(Bridge&)>;

  WorkerTask(QAbstractButton* start_button, QString start_wording, QString stop_wording,
             QObject* parent = nullptr);

  void set_pause_button(QAbstractButton* pause_button, QString pause_wording, QString resume_wording);

  // The start button's handler. On the start wording: the stop wording, then prepare (window
  // thread), then the body on a new worker thread. Otherwise: the start wording and stop.
  void toggle(const std::function<void()>& prepare, Body body);
  // The pause button's handler: flips its caption and pauses or resumes the current run.
  void toggle_pause();

  // Starts a run without looking at captions (the disabled-button variant and tests).
  void start(Body body);
  // Stops the current run: what it wrote stays, nothing more is written.
  void stop();
  // True while the current run's thread has not ended.
  bool running() const;

  const QString& start_wording() const { return start_wording_; }
  const QString& stop_wording() const { return stop_wording_; }
  // The current run's bridge (null before the first start).
  std::shared_ptr<Bridge> bridge() const { return bridge_; }

 private:
  QPointer<QAbstractButton> start_button_;
  QPointer<QAbstractButton> pause_button_;
  QString start_wording_, stop_wording_, pause_wording_, resume_wording_;
  std::shared_ptr<Bridge> bridge_;
  std::shared_ptr<std::atomic<bool>> alive_;
};

// Starts body on a new thread as the given job's worker; the thread is tracked so that the
// program stops and joins every worker when it quits. `alive` turns false when the body ends.
void start_worker_thread(std::shared_ptr<Bridge> bridge, WorkerTask::Body body,
                         std::shared_ptr<std::atomic<bool>> alive = nullptr);
// Stops every running job and waits for its thread (program exit only).
void stop_all_workers();

}  // namespace tessaly
