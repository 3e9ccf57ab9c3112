#include "domains/small_generators_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/text/text.h"
#include "domains/label_generators.h"
#include "domains/small_generators.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/line_list.h"

namespace tessaly {
namespace {

// Runs fn(out) on the run's worker with its lines streamed into box.
template <class Fn>
void run_into(WorkerTask* run, QWidget* box, Fn fn) {
  run->start([box, fn = std::move(fn)](Bridge& bridge) {
    LineOutput out(box_writer(bridge, box));
    fn(out);
    out.flush();
  });
}

}  // namespace

// --- gov生成软件 ---

GovWindow::GovWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  domains_ = make_list_box(this, "编辑框域名框", from_gbk_lines(sample_domains()));
  results_ = make_list_box(this, "编辑框结果框");
  auto* clear_domains = make_button(this, "按钮1", QStringLiteral("清空"));
  auto* clear_results = make_button(this, "按钮2", QStringLiteral("清空"));
  auto* start = make_button(this, "按钮开始生成", QStringLiteral("开始生成"));
  start->setMinimumHeight(30);

  auto* choices = new QWidget(this);  // the four radio buttons exclude each other
  auto* grid = new QGridLayout(choices);
  grid->setContentsMargins(0, 0, 0, 0);
  const char* radio_names[] = {"单选框1", "单选框2", "单选框3", "单选框4"};
  const char* edit_names[] = {"编辑框3", "编辑框4", "编辑框5", "编辑框6"};
  const char* defaults[] = {"gov.cn.", "edu.cn.", "edu.", "gov."};
  for (int i = 0; i < 4; ++i) {
    choices_[i] = make_radio(choices, radio_names[i], QStringLiteral("选中"), i == 0);
    prefixes_[i] = make_line_box(choices, edit_names[i], QString::fromUtf8(defaults[i]));
    grid->addWidget(choices_[i], i / 2, (i % 2) * 2);
    grid->addWidget(prefixes_[i], i / 2, (i % 2) * 2 + 1);
  }

  auto* lists = new QGridLayout;
  lists->addWidget(domains_, 0, 0);
  lists->addWidget(results_, 0, 1);
  lists->addWidget(clear_domains, 1, 0, Qt::AlignRight);
  lists->addWidget(clear_results, 1, 1, Qt::AlignRight);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(make_label(this, "标签1", QStringLiteral("友情提示:勾选框里面的内容可以自己编辑。")), 1);
  bottom->addWidget(start);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lists, 1);
  layout->addWidget(choices);
  layout->addLayout(bottom);

  bind_clear_button(clear_domains, domains_);
  bind_clear_button(clear_results, results_);
  run_ = new WorkerTask(this);
  run_->disable_while_active({start});
  connect(start, &QPushButton::clicked, this, &GovWindow::generate);
}

void GovWindow::generate() {
  int chosen = -1;
  for (int i = 0; i < 4; ++i)
    if (choices_[i]->isChecked()) chosen = i;
  if (chosen < 0) return;
  // The results accumulate: the output box is not emptied first.
  run_into(run_, results_,
           [domains = box_lines(domains_), prefix = box_text(prefixes_[chosen])](LineOutput& out) {
             prefixed_lines(domains, prefix, out);
           });
}

// --- 域名批量加www ---

