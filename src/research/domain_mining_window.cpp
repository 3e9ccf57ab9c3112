#include "research/domain_mining_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/input_checks.h"
#include "gui/line_list.h"
#include "gui/worker_task.h"
#include "research/domain_mining.h"

namespace tessaly {
namespace {

const char* const kUsage =
    "使用说明：\n"
    "在“待采集的域名”里输入有搜索权重的域名，比如同行竞争对手的网站，一行一个，不要带http://。\n"
    "选择采集深度：固定的页数，或者排名页分页里能看到的所有页；查询间隔是每请求一页之后等待的毫秒数。\n"
    "点“开始查询”即可批量采集这些网站在百度有排名的关键词、排名页面和搜索量；"
    "点“导出关键词”把采集到的关键词一行一个列出来，方便复制。\n"
    "双击一行可以在浏览器里打开该关键词的页面。";

// Appends each page's rows to the list and keeps the newest row in view.
class ListSink : public research::DomainMiningSink {
 public:
  ListSink(Bridge& bridge, ReportList* list) : bridge_(bridge), list_(list) {}

  void rows_found(const std::vector<std::pair<long long, research::RankRow>>& rows) override {
    ReportList* list = list_;
    bridge_.post([list, rows] {
      std::vector<std::string> ids;
      ids.reserve(rows.size());
      for (const auto& r : rows) ids.push_back(to_text(r.first));
      int first = list->lv_append_rows(ids);
      for (size_t i = 0; i < rows.size(); ++i) {
        int row = first + static_cast<int>(i);
        list->lv_set_cell(row, 1, rows[i].second.keyword);
        list->lv_set_cell(row, 2, rows[i].second.url);
        list->lv_set_cell(row, 3, rows[i].second.volume);
      }
      list->lv_ensure_visible(list->lv_row_count() - 1);
    });
  }
  void request_problem(int, RequestOutcome outcome, const std::string&) override {
    failed_pages_.add(item_outcome(outcome, false));
  }
  // The pages that brought no rank page, for the closing message.
  const OutcomeCounts& failed_pages() const { return failed_pages_; }

