#pragma once
// The keyword miner's export window ("挖掘关键词导出", window 20) and the progress note of its
// table export (window 33). The text export writes one keyword per line; the table export writes
// every column of the list, tab-separated, under a header line of the column titles.
#include <QPointer>

#include <string>

#include "gui/report_list.h"
#include "gui/tool_window.h"

class QLabel;
class QFrame;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tessaly {

class MinerExportWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 20;
  explicit MinerExportWindow(QWidget* parent = nullptr);

  // The list the window exports (the miner page's); none exports an empty list.
  void set_list(ReportList* list) { list_ = list; }

  // 按钮1: the save dialog for the selected type; the chosen path goes into 编辑框1.
  void browse_export_path();
  // 按钮2: writes the file in the selected form.
  void save_miner_export();

 private:
  void save_text();

  QRadioButton* text_type_;
  QRadioButton* table_type_;
  QLineEdit* path_;
  QPushButton* save_;
  QProgressBar* progress_;
  QPointer<ReportList> list_;
  bool saving_ = false;  // the table export lets the window process messages while it runs
};

// Window 33: "请稍候，正在导出数据..." over a bar (标签1 filling the frame 外形框2).
class ExportProgressWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 33;
  explicit ExportProgressWindow(QWidget* parent = nullptr);
  void show_percent(int percent);
  void show_done();

 private:
  QLabel* note_;
  QFrame* frame_;
  QLabel* fill_;
};

// Shows, updates or closes the export progress window: below 100 it opens the window when it is
// not open and shows the percentage; at 100 it shows "已完成" and closes the window shortly after.
void show_export_progress(int percent);

// Writes every row of the list as a line of its cells, each followed by a TAB, under a header
// line of the column titles (every line ends with TAB CR LF; GBK). Reports a failure in a
// message box and returns false; with show_progress, the progress window follows the rows.
bool write_table_file(const ReportList* list, const std::string& path, bool show_progress);

}  // namespace tessaly
