#pragma once
// The keyword miner page of the main window ("挖掘机"): the seed box, the six source boxes, the
// run buttons (search, pause/continue, stop, export), the result list whose header counts the
// keywords, and three help links. One run at a time; its sources run side by side.
#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

#include "core/jobs/job.h"
#include "core/text/text.h"
#include "research/keyword_miner.h"

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace tessaly {

class ReportList;
class WorkerTask;

class KeywordMinerPage : public QWidget {
  Q_OBJECT
 public:
  explicit KeywordMinerPage(QWidget* parent = nullptr);

  // 按钮挖掘机搜索: clears the list and starts the ticked sources.
  void start_keyword_search();
  // 按钮挖掘机停止: ends every source at its next checkpoint; the rows found stay.
  void stop_keyword_search();
  // Double-click on the list: the selected keyword's Baidu search in the web browser.
  void open_keyword_search();
  // 按钮挖掘机导出: the export window for this page's list.
  void open_miner_export();

  WorkerTask* task() const { return task_; }

 private:
  // Moves the keywords admitted since the last call into the list and updates the counter, a
  // bounded number per turn of the event loop; announces the run's end once all are shown.
  void show_admitted();
  void announce_end(const JobOutcome& outcome);
  void set_header(const QString& text);

  QLineEdit* seed_;
  QPushButton* search_;
  QPushButton* pause_;
  QPushButton* stop_;
  QPushButton* export_;
  std::array<QCheckBox*, research::kMinerSourceCount> sources_{};
  QCheckBox* must_contain_;
  QProgressBar* progress_;
  ReportList* list_;
  WorkerTask* task_;
  std::shared_ptr<research::MinerLive> live_ = std::make_shared<research::MinerLive>();
  std::shared_ptr<research::KeywordAdmission> admission_;  // the current or last run's
  struct RunEnd {
    std::atomic<bool> any_source{false};
    std::atomic<research::MinerSource> last{research::MinerSource::WordLibrary};
    std::atomic<int> failed_requests{0}, rate_limited_requests{0};
  };
  std::shared_ptr<RunEnd> run_end_;
  TextList backlog_;          // admitted keywords waiting to be shown
  size_t backlog_shown_ = 0;  // how many of them are in the list already
  bool turn_scheduled_ = false;
  std::optional<JobOutcome> ended_;  // the run has ended; announced when the backlog is shown
};

}  // namespace tessaly
