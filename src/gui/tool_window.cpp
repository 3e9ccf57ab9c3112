#include "gui/tool_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPointer>
#include <QScreen>

#include <algorithm>
#include <map>

#include "gui/hooks.h"
#include "gui/tool_registry.h"
#include "gui/worker_task.h"

namespace tessaly {
namespace {

std::map<int, QPointer<ToolWindow>>& open_windows() {
  static std::map<int, QPointer<ToolWindow>> windows;
  return windows;
}

// The frame the window manager puts around a window, as it is around `shown` (a window on screen;
// a window not shown yet has none that is known).
QMargins frame_of(const QWidget* shown) {
  if (!shown || !shown->isVisible()) return {};
  const QRect inner = shown->geometry(), outer = shown->frameGeometry();
  return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
          outer.bottom() - inner.bottom()};
}

// A new window opens over the window it was opened from (or the screen's middle), wholly inside
// the available area of that screen; one larger than the area shrinks to fit it.
void place_new_window(QWidget* window, const QWidget* anchor) {
  const bool anchored = anchor && anchor->isVisible();
  const QRect over = anchored ? anchor->frameGeometry() : QRect();
  QScreen* screen = anchored ? QGuiApplication::screenAt(over.center()) : nullptr;
  if (!screen) screen = anchor ? anchor->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  // The new window gets the frame its anchor has (the same window manager draws both).
  const QMargins frame = frame_of(anchor);
  window->resize(window->size().boundedTo(area.size().shrunkBy(frame)));
  QRect outer(QPoint(0, 0), window->size().grownBy(frame));  // its layout may keep it larger
  outer.moveCenter(anchored ? over.center() : area.center());
  // Inside the area; a window that is still too large shows its top left corner.
  outer.moveRight(std::min(outer.right(), area.right()));
  outer.moveBottom(std::min(outer.bottom(), area.bottom()));
  outer.moveLeft(std::max(outer.left(), area.left()));
  outer.moveTop(std::max(outer.top(), area.top()));
  window->move(outer.topLeft());  // a window's position is that of its frame
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

bool ToolWindow::busy() const {
  const QList<WorkerTask*> tasks = findChildren<WorkerTask*>();
  return std::any_of(tasks.begin(), tasks.end(), [](const WorkerTask* task) { return task->active(); });
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
  place_new_window(w, parent ? parent->window() : QApplication::activeWindow());
  w->show();
  return w;
}

ToolWindow* open_window(int window) {
  auto& windows = open_windows();
  auto it = windows.find(window);
  return it == windows.end() ? nullptr : it->second.data();
}

void end_program() {
  for (QWidget* w : QApplication::topLevelWidgets())
    for (WorkerTask* task : w->findChildren<WorkerTask*>()) task->stop_now();
  // Tool windows first, then the windows that own them (the main window).
  for (QWidget* w : QApplication::topLevelWidgets())
    if (qobject_cast<ToolWindow*>(w) && w->isVisible()) w->close();
  for (QWidget* w : QApplication::topLevelWidgets())
    if (!w->parentWidget() && w->isVisible()) w->close();
  quit_application();
}

}  // namespace tessaly
