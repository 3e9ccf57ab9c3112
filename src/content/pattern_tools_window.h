#pragma once
// The pattern and file tool windows: "正则匹配" (7), "关键词处理小工具" (13) and
// "批量修改文件名" (15). Their work runs on a worker.
#include "gui/tool_window.h"

class QLineEdit;
class QProgressBar;
class QPushButton;

namespace tessaly {

class LineBox;
class WorkerTask;

// "正则匹配"
class RegexMatchWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 7;
  explicit RegexMatchWindow(QWidget* parent = nullptr);

 private:
  QLineEdit* pattern_;
  LineBox* source_;
  QLineEdit* group_;
  LineBox* result_;
  WorkerTask* task_;
};

// "关键词处理小工具"
class KeywordSeparatorWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 13;
  explicit KeywordSeparatorWindow(QWidget* parent = nullptr);

 private:
  QLineEdit* path_;
  QLineEdit* separators_;
  QLineEdit* output_path_;
  QLineEdit* message_;
  QPushButton* start_;
  QProgressBar* progress_;
  WorkerTask* task_;
};

// "批量修改文件名"
class BatchRenameWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 15;
  explicit BatchRenameWindow(QWidget* parent = nullptr);

 private:
  void toggle();

  QLineEdit* folder_;
  QLineEdit* length_;
  QLineEdit* extension_;
  QPushButton* start_;
  QProgressBar* progress_;
  WorkerTask* task_;
};

}  // namespace tessaly
