#include "domains/domain_info_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/text/files.h"
#include "domains/domain_info.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/input_checks.h"
#include "gui/line_list.h"
#include "gui/worker_task.h"

namespace tessaly {
namespace {

const QString kPaused = QStringLiteral("开始添加");
const QString kRunning = QStringLiteral("暂停添加");

class WhoisListSink : public domains::WhoisSink {
 public:
  WhoisListSink(Bridge& bridge, ReportList* list, LineBox* status)
      : bridge_(bridge), list_(list), status_(status) {}

  void status(const Text& line) override { bridge_.append(status_, line); }

  void write_row(int index, const domains::DomainInfoRow& row, ItemOutcome outcome) override {
    counts_.add(outcome);
    ReportList* list = list_;
    bridge_.post([list, index, row] {
      while (list->lv_row_count() <= index) list->lv_insert_row(-1);
      for (size_t c = 0; c < row.size(); ++c) list->lv_set_cell(index, static_cast<int>(c), row[c]);
    });
  }
  const OutcomeCounts& counts() const { return counts_; }

 private:
  Bridge& bridge_;
  ReportList* list_;
  LineBox* status_;
  OutcomeCounts counts_;
};

class IpListSink : public domains::IpQuerySink {
 public:
  IpListSink(Bridge& bridge, ReportList* list) : bridge_(bridge), list_(list) {}

  void add_row(const Text& domain, const Text& ip, ItemOutcome outcome) override {
    counts_.add(outcome);
    ReportList* list = list_;
    bridge_.post([list, domain, ip] {
      int row = list->lv_insert_row(-1, domain);
      list->lv_set_cell(row, 1, ip);
    });
  }
  const OutcomeCounts& counts() const { return counts_; }

