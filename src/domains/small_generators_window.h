#pragma once
// The small generator windows: "gov生成软件", "域名批量加www", "域名加后缀", "258IP一键生成" and
// "外推规则生成". Each turns a typed or pasted list into another list; the work runs on a worker
// and streams into the output box, so lists of hundreds of thousands of lines never freeze them.
#include "core/text/text.h"
#include "gui/tool_window.h"
#include "gui/worker_task.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tessaly {

class LineBox;

class GovWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 11;
  explicit GovWindow(QWidget* parent = nullptr);

 private:
  void generate();
  LineBox* domains_ = nullptr;
  LineBox* results_ = nullptr;
  QRadioButton* choices_[4] = {};
  QLineEdit* prefixes_[4] = {};
  WorkerTask* run_ = nullptr;
};

class WwwWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 2;
  explicit WwwWindow(QWidget* parent = nullptr);

 private:
  // Reads the list, shows its count and empties it for the results.
  TextList take_list();
  void url_forms();
  void www_or_links();
  LineBox* list_ = nullptr;
  QLineEdit* count_ = nullptr;
  QCheckBox* add_www_ = nullptr;
  QCheckBox* add_slash_ = nullptr;
  QCheckBox* www_only_ = nullptr;
  QCheckBox* links_ = nullptr;
  WorkerTask* run_ = nullptr;
};

class SuffixWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 12;
  explicit SuffixWindow(QWidget* parent = nullptr);

 private:
  void add_suffix();
  void cut();
  LineBox* list_ = nullptr;
  QRadioButton* first_ = nullptr;
  QLineEdit* suffix1_ = nullptr;
  QLineEdit* suffix2_ = nullptr;
  QLineEdit* separator_ = nullptr;
  WorkerTask* run_ = nullptr;
};

class IpRunWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 1;
  explicit IpRunWindow(QWidget* parent = nullptr);

 private:
  void generate();
  QLineEdit* prefix_ = nullptr;
  QLineEdit* first_ = nullptr;
  QLineEdit* last_ = nullptr;
  LineBox* output_ = nullptr;
  QPushButton* start_ = nullptr;
  WorkerTask* task_ = nullptr;
};

class OutreachRulesWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 29;
  explicit OutreachRulesWindow(QWidget* parent = nullptr);

 private:
  void to_links();
  LineBox* rules_ = nullptr;
  QLineEdit* link_text_ = nullptr;
  LineBox* output_ = nullptr;
  WorkerTask* run_ = nullptr;
};

}  // namespace tessaly
