#include "content/conversions_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "gui/controls.h"
#include "gui/worker_task.h"

namespace tessaly {
ConversionsPage::ConversionsPage(QWidget* parent) : QWidget(parent), task_(new WorkerTask(this)) {
  setObjectName(QStringLiteral("ConversionsPage"));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* frame = make_group(this, "分组框27", {});
  outer->addWidget(frame);

  input_ = make_list_box(nullptr, "编辑框需要转换的", data_text("samples/conversions.txt"));
  output_ = make_list_box(nullptr, "编辑框转换的结果");

  struct ButtonDef {
    const char* name;
    const char* caption;
    Conversion conversion;
  };
  const ButtonDef defs[] = {
      {"按钮全角转半角", "全角转半角", Conversion::ToHalfWidth},
      {"按钮半角转全角", "半角转全角", Conversion::ToFullWidth},
      {"按钮繁转简", "繁转简", Conversion::ToSimplified},
      {"按钮转繁体", "简转繁", Conversion::ToTraditional},
      {"按钮转大写", "转大写", Conversion::ToUpper},
      {"按钮转小写", "转小写", Conversion::ToLower},
  };
  auto* buttons = new QGridLayout;
  buttons->setSpacing(8);
  int k = 0;
  for (const ButtonDef& d : defs) {
    QPushButton* b = make_button(frame, d.name, QString::fromUtf8(d.caption));
    b->setMinimumHeight(30);
    const Conversion conversion = d.conversion;
    connect(b, &QPushButton::clicked, this, [this, conversion] { convert(conversion); });
    buttons->addWidget(b, k / 2, k % 2);
    ++k;
  }
  buttons->setRowStretch(3, 1);

  auto* row = new QHBoxLayout(frame);
  row->addWidget(framed(frame, QStringLiteral("输入你需要转载的字体"), input_), 1);
  row->addLayout(buttons);
  row->addWidget(framed(frame, QStringLiteral("转换的结果"), output_), 1);
}

void ConversionsPage::convert(Conversion conversion) {
  // A new conversion replaces one still running: the earlier one writes no more.
  std::string text = box_text(input_);
  set_box_text(output_, {});
  LineBox* output = output_;
  task_->restart([text = std::move(text), conversion, output](Bridge& bridge) {
    // Converting is quick; showing a long result is what costs, so the result box gets the
    // whole text at once, its rows indexed on this worker.
    bridge.set_text(output, convert_text(text, conversion));
  });
}

bool ConversionsPage::converting() const { return task_->active(); }

}  // namespace tessaly
