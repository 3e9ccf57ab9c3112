#include "research/url_push_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <functional>
#include <memory>

#include "core/http/pacing.h"
#include "core/text/files.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/input_checks.h"
#include "gui/line_list.h"
#include "gui/worker_task.h"
#include "research/url_push.h"

namespace tessaly {
namespace {

constexpr int kUrlColumn = 1, kStatusColumn = 2;
constexpr int kSummarySlot = 0;  // the summary label's text, for Bridge::post_latest

// Writes each URL's status into its row, moves the bar, and shows the summary after each batch.
class RowSink : public PushSink {
 public:
  RowSink(Bridge& bridge, ReportList* rows, QLabel* summary, std::function<void(int, int)> progress,
          int total)
      : bridge_(bridge), rows_(rows), summary_(summary), progress_(std::move(progress)), total_(total) {}

  void url_done(const PushedUrl& url) override {
    bridge_.set_cell(rows_, url.position - 1, kStatusColumn, push_status_cell(url));
    progress_(++done_, total_);
  }
  void batch_done(const PushTotals& totals) override {
    QLabel* summary = summary_;
    const QString text = from_gbk(push_summary_text(totals));
    bridge_.post_latest(summary, kSummarySlot, [summary, text] { summary->setText(text); });
  }

 private:
  Bridge& bridge_;
  ReportList* rows_;
  QLabel* summary_;
  std::function<void(int, int)> progress_;
  int total_;
  int done_ = 0;
};

}  // namespace

UrlPushWindow::UrlPushWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  site_ = make_line_box(this, "编辑框站点");
  site_->setPlaceholderText(QStringLiteral("www.example.com 或 https://www.example.com"));
  token_ = make_line_box(this, "编辑框密钥");
  token_->setEchoMode(QLineEdit::Password);
  token_->setPlaceholderText(QStringLiteral("站长平台给的token"));

  auto* url_group = make_group(this, "分组框网址", QStringLiteral("待推送的网址（一行一个）"));
  urls_ = make_list_box(url_group, "编辑框网址");
  auto* count = make_line_box(url_group, "编辑框个数");
  count->setMaximumWidth(70);
  count->setReadOnly(true);
  auto* clear_urls = make_button(url_group, "按钮清空", QStringLiteral("清空"));
  auto* url_layout = new QGridLayout(url_group);
  url_layout->addWidget(urls_, 0, 0, 1, 4);
  url_layout->addWidget(make_label(url_group, "标签个数", QStringLiteral("个数：")), 1, 0);
  url_layout->addWidget(count, 1, 1);
  url_layout->setColumnStretch(2, 1);
  url_layout->addWidget(clear_urls, 1, 3);

  start_ = make_button(this, "按钮开始推送", QStringLiteral("开始推送"));
  start_->setMinimumHeight(30);

  auto* left = new QGridLayout;
  left->addWidget(make_label(this, "标签站点", QStringLiteral("站点：")), 0, 0);
  left->addWidget(site_, 0, 1);
  left->addWidget(make_label(this, "标签密钥", QStringLiteral("准入密钥：")), 1, 0);
  left->addWidget(token_, 1, 1);
  left->addWidget(url_group, 2, 0, 1, 2);
  left->addWidget(start_, 3, 0, 1, 2);
  left->setRowStretch(2, 1);
  left->setContentsMargins(0, 0, 0, 0);
  auto* left_box = new QWidget(this);
  left_box->setLayout(left);
  left_box->setFixedWidth(280);

  rows_ = make_report_list(
      this, "超级列表框1",
      {{QStringLiteral("ID"), 50}, {QStringLiteral("URL"), 250}, {QStringLiteral("状态"), 150}});
  rows_->set_checkable(false);
  bar_ = make_progress(this, "进度条1");
  summary_ = make_label(this, "标签汇总", {});
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* clear_rows = make_button(this, "按钮清空列表", QStringLiteral("清空列表"));
  file_name_ = make_line_box(this, "编辑框导出文件", QStringLiteral("百度主动推送结果.txt"));
  file_name_->setMaximumWidth(180);
  auto* export_button = make_button(this, "按钮导出结果", QStringLiteral("导出结果"));
  auto* export_row = new QHBoxLayout;
  export_row->addWidget(clear_rows);
  export_row->addStretch(1);
  export_row->addWidget(file_name_);
  export_row->addWidget(export_button);
  auto* right = new QVBoxLayout;
  right->addWidget(rows_, 1);
  right->addWidget(bar_);
  right->addWidget(summary_);
  right->addLayout(export_row);

