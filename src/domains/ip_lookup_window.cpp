#include "domains/ip_lookup_window.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "domains/ip_lookup.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/line_list.h"
#include "gui/worker_task.h"

namespace tessaly {
namespace {

class LookupListSink : public domains::IpLookupSink {
 public:
  LookupListSink(Bridge& bridge, ReportList* list, std::vector<ItemOutcome>* outcomes)
      : bridge_(bridge), list_(list), outcomes_(outcomes) {}

  int row_added(int position, const Text& domain) override {
    ReportList* list = list_;
    return bridge_.call([list, position, domain] {
      int row = list->lv_insert_row(-1, to_text(position));
      list->lv_set_cell(row, 1, domain);
      return row;
    });
  }

  void result(int row, const domains::IpLookupResult& found, ItemOutcome outcome) override {
    counts_.add(outcome);
    bridge_.set_cell(list_, row, 2, found.ip);
    bridge_.set_cell(list_, row, 3, found.region);
    bridge_.post([outcomes = outcomes_, row, outcome] {
      if (outcomes->size() <= static_cast<size_t>(row))
        outcomes->resize(static_cast<size_t>(row) + 1, ItemOutcome::Empty);
      (*outcomes)[static_cast<size_t>(row)] = outcome;
    });
  }
  const OutcomeCounts& counts() const { return counts_; }

 private:
  Bridge& bridge_;
  ReportList* list_;
  std::vector<ItemOutcome>* outcomes_;  // the window's, touched on the window thread only
  OutcomeCounts counts_;
};

}  // namespace

IpLookupWindow::IpLookupWindow(QWidget* parent) : ToolWindow(30, parent) {
  domains_ = make_list_box(nullptr, "编辑框1", data_text("samples/lookup_domains.txt"));
  auto* input = framed(this, QStringLiteral("输入域名一行一个"), domains_);
  input->setFixedWidth(200);
  auto* start = make_button(this, "按钮开始查询", QStringLiteral("开始查询"));
  auto* lists = make_button(this, "按钮2", QStringLiteral("导出域名IP"));
  for (QPushButton* b : {start, lists}) b->setMinimumHeight(28);
  rows_ = make_report_list(this, "超级列表框1",
                           {{QStringLiteral("ID"), 50},
                            {QStringLiteral("域名"), 120},
                            {QStringLiteral("IP"), 150},
                            {QStringLiteral("地区"), 190}});
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(start);
  buttons->addWidget(lists);
  auto* right = new QVBoxLayout;
  right->addWidget(rows_, 1);
  right->addLayout(buttons);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(input);
  layout->addLayout(right, 1);

  connect(start, &QPushButton::clicked, this, [this] { start_ip_lookup(); });
  connect(lists, &QPushButton::clicked, this, [this] { open_domain_ip_lists(); });
}

void IpLookupWindow::start_ip_lookup() {
  // Runs are independent: each has its own task, which goes away when its run has ended.
  auto* task = new WorkerTask(this);
  connect(task, &WorkerTask::finished, task, &QObject::deleteLater);
  ReportList* list = rows_;
  task->start([domains = box_lines(domains_), list, outcomes = &outcomes_](Bridge& bridge) {
    LookupListSink sink(bridge, list, outcomes);
    domains::run_ip_lookup(domains, sink);
    // A run that got every answer ends silently; one that did not says how many failed.
    if (!sink.counts().all_answered())
      bridge.message_box(QStringLiteral("查询完毕") + from_gbk(failures_tail(sink.counts())));
  });
}

void IpLookupWindow::open_domain_ip_lists() {
  if (auto* w = qobject_cast<DomainIpListsWindow*>(open_tool_window(31, parentWidget())))
    w->fill(rows_, outcomes_);
}

DomainIpListsWindow::DomainIpListsWindow(QWidget* parent) : ToolWindow(31, parent) {
  domains_ = make_list_box(nullptr, "编辑框1");
  addresses_ = make_list_box(nullptr, "编辑框2");
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(framed(this, QStringLiteral("域名"), domains_));
  layout->addWidget(framed(this, QStringLiteral("IP"), addresses_));
}

void DomainIpListsWindow::fill(const ReportList* rows, const std::vector<ItemOutcome>& outcomes) {
  Text domains, addresses;
  OutcomeCounts left_out;
  for (int r = 0; r < rows->lv_row_count(); ++r) {
    // A row whose lookup has not ended yet counts as one without an address.
    ItemOutcome outcome =
        static_cast<size_t>(r) < outcomes.size() ? outcomes[static_cast<size_t>(r)] : ItemOutcome::Empty;
    if (outcome != ItemOutcome::Result) {
      left_out.add(outcome);
      continue;
    }
    domains += rows->lv_get_cell(r, 1) + "\r\n";
    addresses += rows->lv_get_cell(r, 2) + "\r\n";
  }
  set_box_text(domains_, domains);
  set_box_text(addresses_, addresses);
  const int n = left_out.empty + left_out.failed + left_out.rate_limited;
  if (n > 0)
    message_box(QStringLiteral("有%1个域名没有查到IP，没有列出").arg(n) + from_gbk(failures_tail(left_out)) +
                QStringLiteral("。"));
}

}  // namespace tessaly
