#pragma once
// Window 24, "超级外链工具": requests the URL templates of url.txt pass after pass on up to N
// worker threads, each time with a random domain of the domain box in place of "{$url}".
// Closing the window does not stop a run (the window is hidden and its launcher shows it
// again); closing the program does.
#include <atomic>
#include <memory>

#include "core/text/text.h"
#include "gui/tool_window.h"

class QLineEdit;
class QPushButton;

namespace tessaly {

class LineBox;
class ReportList;
class WorkerTask;

class ExternalLinksWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 24;
  explicit ExternalLinksWindow(QWidget* parent = nullptr);

  // 按钮开始发布: saves the domain box and starts the endless passes.
  void start_publishing();
  // 按钮停止发布: no new request starts; the requests under way finish and write.
  void stop_publishing();

  WorkerTask* task() const { return task_; }

 protected:
  void changeEvent(QEvent* event) override;

 private:
  // Names url.txt by its real path and offers its folder (the tool needs templates to request).
  void ask_for_templates();

  LineBox* domains_;
  ReportList* rows_;
  LineBox* page_;
  QLineEdit* totals_;
  QLineEdit* threads_;
  QPushButton* start_;
  QPushButton* stop_;
  WorkerTask* task_;
  TextList templates_;  // url.txt as read when the window was made
  bool asked_ = false;  // told the user where the templates go
  std::shared_ptr<std::atomic<int>> limit_;
};

}  // namespace tessaly
