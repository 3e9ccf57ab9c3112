#include "research/inclusion_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <map>
#include <memory>

#include "core/text/files.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/input_checks.h"
#include "gui/line_list.h"
#include "gui/worker_task.h"
#include "research/inclusion.h"

namespace tessaly {
namespace {

// Writes the worker's rows into the result list through the bridge. A row is appended with its
// position in column 0, whatever rows the list already holds.
class ListSink : public research::InclusionSink {
 public:
  ListSink(Bridge& bridge, ReportList* list) : bridge_(bridge), list_(list) {}

  void row_started(int position, const Text& domain) override {
    ReportList* list = list_;
    rows_[position] = bridge_.call([list, position, domain] {
      int row = list->lv_insert_row(-1, to_text(position));
      list->lv_set_cell(row, 1, domain);
      return row;
    });
  }

  void count_found(int position, int column, const Text& count, ItemOutcome) override {
    bridge_.set_cell(list_, rows_[position], column, count);
  }

 private:
  Bridge& bridge_;
  ReportList* list_;
  std::map<int, int> rows_;
};

}  // namespace

InclusionPage::InclusionPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("InclusionPage"));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* frame = make_group(this, "分组框7", {});
  outer->addWidget(frame);

  // Left: the domains to query.
  auto* domain_group = make_group(frame, "分组框8", QStringLiteral("需要查询的网站一行一个"));
  domain_group->setFixedWidth(240);
  domains_ = make_list_box(domain_group, "编辑框域名框", data_text("samples/inclusion_domains.txt"));
  auto* hint = make_label(domain_group, "标签12", QStringLiteral("注意：域名查询不要带www"));
  auto* count_label = make_label(domain_group, "标签11", QStringLiteral("个数："));
  auto* count = make_line_box(domain_group, "编辑框百度查询域名个数");
  count->setMaximumWidth(70);
  auto* clear_domains = make_button(domain_group, "按钮百度查询清空", QStringLiteral("清空"));
  start_ = make_button(domain_group, "按钮收录开始查询", QStringLiteral("开始查询"));
  pause_ = make_button(domain_group, "按钮停止查询", QStringLiteral("暂停查询"));
  for (QPushButton* b : {clear_domains, start_, pause_}) b->setMinimumHeight(28);

  auto* domain_layout = new QVBoxLayout(domain_group);
  domain_layout->addWidget(domains_, 1);
  domain_layout->addWidget(hint);
  auto* count_row = new QHBoxLayout;
  count_row->addWidget(count_label);
  count_row->addWidget(count);
  count_row->addStretch(1);
  count_row->addWidget(clear_domains);
  domain_layout->addLayout(count_row);
  auto* run_row = new QHBoxLayout;
  run_row->addWidget(start_);
  run_row->addWidget(pause_);
  domain_layout->addLayout(run_row);

  // Right: one row per domain, and the export.
  auto* result_group = make_group(frame, "分组框9", QStringLiteral("查询的结果"));
  results_ = make_report_list(result_group, "超级列表框百度收录",
                              {{QStringLiteral("ID"), 80},
                               {QStringLiteral("域名"), 120},
                               {QStringLiteral("百度总收录"), 100},
                               {QStringLiteral("24小时收录"), 100},
                               {QStringLiteral("一周收录"), 100},
                               {QStringLiteral("百度反链"), 100}});
  auto* clear_results = make_button(result_group, "按钮清空", QStringLiteral("清空"));
  file_name_ = make_line_box(result_group, "编辑框7", QStringLiteral("百度收录.txt"));
  file_name_->setMaximumWidth(160);
  auto* export_button = make_button(result_group, "按钮导出数据", QStringLiteral("导出数据"));
  for (QPushButton* b : {clear_results, export_button}) b->setMinimumHeight(28);

  auto* result_layout = new QVBoxLayout(result_group);
  result_layout->addWidget(results_, 1);
  auto* export_row = new QHBoxLayout;
  export_row->addWidget(clear_results);
  export_row->addStretch(1);
  export_row->addWidget(file_name_);
  export_row->addWidget(export_button);
  result_layout->addLayout(export_row);

  auto* row = new QHBoxLayout(frame);
  row->addWidget(domain_group);
  row->addWidget(result_group, 1);

  task_ = new WorkerTask(this);
  task_->set_start_button(start_, QStringLiteral("开始查询"), QStringLiteral("停止查询"));
  task_->set_pause_button(pause_, QStringLiteral("暂停查询"), QStringLiteral("继续查询"));
  task_->keep_stop_wording_until_clicked(true);  // a finished run keeps "停止查询" until clicked
  bind_line_count(domains_, count);
  bind_clear_button(clear_domains, domains_);
  bind_clear_button(clear_results, results_);
  connect(start_, &QPushButton::clicked, this, [this] { toggle_inclusion_query(); });
  connect(pause_, &QPushButton::clicked, this, [this] { task_->toggle_pause(); });
  connect(export_button, &QPushButton::clicked, this, [this] { export_inclusion_results(); });
  connect(results_, &ReportList::row_double_clicked, this, [this] { open_site_search(); });
}

void InclusionPage::toggle_inclusion_query() {
  if (!task_->shows_stop_wording() &&
      !require_lines(domains_, QStringLiteral("请先填写要查询的域名，一行一个。")))
    return;  // the results of the last run stay
  auto options = std::make_shared<research::InclusionOptions>();
  ReportList* list = results_;
  task_->toggle(
      [this, options, list] {
        list->lv_clear();
        options->domains = split_lines(box_text(domains_));
      },
      [options, list](Bridge& bridge) {
        ListSink sink(bridge, list);
        research::run_inclusion_query(*options, sink);
      });
}

void InclusionPage::export_inclusion_results() {
  std::vector<research::InclusionRow> rows;
  for (int r = 0; r < results_->lv_row_count(); ++r) {
    rows.push_back({results_->lv_get_cell(r, 1), results_->lv_get_cell(r, 2), results_->lv_get_cell(r, 3),
                    results_->lv_get_cell(r, 4), results_->lv_get_cell(r, 5)});
  }
  // The file name is typed by the user: it is a native name, not program text.
  std::string path = program_folder() + "/" + to_path(file_name_->text());
  write_export_file(path, research::inclusion_export_text(rows));
}

void InclusionPage::open_site_search() {
  int row = results_->selected_row();
  if (row < 0) return;
  std::string url =
      research::inclusion_query_url(results_->lv_get_cell(row, 1), research::InclusionQuery::Total);
  shell_open(QStringLiteral("open"), from_gbk(url));
}

}  // namespace tessaly
