#pragma once
// "伪原创生成工具": the article rewriter's window. Four pages: word-list replacement in the source
// text, sentence-library processing, splitting into files, and a help text. Every step runs on
// workers; closing the window stops them (their results have nowhere left to go).
#include <atomic>
#include <memory>

#include "gui/tool_window.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTabWidget;

namespace tessaly {

class LineBox;
class ReportList;
class WorkerTask;

class RewriterWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 23;
  explicit RewriterWindow(QWidget* parent = nullptr);

 protected:
 private:
  QWidget* build_replace_page();
  QWidget* build_process_page();
  QWidget* build_split_page();
  QWidget* build_help_page();

  void load_word_list();
  void replace_in_source();
  void stop_replacement();
  void process_library();
  void stop_processing();
  void open_config_folder();
  void split_library();

  QTabWidget* tabs_ = nullptr;
  ReportList* words_ = nullptr;
  QLabel* line_label_ = nullptr;
  LineBox* table_ = nullptr;
  QCheckBox* no_spaces_ = nullptr;
  QProgressBar* process_bar_ = nullptr;
  QLineEdit* lines_per_file_ = nullptr;
  QLineEdit* split_threads_ = nullptr;
  QProgressBar* split_bar_ = nullptr;

  WorkerTask* load_task_ = nullptr;
  WorkerTask* replace_task_ = nullptr;
  WorkerTask* process_task_ = nullptr;
  WorkerTask* split_task_ = nullptr;
  // The stop flag of the current processing run ("停止处理" sets it).
};

}  // namespace tessaly
