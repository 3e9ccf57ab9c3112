#pragma once
// The base of every tool window: a non-modal top-level window with its fixed title and size.
// A tool window owns its controls and its run state; closing it discards both.
#include <QWidget>

namespace tessaly {

class ToolWindow : public QWidget {
  Q_OBJECT
 public:
  ToolWindow(int index, QWidget* parent = nullptr);
  int index() const { return index_; }

 private:
  int index_;
};

struct ToolWindowInfo {
  int index;
  const char* title;  // UTF-8; empty for the windows without a title
  int width, height;
};

// The fixed table of tool windows 1 to 33.
const ToolWindowInfo* tool_window_info(int index);

// Opens window `index` non-modally (or brings the open one to the front) and returns it; the
// caller continues at once. Null for an unknown index.
ToolWindow* open_tool_window(int index, QWidget* parent = nullptr);
// The open window with that index, or null.
ToolWindow* open_window(int index);

}  // namespace tessaly
