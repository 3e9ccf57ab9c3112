#pragma once
// "域名批量挖掘关键词": the keywords a list of domains ranks for, collected page by page on one
// worker (start disabled while it runs, a separate stop button), and "导出词", the collected
// keywords as plain lines for copying.
#include "gui/tool_window.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tessaly {

class LineBox;
class ReportList;
class WorkerTask;

class DomainMiningWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 22;
  explicit DomainMiningWindow(QWidget* parent = nullptr);

  void start_domain_mining();
  // Opens "导出词" (or brings it to the front) showing the keywords of the list as it stands.
  void open_word_export();
  // The selected row's URL to the shell; nothing without a selection.
  void open_keyword_url();

  WorkerTask* task() const { return task_; }

 private:
  LineBox* domains_;
  QRadioButton* fixed_pages_;
  QRadioButton* all_pages_;
  QLineEdit* page_count_;
  QLineEdit* delay_;
  QPushButton* start_;
  ReportList* rows_;
  WorkerTask* task_;
};

class WordExportWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 25;
  explicit WordExportWindow(QWidget* parent = nullptr);
  // Replaces the box's content by the keywords (GBK, one per line).
  void show_words(const std::string& lines);

 private:
  LineBox* words_;
};

}  // namespace tessaly
