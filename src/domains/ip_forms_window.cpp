#include "domains/ip_forms_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/http/endpoints.h"
#include "domains/ip_forms.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/line_list.h"

namespace tessaly {
namespace {

const QString kStart = QStringLiteral("开始生成");
const QString kStop = QStringLiteral("停止生成");

}  // namespace

IpFormsWindow::IpFormsWindow(QWidget* parent) : ToolWindow(kWindow, parent) {
  auto* input_group = make_group(this, "", QStringLiteral("输入你的IP一行一个"));
  input_ = make_list_box(input_group, "编辑框1", QStringLiteral("127.0.0.1\n127.0.0.2"));
  (new QVBoxLayout(input_group))->addWidget(input_);
  auto* output_group = make_group(this, "", QStringLiteral("生成的结果"));
  output_ = make_list_box(output_group, "编辑框2");
  (new QVBoxLayout(output_group))->addWidget(output_);

  zeros_ = make_line_box(this, "编辑框3", QStringLiteral("6"));
  zeros_->setMaximumWidth(60);
  two_part_ = make_check(this, "选择框1", QStringLiteral("二段生成"), true);
  three_part_ = make_check(this, "选择框2", QStringLiteral("三段生成"), true);
  lower_case_ = make_check(this, "选择框3", QStringLiteral("转小写"), true);
  start_ = make_button(this, "按钮1", kStart);
  auto* clear = make_button(this, "按钮2", QStringLiteral("清空"));
  auto* copy = make_button(this, "按钮3", QStringLiteral("复制"));

  auto* lists = new QHBoxLayout;
  lists->addWidget(input_group, 2);
  lists->addWidget(output_group, 3);
  auto* options = new QHBoxLayout;
  options->addWidget(make_label(this, "", QStringLiteral("首段0的个数：")));
  options->addWidget(zeros_);
  options->addWidget(two_part_);
  options->addWidget(three_part_);
  options->addWidget(lower_case_);
  options->addStretch();
  options->addWidget(start_);
  options->addWidget(clear);
  options->addWidget(copy);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lists, 1);
  layout->addLayout(options);

  bind_clear_button(clear, input_);
  bind_copy_button(copy, output_, QStringLiteral("恭喜你，复制成功了"), QStringLiteral("友情提示："));
  task_ = new WorkerTask(this);
  task_->set_start_button(start_, kStart, kStop);
  connect(start_, &QPushButton::clicked, this, &IpFormsWindow::start_clicked);
}

void IpFormsWindow::start_clicked() {
  IpFormsOptions o;
  if (!task_->shows_stop_wording()) {
    o.addresses = box_lines(input_);
    o.zeros = to_int(box_text(zeros_));
    o.two_part = two_part_->isChecked();
    o.three_part = three_part_->isChecked();
    o.lower_case = lower_case_->isChecked();
  }
  QWidget* output = output_;
  QString done = QStringLiteral("恭喜你生成完毕，Corvane站群欢迎你的加入-官方网站：") +
                 QString::fromStdString(endpoint_base("PRODUCT_HOME"));
  task_->toggle([output] { set_box_text(output, {}); },
                [o = std::move(o), output, done](Bridge& bridge) {
                  LineOutput out(box_writer(bridge, output));
                  generate_ip_forms(o, out);
                  out.flush();
                  bridge.message_box(done, 0, QStringLiteral("友情提示:"));
                });
}

}  // namespace tessaly
