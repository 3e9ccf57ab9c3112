#pragma once
// Window "dnspod域名管理": lists the domains of the logged-in DNSPod account, ticks them (all,
// inverted, those in error, those named in a box), deletes the ticked ones from the account and
// exports their names.
#include <memory>
#include <vector>

#include "gui/tool_window.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tessaly {

class WorkerTask;
class ReportList;

class DnspodManagerWindow : public ToolWindow {
  Q_OBJECT
 public:
  explicit DnspodManagerWindow(QWidget* parent = nullptr);

 private:
  void list_dnspod_domains();
  void refresh_dnspod_domains();
  void tick_all_domains();
  void invert_ticks();
  void tick_error_domains();
  void tick_listed_domains();
  void delete_ticked_dnspod_domains();
  void export_ticked_domains();

  QPushButton* list_button_;
  QPushButton* delete_button_;
  ReportList* list_;
  QPlainTextEdit* names_;
  QPlainTextEdit* ticked_rows_;
  QLineEdit* ticked_count_;
  QPlainTextEdit* log_;
  WorkerTask* listing_ = nullptr;
  WorkerTask* deleting_ = nullptr;
};

}  // namespace tessaly
