#pragma once
// "域名批量查询": whois and IP lookups of a domain list, each query with its own start/stop (the
// whois query also pauses), a status box, and the exports of the result list.
#include "core/jobs/job.h"
#include "gui/tool_window.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tessaly {

class LineBox;
class ReportList;
class WorkerTask;

class DomainInfoWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 9;
  explicit DomainInfoWindow(QWidget* parent = nullptr);

  void toggle_whois_query();
  void toggle_ip_query();
  // 按钮开始导出: rows 1 to the latest run's domain count, in the selected mode, to the program
  // folder.
  void export_domain_info();
  // 按钮导出域名和IP: domain and IP pairs to "域名-IP.txt" on the desktop.
  void export_domain_ip();

  WorkerTask* whois_task() const { return whois_task_; }
  WorkerTask* ip_task() const { return ip_task_; }

 private:
  void show_pause_state(JobState state);
  LineBox* domains_;
  QLineEdit* delay_;
  QPushButton* whois_start_;
  QPushButton* pause_;
  QPushButton* ip_start_;
  ReportList* rows_;
  LineBox* status_;
  QRadioButton* export_errors_;
  QRadioButton* export_all_;
  QRadioButton* export_dns_;
  WorkerTask* whois_task_;
  WorkerTask* ip_task_;
  int last_query_count_ = 0;
  JobState whois_state_ = JobState::Idle;
};

}  // namespace tessaly