 private:
  Bridge& bridge_;
  ReportList* list_;
  OutcomeCounts failed_pages_;
};

}  // namespace

DomainMiningWindow::DomainMiningWindow(QWidget* parent) : ToolWindow(22, parent) {
  auto* tabs = new QTabWidget(this);
  tabs->setObjectName(QStringLiteral("高级选择夹1"));
  auto* work = new QWidget(tabs);
  auto* help = new QWidget(tabs);
  tabs->addTab(work, QStringLiteral("功能大全"));
  tabs->addTab(help, QStringLiteral("使用说明"));
  auto* usage = make_list_box(help, "编辑框2", utf8(kUsage));
  usage->set_wrap(true);
  usage->setReadOnly(true);
  (new QVBoxLayout(help))->addWidget(usage);

  domains_ = make_list_box(nullptr, "编辑框域名", data_text("samples/domain_mining.txt"));
  auto* domain_group = framed(work, QStringLiteral("待采集的域名"), domains_);
  domain_group->setObjectName(QStringLiteral("分组框3"));

  auto* depth = make_group(work, "分组框2", QStringLiteral("采集深度"));
  fixed_pages_ = make_radio(depth, "单选框1", QStringLiteral("采集页数："), true);
  page_count_ = make_line_box(depth, "编辑框1", QStringLiteral("3"));
  page_count_->setMaximumWidth(60);
  all_pages_ = make_radio(depth, "单选框2", QStringLiteral("采集所有页"), false);
  auto* depth_layout = new QGridLayout(depth);
  depth_layout->addWidget(fixed_pages_, 0, 0);
  depth_layout->addWidget(page_count_, 0, 1);
  depth_layout->addWidget(all_pages_, 1, 0, 1, 2);
  depth_layout->setColumnStretch(2, 1);

  delay_ = make_line_box(work, "编辑框延迟", QStringLiteral("1000"));
  delay_->setMaximumWidth(70);
  auto* delay_row = new QHBoxLayout;
  delay_row->addWidget(make_label(work, "标签2", QStringLiteral("查询间隔：")));
  delay_row->addWidget(delay_);
  delay_row->addWidget(make_label(work, "标签3", QStringLiteral("毫秒")));
  delay_row->addStretch(1);

  start_ = make_button(work, "按钮开始查询", QStringLiteral("开始查询"));
  auto* stop = make_button(work, "按钮1", QStringLiteral("停止查询"));
  auto* export_words = make_button(work, "按钮2", QStringLiteral("导出关键词"));
  for (QPushButton* b : {start_, stop, export_words}) b->setMinimumHeight(28);
  auto* run_row = new QHBoxLayout;
  run_row->addWidget(start_);
  run_row->addWidget(stop);
  auto* left = new QVBoxLayout;
  left->addWidget(domain_group, 1);
  left->addWidget(depth);
  left->addLayout(delay_row);
  left->addLayout(run_row);
  left->addWidget(export_words);

  rows_ = make_report_list(work, "超级列表框1",
                           {{QStringLiteral("ID"), 30},
                            {QStringLiteral("关键词"), 180},
                            {QStringLiteral("URL"), 260},
                            {QStringLiteral("搜索量"), 100}});
  auto* work_layout = new QHBoxLayout(work);
  auto* left_box = new QWidget(work);
  left_box->setLayout(left);
  left_box->setFixedWidth(220);
  left->setContentsMargins(0, 0, 0, 0);
  work_layout->addWidget(left_box);
  work_layout->addWidget(rows_, 1);
  (new QVBoxLayout(this))->addWidget(tabs);
  tabs->setCurrentIndex(0);

  task_ = new WorkerTask(this);
  task_->disable_while_active({start_});
  connect(start_, &QPushButton::clicked, this, [this] { start_domain_mining(); });
  connect(stop, &QPushButton::clicked, task_, [this] { task_->stop(); });
  connect(export_words, &QPushButton::clicked, this, [this] { open_word_export(); });
  connect(rows_, &ReportList::row_double_clicked, this, [this] { open_keyword_url(); });
}

void DomainMiningWindow::start_domain_mining() {
  if (task_->active()) return;
  // Checked before the list is emptied: a refused run keeps the rows of the last one.
  if (!require_lines(domains_, QStringLiteral("请先填写要挖掘的域名，一行一个。"))) return;
  if (!all_pages_->isChecked() &&
      !require_number(page_count_, 1, QStringLiteral("采集页数要填一个不小于1的整数，请改好后再开始。")))
    return;
  research::DomainMiningOptions options;
  options.domains = box_lines(domains_);
  options.all_pages = all_pages_->isChecked();
  rows_->lv_clear();
  QLineEdit* count = page_count_;
  QLineEdit* delay = delay_;
  ReportList* list = rows_;
  task_->start([options = std::move(options), count, delay, list](Bridge& bridge) {
    // Both boxes are read again while the run goes on: the page count for every domain, the
    // pause for every page.
    research::DomainMiningOptions o = options;
    o.page_count = [&bridge, count] { return bridge.call([count] { return to_int(box_text(count)); }); };
    o.delay_ms = [&bridge, delay] { return bridge.call([delay] { return to_int(box_text(delay)); }); };
    ListSink sink(bridge, list);
    research::mine_domain_keywords(o, sink);
    bridge.message_box(
        QStringLiteral("查询完毕") + from_gbk(failures_tail(sink.failed_pages(), CountUnit::Pages)),
        kIconInformation, QStringLiteral("友情提示："));
  });
}

void DomainMiningWindow::open_word_export() {
  std::string words;
  for (int r = 0; r < rows_->lv_row_count(); ++r) words += rows_->lv_get_cell(r, 1) + "\r\n";
  if (auto* w = qobject_cast<WordExportWindow*>(open_tool_window(25, parentWidget()))) w->show_words(words);
}

void DomainMiningWindow::open_keyword_url() {
  int row = rows_->selected_row();
  if (row < 0) return;
  shell_open(QStringLiteral("open"), from_gbk(rows_->lv_get_cell(row, 2)));
}

WordExportWindow::WordExportWindow(QWidget* parent) : ToolWindow(25, parent) {
  words_ = make_list_box(this, "编辑框1");
  auto* copy = make_button(this, "按钮1", QStringLiteral("复制"));
  copy->setMinimumHeight(28);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(words_, 1);
  layout->addWidget(copy);
  bind_copy_button(copy, words_, QStringLiteral("复制成功"));
}

void WordExportWindow::show_words(const std::string& lines) { set_box_text(words_, lines); }

}  // namespace tessaly
