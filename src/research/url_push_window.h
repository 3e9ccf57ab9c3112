#pragma once
// "百度主动推送": pushes a site's URLs through the search engine's URL-submission API in batches
// of up to 2,000 (site, token and URL list in, one row per URL with its status out, a summary
// line after each batch). The token box is masked and its text is never kept anywhere.
#include "gui/tool_window.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace tessaly {

class LineBox;
class ReportList;
class WorkerTask;

class UrlPushWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 34;
  explicit UrlPushWindow(QWidget* parent = nullptr);

  // 按钮开始推送: checks the site, the token and the list, lists the cleaned URLs and starts the
  // run; while it runs, stops it at once (the URLs of the request in flight keep no status).
  void toggle_push();
  // 按钮导出结果: every row to the file named in 编辑框导出文件, in the program folder.
  void export_results();

  WorkerTask* task() const { return task_; }

 private:
  QLineEdit* site_;
  QLineEdit* token_;
  LineBox* urls_;
  QPushButton* start_;
  ReportList* rows_;
  QProgressBar* bar_;
  QLabel* summary_;
  QLineEdit* file_name_;
  WorkerTask* task_;
};

}  // namespace tessaly
