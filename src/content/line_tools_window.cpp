#include "content/line_tools_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "content/line_tools.h"
#include "core/text/charset.h"
#include "core/text/text.h"
#include "gui/controls.h"
#include "gui/hooks.h"
#include "gui/line_list.h"
#include "gui/worker_task.h"

namespace tessaly {

// ---------------------------------------------------------------------------------------------
DedupeWindow::DedupeWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  list_ = make_list_box(nullptr, "编辑框去重复", data_text("samples/dedupe.txt"));
  status_ = make_list_box(nullptr, "编辑框去重状态框");
  status_->setReadOnly(true);
  dedupe_ = make_button(nullptr, "按钮去重复", utf8("开始去重复"));
  auto* full = make_button(nullptr, "按钮转拼音", utf8("转全拼"));
  auto* initials = make_button(nullptr, "按钮1", utf8("转首拼"));
  auto* clear = make_button(nullptr, "按钮清空", utf8("清空"));
  progress_ = make_progress(nullptr, "进度条1");

  auto* side = new QVBoxLayout;
  side->addWidget(framed(nullptr, utf8("状态提示："), status_), 1);
  for (QPushButton* b : {dedupe_, full, initials, clear}) {
    b->setMinimumHeight(30);
    side->addWidget(b);
  }
  auto* top = new QHBoxLayout;
  top->addWidget(list_, 3);
  top->addLayout(side, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addWidget(progress_);

  dedupe_task_ = new WorkerTask(this);
  dedupe_task_->set_start_button(dedupe_, utf8("开始去重复"), utf8("停止去重复"));
  pinyin_task_ = new WorkerTask(this);
  connect(dedupe_, &QPushButton::clicked, this, [this] { toggle_dedupe(); });
  connect(full, &QPushButton::clicked, this, [this] { convert_pinyin(true); });
  connect(initials, &QPushButton::clicked, this, [this] { convert_pinyin(false); });
  bind_clear_button(clear, list_);
}

void DedupeWindow::toggle_dedupe() {
  if (dedupe_task_->shows_stop_wording()) {
    dedupe_task_->stop();
    return;
  }
  pinyin_task_->stop();  // one run at a time replaces the list
  std::string text = box_text(list_);
  LineBox* list = list_;
  LineBox* status = status_;
  QProgressBar* bar = progress_;
  dedupe_task_->start([text = std::move(text), list, status, bar](Bridge& bridge) {
    bridge.set_progress(bar, 0);
    Progress progress = bar_progress(bridge, bar);
    bridge.append(status, dedupe_before_text(data_lines(text)));
    DedupeResult result = dedupe_lines(text, progress);
    bridge.set_text(list, std::move(result.text));
    bridge.append(status, dedupe_after_text(result.after));
  });
}

void DedupeWindow::convert_pinyin(bool full) {
  dedupe_task_->stop();
  std::string text = box_text(list_);
  LineBox* list = list_;
  QProgressBar* bar = progress_;
  pinyin_task_->restart([text = std::move(text), list, bar, full](Bridge& bridge) {
    bridge.set_progress(bar, 0);
    std::string out =
        pinyin_lines(text, full ? PinyinForm::Full : PinyinForm::FirstLetters, bar_progress(bridge, bar));
    bridge.set_text(list, std::move(out));
  });
}

// ---------------------------------------------------------------------------------------------
TrimWindow::TrimWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  list_ = make_list_box(nullptr, "编辑框1", data_text("samples/trim.txt"));
  start_ = make_button(nullptr, "按钮开始去除", utf8("开始去除"));
  auto* clear = make_button(nullptr, "按钮清空", utf8("清空"));
  progress_ = make_progress(nullptr, "进度条1");
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {start_, clear}) {
    b->setMinimumHeight(30);
    buttons->addWidget(b);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addWidget(progress_);
  layout->addLayout(buttons);

  task_ = new WorkerTask(this);
  task_->set_start_button(start_, utf8("开始去除"), utf8("停止去除"));
  // A finished run leaves the stop wording; the next click only resets it.
  task_->keep_stop_wording_until_clicked(true);
  connect(start_, &QPushButton::clicked, this, [this] {
    if (task_->shows_stop_wording()) {
      task_->stop();
      return;
    }
    std::string text = box_text(list_);
    LineBox* list = list_;
    QProgressBar* bar = progress_;
    task_->start([text = std::move(text), list, bar](Bridge& bridge) {
      bridge.set_text(list, trim_lines(text, bar_progress(bridge, bar)));
    });
  });
  bind_clear_button(clear, list_);
}