  auto* outer = new QHBoxLayout(this);
  outer->addWidget(left_box);
  outer->addLayout(right, 1);

  task_ = new WorkerTask(this);
  task_->set_start_button(start_, QStringLiteral("开始推送"), QStringLiteral("停止推送"));
  task_->disable_while_active({site_, token_, clear_rows});
  bind_line_count(urls_, count);
  bind_clear_button(clear_urls, urls_);
  bind_clear_button(clear_rows, rows_);
  connect(start_, &QPushButton::clicked, this, [this] { toggle_push(); });
  connect(export_button, &QPushButton::clicked, this, [this] { export_results(); });
}

void UrlPushWindow::toggle_push() {
  auto options = std::make_shared<PushOptions>();
  if (!task_->shows_stop_wording()) {
    // Nothing starts (and the last run's rows stay) until site, token and list make sense.
    const std::string typed_site = to_gbk(site_->text());
    const std::string typed_token = to_gbk(token_->text());
    options->site = push_site(typed_site);
    options->token = push_token(typed_token);
    if (!require_text(site_,
                      QStringLiteral("请先填写站点（站长平台里验证过的网站），例如 www.example.com。")) ||
        !require_valid(site_, !options->site.empty(),
                       QStringLiteral("站点只填网站的地址，例如 www.example.com 或 https://www.example.com，"
                                      "不带路径和空格。")) ||
        !require_text(token_, QStringLiteral("请先填写准入密钥（token），站长平台的普通收录页面里有。")) ||
        !require_valid(token_, !options->token.empty(),
                       QStringLiteral("准入密钥只含字母和数字，请检查复制得是否完整。")) ||
        !require_lines(urls_, QStringLiteral("请先填写要推送的网址，一行一个。")))
      return;
    options->list = clean_push_urls(box_lines(urls_));
    if (!require_valid(urls_, !options->list.urls.empty(),
                       QStringLiteral("没有可推送的网址：网址要以 http:// 或 https:// 开头，一行一个。")))
      return;
  }
  ReportList* rows = rows_;
  QProgressBar* bar = bar_;
  QLabel* summary = summary_;
  task_->toggle(
      [options, rows, bar, summary] {
        rows->lv_clear();
        rows->lv_append_numbered(options->list.urls);
        bar->setRange(0, static_cast<int>(options->list.urls.size()));
        bar->setValue(0);
        PushTotals before{.blank = options->list.blank,
                          .duplicate = options->list.duplicate,
                          .not_url = options->list.not_url};
        summary->setText(from_gbk(push_summary_text(before)));
      },
      [options, rows, bar, summary](Bridge& bridge) {
        bridge.job().set_pacing(configured_pacing());
        RowSink sink(bridge, rows, summary, bar_progress(bridge, bar),
                     static_cast<int>(options->list.urls.size()));
        const PushResult result = run_url_push(bridge.job(), *options, sink);
        const int icon = result.end == PushEnd::Done          ? 0
                         : result.end == PushEnd::QuotaUsedUp ? kIconInformation
                                                              : kIconError;
        bridge.message_box(from_gbk(push_end_message(result)), icon);
      });
}

void UrlPushWindow::export_results() {
  Text lines;
  for (int r = 0; r < rows_->lv_row_count(); ++r)
    lines +=
        push_result_line(r + 1, rows_->lv_get_cell(r, kUrlColumn), rows_->lv_get_cell(r, kStatusColumn)) +
        "\r\n";
  // The file name is typed by the user: a native name, not program text.
  write_export_file(program_folder() + "/" + to_path(file_name_->text()), lines);
}

}  // namespace tessaly
