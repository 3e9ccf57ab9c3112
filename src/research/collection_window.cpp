#include "research/collection_window.h"

#include <QAction>
#include <QHBoxLayout>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWebEngineView>

#include <memory>

#include "core/http/endpoints.h"
#include "gui/browser.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/input_checks.h"
#include "gui/line_list.h"
#include "gui/worker_task.h"

namespace tessaly {
namespace {

QUrl wordlib_home() { return QUrl(QString::fromStdString(endpoint_base("WORDLIB_HOME") + "/")); }
QUrl aizhan_login() { return QUrl(QString::fromStdString(endpoint_base("AIZHAN_LOGIN") + "/login.php")); }

QString site_hint() {
  return QStringLiteral("登录词库网（%1）或爱站网（%2）后再采集，能采集到更多的关键词。")
      .arg(QString::fromStdString(endpoint("WORDLIB_HOME").host),
           QString::fromStdString(endpoint("AIZHAN_LOGIN").host));
}

}  // namespace

CollectionWindow::CollectionWindow(QWidget* parent) : ToolWindow(6, parent) {
  auto* layout = new QVBoxLayout(this);

  auto* toolbar = new QToolBar(this);
  toolbar->setObjectName(QStringLiteral("工具条1"));
  toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  layout->addWidget(toolbar);

  auto* source_row = new QHBoxLayout;
  wordlib_ = make_radio(this, "单选框词库网采集", QStringLiteral("词库网采集"), true);
  aizhan_ = make_radio(this, "单选框爱站网采集", QStringLiteral("爱站网采集"), false);
  auto* order_hint =
      make_label(this, "标签3", QStringLiteral("先选好那种采集方式，然后再执行第一步登录,采集的更多"));
  source_row->addWidget(wordlib_);
  source_row->addWidget(aizhan_);
  source_row->addWidget(order_hint, 1);
  layout->addLayout(source_row);

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("高级选择夹1"));
  layout->addWidget(tabs_, 1);

  // Step one: log in to the chosen site in the browser.
  auto* login_page = new QWidget(tabs_);
  auto* login_layout = new QVBoxLayout(login_page);
  login_layout->setContentsMargins(2, 2, 2, 2);
  auto* sites = make_label(login_page, "标签1", site_hint());
  sites->setWordWrap(true);
  browser_ = make_browser(login_page, "超文本浏览框1");
  login_layout->addWidget(sites);
  login_layout->addWidget(browser_, 1);
  tabs_->addTab(login_page, QStringLiteral("第一步：登录"));

  // Step two: collect.
  auto* collect_page = new QWidget(tabs_);
  seeds_ = make_list_box(nullptr, "编辑框关键词", data_text("samples/collection_seeds.txt"));
  QGroupBox* seed_group = framed(collect_page, QStringLiteral("请输入你需要采集的关键词"), seeds_);
  seed_group->setObjectName(QStringLiteral("分组框1"));
  results_ = make_list_box(nullptr, "编辑框采集结果");
  QGroupBox* result_group = framed(collect_page, {}, results_);
  result_group->setObjectName(QStringLiteral("分组框2"));
  auto* count_label = make_label(collect_page, "标签2", QStringLiteral("个数："));
  count_ = make_line_box(collect_page, "编辑框个数");
  count_->setMaximumWidth(70);
  auto* more = make_button(collect_page, "按钮1", QStringLiteral("点击我采集更多词"));
  start_ = make_button(collect_page, "按钮开始采集", QStringLiteral("开始采集"));
  pause_ = make_button(collect_page, "按钮暂停采集", QStringLiteral("暂停采集"));
  auto* copy = make_button(collect_page, "按钮复制", QStringLiteral("复制数据"));
  auto* clear = make_button(collect_page, "按钮清空", QStringLiteral("清空数据"));

  auto* collect_layout = new QVBoxLayout(collect_page);
  collect_layout->setContentsMargins(4, 4, 4, 4);
  auto* boxes = new QHBoxLayout;
  boxes->addWidget(seed_group, 2);
  boxes->addWidget(result_group, 3);
  collect_layout->addLayout(boxes, 1);
  auto* count_row = new QHBoxLayout;
  count_row->addWidget(count_label);
  count_row->addWidget(count_);
  count_row->addStretch(1);
  count_row->addWidget(more);
  collect_layout->addLayout(count_row);
  auto* run_row = new QHBoxLayout;
  for (QPushButton* b : {start_, pause_, copy, clear}) {
    b->setMinimumHeight(28);
    run_row->addWidget(b);
  }
  collect_layout->addLayout(run_row);
  tabs_->addTab(collect_page, QStringLiteral("第二步：采集"));