// ---------------------------------------------------------------------------------------------
ShuffleWindow::ShuffleWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  list_ = make_list_box(nullptr, "编辑框关键词", data_text("samples/shuffle.txt"));
  start_ = make_button(nullptr, "按钮打散", utf8("点击打散"));
  auto* clear = make_button(nullptr, "按钮清空", utf8("清空"));
  progress_ = make_progress(nullptr, "进度条1");
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {start_, clear}) {
    b->setMinimumHeight(30);
    buttons->addWidget(b);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(framed(nullptr, utf8("请输入你的关键词一行一个"), list_), 1);
  layout->addWidget(progress_);
  layout->addLayout(buttons);

  task_ = new WorkerTask(this);
  connect(start_, &QPushButton::clicked, this, [this] {
    std::string text = box_text(list_);
    LineBox* list = list_;
    QProgressBar* bar = progress_;
    const std::uint64_t seed = fresh_seed();
    // A second click starts over from the list as it stands.
    task_->restart([text = std::move(text), list, bar, seed](Bridge& bridge) {
      bridge.set_progress(bar, 0);
      bridge.set_text(list, shuffle_lines(text, seed, bar_progress(bridge, bar)));
    });
  });
  bind_clear_button(clear, list_);
}

// ---------------------------------------------------------------------------------------------
KeywordSuffixWindow::KeywordSuffixWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  input_ = make_list_box(nullptr, "编辑框1", data_text("samples/keyword_suffix.txt"));
  suffix_ = make_line_box(nullptr, "编辑框2", utf8("-【Corvane网络开发】"));
  output_ = make_list_box(nullptr, "编辑框3");
  start_ = make_button(nullptr, "按钮开始生成", utf8("开始生成"));
  auto* clear_input = make_button(nullptr, "按钮2", utf8("清空"));
  auto* clear_output = make_button(nullptr, "按钮3", utf8("清空"));

  auto* columns = new QHBoxLayout;
  columns->addWidget(framed(nullptr, utf8("输入要生成的文本一行一个"), input_, clear_input), 1);
  columns->addWidget(framed(nullptr, utf8("生成的结果"), output_, clear_output), 1);
  auto* row = new QHBoxLayout;
  row->addWidget(make_label(nullptr, "标签1", utf8("后缀名字")));
  row->addWidget(suffix_, 1);
  start_->setMinimumHeight(30);
  row->addWidget(start_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns, 1);
  layout->addLayout(row);

  // The output is not emptied: every run adds its lines after what is there. The button waits
  // for the run to end so that two runs never interleave.
  task_ = new WorkerTask(this);
  task_->disable_while_active({start_});
  connect(start_, &QPushButton::clicked, this, [this] {
    std::string text = box_text(input_);
    std::string suffix = box_text(suffix_);
    LineBox* output = output_;
    task_->start([text = std::move(text), suffix = std::move(suffix), output](Bridge& bridge) {
      LineOutput out([&](std::string_view block) { bridge.append(output, block); }, 256 * 1024);
      append_suffix(text, suffix, out);
    });
  });
  bind_clear_button(clear_input, input_);
  bind_clear_button(clear_output, output_);
}

// ---------------------------------------------------------------------------------------------
TakeTextWindow::TakeTextWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  list_ = make_list_box(nullptr, "编辑框1", data_text("samples/take_text.txt"));
  left_separator_ = make_line_box(nullptr, "编辑框2", utf8("_"));
  right_separator_ = make_line_box(nullptr, "编辑框3", utf8("_"));
  auto* take_left = make_button(nullptr, "按钮1", utf8("开始取"));
  auto* take_right = make_button(nullptr, "按钮2", utf8("开始取"));
  auto* clear = make_button(nullptr, "按钮3", utf8("清空"));

  auto side_group = [](const QString& caption, QLineEdit* separator, QPushButton* button) {
    auto* inner = new QGroupBox(utf8("分割的标签"));
    auto* inner_layout = new QVBoxLayout(inner);
    inner_layout->addWidget(separator);
    auto* outer = new QGroupBox(caption);
    auto* outer_layout = new QVBoxLayout(outer);
    outer_layout->addWidget(inner);
    button->setMinimumHeight(30);
    outer_layout->addWidget(button);
    return outer;
  };
  auto* side = new QVBoxLayout;
  side->addWidget(side_group(utf8("取文本左边"), left_separator_, take_left));
  side->addWidget(side_group(utf8("取文本右边"), right_separator_, take_right));
  side->addStretch(1);
  clear->setMinimumHeight(30);
  side->addWidget(clear);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(framed(nullptr, utf8("请输入文本一行一个"), list_), 3);
  layout->addLayout(side, 2);

  task_ = new WorkerTask(this);
  connect(take_left, &QPushButton::clicked, this, [this] { take(true); });
  connect(take_right, &QPushButton::clicked, this, [this] { take(false); });
  bind_clear_button(clear, list_);
}

