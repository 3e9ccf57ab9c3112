#pragma once
// "IP进制生成工具": numeric spellings of a list of IPv4 addresses as URLs, generated on a worker
// that the start button and the window's closing both stop.
#include "gui/tool_window.h"
#include "gui/worker_task.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tessaly {

class LineBox;

class IpFormsWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kWindow = 27;
  explicit IpFormsWindow(QWidget* parent = nullptr);

 private:
  void start_clicked();
  LineBox* input_ = nullptr;
  LineBox* output_ = nullptr;
  QLineEdit* zeros_ = nullptr;
  QCheckBox* two_part_ = nullptr;
  QCheckBox* three_part_ = nullptr;
  QCheckBox* lower_case_ = nullptr;
  QPushButton* start_ = nullptr;
  WorkerTask* task_ = nullptr;
};

}  // namespace tessaly
