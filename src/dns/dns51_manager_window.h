#pragma once
// Window "51dns获取域名记录|批量删除域名记录": lists every domain of the logged-in 51dns account
// page by page, ticks rows, deletes the ticked domains and copies the names out for export.
#include <memory>
#include <vector>

#include "gui/tool_window.h"

class QPlainTextEdit;
class QPushButton;

namespace tessaly {

class WorkerTask;
class ReportList;

class Dns51ManagerWindow : public ToolWindow {
  Q_OBJECT
 public:
  explicit Dns51ManagerWindow(QWidget* parent = nullptr);

 private:
  void list_51dns_domains();
  void release_51dns_listing();
  void tick_all_51dns();
  void invert_51dns_ticks();
  void delete_ticked_51dns_domains();
  void export_51dns_names();

  ReportList* list_;
  QPushButton* delete_button_;
  QPlainTextEdit* names_;
  WorkerTask* listing_ = nullptr;
  WorkerTask* deleting_ = nullptr;
};

}  // namespace tessaly
