#pragma once
// The window side of the job contract. A WorkerTask runs one job at a time on a worker thread
// and is the only record of its state (idle, running, paused, stopping): the start and pause
// buttons' captions and enabled states follow that state, never the other way round. start()
// never blocks; the body writes controls through its Bridge; stop and pause act at the body's
// next checkpoint; the window thread never waits for a worker. Every run ends exactly once
// (done, stopped or failed; an exception in the body is a failure with its message, shown in a
// message box) and `finished` reports it after the run's last write has been applied.
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "core/jobs/job.h"
#include "gui/bridge.h"

class QAbstractButton;
class QWidget;

namespace tessaly {

class WorkerTask : public QObject {
  Q_OBJECT
 public:
  using Body = std::function<void(Bridge&)>;

  // `owner` is the window or page whose controls the job writes (and the task's parent).
  explicit WorkerTask(QWidget* owner);
  ~WorkerTask() override;

  // The start button: shows start_wording while idle and stop_wording while a run is active.
  // It is disabled only while a pooled run finishes its started rows after a stop.
  void set_start_button(QAbstractButton* button, QString start_wording, QString stop_wording);
  // The pause button: pause_wording while running, resume_wording while paused.
  void set_pause_button(QAbstractButton* button, QString pause_wording, QString resume_wording);
  // Controls that are disabled while a run is active (import and clear of a list a run reads).
  void disable_while_active(std::initializer_list<QWidget*> widgets);
  // Pooled jobs: stop() lets the items already started finish and write (a wind-down) instead
  // of ending them at their next checkpoint. Closing the window still ends them at once.
  void set_stop_finishes_started(bool on) { stop_finishes_started_ = on; }
  // After a run that ends by itself the start button keeps its stop wording until the next
  // click, which only resets it (tools whose finished run leaves the stop caption).
  void keep_stop_wording_until_clicked(bool on) { keep_stop_wording_ = on; }
  // Closing the owning tool window stops the run (the default); off where the tool keeps
  // running without its window.
  void set_stops_with_window(bool on) { stops_with_window_ = on; }
  bool stops_with_window() const { return stops_with_window_; }

  // Starts a run when idle. While a stopped run is still unwinding, the new run is queued and
  // starts as soon as the old one has ended (runs never overlap). False while a run is active.
  bool start(Body body);
  // The start button's handler: when idle, prepare (if any) and start; otherwise stop.
  void toggle(const std::function<void()>& prepare, Body body);
  // Stops the current run, or replaces it: body starts as soon as the current run has ended.
  void restart(Body body);
  // Asks the current run to stop; what it wrote stays. When idle it only resets a stop wording
  // kept after the run's end.
  void stop();
  // Ends the current run at its next checkpoint whatever the stop mode (window closing).
  void stop_now();
  void pause();
  void resume();
  // The pause button's handler.
  void toggle_pause();

  JobState state() const { return state_; }
  bool active() const { return state_ != JobState::Idle; }
  // The start button shows the stop wording: a run is active, or its end has not been clicked
  // away yet (keep_stop_wording_until_clicked).
  bool shows_stop_wording() const {
    return state_ == JobState::Running || state_ == JobState::Paused || awaiting_click_ ||
           pending_ != nullptr;
  }
  // How the last run ended (Done before any run).
  const JobOutcome& last_outcome() const { return last_outcome_; }
  // The current run's bridge (null when idle).
  std::shared_ptr<Bridge> bridge() const { return bridge_; }

 Q_SIGNALS:
  void state_changed(tessaly::JobState state);
  void finished(const tessaly::JobOutcome& outcome);

 private:
  void set_state(JobState state);
  void on_run_ended(JobOutcome outcome);
  void show_state();

  QWidget* owner_;
  QPointer<QAbstractButton> start_button_, pause_button_;
  QString start_wording_, stop_wording_, pause_wording_, resume_wording_;
  std::vector<QPointer<QWidget>> disabled_while_active_;
  bool stop_finishes_started_ = false;
  bool stops_with_window_ = true;
  bool keep_stop_wording_ = false;
  bool awaiting_click_ = false;
  JobState state_ = JobState::Idle;
  JobOutcome last_outcome_;
  std::shared_ptr<Bridge> bridge_;
  Body pending_;               // the run that starts once the stopped one has ended
  bool winding_down_ = false;  // the current run finishes its started rows after a stop
};

// Stops every running job and waits for its thread (program exit only).
void stop_all_workers();
// Worker threads whose run has not ended yet (jobs of closed windows included).
int running_worker_threads();

}  // namespace tessaly
