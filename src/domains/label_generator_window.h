#pragma once
// The sub-domain ("泛域名生成") and directory ("泛目录生成") list generators: one window layout
// for both, with a random-label page and a pinyin-label page, each with its own start/stop.
#include "domains/label_generators.h"
#include "gui/tool_window.h"
#include "gui/worker_task.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tessaly {

class LineBox;

class LabelGeneratorWindow : public ToolWindow {
  Q_OBJECT
 public:
  // The two windows this class makes, one per form.
  static constexpr int kSubDomainWindow = 19;
  static constexpr int kDirectoryWindow = 32;
  LabelGeneratorWindow(UrlForm form, QWidget* parent = nullptr);

 private:
  QWidget* build_random_page();
  QWidget* build_pinyin_page();
  void random_clicked();
  void pinyin_clicked();

  UrlForm form_;
  // random page
  LineBox* domains_ = nullptr;
  LineBox* output_ = nullptr;
  QLineEdit* count_ = nullptr;
  QLineEdit* affix_ = nullptr;
  QLineEdit* length_ = nullptr;
  QRadioButton* alnum_ = nullptr;
  QRadioButton* letters_ = nullptr;
  QRadioButton* sequential_ = nullptr;
  QPushButton* random_start_ = nullptr;
  WorkerTask* random_task_ = nullptr;
  // pinyin page
  LineBox* keywords_ = nullptr;
  LineBox* pinyin_domains_ = nullptr;
  LineBox* pinyin_output_ = nullptr;
  QRadioButton* full_pinyin_ = nullptr;
  QRadioButton* pinyin_sequential_ = nullptr;
  QPushButton* pinyin_start_ = nullptr;
  WorkerTask* pinyin_task_ = nullptr;
};

}  // namespace tessaly
