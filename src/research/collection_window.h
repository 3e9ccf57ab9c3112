#pragma once
// The keyword collection window "词库网-爱站网关键词采集": step one, a browser to log in to the
// chosen site; step two, the seeds, the collected keywords and the run buttons. One collection
// runs at a time, and stop and pause act on it whichever source is selected meanwhile.
#include "gui/tool_window.h"
#include "research/collection.h"

class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWebEngineView;

namespace tessaly {

class LineBox;
class WorkerTask;

class CollectionWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 6;
  explicit CollectionWindow(QWidget* parent = nullptr);

  // 单选框词库网采集 / 单选框爱站网采集 clicked: the browser opens that site's login page.
  void select_wordlib_source();
  void select_aizhan_source();
  // 按钮1: the hint, then the login tab.
  void show_login_page();
  // 按钮开始采集: starts the selected source's collection, or stops the running one.
  void toggle_collection();
  // 按钮暂停采集: pauses or continues the running collection.
  void toggle_collection_pause();

  WorkerTask* task() const { return task_; }

 private:
  CollectionSource selected_source() const;

  QTabWidget* tabs_;
  QWebEngineView* browser_;
  QRadioButton* wordlib_;
  QRadioButton* aizhan_;
  LineBox* seeds_;
  LineBox* results_;
  QLineEdit* count_;
  QPushButton* start_;
  QPushButton* pause_;
  WorkerTask* task_;
};

}  // namespace tessaly
