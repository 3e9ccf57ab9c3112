#pragma once
// The six line-list tool windows: remove repeats and pinyin (8), trim spaces (10), add a suffix
// (14), shuffle (16), keep text left/right of a separator (18), and join two lists (3). Every
// job runs on a worker and computes its whole result before showing it (a stopped run leaves the
// list as it was); only the suffix tool, which adds to what its output box holds, streams.
#include "gui/tool_window.h"

class QLineEdit;
class QProgressBar;
class QPushButton;

namespace tessaly {

class LineBox;
class WorkerTask;

// "去重处理转拼音"
class DedupeWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 8;
  explicit DedupeWindow(QWidget* parent = nullptr);
  // True while a dedupe or pinyin run has not ended.

 private:
  void toggle_dedupe();
  void convert_pinyin(bool full);

  LineBox* list_;
  LineBox* status_;
  QPushButton* dedupe_;
  QProgressBar* progress_;
  WorkerTask* dedupe_task_;
  WorkerTask* pinyin_task_;
};

// "去首尾中间空"
class TrimWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 10;
  explicit TrimWindow(QWidget* parent = nullptr);

 private:
  LineBox* list_;
  QPushButton* start_;
  QProgressBar* progress_;
  WorkerTask* task_;
};

// "关键词打散"
class ShuffleWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 16;
  explicit ShuffleWindow(QWidget* parent = nullptr);

 private:
  LineBox* list_;
  QPushButton* start_;
  QProgressBar* progress_;
  WorkerTask* task_;
};

// "多文本加后缀"
class KeywordSuffixWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 14;
  explicit KeywordSuffixWindow(QWidget* parent = nullptr);

 private:
  LineBox* input_;
  QLineEdit* suffix_;
  LineBox* output_;
  QPushButton* start_;
  WorkerTask* task_;
};

// "批量取文本"
class TakeTextWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 18;
  explicit TakeTextWindow(QWidget* parent = nullptr);

 private:
  void take(bool left);

  LineBox* list_;
  QLineEdit* left_separator_;
  QLineEdit* right_separator_;
  WorkerTask* task_;
};

// "批量一对一相加"
class JoinWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 3;
  explicit JoinWindow(QWidget* parent = nullptr);

 private:
  LineBox* first_;
  LineBox* second_;
  LineBox* result_;
  QLineEdit* result_count_;
  QLineEdit* separator_;
  WorkerTask* task_;
};

}  // namespace tessaly
