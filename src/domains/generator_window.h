#pragma once
// What the generator windows share: output streamed into a box from a worker, one background
// run at a time for the tools without a stop button, and a window that stops its runs when it
// closes (their output has nowhere left to go).
#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

#include "core/text/text.h"
#include "gui/tool_window.h"
#include "gui/bridge.h"
#include "gui/worker_task.h"
#include "core/text/line_output.h"

class QAbstractButton;
class QCloseEvent;

namespace tessaly {

// Hands LineOutput blocks to the bridge as appends to box. Every 128 KB it waits until the
// window has shown what was queued, so a fast generator never piles up more than the window can
// insert without stalling.
LineOutput::Write box_writer(Bridge& bridge, QWidget* box);

// The items of a list box (split_lines of its text).
TextList box_lines(const QWidget* box);

// One run at a time on a worker for a tool whose buttons have no stop wording: the buttons are
// disabled while it runs and enabled again when it ends.
class BackgroundRun : public QObject {
  Q_OBJECT
 public:
  BackgroundRun(QObject* parent, std::vector<QAbstractButton*> buttons);
  void start(WorkerTask::Body body);
  void stop();
  // From the start until the run's last write has been shown (or the stop).
  bool running() const { return busy_; }

 private:
  void finish();
  std::vector<QPointer<QAbstractButton>> buttons_;
  std::shared_ptr<Bridge> bridge_;
  bool busy_ = false;
};

// A tool window whose runs end when it closes.
class GeneratorWindow : public ToolWindow {
  Q_OBJECT
 public:
  using ToolWindow::ToolWindow;
  ~GeneratorWindow() override;

 protected:
  void stop_on_close(WorkerTask* task) { tasks_.push_back(task); }
  void stop_on_close(BackgroundRun* run) { runs_.push_back(run); }
  void closeEvent(QCloseEvent* event) override;

 private:
  void stop_all();
  std::vector<QPointer<WorkerTask>> tasks_;
  std::vector<QPointer<BackgroundRun>> runs_;
};

}  // namespace tessaly