void TakeTextWindow::take(bool left) {
  std::string separator = box_text(left ? left_separator_ : right_separator_);
  if (separator.empty()) {
    // Every line would become empty: the list would be lost for nothing.
    message_box(utf8("请先输入分割的标签"));
    return;
  }
  std::string text = box_text(list_);
  LineBox* list = list_;
  task_->restart([text = std::move(text), separator = std::move(separator), list, left](Bridge& bridge) {
    bridge.set_text(list, left ? take_left(text, separator) : take_right(text, separator));
  });
}

// ---------------------------------------------------------------------------------------------
JoinWindow::JoinWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  first_ = make_list_box(nullptr, "编辑框_相加1", data_text("samples/join_first.txt"));
  second_ = make_list_box(nullptr, "编辑框_相加2", data_text("samples/join_second.txt"));
  result_ = make_list_box(nullptr, "编辑框_结果");
  auto* first_count = make_line_box(nullptr, "编辑框1", utf8("3"));
  auto* second_count = make_line_box(nullptr, "编辑框2", utf8("3"));
  result_count_ = make_line_box(nullptr, "编辑框3", utf8("0"));
  separator_ = make_line_box(nullptr, "编辑框4", utf8("-"));
  auto* start = make_button(nullptr, "按钮2", utf8("开始加"));
  auto* clear_first = make_button(nullptr, "按钮1", utf8("清空"));
  auto* clear_second = make_button(nullptr, "按钮3", utf8("清空"));
  auto* clear_result = make_button(nullptr, "按钮4", utf8("清空"));
  auto* warning = make_label(nullptr, "标签5",
                             utf8("注意：第一个框和第二框里面的数量必须相同，否则软件会报错并且关闭。"));
  auto* hint = make_label(nullptr, "标签1", utf8("提示：点击开始加试试..然后改变下分割符，看有啥变化...."));
  warning->setWordWrap(true);
  hint->setWordWrap(true);

  auto column = [](const char* label_name, const QString& caption, LineBox* box, const char* count_label,
                   QLineEdit* count, QPushButton* clear) {
    auto* col = new QVBoxLayout;
    col->addWidget(make_label(nullptr, label_name, caption));
    col->addWidget(box, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(make_label(nullptr, count_label, utf8("数量：")));
    count->setMaximumWidth(90);
    row->addWidget(count);
    row->addStretch(1);
    row->addWidget(clear);
    col->addLayout(row);
    return col;
  };
  auto* columns = new QHBoxLayout;
  columns->addLayout(column("标签2", utf8("第一个框"), first_, "标签6", first_count, clear_first), 1);
  columns->addLayout(column("标签3", utf8("第二个框"), second_, "标签7", second_count, clear_second), 1);
  columns->addLayout(column("标签4", utf8("结果"), result_, "标签8", result_count_, clear_result), 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(make_label(nullptr, "标签9", utf8("分割符")));
  separator_->setMaximumWidth(80);
  bottom->addWidget(separator_);
  start->setMinimumHeight(30);
  start->setMinimumWidth(100);
  bottom->addWidget(start);
  auto* notes = new QVBoxLayout;
  notes->addWidget(warning);
  notes->addWidget(hint);
  bottom->addLayout(notes, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns, 1);
  layout->addLayout(bottom);

  bind_line_count(first_, first_count);
  bind_line_count(second_, second_count);
  bind_line_count(result_, result_count_);  // the lines joined, and 0 once the result is cleared
  bind_clear_button(clear_first, first_);
  bind_clear_button(clear_second, second_);
  bind_clear_button(clear_result, result_);

  task_ = new WorkerTask(this);
  connect(start, &QPushButton::clicked, this, [this] {
    std::string first = box_text(first_);
    std::string second = box_text(second_);
    std::string separator = box_text(separator_);
    set_box_text(result_, {});
    LineBox* result = result_;
    task_->restart([first = std::move(first), second = std::move(second), separator = std::move(separator),
                    result](Bridge& bridge) {
      std::string text;
      LineOutput out([&](std::string_view block) { text.append(block); }, 256 * 1024);
      // Lists of different lengths are joined as far as the shorter one goes; the count box
      // follows the result box, so it shows how many lines that made.
      join_pairs(first, second, separator, out);
      bridge.set_text(result, std::move(text));
    });
  });
}

}  // namespace tessaly
