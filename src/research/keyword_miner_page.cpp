#include "research/keyword_miner_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "core/http/endpoints.h"
#include "core/http/pacing.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/input_checks.h"
#include "gui/report_list.h"
#include "gui/tool_window.h"
#include "gui/worker_task.h"
#include "research/keyword_miner_export_window.h"
#include "research/keyword_sources.h"

namespace tessaly {
namespace {

using research::MinerSource;

struct SourceBox {
  const char* name;
  const char* caption;
  MinerSource source;
};
constexpr SourceBox kSourceBoxes[] = {
    {"选择框百度", "百度", MinerSource::WordLibrary}, {"选择框淘宝", "淘宝", MinerSource::Taobao},
    {"选择框搜狗", "搜狗", MinerSource::Sogou},       {"选择框bing", "bing必应", MinerSource::Bing},
    {"选择框知道", "百度知道", MinerSource::Zhidao},  {"选择框360", "360搜索", MinerSource::So360},
};

struct HelpLink {
  const char* name;
  const char* caption;
  const char* path;  // on the MINER_HELP host
};
constexpr HelpLink kHelpLinks[] = {
    {"超级链接框1", "什么是关键词优化指数？", "/help/keyword-index.html"},
    {"超级链接框2", "什么是关键词竞争度？", "/help/keyword-competition.html"},
    {"超级链接框3", "搜索量和百度指数有何区别？", "/help/search-volume.html"},
};

constexpr int kListColumnWidth = 500;
// Rows put into the list in one turn of the event loop (a few milliseconds of work).
constexpr size_t kRowsPerTurn = 10000;

// Rows [first, first + n) of `texts` as list cells, converted in one pass: the GBK texts hold no
// zero byte, so joined by zeros they convert as one text and split again.
std::vector<QString> rows_from_gbk(const TextList& texts, size_t first, size_t n) {
  std::string joined;
  for (size_t i = first; i < first + n; ++i) {
    joined += texts[i];
    joined += '\0';
  }
  QStringList parts = from_gbk(joined).split(QChar(u'\0'));
  std::vector<QString> cells;
  if (parts.size() == static_cast<qsizetype>(n) + 1) {
    cells.assign(std::make_move_iterator(parts.begin()), std::make_move_iterator(parts.end() - 1));
  } else {
    for (size_t i = first; i < first + n; ++i) cells.push_back(from_gbk(texts[i]));
  }
  return cells;
}

QString counter(int rows, const char* tail) {
  return QStringLiteral("关键词[%1%2").arg(rows).arg(utf8(tail));
}

}  // namespace

KeywordMinerPage::KeywordMinerPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("KeywordMinerPage"));
  list_ = make_report_list(this, "超级列表框挖掘机", {{QStringLiteral("关键词"), kListColumnWidth}});
  list_->header()->setStretchLastSection(false);  // the one column keeps its width
  list_->set_checkable(false);
  list_->setFixedWidth(kListColumnWidth + list_->verticalScrollBar()->sizeHint().width() +
                       2 * list_->frameWidth());

  seed_ = make_line_box(this, "编辑框挖掘机关键词", QStringLiteral("减肥"));
  search_ = make_button(this, "按钮挖掘机搜索", QStringLiteral("搜索"));
  pause_ = make_button(this, "按钮挖掘机暂停", QStringLiteral("暂停"));
  stop_ = make_button(this, "按钮挖掘机停止", QStringLiteral("停止"));
  export_ = make_button(this, "按钮挖掘机导出", QStringLiteral("导出"));
  for (QPushButton* b : {search_, pause_, stop_, export_}) b->setMinimumHeight(28);

  auto* source_group = make_group(this, "分组框30", QStringLiteral("关键词来源"));
  auto* source_grid = new QGridLayout(source_group);
  for (size_t i = 0; i < std::size(kSourceBoxes); ++i) {
    const SourceBox& box = kSourceBoxes[i];
    sources_[i] = make_check(source_group, box.name, utf8(box.caption), true);
    source_grid->addWidget(sources_[i], static_cast<int>(i / 2), static_cast<int>(i % 2));
  }
  must_contain_ = make_check(this, "包含", QStringLiteral("必需包含关键词"), false);
  progress_ = make_progress(this, "进度条关键词挖掘");
  progress_->setRange(0, research::kMinerSourceCount);
  progress_->setValue(0);
  progress_->setFormat(QStringLiteral("%v/%m"));  // sources ended

  auto* side = new QVBoxLayout;
  side->addWidget(seed_);
  auto* run_row = new QGridLayout;
  run_row->addWidget(search_, 0, 0);
  run_row->addWidget(pause_, 0, 1);
  run_row->addWidget(stop_, 1, 0);
  run_row->addWidget(export_, 1, 1);
  side->addLayout(run_row);
  side->addWidget(source_group);
  side->addWidget(must_contain_);
  side->addWidget(progress_);
  side->addStretch(1);
  for (const HelpLink& link : kHelpLinks) {
    auto* button = make_link(this, link.name, utf8(link.caption));
    std::string path = link.path;
    connect(button, &QPushButton::clicked, this,
            [path] { shell_open(QStringLiteral("open"), from_gbk(endpoint_base("MINER_HELP") + path)); });
    side->addWidget(button, 0, Qt::AlignLeft);
  }

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(side, 1);

  // The sources read these controls while they run, from their own threads.
  live_->set_seed_box(to_gbk(seed_->text()));
  connect(seed_, &QLineEdit::textChanged, this,
          [this](const QString& text) { live_->set_seed_box(to_gbk(text)); });
  live_->set_must_contain(must_contain_->isChecked());
  connect(must_contain_, &QCheckBox::toggled, this, [this](bool on) { live_->set_must_contain(on); });
  for (size_t i = 0; i < std::size(kSourceBoxes); ++i) {
    MinerSource source = kSourceBoxes[i].source;
    live_->set_ticked(source, sources_[i]->isChecked());
    connect(sources_[i], &QCheckBox::toggled, this,
            [this, source](bool on) { live_->set_ticked(source, on); });
  }

  task_ = new WorkerTask(this);
  task_->set_pause_button(pause_, QStringLiteral("暂停"), QStringLiteral("继续"));
  task_->disable_while_active({search_});
  connect(task_, &WorkerTask::finished, this, [this](const JobOutcome& outcome) {
    ended_ = outcome;
    show_admitted();  // the rest of the rows, then the end
  });
  connect(search_, &QPushButton::clicked, this, [this] { start_keyword_search(); });
  connect(pause_, &QPushButton::clicked, this, [this] { task_->toggle_pause(); });
  connect(stop_, &QPushButton::clicked, this, [this] { stop_keyword_search(); });
  connect(export_, &QPushButton::clicked, this, [this] { open_miner_export(); });
  connect(list_, &ReportList::row_double_clicked, this, [this] { open_keyword_search(); });
}

