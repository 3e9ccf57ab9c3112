#pragma once
// "批量网站访问": requests each site of a list on one worker and lists its title, or flags it as
// possibly unreachable; at the end the flagged domains are collected and counted.
#include "gui/tool_window.h"

namespace tessaly {

class LineBox;
class WorkerTask;

class AccessTestWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 5;
  explicit AccessTestWindow(QWidget* parent = nullptr);

  void toggle_access_test();
  WorkerTask* task() const { return task_; }

 private:
  LineBox* sites_;
  LineBox* results_;
  LineBox* flagged_;
  WorkerTask* task_;
};

}  // namespace tessaly
