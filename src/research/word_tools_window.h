#pragma once
// "单词功能": a Chinese text turned into English words in three steps on one box: remove the
// punctuation, split into characters (on a worker, start/stop), translate (on a worker, with a
// busy picture).
#include "gui/tool_window.h"

class QPushButton;
class QWidget;

namespace tessaly {

class LineBox;
class WorkerTask;

class WordToolsWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 28;
  explicit WordToolsWindow(QWidget* parent = nullptr);

  void filter_punctuation();
  void toggle_split();
  void translate_lines();

  WorkerTask* split_task() const { return split_task_; }
  WorkerTask* translate_task() const { return translate_task_; }

 private:
  LineBox* text_;
  QPushButton* filter_;
  QPushButton* split_;
  QPushButton* translate_;
  QWidget* busy_;
  WorkerTask* split_task_;
  WorkerTask* translate_task_;
};

}  // namespace tessaly
