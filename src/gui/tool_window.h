#pragma once
// The base of every tool window: a non-modal top-level window with the title and size its tool
// registered. A tool window owns its controls and its jobs; closing it stops every job of it
// that stops with its window (WorkerTask::set_stops_with_window) and discards the window, or
// only hides it while a job that outlives its window still runs.
#include <QWidget>

class QCloseEvent;

namespace tessaly {

class ToolWindow : public QWidget {
  Q_OBJECT
 public:
  // `window` is the id the registry knows the window by: the subclass's kWindow.
  explicit ToolWindow(int window, QWidget* parent = nullptr);
  int window_number() const { return window_; }
  // True while any job of this window (a WorkerTask under it) has not ended.
  bool busy() const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  int window_;
};

// Opens tool window `window` non-modally (or brings the open one to the front) and returns it;
// the caller continues at once. A new window opens over the window of `parent` (or the active
// window), wholly inside the screen's available area, shrunk where its size does not fit there.
// Null for a window no tool registered.
ToolWindow* open_tool_window(int window, QWidget* parent = nullptr);
// The open window with that number, or null.
ToolWindow* open_window(int window);

// The same for a window class, by the id it owns (W::kWindow); null when it is not open (or
// not a W).
template <class W>
W* open_tool_window(QWidget* parent = nullptr) {
  return qobject_cast<W*>(open_tool_window(W::kWindow, parent));
}
template <class W>
W* open_window() {
  return qobject_cast<W*>(open_window(W::kWindow));
}

// Ends the program as closing the main window does: every job stops (what it wrote stays; files
// are written whole or not at all), every window closes, and the application quits.
void end_program();

}  // namespace tessaly
