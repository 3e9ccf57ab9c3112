#pragma once
// "百度违禁词过滤": checks a keyword list against Baidu's censorship notice on up to N worker
// threads (one row per keyword), then filters the list down to the normal keywords.
#include <atomic>
#include <memory>

#include "gui/tool_window.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tessaly {

class LineBox;
class ReportList;
class WorkerTask;

class BannedFilterWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 21;
  explicit BannedFilterWindow(QWidget* parent = nullptr);

  // 按钮1: fills the list with the keywords and starts the checks; while they run, stops
  // dispatching (the checks already started finish and write their rows).
  void toggle_banned_check();
  // 按钮3: the keyword box keeps the keywords checked as normal; 标签3 says how many.
  void filter_normal_keywords();
  // Double-click on the list: the selected row's search in the web browser.
  void open_row_search();

  WorkerTask* task() const { return task_; }

 private:
  LineBox* keywords_;
  QLineEdit* threads_;
  QPushButton* start_;
  ReportList* rows_;
  QLabel* summary_;
  WorkerTask* task_;
  std::shared_ptr<std::atomic<int>> limit_;
};

}  // namespace tessaly
