#include "research/word_tools_window.h"

#include <QGridLayout>
#include <QVBoxLayout>

#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/line_list.h"
#include "gui/worker_task.h"
#include "research/word_tools.h"

namespace tessaly {
namespace {}  // namespace

WordToolsWindow::WordToolsWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  text_ = make_list_box(this, "编辑框1", data_text("samples/word_tools.txt"));
  text_->set_wrap(true);
  filter_ = make_button(this, "按钮1", QStringLiteral("开始过滤"));
  split_ = make_button(this, "按钮2", QStringLiteral("开始分割"));
  translate_ = make_button(this, "按钮3", QStringLiteral("开始翻译"));
  auto* busy = make_progress(this, "图片框1");
  busy->setRange(0, 0);  // an endless busy animation
  busy->setTextVisible(false);
  busy->setMaximumHeight(12);
  busy->hide();
  busy_ = busy;

  auto* steps = new QVBoxLayout;
  const std::pair<const char*, const char*> labels[] = {
      {"标签1", "↓第一步"}, {"标签2", "↓第二步"}, {"标签3", "↓第三步"}};
  QPushButton* buttons[] = {filter_, split_, translate_};
  for (int i = 0; i < 3; ++i) {
    steps->addWidget(make_label(this, labels[i].first, utf8(labels[i].second)));
    buttons[i]->setMinimumHeight(30);
    steps->addWidget(buttons[i]);
    steps->addSpacing(18);
  }
  steps->addWidget(busy);
  steps->addStretch(1);
  auto* layout = new QGridLayout(this);
  layout->addWidget(text_, 0, 0);
  layout->addLayout(steps, 0, 1);
  layout->setColumnStretch(0, 1);

  split_task_ = new WorkerTask(this);
  split_task_->set_start_button(split_, QStringLiteral("开始分割"), QStringLiteral("停止分割"));
  split_task_->disable_while_active({filter_, translate_});
  translate_task_ = new WorkerTask(this);
  translate_task_->disable_while_active({filter_, split_, translate_});
  // The box is the work of both jobs: it takes no typing while either writes it.
  for (WorkerTask* task : {split_task_, translate_task_}) {
    connect(task, &WorkerTask::state_changed, this, [this] {
      text_->setReadOnly(split_task_->active() || translate_task_->active());
      busy_->setVisible(translate_task_->active());
    });
  }
  connect(filter_, &QPushButton::clicked, this, [this] { filter_punctuation(); });
  connect(split_, &QPushButton::clicked, this, [this] { toggle_split(); });
  connect(translate_, &QPushButton::clicked, this, [this] { translate_lines(); });
}

void WordToolsWindow::filter_punctuation() {
  set_box_text(text_, tessaly::filter_punctuation(box_text(text_)));
  split_->setEnabled(true);
}

void WordToolsWindow::toggle_split() {
  if (split_task_->shows_stop_wording()) {
    split_task_->stop();  // what was written so far stays
    return;
  }
  LineBox* box = text_;
  split_task_->start([text = box_text(box), box](Bridge& bridge) {
    bridge.set_text(box, {});
    LineOutput out(box_writer(bridge, box));
    split_characters(text, out);
    out.flush();
  });
}

void WordToolsWindow::translate_lines() {
  if (translate_task_->active()) return;
  LineBox* box = text_;
  translate_task_->start([text = box_text(box), box](Bridge& bridge) {
    TranslationResult result = translate_text(text);
    if (result.ok) {
      bridge.set_text(box, result.lines);
      return;
    }
    // The user's text stays as it was.
    bridge.message_box(QStringLiteral("翻译失败，原文已保留。") + from_gbk(result.reason), kIconError);
  });
}

}  // namespace tessaly
