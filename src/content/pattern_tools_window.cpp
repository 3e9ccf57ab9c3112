#include "content/pattern_tools_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "content/pattern_tools.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "core/text/text.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/line_list.h"
#include "gui/worker_task.h"

namespace tessaly {
namespace {

const char* const kDefaultPattern = "---(.*?)状态:OK---标题：(.*?)_";

}  // namespace

// ---------------------------------------------------------------------------------------------
RegexMatchWindow::RegexMatchWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  pattern_ = make_line_box(nullptr, "编辑框1", utf8(kDefaultPattern));
  source_ = make_list_box(nullptr, "编辑框2", data_text("samples/regex_source.txt"));
  group_ = make_line_box(nullptr, "编辑框4", utf8("1"));
  result_ = make_list_box(nullptr, "编辑框3");
  auto* start = make_button(nullptr, "按钮1", utf8("开始匹配"));
  auto* clear_source = make_button(nullptr, "按钮2", utf8("清空"));
  auto* clear_result = make_button(nullptr, "按钮3", utf8("清空"));
  auto* note = make_label(nullptr, "标签5",
                          utf8("说明：(.*?)-是你所匹配出来的内容,如果你匹配第二个-(.*?)-请在匹配位置输入 2"));
  note->setWordWrap(true);

  auto* top = new QHBoxLayout;
  top->addWidget(make_label(nullptr, "标签1", utf8("正则表达式：")));
  top->addWidget(pattern_, 1);
  auto column = [](const char* label_name, const QString& caption, LineBox* box, QPushButton* clear) {
    auto* col = new QVBoxLayout;
    auto* head = new QHBoxLayout;
    head->addWidget(make_label(nullptr, label_name, caption));
    head->addStretch(1);
    head->addWidget(clear);
    col->addLayout(head);
    col->addWidget(box, 1);
    return col;
  };
  auto* columns = new QHBoxLayout;
  columns->addLayout(column("标签2", utf8("需要匹配的源文件"), source_, clear_source), 3);
  columns->addLayout(column("标签3", utf8("匹配好的内容"), result_, clear_result), 2);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(make_label(nullptr, "标签4", utf8("匹配位置")));
  group_->setMaximumWidth(60);
  bottom->addWidget(group_);
  start->setMinimumHeight(30);
  start->setMinimumWidth(100);
  bottom->addWidget(start);
  bottom->addWidget(note, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(columns, 1);
  layout->addLayout(bottom);

  bind_clear_button(clear_source, source_);
  bind_clear_button(clear_result, result_);

  task_ = new WorkerTask(this);
  connect(start, &QPushButton::clicked, this, [this] {
    // The result box is emptied: an earlier run must not add to it any more.
    std::string pattern = box_text(pattern_);
    std::string source = box_text(source_);
    const int group = to_int(box_text(group_));
    set_box_text(result_, {});
    LineBox* result = result_;
    task_->restart([pattern = std::move(pattern), source = std::move(source), group, result](Bridge& bridge) {
      GroupMatchResult matched = match_groups(pattern, source, group);
      if (!matched.valid) {
        bridge.message_box(utf8("正则表达式有错误，没有匹配任何内容：\n") +
                           QString::fromStdString(matched.error));
        return;
      }
      bridge.set_text(result, std::move(matched.text));
    });
  });
}

// ---------------------------------------------------------------------------------------------
KeywordSeparatorWindow::KeywordSeparatorWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  path_ = make_line_box(nullptr, "编辑框1");
  auto* open = make_button(nullptr, "按钮1", utf8("打开"));
  separators_ = make_line_box(nullptr, "编辑框2", from_gbk(default_keyword_separators()));
  auto* hint = make_label(nullptr, "标签4", utf8("提示：输入你的关键词中需要替换的字符，然后用 “|” 分开"));
  hint->setWordWrap(true);
  output_path_ = make_line_box(nullptr, "编辑框3");
  start_ = make_button(nullptr, "按钮2", utf8("开始替换"));
  message_ = make_line_box(nullptr, "编辑框4");
  message_->setReadOnly(true);
  progress_ = make_progress(nullptr, "进度条1");

  auto* grid = new QGridLayout;
  grid->addWidget(make_label(nullptr, "标签1", utf8("路径")), 0, 0);
  grid->addWidget(path_, 0, 1);
  grid->addWidget(open, 0, 2);
  grid->addWidget(make_label(nullptr, "标签2", utf8("要替换的")), 1, 0);
  grid->addWidget(separators_, 1, 1, 1, 2);
  grid->addWidget(hint, 2, 1, 1, 2);
  grid->addWidget(make_label(nullptr, "标签3", utf8("输出文本的目录")), 3, 0);
  grid->addWidget(output_path_, 3, 1, 1, 2);
  grid->setColumnStretch(1, 1);
  start_->setMinimumHeight(30);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(start_);
  layout->addWidget(message_);
  layout->addWidget(progress_);
  layout->addStretch(1);

