#pragma once
// The Baidu ping page of the main window ("百度ping"): the addresses to submit, the status box,
// the four run buttons and the browser that shows and drives Baidu's ping page.
//
// A pass drives the browser, so it runs on the window thread (no worker can drive a browser);
// its waits keep window messages flowing, which is how pause and stop reach it. The page's
// run state is explicit and drives the buttons: while a pass runs, "开始提交" and "继续提交"
// are disabled and ignored, since a second pass nested in the first would submit twice.
#include <QWidget>

#include "core/jobs/job.h"
#include "research/ping.h"

class QPushButton;
class QWebEngineView;

namespace tessaly {

class LineBox;

class PingPage : public QWidget {
  Q_OBJECT
 public:
  explicit PingPage(QWidget* parent = nullptr);

  // 按钮开始提交: from the first address, both flags cleared.
  void start_ping();
  // 按钮继续提交: from the resume position, the pause flag cleared (a stop stays in force).
  void continue_ping();
  // 按钮暂停提交 / 按钮4: take effect between addresses.
  void pause_ping();
  void stop_ping();

  // Idle (no pass), Running, Stopping (pause or stop asked for, the current address finishing),
  // Paused (a pass ended by pause; continue resumes it).
  JobState state() const { return state_; }
  const research::PingRunState& run_state() const { return run_; }
  // The browser control (made when the page is first shown, or by the first pass).
  QWebEngineView* browser();

 Q_SIGNALS:
  void state_changed(tessaly::JobState state);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class PingBrowserDriver;
  void begin_pass();
  void run_pass();
  void set_state(JobState state);

  LineBox* addresses_;
  LineBox* status_;
  QPushButton* start_;
  QPushButton* pause_;
  QPushButton* continue_;
  QPushButton* stop_;
  QWidget* browser_frame_;
  QWebEngineView* browser_ = nullptr;
  QWidget* watched_window_ = nullptr;
  research::PingRunState run_;
  JobState state_ = JobState::Idle;
  bool closing_ = false;    // the window is closing: a running pass ends where it stands
  int loads_finished_ = 0;  // page loads the browser has finished (a wait looks again at each)
  research::PingLoadProblem load_problem_;  // of the latest load the browser started
};

}  // namespace tessaly
