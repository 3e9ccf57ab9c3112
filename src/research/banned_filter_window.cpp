#include "research/banned_filter_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/http/pacing.h"
#include "core/jobs/pool.h"
#include "core/text/charset.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/input_checks.h"
#include "gui/line_list.h"
#include "gui/worker_task.h"
#include "research/banned_filter.h"

namespace tessaly {
namespace {

constexpr int kKeywordColumn = 1, kStatusColumn = 2, kThreadColumn = 3;

}  // namespace

BannedFilterWindow::BannedFilterWindow(QWidget* parent) : ToolWindow(21, parent) {
  keywords_ = make_list_box(this, "编辑框1", data_text("samples/banned_keywords.txt"));
  auto* count = make_line_box(this, "编辑框个数");
  threads_ = make_line_box(this, "编辑框线程", QStringLiteral("10"));
  for (QLineEdit* box : {count, threads_}) box->setMaximumWidth(60);
  start_ = make_button(this, "按钮1", QStringLiteral("开始查询"));
  auto* clear = make_button(this, "按钮2", QStringLiteral("清空"));
  auto* filter = make_button(this, "按钮3", QStringLiteral("过滤"));
  rows_ = make_report_list(this, "超级列表框1",
                           {{QStringLiteral("ID"), 50},
                            {QStringLiteral("关键词"), 130},
                            {QStringLiteral("状态"), 150},
                            {QStringLiteral("线程ID"), 150}});
  summary_ = make_label(this, "标签3", {});

  auto* left = new QGridLayout;
  left->addWidget(keywords_, 0, 0, 1, 4);
  left->addWidget(make_label(this, "标签2", QStringLiteral("个数：")), 1, 0);
  left->addWidget(count, 1, 1);
  left->addWidget(make_label(this, "标签1", QStringLiteral("线程：")), 2, 0);
  left->addWidget(threads_, 2, 1);
  left->setColumnStretch(3, 1);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {start_, clear, filter}) {
    b->setMinimumHeight(28);
    buttons->addWidget(b);
  }
  left->addLayout(buttons, 3, 0, 1, 4);
  auto* left_widget = new QWidget(this);
  left_widget->setLayout(left);
  left_widget->setFixedWidth(200);
  left->setContentsMargins(0, 0, 0, 0);

  auto* right = new QVBoxLayout;
  right->addWidget(rows_, 1);
  right->addWidget(summary_);
  auto* outer = new QHBoxLayout(this);
  outer->addWidget(left_widget);
  outer->addLayout(right, 1);

  task_ = new WorkerTask(this);
  task_->set_start_button(start_, QStringLiteral("开始查询"), QStringLiteral("停止查询"));
  // Stopping ends the dispatch only: the checks already started finish and write their rows.
  task_->set_stop_finishes_started(true);
  limit_ = live_number(threads_);
  bind_line_count(keywords_, count);
  bind_clear_button(clear, keywords_);
  connect(start_, &QPushButton::clicked, this, [this] { toggle_banned_check(); });
  connect(filter, &QPushButton::clicked, this, [this] { filter_normal_keywords(); });
  connect(rows_, &ReportList::row_double_clicked, this, [this] { open_row_search(); });
}

void BannedFilterWindow::toggle_banned_check() {
  // A run with no keyword, or with a thread count no worker could start under, would never end.
  if (!task_->shows_stop_wording() &&
      (!require_lines(keywords_, QStringLiteral("请先填写要检测的关键词，一行一个。")) ||
       !require_thread_count(threads_)))
    return;
  auto keywords = std::make_shared<TextList>();
  ReportList* list = rows_;
  std::shared_ptr<std::atomic<int>> limit = limit_;
  task_->toggle(
      [this, keywords, list] {
        *keywords = box_lines(keywords_);
        list->lv_clear();
        list->lv_append_numbered(*keywords);
      },
      [keywords, list, limit](Bridge& bridge) {
        bridge.job().set_pacing(configured_pacing());
        Lock counts_lock;
        OutcomeCounts counts;
        PoolPlan plan{.rows = static_cast<int>(keywords->size()), .limit = [limit] { return limit->load(); }};
        PoolWork work{.announce =
                          [&](int row, int worker) {
                            bridge.set_cell(list, row, kThreadColumn, pool_busy_note(worker));
                          },
                      .work =
                          [&](int row, int) {
                            research::BannedCheck check =
                                research::check_keyword_banned((*keywords)[static_cast<size_t>(row)]);
                            {
                              std::lock_guard guard(counts_lock);
                              counts.add(check.outcome);
                            }
                            bridge.set_cell(list, row, kStatusColumn, check.status);
                            bridge.set_cell(list, row, kThreadColumn, pool_done_note());
                          },
                      .progress = {}};
        if (run_pooled(bridge.job(), plan, work).complete)
          bridge.message_box(QStringLiteral("处理完毕") + from_gbk(failures_tail(counts)));
      });
}

void BannedFilterWindow::filter_normal_keywords() {
  TextList keywords, statuses;
  const int n = rows_->lv_row_count();
  keywords.reserve(static_cast<size_t>(n));
  statuses.reserve(static_cast<size_t>(n));
  for (int r = 0; r < n; ++r) {
    keywords.push_back(rows_->lv_get_cell(r, kKeywordColumn));
    statuses.push_back(rows_->lv_get_cell(r, kStatusColumn));
  }
  research::BannedFilterResult result = research::filter_normal_keywords(keywords, statuses);
  set_box_text(keywords_, result.keywords);
  summary_->setText(from_gbk(research::banned_filter_label(result)));
}

void BannedFilterWindow::open_row_search() {
  int row = rows_->selected_row();
  if (row < 0) return;
  shell_open(QStringLiteral("open"),
             from_gbk(research::banned_search_url(rows_->lv_get_cell(row, kKeywordColumn))));
}

}  // namespace tessaly