  connect(open, &QPushButton::clicked, this, [this] {
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.filter = utf8("*.txt (*.txt)");
    request.file_name = from_path(program_folder());
    path_->setText(file_dialog(request) ? request.file_name : QString());
  });

  task_ = new WorkerTask(this);
  task_->disable_while_active({start_});  // one run at a time: both would write b.txt
  connect(start_, &QPushButton::clicked, this, [this] {
    const std::string path = to_path(path_->text());
    if (path.empty()) {
      message_box(utf8("请先选择关键词文件"));
      return;
    }
    if (!file_exists(path)) {
      message_box(utf8("找不到关键词文件：") + path_->text());
      return;
    }
    std::string separators = box_text(separators_);
    QLineEdit* message = message_;
    QLineEdit* output_path = output_path_;
    QProgressBar* bar = progress_;
    task_->start([path, separators = std::move(separators), message, output_path, bar](Bridge& bridge) {
      KeywordResult kept = separate_keywords(read_file(path), separators, bar_progress(bridge, bar));
      const std::string target = program_folder() + "/b.txt";
      if (replace_file(target, kept.text)) {
        bridge.set_text(message,
                        gbk("已经为你替换完毕，生成关键词的数量为 ") + to_text(kept.kept) + gbk(" 个"));
        bridge.post([output_path, target] { output_path->setText(from_path(target)); });
      } else {
        bridge.message_box(utf8("无法写入文件：") + from_path(target));
      }
    });
  });
}

// ---------------------------------------------------------------------------------------------
BatchRenameWindow::BatchRenameWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  folder_ = make_line_box(nullptr, "编辑框路径");
  auto* open = make_button(nullptr, "按钮打开", utf8("打开"));
  length_ = make_line_box(nullptr, "编辑框文件名位数", utf8("8"));
  extension_ = make_line_box(nullptr, "编辑框类型", utf8(".jpg"));
  start_ = make_button(nullptr, "按钮开始更改", utf8("开始更改"));
  progress_ = make_progress(nullptr, "进度条1");

  auto* grid = new QGridLayout;
  grid->addWidget(make_label(nullptr, "标签1", utf8("文件夹路径")), 0, 0);
  grid->addWidget(folder_, 0, 1, 1, 2);
  grid->addWidget(open, 0, 3);
  grid->addWidget(make_label(nullptr, "标签2", utf8("文件名位数")), 1, 0);
  grid->addWidget(length_, 1, 1);
  grid->addWidget(make_label(nullptr, "标签3", utf8("文件名类型")), 2, 0);
  grid->addWidget(extension_, 2, 1);
  grid->addWidget(make_label(nullptr, "标签4", utf8("改名进度")), 3, 0);
  grid->addWidget(progress_, 3, 1, 1, 3);
  grid->setColumnStretch(2, 1);
  start_->setMinimumHeight(30);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(start_);
  layout->addStretch(1);

  connect(open, &QPushButton::clicked, this,
          [this] { folder_->setText(folder_dialog(utf8("请选择你需要打开的目录")).trimmed()); });
  task_ = new WorkerTask(this);
  task_->set_start_button(start_, utf8("开始更改"), utf8("停止更改"));
  task_->keep_stop_wording_until_clicked(true);  // a finished run leaves the stop wording
  connect(start_, &QPushButton::clicked, this, [this] { toggle(); });
}

void BatchRenameWindow::toggle() {
  if (task_->shows_stop_wording()) {
    task_->stop();
    message_box(utf8("已经停止了改"));
    return;
  }
  RenameOptions options;
  options.folder = to_path(folder_->text());
  options.name_length = to_int(box_text(length_));
  options.extension = to_path(extension_->text());
  const std::string problem = rename_options_problem(options);
  if (!problem.empty()) {
    message_box(QString::fromStdString(problem));
    return;
  }
  QProgressBar* bar = progress_;
  task_->start([options = std::move(options), bar](Bridge& bridge) {
    bridge.set_progress(bar, 0);
    RenameResult result = rename_files(options, bar_progress(bridge, bar));
    if (result.failed == 0) {
      bridge.message_box(utf8("恭喜你，全部改名成功"));
    } else {
      bridge.message_box(utf8("改名完成：%1 个文件已改名，%2 个文件未能改名（保持原名）")
                             .arg(result.renamed)
                             .arg(result.failed));
    }
  });
}

}  // namespace tessaly
