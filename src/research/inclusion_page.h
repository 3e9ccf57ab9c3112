#pragma once
// The inclusion-query page of the main window ("收录查询"): the domain list with its live count,
// start/stop and pause buttons, the result list (one row per domain), and the export.
#include <QWidget>

class QLineEdit;
class QPushButton;

namespace tessaly {

class LineBox;
class ReportList;
class WorkerTask;

class InclusionPage : public QWidget {
  Q_OBJECT
 public:
  explicit InclusionPage(QWidget* parent = nullptr);

  // 按钮收录开始查询: clears the result list and starts a run, or stops the current run.
  void toggle_inclusion_query();
  // 按钮导出数据: writes every row to the export file in the program folder.
  void export_inclusion_results();
  // Double-click on the result list: the selected row's "site:" search in the web browser.
  void open_site_search();

  // The current run's task (tests watch it).
  WorkerTask* task() const { return task_; }

 private:
  LineBox* domains_;
  ReportList* results_;
  QLineEdit* file_name_;
  QPushButton* start_;
  QPushButton* pause_;
  WorkerTask* task_;
};

}  // namespace tessaly
