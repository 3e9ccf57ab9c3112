#include "domains/access_test_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "domains/access_test.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/input_checks.h"
#include "gui/line_list.h"
#include "gui/worker_task.h"

namespace tessaly {
namespace {

class BoxSink : public domains::AccessSink {
 public:
  BoxSink(Bridge& bridge, LineBox* box) : bridge_(bridge), box_(box) {}
  void site_checked(int, const Text&, const Text&, ItemOutcome outcome) override { counts_.add(outcome); }
  void result_line(const Text& line) override { bridge_.append(box_, line); }
  const OutcomeCounts& counts() const { return counts_; }

 private:
  Bridge& bridge_;
  LineBox* box_;
  OutcomeCounts counts_;
};

}  // namespace

AccessTestWindow::AccessTestWindow(QWidget* parent) : ToolWindow(5, parent) {
  auto* site_group = make_group(this, "", QStringLiteral("请输入你的网站域名"));
  sites_ = make_counted_list(site_group, "编辑框域名框", "编辑框域名个数", QStringLiteral("个数："));
  sites_->setPlainText(data_text("samples/access_sites.txt"));

  auto* actions = make_group(this, "", QStringLiteral("功能"));
  auto* start = make_button(actions, "按钮开始测试访问", QStringLiteral("开始测试访问"));
  auto* pause = make_button(actions, "按钮暂停测试访问", QStringLiteral("暂停测试访问"));
  auto* clear_sites = make_button(actions, "按钮2", QStringLiteral("清空"));
  auto* action_layout = new QVBoxLayout(actions);
  for (QPushButton* b : {start, pause, clear_sites}) {
    b->setMinimumHeight(30);
    action_layout->addWidget(b);
  }
  action_layout->addStretch(1);

  auto* result_group = make_group(this, "", QStringLiteral("对应测试访问的结果"));
  results_ = make_list_box(result_group, "编辑框返回结果框");
  auto* clear_results = make_button(result_group, "按钮1", QStringLiteral("清空"));
  auto* copy = make_button(result_group, "按钮3", QStringLiteral("复制"));
  auto* result_layout = new QGridLayout(result_group);
  result_layout->addWidget(results_, 0, 0, 1, 3);
  result_layout->setColumnStretch(0, 1);
  result_layout->addWidget(clear_results, 1, 1);
  result_layout->addWidget(copy, 1, 2);

  flagged_ = make_list_box(this, "编辑框不能访问的域名");
  auto* flagged_layout = new QVBoxLayout;
  flagged_layout->addWidget(make_label(this, "", QStringLiteral("不能访问的域名：")));
  flagged_layout->addWidget(flagged_, 1);

  auto* top = new QHBoxLayout;
  top->addWidget(site_group, 3);
  top->addWidget(actions, 1);
  top->addLayout(flagged_layout, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 2);
  layout->addWidget(result_group, 3);

  task_ = new WorkerTask(this);
  task_->set_start_button(start, QStringLiteral("开始测试访问"), QStringLiteral("停止测试访问"));
  task_->set_pause_button(pause, QStringLiteral("暂停测试访问"), QStringLiteral("开始测试访问"));
  bind_clear_button(clear_sites, sites_);
  bind_clear_button(clear_results, results_);
  bind_copy_button(copy, results_, QStringLiteral("复制成功"), QStringLiteral("友情提示"));
  connect(start, &QPushButton::clicked, this, [this] { toggle_access_test(); });
  connect(pause, &QPushButton::clicked, task_, [this] { task_->toggle_pause(); });
}

void AccessTestWindow::toggle_access_test() {
  if (task_->shows_stop_wording()) {
    task_->stop();  // the lines written so far stay; no count, no message
    return;
  }
  if (!require_lines(sites_, QStringLiteral("请先填写要测试的网站域名，一行一个。")))
    return;  // the results of the last run stay
  set_box_text(results_, {});
  LineBox* results = results_;
  LineBox* flagged = flagged_;
  task_->start([sites = box_lines(sites_), results, flagged](Bridge& bridge) {
    BoxSink sink(bridge, results);
    domains::run_access_test(sites, sink);
    // Counted from the box as it stands after the run, typed lines included.
    TextList found = domains::flagged_domains(bridge.call([results] { return box_text(results); }));
    Text lines;
    for (const Text& d : found) lines += d + "\r\n";
    if (!lines.empty()) bridge.append(flagged, lines);
    bridge.message_box(
        from_gbk(domains::access_summary(static_cast<int>(found.size())) + failures_tail(sink.counts())), 0,
        QStringLiteral("友情提示"));
  });
}

}  // namespace tessaly
