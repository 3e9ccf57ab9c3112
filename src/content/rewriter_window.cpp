#include "content/rewriter_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "content/rewriter.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/input_checks.h"
#include "gui/report_list.h"
#include "gui/worker_task.h"

namespace tessaly {
namespace {

const QString kHelp = QStringLiteral(
    "使用方法\n"
    "\n"
    "第一步：把下载好的小说或文章复制到配置目录（点“打开配置目录”）里的“原文本.txt”中，"
    "再到“原创库处理”页点“开始处理”，处理完成后会得到“生成文本.txt”。\n"
    "\n"
    "第二步：打开“原创库分割”页，点“开始分割”，原创句子库就生成在配置目录的“yuanchuangku”文件夹里。\n"
    "\n"
    "“伪原创替换”页用词库替换原文本里的词语，这一步可以不做。\n"
    "\n"
    "注意：如果分割后什么都没有生成，说明文本的编码不对。请新建一个纯文本文件（用记事本这类纯文本编辑器保存）"
    "，"
    "把小说或文章的内容复制进去，再用这个文件来处理就可以了。");

// The replacement table of "开始处理": built from the box on the first run of the program and
// kept for every later run, whatever the box holds then (an empty table is built again).
std::shared_ptr<const RuleSet>& library_rules() {
  static std::shared_ptr<const RuleSet> rules;
  return rules;
}

QString write_failed(const std::string& path) { return QStringLiteral("无法写入文件：") + from_path(path); }

// A file the user fills before a step can do anything: when it is still empty, the user is told
// where it is and offered its folder, and the step does not start.
bool user_file_filled(std::string_view name, const QString& what_to_put) {
  if (!file_is_empty(rewriter_file(name))) return true;
  offer_to_open_folder(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) +
                           QStringLiteral(" 还是空的。请") + what_to_put +
                           QStringLiteral("，保存后再来：\n") + from_path(rewriter_file(name)),
                       from_path(rewriter_folder()));
  return false;
}

bool source_filled() {
  return user_file_filled("原文本.txt", QStringLiteral("把要处理的小说或文章复制到这个文件里"));
}

class BarSink : public LibrarySink {
 public:
  BarSink(Bridge& bridge, QProgressBar* bar) : bridge_(bridge), bar_(bar) {}
  void progress(int percent) override { bridge_.set_progress(bar_, percent); }
  void finished(int chunks, long long elapsed_ms) override {
    bridge_.message_box(from_gbk(finish_message(chunks, elapsed_ms)), kIconInformation,
                        QStringLiteral("提示"));
  }

 private:
  Bridge& bridge_;
  QProgressBar* bar_;
};

class SplitBarSink : public SplitSink {
 public:
  SplitBarSink(Bridge& bridge, QProgressBar* bar) : bridge_(bridge), bar_(bar) {}
  void progress(int percent) override { bridge_.set_progress(bar_, percent); }

 private:
  Bridge& bridge_;
  QProgressBar* bar_;
};

QProgressBar* percent_bar(QWidget* parent, const char* name) {
  QProgressBar* bar = make_progress(parent, name);
  bar->setRange(0, 100);
  bar->setValue(0);
  return bar;
}

}  // namespace

