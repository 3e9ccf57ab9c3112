#include "gui/tool_window.h"

#include <QCloseEvent>
#include <QPointer>

#include <map>

#include "gui/tool_registry.h"
#include "gui/worker_task.h"

namespace tessaly {
namespace {

std::map<int, QPointer<ToolWindow>>& open_windows() {
  static std::map<int, QPointer<ToolWindow>> windows;
  return windows;
}

}  // namespace

ToolWindow::ToolWindow(int window, QWidget* parent) : QWidget(parent, Qt::Window), window_(window) {
  setAttribute(Qt::WA_DeleteOnClose);
  if (const ToolEntry* entry = window_entry(window)) {
    setWindowTitle(QString::fromUtf8(entry->title));
    resize(entry->width, entry->height);
  }
  setObjectName(QStringLiteral("window%1").arg(window));
}

void ToolWindow::closeEvent(QCloseEvent* event) {
  bool keeps_running = false;
  for (WorkerTask* task : findChildren<WorkerTask*>()) {
    if (task->stops_with_window())
      task->stop_now();
    else
      keeps_running = keeps_running || task->active();
  }
  if (keeps_running) {
    // A job that outlives its window keeps it: hidden, and shown again by its launcher.
    event->ignore();
    hide();
    return;
  }
  // The window is deleted later: from now on its launcher makes a new one.
  if (auto it = open_windows().find(window_); it != open_windows().end() && it->second == this)
    open_windows().erase(it);
  QWidget::closeEvent(event);
}

ToolWindow* open_tool_window(int window, QWidget* parent) {
  const ToolEntry* entry = window_entry(window);
  if (!entry || !entry->create) return nullptr;
  auto& windows = open_windows();
  if (auto it = windows.find(window); it != windows.end() && it->second) {
    it->second->show();
    it->second->raise();
    it->second->activateWindow();
    return it->second;
  }
  auto* w = qobject_cast<ToolWindow*>(entry->create(parent));
  if (!w) return nullptr;
  windows[window] = w;
  w->show();
  return w;
}

ToolWindow* open_window(int window) {
  auto& windows = open_windows();
  auto it = windows.find(window);
  return it == windows.end() ? nullptr : it->second.data();
}

}  // namespace tessaly