WwwWindow::WwwWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  auto* frame = make_group(this, "", QStringLiteral("域名综合软件"));
  list_ = make_list_box(frame, "编辑框5");
  count_ = make_line_box(frame, "编辑框6");
  count_->setMaximumWidth(90);

  auto* url_group = make_group(frame, "", QStringLiteral("加http://www或http://"));
  add_www_ = make_check(url_group, "选择框1", QStringLiteral("是否加www"), true);
  add_slash_ = make_check(url_group, "选择框2", QStringLiteral("是否加后面的/"), true);
  auto* url_start = make_button(url_group, "按钮3", QStringLiteral("开始加"));
  auto* url_layout = new QHBoxLayout(url_group);
  url_layout->addWidget(add_www_);
  url_layout->addWidget(add_slash_);
  url_layout->addStretch();
  url_layout->addWidget(url_start);

  auto* link_group = make_group(frame, "", QStringLiteral("加www和链接生成"));
  www_only_ = make_check(link_group, "选择框3", QStringLiteral("只加www"), true);
  links_ = make_check(link_group, "选择框4", QStringLiteral("批量链接"), false);
  auto* link_start = make_button(link_group, "按钮5", QStringLiteral("开始加"));
  auto* link_layout = new QHBoxLayout(link_group);
  link_layout->addWidget(www_only_);
  link_layout->addWidget(links_);
  link_layout->addStretch();
  link_layout->addWidget(link_start);

  auto* clear = make_button(frame, "按钮6", QStringLiteral("清空"));
  auto* count_row = new QHBoxLayout;
  count_row->addWidget(make_label(frame, "", QStringLiteral("获取域名的个数：")));
  count_row->addWidget(count_);
  count_row->addStretch();
  count_row->addWidget(clear);

  auto* frame_layout = new QVBoxLayout(frame);
  frame_layout->addWidget(list_, 1);
  frame_layout->addLayout(count_row);
  frame_layout->addWidget(url_group);
  frame_layout->addWidget(link_group);
  (new QVBoxLayout(this))->addWidget(frame);

  bind_clear_button(clear, list_);
  run_ = new WorkerTask(this);
  run_->disable_while_active({url_start, link_start});
  connect(url_start, &QPushButton::clicked, this, &WwwWindow::url_forms);
  connect(link_start, &QPushButton::clicked, this, &WwwWindow::www_or_links);
}

TextList WwwWindow::take_list() {
  // Only called while no run is writing into the list (the buttons are disabled during one).
  TextList lines = box_lines(list_);
  count_->setText(QString::number(lines.size()));
  set_box_text(list_, {});
  return lines;
}

void WwwWindow::url_forms() {
  if (run_->active()) return;
  run_into(run_, list_,
           [lines = take_list(), www = add_www_->isChecked(),
            slash = add_slash_->isChecked()](LineOutput& out) { url_form_lines(lines, www, slash, out); });
}

void WwwWindow::www_or_links() {
  if (run_->active()) return;
  run_into(run_, list_,
           [lines = take_list(), links = links_->isChecked(), www = www_only_->isChecked()](LineOutput& out) {
             www_or_link_lines(lines, links, www, out);
           });
}

// --- 域名加后缀 ---

SuffixWindow::SuffixWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  list_ = make_list_box(this, "编辑框域名", from_gbk_lines(default_suffix_samples()));

  auto* add_group = make_group(this, "", QStringLiteral("域名批量加后缀"));
  first_ = make_radio(add_group, "单选框1", QStringLiteral("勾选"), true);
  suffix1_ = make_line_box(add_group, "编辑框2", QStringLiteral(".com"));
  auto* second = make_radio(add_group, "单选框2", QStringLiteral("勾选"), false);
  suffix2_ = make_line_box(add_group, "编辑框3", QStringLiteral(".pw"));
  auto* add = make_button(add_group, "按钮开始加", QStringLiteral("开始加"));
  auto* add_layout = new QGridLayout(add_group);
  add_layout->addWidget(first_, 0, 0);
  add_layout->addWidget(suffix1_, 0, 1);
  add_layout->addWidget(second, 1, 0);
  add_layout->addWidget(suffix2_, 1, 1);
  add_layout->addWidget(add, 2, 0, 1, 2);

  auto* cut_group = make_group(this, "", QStringLiteral("取前面的一部分"));
  separator_ = make_line_box(cut_group, "编辑框分割", QStringLiteral("."));
  auto* cut = make_button(cut_group, "按钮开始取", QStringLiteral("开始取"));
  auto* cut_layout = new QGridLayout(cut_group);
  cut_layout->addWidget(make_label(cut_group, "", QStringLiteral("分割的标签")), 0, 0);
  cut_layout->addWidget(separator_, 0, 1);
  cut_layout->addWidget(cut, 1, 0, 1, 2);

  auto* clear = make_button(this, "按钮清空", QStringLiteral("清空"));
  auto* side = new QVBoxLayout;
  side->addWidget(add_group);
  side->addWidget(cut_group);
  side->addStretch();
  side->addWidget(clear);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(side);

  bind_clear_button(clear, list_);
  run_ = new WorkerTask(this);
  run_->disable_while_active({add, cut});
  connect(add, &QPushButton::clicked, this, &SuffixWindow::add_suffix);
  connect(cut, &QPushButton::clicked, this, &SuffixWindow::cut);
}

