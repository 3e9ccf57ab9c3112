#include "domains/ip_lookup_window.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "domains/ip_lookup.h"
#include "gui/controls.h"
#include "gui/line_list.h"
#include "gui/worker_task.h"

namespace tessaly {
namespace {

class LookupListSink : public domains::IpLookupSink {
 public:
  LookupListSink(Bridge& bridge, ReportList* list) : bridge_(bridge), list_(list) {}

  int row_added(int position, const Text& domain) override {
    ReportList* list = list_;
    return bridge_.call([list, position, domain] {
      int row = list->lv_insert_row(-1, to_text(position));
      list->lv_set_cell(row, 1, domain);
      return row;
    });
  }

  void result(int row, const domains::IpLookupResult& found) override {
    bridge_.set_cell(list_, row, 2, found.ip);
    bridge_.set_cell(list_, row, 3, found.region);
  }

 private:
  Bridge& bridge_;
  ReportList* list_;
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
  task->start([domains = box_lines(domains_), list](Bridge& bridge) {
    LookupListSink sink(bridge, list);
    domains::run_ip_lookup(domains, sink);
  });
}

void IpLookupWindow::open_domain_ip_lists() {
  if (auto* w = qobject_cast<DomainIpListsWindow*>(open_tool_window(31, parentWidget()))) w->fill(rows_);
}

DomainIpListsWindow::DomainIpListsWindow(QWidget* parent) : ToolWindow(31, parent) {
  domains_ = make_list_box(nullptr, "编辑框1");
  addresses_ = make_list_box(nullptr, "编辑框2");
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(framed(this, QStringLiteral("域名"), domains_));
  layout->addWidget(framed(this, QStringLiteral("IP"), addresses_));
}

void DomainIpListsWindow::fill(const ReportList* rows) {
  Text domains, addresses;
  for (int r = 0; r < rows->lv_row_count(); ++r) {
    domains += rows->lv_get_cell(r, 1) + "\r\n";
    addresses += rows->lv_get_cell(r, 2) + "\r\n";
  }
  set_box_text(domains_, domains);
  set_box_text(addresses_, addresses);
}

}  // namespace tessaly
