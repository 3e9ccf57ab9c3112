#include "domains/generator_window.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QWidget>

#include "gui/controls.h"
#include "core/jobs/job.h"

namespace tessaly {

LineOutput::Write box_writer(Bridge& bridge, QWidget* box) {
  constexpr size_t kSyncBytes = 128 << 10;
  return [&bridge, box, pending = size_t{0}](std::string_view block) mutable {
    bridge.append(box, block);
    pending += block.size();
    if (pending >= kSyncBytes) {
      bridge.call([] {});
      pending = 0;
    }
  };
}

TextList box_lines(const QWidget* box) { return split_lines(box_text(box)); }

BackgroundRun::BackgroundRun(QObject* parent, std::vector<QAbstractButton*> buttons) : QObject(parent) {
  for (auto* b : buttons) buttons_.emplace_back(b);
}

void BackgroundRun::start(WorkerTask::Body body) {
  if (busy_) return;
  busy_ = true;
  for (auto& b : buttons_)
    if (b) b->setEnabled(false);
  bridge_ = Bridge::create(std::make_shared<Job>(), parent());
  // Made here, on the window thread, and handed on by move: the worker never copies the guard.
  QPointer<BackgroundRun> self(this);
  std::function<void()> done = [self] {
    if (self) self->finish();
  };
  start_worker_thread(bridge_, [body = std::move(body), done = std::move(done)](Bridge& bridge) mutable {
    body(bridge);
    bridge.post(std::move(done));
  });
}

void BackgroundRun::finish() {
  busy_ = false;
  for (auto& b : buttons_)
    if (b) b->setEnabled(true);
}

void BackgroundRun::stop() {
  if (bridge_) bridge_->stop();
  finish();
}
GeneratorWindow::~GeneratorWindow() { stop_all(); }

void GeneratorWindow::closeEvent(QCloseEvent* event) {
  stop_all();
  ToolWindow::closeEvent(event);
}

void GeneratorWindow::stop_all() {
  for (auto& t : tasks_)
    if (t) t->stop();
  for (auto& r : runs_)
    if (r) r->stop();
}

}  // namespace tessaly