void SuffixWindow::add_suffix() {
  if (run_->active()) return;
  std::string suffix = box_text(first_->isChecked() ? suffix1_ : suffix2_);
  TextList items = box_lines(list_);
  set_box_text(list_, {});
  run_into(run_, list_, [items = std::move(items), suffix = std::move(suffix)](LineOutput& out) {
    suffixed_lines(items, suffix, out);
  });
}

void SuffixWindow::cut() {
  if (run_->active()) return;
  std::string separator = box_text(separator_);
  if (separator.empty()) {
    // Nothing to cut at: the list stays as it is.
    message_box(QStringLiteral("请先填写分割的标签！"));
    return;
  }
  std::string text = box_text(list_);
  set_box_text(list_, {});
  run_into(run_, list_, [text = std::move(text), separator = std::move(separator)](LineOutput& out) {
    cut_before_lines(text, separator, out);
  });
}

// --- 258IP一键生成 ---

IpRunWindow::IpRunWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  prefix_ = make_line_box(this, "编辑框8", QStringLiteral("127.0.0."));
  first_ = make_line_box(this, "编辑框9", QStringLiteral("1"));
  last_ = make_line_box(this, "编辑框10", QStringLiteral("258"));
  output_ = make_list_box(this, "编辑框7");
  start_ = make_button(this, "按钮4", QStringLiteral("开始生成"));
  auto* clear = make_button(this, "按钮1", QStringLiteral("清空"));

  auto* fields = new QGridLayout;
  fields->addWidget(make_label(this, "", QStringLiteral("前缀")), 0, 0);
  fields->addWidget(prefix_, 0, 1, 1, 3);
  fields->addWidget(make_label(this, "", QStringLiteral("IP首")), 1, 0);
  fields->addWidget(first_, 1, 1);
  auto* dash = make_label(this, "", QStringLiteral("-"));
  fields->addWidget(dash, 1, 2);
  auto* last_row = new QHBoxLayout;
  last_row->addWidget(make_label(this, "", QStringLiteral("IP尾")));
  last_row->addWidget(last_);
  fields->addLayout(last_row, 1, 3);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(start_);
  buttons->addWidget(clear);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(output_, 1);
  layout->addLayout(buttons);

  bind_clear_button(clear, output_);
  // A run of millions of numbers can be stopped with the same button.
  task_ = new WorkerTask(this);
  task_->set_start_button(start_, QStringLiteral("开始生成"), QStringLiteral("停止生成"));
  connect(start_, &QPushButton::clicked, this, &IpRunWindow::generate);
}

void IpRunWindow::generate() {
  QWidget* output = output_;
  task_->toggle(
      [output] { set_box_text(output, {}); },
      [output, prefix = box_text(prefix_), first = box_text(first_), last = box_text(last_)](Bridge& bridge) {
        LineOutput out(box_writer(bridge, output));
        ip_run_lines(prefix, first, last, out);
        out.flush();
      });
}

// --- 外推规则生成 ---

OutreachRulesWindow::OutreachRulesWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  rules_ = make_list_box(this, "编辑框1", from_gbk_lines(default_outreach_rules_text()));
  link_text_ = make_line_box(this, "编辑框3", from_gbk(default_link_text()));
  auto* convert = make_button(this, "按钮1", QStringLiteral("转链接"));
  output_ = make_list_box(this, "编辑框2");
  auto* copy = make_button(this, "按钮2", QStringLiteral("复制"));

  auto* row = new QHBoxLayout;
  row->addWidget(make_label(this, "", QStringLiteral("关键词：")));
  row->addWidget(link_text_, 1);
  row->addWidget(convert);
  row->addWidget(copy);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(rules_, 1);
  layout->addLayout(row);
  layout->addWidget(output_, 1);

  bind_copy_button(copy, output_, QStringLiteral("复制成功"), QStringLiteral("友情提示："), kIconInformation);
  run_ = new WorkerTask(this);
  run_->disable_while_active({convert});
  connect(convert, &QPushButton::clicked, this, &OutreachRulesWindow::to_links);
}

void OutreachRulesWindow::to_links() {
  // The output is not emptied first: repeated runs accumulate.
  run_into(run_, output_, [rules = box_lines(rules_), text = box_text(link_text_)](LineOutput& out) {
    rule_link_lines(rules, text, out);
  });
}

}  // namespace tessaly
