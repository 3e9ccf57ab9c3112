#include "domains/label_generator_window.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/text/text.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/line_list.h"

namespace tessaly {
namespace {

const QString kStart = QStringLiteral("开始生成");
const QString kStop = QStringLiteral("停止生成");

QGroupBox* list_group(QWidget* parent, const QString& caption, QWidget* box) {
  auto* group = make_group(parent, "", caption);
  auto* layout = new QVBoxLayout(group);
  layout->setContentsMargins(4, 4, 4, 4);
  box->setParent(group);
  layout->addWidget(box);
  return group;
}

}  // namespace

LabelGeneratorWindow::LabelGeneratorWindow(UrlForm form, QWidget* parent)
    : ToolWindow(form == UrlForm::SubDomain ? kSubDomainWindow : kDirectoryWindow, parent), form_(form) {
  auto* layout = new QVBoxLayout(this);
  auto* tabs = new QTabWidget(this);
  tabs->setObjectName(QStringLiteral("高级选择夹1"));
  tabs->addTab(build_random_page(), QStringLiteral("随机二级"));
  tabs->addTab(build_pinyin_page(), QStringLiteral("拼音二级"));
  layout->addWidget(tabs);

  random_task_ = new WorkerTask(this);
  random_task_->set_start_button(random_start_, kStart, kStop);
  pinyin_task_ = new WorkerTask(this);
  pinyin_task_->set_start_button(pinyin_start_, kStart, kStop);
  connect(random_start_, &QPushButton::clicked, this, &LabelGeneratorWindow::random_clicked);
  connect(pinyin_start_, &QPushButton::clicked, this, &LabelGeneratorWindow::pinyin_clicked);
}

QWidget* LabelGeneratorWindow::build_random_page() {
  auto* page = new QWidget;
  domains_ = make_list_box(nullptr, "编辑框顶级域名", from_gbk_lines(sample_domains()));
  output_ = make_list_box(nullptr, "编辑框生成域名");

  auto* settings = make_group(page, "", QStringLiteral("域名设置"));
  count_ = make_line_box(settings, "编辑框域名数量", QStringLiteral("30"));
  affix_ = make_line_box(settings, "编辑框前缀");
  length_ = make_line_box(settings, "编辑框长度", QStringLiteral("5"));
  alnum_ = make_radio(settings, "单选框数字字母混合", QStringLiteral("数字字母混合"), true);
  letters_ = make_radio(settings, "单选框纯字母", QStringLiteral("纯字母"), false);
  auto* digits = make_radio(settings, "单选框纯数字", QStringLiteral("纯数字"), false);
  auto* grid = new QGridLayout(settings);
  grid->addWidget(make_label(settings, "", QStringLiteral("域名单个数量")), 0, 0);
  grid->addWidget(count_, 0, 1);
  grid->addWidget(
      make_label(settings, "",
                 form_ == UrlForm::SubDomain ? QStringLiteral("域名前缀") : QStringLiteral("目录后缀")),
      1, 0);
  grid->addWidget(affix_, 1, 1);
  grid->addWidget(make_label(settings, "", QStringLiteral("域名长度")), 2, 0);
  grid->addWidget(length_, 2, 1);
  auto* kinds = new QHBoxLayout;
  kinds->addWidget(alnum_);
  kinds->addWidget(letters_);
  kinds->addWidget(digits);
  grid->addLayout(kinds, 3, 0, 1, 2);

  auto* modes = make_group(page, "", QStringLiteral("模式设置"));
  sequential_ = make_radio(modes, "单选框顺序生成模式", QStringLiteral("顺序生成模式"), true);
  auto* mixed = make_radio(modes, "单选框混合生成模式", QStringLiteral("混合生成模式"), false);
  auto* mode_layout = new QVBoxLayout(modes);
  mode_layout->addWidget(sequential_);
  mode_layout->addWidget(mixed);
  random_start_ = make_button(modes, "按钮开始生成", kStart);
  random_start_->setMinimumHeight(30);
  mode_layout->addStretch();
  mode_layout->addWidget(random_start_);

  auto* lists = new QHBoxLayout;
  lists->addWidget(list_group(page, QStringLiteral("顶级域名列表"), domains_), 2);
  lists->addWidget(list_group(page, QStringLiteral("生成的域名"), output_), 3);
  auto* controls = new QHBoxLayout;
  controls->addWidget(settings, 3);
  controls->addWidget(modes, 2);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(lists, 1);
  layout->addLayout(controls);
  return page;
}

QWidget* LabelGeneratorWindow::build_pinyin_page() {
  auto* page = new QWidget;
  QStringList keywords;
  for (const auto& k : default_pinyin_keywords()) keywords << from_gbk(k);
  keywords_ = make_list_box(nullptr, "编辑框1", keywords.join(QChar(u'\n')));
  pinyin_domains_ = make_list_box(nullptr, "编辑框2", from_gbk_lines(sample_domains()));
  pinyin_output_ = make_list_box(nullptr, "编辑框3");

  auto* modes = make_group(page, "", QStringLiteral("生成模式设置"));
  auto* initials = make_radio(modes, "单选框1", QStringLiteral("首拼模式"), false);
  full_pinyin_ = make_radio(modes, "单选框2", QStringLiteral("全拼模式"), false);
  pinyin_sequential_ = make_radio(modes, "单选框3", QStringLiteral("顺序模式"), false);
  auto* mixed = make_radio(modes, "单选框4", QStringLiteral("混合模式"), false);
  // Two choices in one group box: each pair excludes only its partner (grouped before the
  // defaults are set, or the box's own exclusivity would clear the first).
  auto* label_group = new QButtonGroup(modes);
  label_group->addButton(initials);
  label_group->addButton(full_pinyin_);
  auto* mode_group = new QButtonGroup(modes);
  mode_group->addButton(pinyin_sequential_);
  mode_group->addButton(mixed);
  initials->setChecked(true);
  pinyin_sequential_->setChecked(true);
  auto* grid = new QGridLayout(modes);
  grid->addWidget(initials, 0, 0);
  grid->addWidget(full_pinyin_, 0, 1);
  grid->addWidget(pinyin_sequential_, 1, 0);
  grid->addWidget(mixed, 1, 1);
  pinyin_start_ = make_button(page, "按钮1", kStart);
  pinyin_start_->setMinimumSize(110, 40);

  auto* lists = new QHBoxLayout;
  lists->addWidget(list_group(page, QStringLiteral("关键词"), keywords_), 2);
  lists->addWidget(list_group(page, QStringLiteral("顶级域名列表"), pinyin_domains_), 2);
  lists->addWidget(list_group(page, QStringLiteral("生成域名列表"), pinyin_output_), 3);
  auto* controls = new QHBoxLayout;
  controls->addWidget(modes, 1);
  controls->addWidget(pinyin_start_);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(lists, 1);
  layout->addLayout(controls);
  return page;
}

void LabelGeneratorWindow::random_clicked() {
  RandomLabelOptions o;
  if (!random_task_->shows_stop_wording()) {
    o.domains = box_lines(domains_);
    o.count = to_int(box_text(count_));
    o.length = to_int(box_text(length_));
    o.affix = box_text(affix_);
    o.kind = alnum_->isChecked()     ? LabelKind::LettersAndDigits
             : letters_->isChecked() ? LabelKind::Letters
                                     : LabelKind::Digits;
    o.mode = sequential_->isChecked() ? GenerationMode::Sequential : GenerationMode::Mixed;
    o.form = form_;
  }
  QWidget* output = output_;
  random_task_->toggle([output] { set_box_text(output, {}); },
                       [o = std::move(o), output](Bridge& bridge) {
                         LineOutput out(box_writer(bridge, output));
                         generate_random_labels(o, out);
                         out.flush();
                       });
}

void LabelGeneratorWindow::pinyin_clicked() {
  PinyinLabelOptions o;
  if (!pinyin_task_->shows_stop_wording()) {
    o.keywords = box_lines(keywords_);
    o.domains = box_lines(pinyin_domains_);
    o.full_pinyin = full_pinyin_->isChecked();
    o.mode = pinyin_sequential_->isChecked() ? GenerationMode::Sequential : GenerationMode::Mixed;
    o.form = form_;
  }
  QWidget* output = pinyin_output_;
  pinyin_task_->toggle(nullptr, [o = std::move(o), output](Bridge& bridge) {
    LineOutput out(box_writer(bridge, output));
    generate_pinyin_labels(o, out);
    out.flush();
  });
  // Every click empties the output, on start and on stop alike; after a stop, so that nothing
  // the stopped run had queued lands behind it.
  set_box_text(output, {});
}

}  // namespace tessaly