RewriterWindow::RewriterWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("选择夹1"));
  tabs_->addTab(build_replace_page(), QStringLiteral("伪原创替换"));
  tabs_->addTab(build_process_page(), QStringLiteral("原创库处理"));
  tabs_->addTab(build_split_page(), QStringLiteral("原创库分割"));
  tabs_->addTab(build_help_page(), QStringLiteral("使用说明"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(tabs_);

  // Created: the configuration folder and its files where they are missing (a fresh program
  // folder has none), the replacement table from its file, and the processing page in front.
  if (!ensure_rewriter_files())
    message_box(QStringLiteral("无法建立配置文件夹和它的文件：") + from_path(rewriter_folder()), kIconError);
  set_box_text(table_, read_rewriter_text("替换表.txt"));
  tabs_->setCurrentIndex(1);
}

QWidget* RewriterWindow::build_replace_page() {
  auto* page = new QWidget;
  words_ = make_report_list(page, "超级列表框1",
                            {{QStringLiteral("ID"), 45},
                             {QStringLiteral("原始词"), 100},
                             {QStringLiteral("替换词"), 100},
                             {QStringLiteral("替换次数"), 90}});
  auto* load = make_button(page, "按钮4", QStringLiteral("载入词库"));
  auto* start = make_button(page, "按钮5", QStringLiteral("开始替换"));
  auto* stop = make_button(page, "按钮6", QStringLiteral("停止"));
  line_label_ = make_label(page, "标签3", {});
  line_label_->setMinimumWidth(50);
  auto* hint = make_label(page, "标签4", QStringLiteral("提示：这一步可以跳过"));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(load);
  buttons->addWidget(start);
  buttons->addWidget(stop);
  buttons->addWidget(line_label_);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(words_, 1);
  layout->addLayout(buttons);
  layout->addWidget(hint);

  load_task_ = new WorkerTask(this);
  replace_task_ = new WorkerTask(this);
  connect(load, &QPushButton::clicked, this, &RewriterWindow::load_word_list);
  connect(start, &QPushButton::clicked, this, &RewriterWindow::replace_in_source);
  connect(stop, &QPushButton::clicked, this, &RewriterWindow::stop_replacement);
  return page;
}

QWidget* RewriterWindow::build_process_page() {
  auto* page = new QWidget;
  table_ = make_list_box(page, "编辑框1");
  no_spaces_ = make_check(page, "选择框1", QStringLiteral("去掉空格"), false);
  auto* start = make_button(page, "按钮2", QStringLiteral("开始处理"));
  auto* stop = make_button(page, "按钮3", QStringLiteral("停止处理"));
  auto* folder = make_button(page, "按钮打开配置目录", QStringLiteral("打开配置目录"));
  process_bar_ = percent_bar(page, "进度条2");

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(no_spaces_);
  buttons->addStretch();
  buttons->addWidget(start);
  buttons->addWidget(stop);
  buttons->addWidget(folder);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(make_label(page, "", QStringLiteral("替换表（一行一条：原词||替换词）")));
  layout->addWidget(table_, 1);
  layout->addLayout(buttons);
  layout->addWidget(process_bar_);

  process_task_ = new WorkerTask(this);
  // The stop button lets the chunks already taken finish; nothing is written then.
  process_task_->set_stop_finishes_started(true);
  connect(start, &QPushButton::clicked, this, &RewriterWindow::process_library);
  connect(stop, &QPushButton::clicked, this, &RewriterWindow::stop_processing);
  connect(folder, &QPushButton::clicked, this, &RewriterWindow::open_config_folder);
  return page;
}

QWidget* RewriterWindow::build_split_page() {
  auto* page = new QWidget;
  lines_per_file_ = make_line_box(page, "编辑框2", QStringLiteral("50"));
  split_threads_ = make_line_box(page, "编辑框3", QStringLiteral("10"));
  auto* start = make_button(page, "按钮1", QStringLiteral("开始分割"));
  split_bar_ = percent_bar(page, "进度条1");

  auto* grid = new QGridLayout;
  grid->addWidget(make_label(page, "", QStringLiteral("分割行数")), 0, 0);
  grid->addWidget(lines_per_file_, 0, 1);
  grid->addWidget(make_label(page, "", QStringLiteral("线程数量")), 1, 0);
  grid->addWidget(split_threads_, 1, 1);
  grid->addWidget(start, 2, 1);
  grid->setColumnStretch(2, 1);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(grid);
  layout->addWidget(split_bar_);
  layout->addStretch();

  split_task_ = new WorkerTask(this);
  connect(start, &QPushButton::clicked, this, &RewriterWindow::split_library);
  return page;
}

QWidget* RewriterWindow::build_help_page() {
  auto* page = new QWidget;
  auto* group = make_group(page, "分组框1", QStringLiteral("使用说明"));
  auto* help = make_list_box(group, "编辑框4", kHelp);
  help->setReadOnly(true);
  help->set_wrap(true);
  (new QVBoxLayout(group))->addWidget(help);
  (new QVBoxLayout(page))->addWidget(group);
  return page;
}

// ---- step 1 ----------------------------------------------------------------------------------

void RewriterWindow::load_word_list() {
  if (!user_file_filled("伪原创词表.txt", QStringLiteral("在这个文件里每行写一条“原词||替换词”"))) return;
  // A new load replaces one still running.
  ReportList* list = words_;
  QLabel* label = line_label_;
  load_task_->restart([list, label](Bridge& bridge) {
    bridge.post([list] { list->lv_clear(); });
    std::vector<WordListRow> rows = parse_word_list(read_rewriter_text("伪原创词表.txt"));
    // In batches, so that a long list shows up while it loads.
    constexpr size_t kBatch = 2000;
    for (size_t from = 0; from < rows.size(); from += kBatch) {
      size_t to = std::min(rows.size(), from + kBatch);
      std::vector<WordListRow> batch(rows.begin() + static_cast<std::ptrdiff_t>(from),
                                     rows.begin() + static_cast<std::ptrdiff_t>(to));
      QString last_line = QString::number(batch.back().line);
      bridge.post([list, batch = std::move(batch)] {
        std::vector<std::string> ids;
        ids.reserve(batch.size());
        for (const auto& row : batch) ids.push_back(to_text(row.line));
        int first = list->lv_append_rows(ids);
        for (size_t k = 0; k < batch.size(); ++k) {
          list->lv_set_cell(first + static_cast<int>(k), 1, batch[k].word);
          list->lv_set_cell(first + static_cast<int>(k), 2, batch[k].replacement);
        }
      });
      bridge.post([label, last_line] { label->setText(last_line); });
    }
  });
}

void RewriterWindow::replace_in_source() {
  if (replace_task_->active()) return;  // one replacement of the source file at a time
  if (!source_filled()) return;
  ReportList* list = words_;
  replace_task_->start([list](Bridge& bridge) {
    std::vector<ReplacementRule> rows = bridge.call([list] {
      std::vector<ReplacementRule> r;
      for (int i = 0; i < list->lv_row_count(); ++i)
        r.push_back({list->lv_get_cell(i, 1), list->lv_get_cell(i, 2)});
      return r;
    });
    RuleSet rules(std::move(rows));
    WordReplaceResult result;
    bool written = tessaly::replace_in_source(rules, replace_threads(), result);
    bridge.post([list, counts = std::move(result.counts)] {
      for (size_t i = 0; i < counts.size() && static_cast<int>(i) < list->lv_row_count(); ++i)
        list->lv_set_cell(static_cast<int>(i), 3, replacement_count_text(counts[i]));
    });
    if (!written) {
      bridge.message_box(write_failed(rewriter_file("原文本.txt")), kIconError);
      return;
    }
    bridge.message_box(QStringLiteral("替换完毕"), 0, QStringLiteral("友情提示："));
  });
}

void RewriterWindow::stop_replacement() {
  load_task_->stop();
  replace_task_->stop();
}

// ---- step 2 ----------------------------------------------------------------------------------

void RewriterWindow::process_library() {
  if (process_task_->active()) return;  // runs share the generated file: one at a time
  if (!source_filled()) return;
  std::shared_ptr<const RuleSet>& rules = library_rules();
  if (!rules || rules->empty()) rules = std::make_shared<const RuleSet>(build_rules(box_text(table_)));
  process_bar_->setValue(0);
  LibraryOptions options;
  options.remove_spaces = no_spaces_->isChecked();
  QProgressBar* bar = process_bar_;
  process_task_->start([rules, options, bar](Bridge& bridge) {
    BarSink sink(bridge, bar);
    LibraryResult result = dispatch_chunks(*rules, options, sink);
    switch (result.end) {
      case LibraryEnd::Stopped:
        bridge.set_progress(bar, 0);
        bridge.message_box(QStringLiteral("已全部停止"));
        break;
      case LibraryEnd::WriteFailed:
        bridge.message_box(write_failed(rewriter_file("生成文本.txt")), kIconError);
        break;
      case LibraryEnd::EmptySource:  // nothing to do, nothing to say
      case LibraryEnd::Finished:     // the finishing step has shown its message
        break;
    }
  });
}

void RewriterWindow::stop_processing() { process_task_->stop(); }

void RewriterWindow::open_config_folder() {
  shell_open(QStringLiteral("open"), from_path(rewriter_folder()));
}

// ---- step 3 ----------------------------------------------------------------------------------

void RewriterWindow::split_library() {
  if (split_task_->active()) return;  // runs write the same files: one at a time
  if (!require_number(lines_per_file_, 1,
                      QStringLiteral("分割行数要填一个不小于1的整数，请改好后再开始。")) ||
      !require_thread_count(split_threads_))
    return;
  if (file_is_empty(rewriter_file("生成文本.txt"))) {
    message_box(QStringLiteral("生成文本.txt 还是空的：请先在“原创库处理”页点“开始处理”生成它。\n") +
                from_path(rewriter_file("生成文本.txt")));
    return;
  }
  SplitOptions options;
  options.lines_per_file = to_int(box_text(lines_per_file_));
  options.threads = to_int(box_text(split_threads_));
  split_bar_->setValue(0);
  QProgressBar* bar = split_bar_;
  split_task_->start([options, bar](Bridge& bridge) {
    SplitBarSink sink(bridge, bar);
    SplitResult result = tessaly::split_library(options, sink);
    if (result.end == SplitEnd::Done)
      bridge.message_box(QStringLiteral("已全部完成"));
    else if (result.end == SplitEnd::WriteFailed)
      bridge.message_box(QStringLiteral("有%1个文件没能写入：").arg(result.files - result.written) +
                             from_path(library_folder()),
                         kIconError);
  });
}

}  // namespace tessaly
