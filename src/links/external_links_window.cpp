#include "links/external_links_window.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>

#include "core/http/http.h"
#include "core/http/pacing.h"
#include "core/jobs/pool.h"
#include "core/text/charset.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/input_checks.h"
#include "gui/line_list.h"
#include "gui/worker_task.h"
#include "links/external_links.h"

namespace tessaly {
namespace {

constexpr int kStatusColumn = 2, kThreadColumn = 3;  // column 1 holds the template
// Places of Bridge::post_latest writes: the list's scroll position, the totals box's text.
constexpr int kScrollSlot = 0, kTotalsSlot = 0;

void show_totals(QLineEdit* box) {
  const links::LinkTotals& totals = links::link_totals();
  set_box_text(box, links::totals_text(totals.successes, totals.failures));
}

}  // namespace

ExternalLinksWindow::ExternalLinksWindow(QWidget* parent) : ToolWindow(24, parent) {
  auto* domain_group = make_group(this, "分组框1", QStringLiteral("域名一行一个"));
  domains_ = make_list_box(domain_group, "编辑框1");
  auto* domain_layout = new QVBoxLayout(domain_group);
  domain_layout->addWidget(domains_);
  domain_group->setFixedWidth(180);

  rows_ = make_report_list(this, "超级列表框1",
                           {{QStringLiteral("ID"), 50},
                            {QStringLiteral("地址"), 260},
                            {QStringLiteral("状态"), 110},
                            {QStringLiteral("线程"), 130}});
  page_ = make_list_box(this, "编辑框3");
  page_->setReadOnly(true);
  page_->setMaximumHeight(110);
  totals_ = make_line_box(this, "编辑框状态");
  totals_->setReadOnly(true);
  threads_ = make_line_box(this, "编辑框线程x", QStringLiteral("10"));
  threads_->setMaximumWidth(50);
  start_ = make_button(this, "按钮开始发布", QStringLiteral("给我发,嘎嘎！"));
  stop_ = make_button(this, "按钮停止发布", QStringLiteral("给我停！"));
  for (QPushButton* b : {start_, stop_}) b->setMinimumHeight(28);

  auto* controls = new QHBoxLayout;
  controls->addWidget(totals_, 1);
  controls->addWidget(make_label(this, "标签1", QStringLiteral("线程：")));
  controls->addWidget(threads_);
  controls->addWidget(start_);
  controls->addWidget(stop_);
  auto* right = new QVBoxLayout;
  right->addWidget(rows_, 1);
  right->addWidget(page_);
  right->addLayout(controls);
  auto* outer = new QHBoxLayout(this);
  outer->addWidget(domain_group);
  outer->addLayout(right, 1);

  // The files as they are now: the domains saved at the last start, the templates to request.
  // A fresh program folder has neither: they are made, empty, for the user to fill.
  if (!links::ensure_link_files())
    message_box(QStringLiteral("无法建立配置文件夹和它的文件：") + from_path(links::link_folder()),
                kIconError);
  set_box_text(domains_, links::load_domain_text());
  templates_ = links::load_templates();
  rows_->lv_append_numbered(templates_);
  // The totals count across windows: a window opened again shows where they stand.
  if (links::link_totals().successes > 0 || links::link_totals().failures > 0) show_totals(totals_);

  task_ = new WorkerTask(this);
  task_->disable_while_active({start_});
  task_->set_stop_finishes_started(true);
  task_->set_stops_with_window(false);
  limit_ = live_number(threads_);
  connect(start_, &QPushButton::clicked, this, [this] { start_publishing(); });
  connect(stop_, &QPushButton::clicked, this, [this] { stop_publishing(); });
}

void ExternalLinksWindow::start_publishing() {
  if (task_->active()) return;
  if (!require_lines(domains_, QStringLiteral("域名列表是空的，请先在左边填写域名，一行一个。"))) return;
  if (templates_.empty()) {
    ask_for_templates();
    return;
  }
  if (!require_thread_count(threads_)) return;
  auto domains = std::make_shared<const TextList>(box_lines(domains_));
  const bool saved = links::save_domain_text(box_text(domains_));
  auto templates = std::make_shared<const TextList>(templates_);
  ReportList* list = rows_;
  LineBox* page = page_;
  QLineEdit* totals = totals_;
  std::shared_ptr<std::atomic<int>> limit = limit_;
  task_->start([domains, templates, list, page, totals, limit](Bridge& bridge) {
    bridge.job().set_pacing(configured_pacing());
    static const std::string working = gbk("正在疯狂运作,嘎嘎。");
    static const std::string success = gbk("成功"), failure = gbk("失败！");
    PoolPlan plan{.rows = static_cast<int>(templates->size()),
                  .limit = [limit] { return limit->load(); },
                  .repeat = true};
    PoolWork work{.announce =
                      [&](int row, int worker) {
                        bridge.set_cell(list, row, kThreadColumn, pool_busy_note(worker));
                        bridge.post_latest(list, kScrollSlot, [list, row] { list->lv_ensure_visible(row); });
                      },
                  .work =
                      [&](int row, int) {
                        bridge.set_cell(list, row, kStatusColumn, working);
                        links::LinkResult result =
                            links::request_link((*templates)[static_cast<size_t>(row)], *domains);
                        bridge.set_text(page, std::move(result.page));
                        bridge.set_cell(list, row, kStatusColumn,
                                        result.outcome == ItemOutcome::RateLimited ? rate_limited_text()
                                        : result.outcome == ItemOutcome::Result    ? success
                                                                                   : failure);
                        bridge.set_cell(list, row, kThreadColumn, pool_done_note());
                        // Read when shown: the last write shows the last count, whichever
                        // worker's write comes last.
                        bridge.post_latest(totals, kTotalsSlot, [totals] { show_totals(totals); });
                      },
                  .progress = {}};
    run_pooled(bridge.job(), plan, work);
  });
  if (!saved)
    message_box(QStringLiteral("域名列表没能保存到：") + from_path(links::domain_file()), kIconError);
}

void ExternalLinksWindow::stop_publishing() { task_->stop(); }

void ExternalLinksWindow::changeEvent(QEvent* event) {
  ToolWindow::changeEvent(event);
  // Without templates the tool can do nothing: once the window is up and in front, the user is
  // told where to write them (on first opening the file has just been made, empty). The box
  // then belongs to this window, which stays in front when it closes.
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && templates_.empty() && !asked_) {
    asked_ = true;
    QTimer::singleShot(0, this, [this] { ask_for_templates(); });
  }
}

void ExternalLinksWindow::ask_for_templates() {
  offer_to_open_folder(
      QStringLiteral("还没有可发布的网址：请在下面这个文件里每行写一个网址（用{$url}代表域名），"
                     "保存后重新打开本窗口。\n") +
          from_path(links::template_file()),
      from_path(links::link_folder()));
}

}  // namespace tessaly