void KeywordMinerPage::set_header(const QString& text) { list_->report_model()->set_column_title(0, text); }

void KeywordMinerPage::start_keyword_search() {
  if (task_->active()) return;
  // An empty seed would "find" nothing and report the search done; the last results stay.
  if (!require_text(seed_, QStringLiteral("请先填写要挖掘的关键词。"))) return;
  backlog_.clear();
  backlog_shown_ = 0;
  ended_.reset();
  list_->lv_clear();
  set_header(counter(0, "条]"));
  research::MinerRunOptions options;
  options.seed = to_gbk(seed_->text());
  set_header(counter(0, "]获取中"));
  progress_->setValue(0);
  for (size_t i = 0; i < std::size(kSourceBoxes); ++i)
    if (sources_[i]->isChecked()) options.sources.push_back(kSourceBoxes[i].source);

  // Admitted keywords are shown in batches: the first admission after a batch was taken asks the
  // window (through the run's bridge) to take the next one.
  struct Link {
    std::atomic<Bridge*> bridge{nullptr};
  };
  auto link = std::make_shared<Link>();
  QPointer<KeywordMinerPage> self(this);
  admission_ = std::make_shared<research::KeywordAdmission>(*live_, [link, self] {
    if (Bridge* bridge = link->bridge.load())
      bridge->post([self] {
        if (self) self->show_admitted();
      });
  });
  run_end_ = std::make_shared<RunEnd>();
  task_->start([options = std::move(options), live = live_, admission = admission_, run_end = run_end_, link,
                list = list_, progress = progress_](Bridge& bridge) {
    link->bridge.store(&bridge);  // before any source starts
    bridge.job().set_pacing(configured_pacing());
    research::MinerEvents events;
    events.word_library_empty = [&bridge, list] {
      bridge.post([list] { list->report_model()->set_column_title(0, QStringLiteral("关键词[0]结束")); });
    };
    events.source_ended = [&bridge, progress](MinerSource, int ended) {
      bridge.set_progress(progress, ended);
    };
    research::MinerRunResult result =
        research::run_keyword_miner(bridge.job(), options, *live, *admission, events);
    run_end->last.store(result.last);
    run_end->failed_requests.store(result.unanswered().failed);
    run_end->rate_limited_requests.store(result.unanswered().rate_limited);
    run_end->any_source.store(result.any_source);
  });
}