 private:
  Bridge& bridge_;
  ReportList* list_;
  OutcomeCounts counts_;
};

}  // namespace

DomainInfoWindow::DomainInfoWindow(QWidget* parent) : ToolWindow(9, parent) {
  auto* input = make_group(this, "", QStringLiteral("输入域名一行一个"));
  domains_ = make_list_box(input, "编辑框域名框", data_text("samples/lookup_domains.txt"));
  auto* count = make_line_box(input, "编辑框1");
  count->setMaximumWidth(60);
  count->setReadOnly(true);
  auto* clear_domains = make_button(input, "按钮1", QStringLiteral("清空"));
  auto* input_layout = new QGridLayout(input);
  input_layout->addWidget(domains_, 0, 0, 1, 4);
  input_layout->addWidget(make_label(input, "", QStringLiteral("个数")), 1, 0);
  input_layout->addWidget(count, 1, 1);
  input_layout->setColumnStretch(2, 1);
  input_layout->addWidget(clear_domains, 1, 3);

  whois_start_ = make_button(this, "按钮开始查询", QStringLiteral("开始查询"));
  pause_ = make_button(this, "按钮暂停查询", QStringLiteral("暂停查询"));
  delay_ = make_line_box(this, "编辑框延迟", QStringLiteral("2000"));
  delay_->setMaximumWidth(70);
  ip_start_ = make_button(this, "按钮查询解析IP", QStringLiteral("开始查询解析IP"));
  for (QPushButton* b : {whois_start_, pause_, ip_start_}) b->setMinimumHeight(28);
  auto* left = new QVBoxLayout;
  left->addWidget(input, 1);
  auto* whois_row = new QHBoxLayout;
  whois_row->addWidget(whois_start_);
  whois_row->addWidget(pause_);
  left->addLayout(whois_row);
  auto* delay_row = new QHBoxLayout;
  delay_row->addWidget(make_label(this, "", QStringLiteral("延迟")));
  delay_row->addWidget(delay_);
  delay_row->addWidget(make_label(this, "", QStringLiteral("毫秒")));
  delay_row->addStretch(1);
  left->addLayout(delay_row);
  left->addWidget(ip_start_);

  rows_ = make_report_list(this, "超级列表框1",
                           {{QStringLiteral("域名"), 80},
                            {QStringLiteral("注册商 | IP"), 100},
                            {QStringLiteral("域名服务器"), 80},
                            {QStringLiteral("dns服务器"), 70},
                            {QStringLiteral("更新时间"), 100},
                            {QStringLiteral("创建时间"), 100},
                            {QStringLiteral("过期时间"), 100}});
  auto* clear_rows = make_button(this, "按钮清空列表", QStringLiteral("清空列表"));
  status_ = make_list_box(this, "编辑框提示框");
  status_->setMaximumHeight(110);
  export_errors_ = make_radio(this, "单选框1", QStringLiteral("只导出错误域名"), true);
  export_all_ = make_radio(this, "单选框2", QStringLiteral("导出所有域名"), false);
  export_dns_ = make_radio(this, "单选框3", QStringLiteral("导出域名-dns"), false);
  auto* export_info = make_button(this, "按钮开始导出", QStringLiteral("开始导出"));
  auto* export_ip = make_button(this, "按钮导出域名和IP", QStringLiteral("导出域名和IP"));
  // Under the list: the status box, and beside it the list's clear button and the exports.
  auto* exports = new QGridLayout;
  exports->addWidget(export_errors_, 0, 0);
  exports->addWidget(export_all_, 1, 0);
  exports->addWidget(export_dns_, 2, 0);
  exports->addWidget(clear_rows, 0, 1);
  exports->addWidget(export_info, 1, 1);
  exports->addWidget(export_ip, 2, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(status_, 1);
  bottom->addLayout(exports);
  auto* right = new QVBoxLayout;
  right->addWidget(rows_, 1);
  right->addLayout(bottom);

  auto* layout = new QHBoxLayout(this);
  auto* left_box = new QWidget(this);
  left_box->setLayout(left);
  left->setContentsMargins(0, 0, 0, 0);
  left_box->setFixedWidth(190);
  layout->addWidget(left_box);
  layout->addLayout(right, 1);

  whois_task_ = new WorkerTask(this);
  whois_task_->set_start_button(whois_start_, QStringLiteral("开始查询"), QStringLiteral("停止查询"));
  ip_task_ = new WorkerTask(this);
  ip_task_->set_start_button(ip_start_, QStringLiteral("开始查询解析IP"), QStringLiteral("停止查询解析IP"));
  bind_line_count(domains_, count);
  bind_clear_button(clear_domains, domains_);
  bind_clear_button(clear_rows, rows_);
  connect(whois_start_, &QPushButton::clicked, this, [this] { toggle_whois_query(); });
  connect(pause_, &QPushButton::clicked, whois_task_, [this] { whois_task_->toggle_pause(); });
  connect(whois_task_, &WorkerTask::state_changed, this, [this](JobState s) { show_pause_state(s); });
  connect(ip_start_, &QPushButton::clicked, this, [this] { toggle_ip_query(); });
  connect(export_info, &QPushButton::clicked, this, [this] { export_domain_info(); });
  connect(export_ip, &QPushButton::clicked, this, [this] { export_domain_ip(); });
}

// The pause button keeps its loaded caption until the first pause; from then on it says
// "开始添加" while paused and "暂停添加" otherwise (also after a run that ended paused).
void DomainInfoWindow::show_pause_state(JobState state) {
  if (state == JobState::Paused)
    pause_->setText(kPaused);
  else if (whois_state_ == JobState::Paused)
    pause_->setText(kRunning);
  whois_state_ = state;
}

void DomainInfoWindow::toggle_whois_query() {
  if (whois_task_->shows_stop_wording()) {
    whois_task_->stop();
    return;
  }
  if (!require_lines(domains_, QStringLiteral("请先填写要查询的域名，一行一个。"))) return;
  domains::WhoisOptions options;
  options.domains = box_lines(domains_);
  last_query_count_ = static_cast<int>(options.domains.size());
  QLineEdit* delay = delay_;
  ReportList* list = rows_;
  LineBox* status = status_;
  whois_task_->start([options = std::move(options), delay, list, status](Bridge& bridge) {
    domains::WhoisOptions o = options;
    o.delay_ms = [&bridge, delay] { return bridge.call([delay] { return to_int(box_text(delay)); }); };
    WhoisListSink sink(bridge, list, status);
    domains::run_whois_query(o, sink);
    bridge.message_box(QStringLiteral("查询完毕") + from_gbk(failures_tail(sink.counts())), 0,
                       QStringLiteral("友情提示"));
  });
}

void DomainInfoWindow::toggle_ip_query() {
  if (ip_task_->shows_stop_wording()) {
    ip_task_->stop();
    return;
  }
  if (!require_lines(domains_, QStringLiteral("请先填写要查询的域名，一行一个。")))
    return;  // the rows of the last run stay
  rows_->lv_clear();
  TextList domains = box_lines(domains_);
  last_query_count_ = static_cast<int>(domains.size());
  ReportList* list = rows_;
  ip_task_->start([domains = std::move(domains), list](Bridge& bridge) {
    IpListSink sink(bridge, list);
    domains::run_ip_query(domains, sink);
    bridge.message_box(QStringLiteral("查询完毕") + from_gbk(failures_tail(sink.counts())));
  });
}

namespace {

// Rows 0 to count - 1 of the list; rows the list does not have read as empty texts.
std::vector<domains::DomainInfoRow> export_rows(const ReportList* list, int count) {
  std::vector<domains::DomainInfoRow> rows(static_cast<size_t>(std::max(count, 0)));
  const int present = std::min(count, list->lv_row_count());
  for (int r = 0; r < present; ++r)
    for (int c = 0; c < 7; ++c)
      rows[static_cast<size_t>(r)][static_cast<size_t>(c)] = list->lv_get_cell(r, c);
  return rows;
}

}  // namespace

void DomainInfoWindow::export_domain_info() {
  domains::InfoExport mode = export_all_->isChecked()   ? domains::InfoExport::AllRows
                             : export_dns_->isChecked() ? domains::InfoExport::DomainDns
                                                        : domains::InfoExport::ErrorDomains;
  write_export_file(program_path({domains::info_export_file(mode)}),
                    domains::info_export_text(export_rows(rows_, last_query_count_), mode));
}

void DomainInfoWindow::export_domain_ip() {
  write_export_file(join_path(desktop_folder(), domains::kDomainIpFile),
                    domains::domain_ip_export_text(export_rows(rows_, last_query_count_)));
}

}  // namespace tessaly
