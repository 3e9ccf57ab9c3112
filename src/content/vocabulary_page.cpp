#include "content/vocabulary_page.h"

#include <QButtonGroup>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "content/vocabulary.h"
#include "gui/controls.h"
#include "gui/line_list.h"
#include "gui/worker_task.h"

namespace tessaly {
namespace {

// Streams the run's output into the page's controls through the job's bridge.
class PageSink : public VocabularySink {
 public:
  PageSink(Bridge& bridge, LineBox* output, QProgressBar* progress)
      : bridge_(bridge), output_(output), progress_(progress) {}

  void begin_block(int maximum, int position) override {
    // A range of 0 to 0 would turn the bar into a busy indicator; an empty block shows it empty.
    bridge_.set_progress_range(progress_, 0, std::max(maximum, 1));
    bridge_.set_progress(progress_, position);
  }
  void line(std::string_view gbk_line) override { bridge_.append(output_, gbk_line); }
  void progress(int position) override { bridge_.set_progress(progress_, position); }

 private:
  Bridge& bridge_;
  LineBox* output_;
  QProgressBar* progress_;
};

}  // namespace

QString default_place_names() {
  QString text = data_text("place_names.txt");
  // The file ends with a line break; the box's last item has none.
  while (text.endsWith(QChar(u'\n')) || text.endsWith(QChar(u'\r'))) text.chop(1);
  return text;
}

VocabularyPage::VocabularyPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("VocabularyPage"));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* frame = make_group(this, "分组框10", {});
  outer->addWidget(frame);

  provinces_ = make_list_box(nullptr, "编辑框34省", data_text("samples/provinces.txt"));
  cities_ = make_list_box(nullptr, "编辑框2393城市", default_place_names());
  middles_ = make_list_box(nullptr, "编辑框中间词汇", data_text("samples/vocabulary_middles.txt"));
  endings_ = make_list_box(nullptr, "编辑框结尾词汇", data_text("samples/vocabulary_endings.txt"));
  output_ = make_list_box(nullptr, "编辑框生成词汇");

  use_provinces_ = make_check(nullptr, "选择框34个省", QStringLiteral("选中34个省"), true);
  use_cities_ = make_check(nullptr, "选择框2393个城市", QStringLiteral("选中2393个城市"), false);
  use_middles_ = make_check(nullptr, "选择框中间词汇", QStringLiteral("选中中间词汇"), true);
  use_endings_ = make_check(nullptr, "选择框结尾词汇", QStringLiteral("选中结尾词汇"), true);

  auto* copy = make_button(nullptr, "按钮词汇复制", QStringLiteral("复制"));
  auto* clear = make_button(nullptr, "按钮词汇清空", QStringLiteral("清空"));
  auto* output_buttons = new QWidget;
  auto* ob = new QHBoxLayout(output_buttons);
  ob->setContentsMargins(0, 0, 0, 0);
  ob->addStretch();
  ob->addWidget(copy);
  ob->addWidget(clear);

  auto* lists = new QHBoxLayout;
  lists->setSpacing(6);
  lists->addWidget(framed(frame, QStringLiteral("全国34个省"), provinces_, use_provinces_), 2);
  lists->addWidget(framed(frame, QStringLiteral("全国2393（省+县）"), cities_, use_cities_), 3);
  lists->addWidget(framed(frame, QStringLiteral("中间词汇"), middles_, use_middles_), 2);
  lists->addWidget(framed(frame, QStringLiteral("结尾词汇"), endings_, use_endings_), 2);
  lists->addWidget(framed(frame, QStringLiteral("生成词汇"), output_, output_buttons), 4);

  random_mode_ = make_radio(frame, "单选框随机生成模式", QStringLiteral("随机生成模式"), false);
  all_mode_ = make_radio(frame, "单选框全部生成模式", QStringLiteral("全部生成模式"), true);
  auto* modes = new QButtonGroup(this);
  modes->addButton(random_mode_);
  modes->addButton(all_mode_);
  count_ = make_line_box(frame, "编辑框生成个数", QStringLiteral("1000"));
  count_->setFixedWidth(70);
  auto* unit = make_label(frame, "标签个", QStringLiteral("个"));
  progress_ = make_progress(frame, "进度条1");
  progress_->setValue(0);
  start_ = make_button(frame, "按钮开始生成", QStringLiteral("开始生成"));
  start_->setMinimumWidth(96);

  auto* controls = new QHBoxLayout;
  controls->setSpacing(8);
  controls->addWidget(random_mode_);
  controls->addWidget(count_);
  controls->addWidget(unit);
  controls->addSpacing(12);
  controls->addWidget(all_mode_);
  controls->addSpacing(12);
  controls->addWidget(progress_, 1);
  controls->addWidget(start_);

  auto* frame_layout = new QVBoxLayout(frame);
  frame_layout->setContentsMargins(6, 6, 6, 6);
  frame_layout->addLayout(lists, 1);
  frame_layout->addLayout(controls);

  task_ = new WorkerTask(this);
  task_->set_start_button(start_, QStringLiteral("开始生成"), QStringLiteral("停止生成"));
  task_->keep_stop_wording_until_clicked(true);  // a finished run keeps "停止生成" until clicked
  connect(start_, &QPushButton::clicked, this, [this] { toggle_vocabulary_generation(); });
  bind_copy_button(copy, output_, QStringLiteral("复制成功"));
  bind_clear_button(clear, output_);
}

void VocabularyPage::toggle_vocabulary_generation() {
  // The lists and switches are read as the run starts; the worker gets its own copy.
  auto options = std::make_shared<VocabularyOptions>();
  auto read = [this, options] {
    options->provinces = split_lines(box_text(provinces_));
    options->cities = split_lines(box_text(cities_));
    options->middles = split_lines(box_text(middles_));
    options->endings = split_lines(box_text(endings_));
    options->use_provinces = use_provinces_->isChecked();
    options->use_cities = use_cities_->isChecked();
    options->use_middles = use_middles_->isChecked();
    options->use_endings = use_endings_->isChecked();
    options->random_mode = random_mode_->isChecked();
    options->random_count = to_int(box_text(count_));
    options->progress_position = progress_->value() < 0 ? 0 : progress_->value();
  };
  LineBox* output = output_;
  QProgressBar* progress = progress_;
  task_->toggle(read, [options, output, progress](Bridge& bridge) {
    PageSink sink(bridge, output, progress);
    generate_vocabulary(*options, sink);
    bridge.message_box(QStringLiteral("生成完毕"));
  });
}

}  // namespace tessaly