void KeywordMinerPage::stop_keyword_search() { task_->stop(); }

void KeywordMinerPage::show_admitted() {
  if (admission_) {
    TextList more = admission_->take_pending();
    if (backlog_.empty())
      backlog_ = std::move(more);
    else
      backlog_.insert(backlog_.end(), std::make_move_iterator(more.begin()),
                      std::make_move_iterator(more.end()));
  }
  if (backlog_shown_ < backlog_.size()) {
    size_t n = std::min(backlog_.size() - backlog_shown_, kRowsPerTurn);
    list_->report_model()->insert_rows(-1, rows_from_gbk(backlog_, backlog_shown_, n));
    backlog_shown_ += n;
    set_header(counter(list_->lv_row_count(), "]获取中"));
    if (backlog_shown_ < backlog_.size()) {
      // The rest on the next turn, after input and painting.
      if (!turn_scheduled_) {
        turn_scheduled_ = true;
        QTimer::singleShot(0, this, [this] {
          turn_scheduled_ = false;
          show_admitted();
        });
      }
      return;
    }
    backlog_.clear();
    backlog_shown_ = 0;
  }
  if (ended_) announce_end(*std::exchange(ended_, std::nullopt));
}

void KeywordMinerPage::announce_end(const JobOutcome& outcome) {
  if (outcome.end == JobEnd::Stopped) {
    // The bar falls back as the sources are stopped; the counter keeps its running text.
    progress_->setValue(0);
    return;
  }
  if (outcome.end != JobEnd::Done || !run_end_->any_source.load()) return;
  set_header(counter(list_->lv_row_count(), "]"));
  OutcomeCounts unanswered;
  unanswered.failed = run_end_->failed_requests.load();
  unanswered.rate_limited = run_end_->rate_limited_requests.load();
  message_box(from_gbk(research::completion_text(run_end_->last.load()) +
                       failures_tail(unanswered, CountUnit::Requests)),
              kIconInformation, QStringLiteral("提示"));
}

void KeywordMinerPage::open_keyword_search() {
  int row = list_->selected_row();
  if (row < 0) return;
  shell_open(QStringLiteral("open"), from_gbk(research::keyword_search_url(list_->lv_get_cell(row, 0))));
}

void KeywordMinerPage::open_miner_export() {
  auto* window = qobject_cast<MinerExportWindow*>(open_tool_window(20, this->window()));
  if (window) window->set_list(list_);
}

}  // namespace tessaly
