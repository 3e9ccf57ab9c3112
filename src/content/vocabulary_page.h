#pragma once
// The vocabulary page of the main window: four word lists, the check boxes choosing which take
// part, random or all-combinations mode, and the output box the run appends to.
#include <QWidget>

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tessaly {

class LineBox;
class WorkerTask;

class VocabularyPage : public QWidget {
  Q_OBJECT
 public:
  explicit VocabularyPage(QWidget* parent = nullptr);

  // Click handler of 按钮开始生成: starts a run, or stops the current one.
  void toggle_vocabulary_generation();
  // The current run's task (tests and benchmarks watch it).
  WorkerTask* task() const { return task_; }

 private:
  LineBox* provinces_;
  LineBox* cities_;
  LineBox* middles_;
  LineBox* endings_;
  LineBox* output_;
  QCheckBox* use_provinces_;
  QCheckBox* use_cities_;
  QCheckBox* use_middles_;
  QCheckBox* use_endings_;
  QRadioButton* random_mode_;
  QRadioButton* all_mode_;
  QLineEdit* count_;
  QProgressBar* progress_;
  QPushButton* start_;
  WorkerTask* task_;
};

// The default text of the city and county list (2393 names, one a line).
QString default_place_names();

}  // namespace tessaly