  const QString steps[] = {QStringLiteral("第一步：登录"), QStringLiteral("第二步：采集")};
  for (int i = 0; i < 2; ++i) {
    QAction* action = toolbar->addAction(steps[i]);
    action->setObjectName(QStringLiteral("工具条1_%1").arg(i));
    connect(action, &QAction::triggered, this, [this, i] { tabs_->setCurrentIndex(i); });
  }

  task_ = new WorkerTask(this);
  task_->set_start_button(start_, QStringLiteral("开始采集"), QStringLiteral("停止采集"));
  // The pause button reads "暂停采集" until the first pause, "暂停添加" / "继续添加" after it.
  task_->set_pause_button(pause_, QStringLiteral("暂停采集"), QStringLiteral("继续添加"));
  connect(task_, &WorkerTask::state_changed, this, [this](JobState state) {
    if (state == JobState::Paused)
      task_->set_pause_button(pause_, QStringLiteral("暂停添加"), QStringLiteral("继续添加"));
  });

  connect(wordlib_, &QRadioButton::clicked, this, [this] { select_wordlib_source(); });
  connect(aizhan_, &QRadioButton::clicked, this, [this] { select_aizhan_source(); });
  connect(more, &QPushButton::clicked, this, [this] { show_login_page(); });
  connect(start_, &QPushButton::clicked, this, [this] { toggle_collection(); });
  connect(pause_, &QPushButton::clicked, this, [this] { toggle_collection_pause(); });
  bind_copy_button(copy, results_, QStringLiteral("复制成功"));
  bind_clear_button(clear, results_);
  bind_line_count(results_, count_);  // also when the results are cleared or edited

  browser_->load(wordlib_home());
}

research::CollectionSource CollectionWindow::selected_source() const {
  return aizhan_->isChecked() ? research::CollectionSource::Aizhan : research::CollectionSource::Wordlib;
}

void CollectionWindow::select_wordlib_source() { browser_->load(wordlib_home()); }

void CollectionWindow::select_aizhan_source() { browser_->load(aizhan_login()); }

void CollectionWindow::show_login_page() {
  message_box(QStringLiteral("如果需要采集更多词，请登陆好爱站网或者词库网！"), kIconInformation,
              QStringLiteral("友情提示："));
  tabs_->setCurrentIndex(0);
}

void CollectionWindow::toggle_collection() {
  if (!task_->shows_stop_wording() &&
      !require_lines(seeds_, QStringLiteral("请先填写要采集的关键词，一行一个。")))
    return;  // the results of the last run stay
  auto options = std::make_shared<research::CollectionOptions>();
  LineBox* results = results_;
  QLineEdit* count = count_;
  task_->toggle(
      [this, options] {
        options->source = selected_source();
        options->seeds = split_lines(box_text(seeds_));
        results_->clear();
      },
      [options, results, count](Bridge& bridge) {
        // Appends each page's keywords and counts the pages that brought none back.
        struct BoxSink : research::CollectionSink {
          BoxSink(Bridge& b, LineBox* box) : bridge(b), results(box) {}
          void lines(const Text& lines) override { bridge.append(results, lines); }
          void page_problem(int, RequestOutcome outcome, const std::string&) override {
            failed_pages.add(item_outcome(outcome, false));
          }
          Bridge& bridge;
          LineBox* results;
          OutcomeCounts failed_pages;
        } sink(bridge, results);
        research::run_collection(*options, sink);
        int lines = bridge.call([results] { return count_lines(box_text(results)); });
        bridge.set_text(count, to_text(lines));
        bridge.message_box(
            from_gbk(research::collection_closing_message(options->source, lines, sink.failed_pages)), 0,
            QStringLiteral("友情提示"));
      });
}

void CollectionWindow::toggle_collection_pause() { task_->toggle_pause(); }

}  // namespace tessaly
