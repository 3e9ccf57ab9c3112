#include "dns/dns_batch_page.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/text/charset.h"
#include "gui/bridge.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/line_list.h"
#include "gui/report_list.h"
#include "gui/tool_window.h"
#include "gui/worker_task.h"

namespace tessaly {
namespace {

const QString kStartWording = QStringLiteral("开始添加");
const QString kStopWording = QStringLiteral("停止添加");
const QString kPauseWording = QStringLiteral("暂停添加");
const QString kResumeWording = QStringLiteral("继续添加");

void show_message(const DnsMessage& message) { message_box(message.text, message.flags, message.caption); }

using RecordBoxes = std::array<std::pair<DnsRecord, QCheckBox*>, 3>;

RecordTicks ticks_of(const RecordBoxes& boxes) {
  RecordTicks ticks;
  for (auto [record, box] : boxes) ticks.set(record, box->isChecked());
  return ticks;
}

// The batch list and the record and delay boxes as the worker sees them: every read and write
// crosses to the window thread.
class PageSink : public DnsBatchSink {
 public:
  PageSink(Bridge& bridge, ReportList* list, RecordBoxes boxes, QLineEdit* delay)
      : bridge_(bridge), list_(list), boxes_(boxes), delay_(delay) {}

  int row_count() override {
    return bridge_.call([list = list_] { return list->lv_row_count(); });
  }
  DomainIpPair row(int r) override {
    return bridge_.call([list = list_, r] {
      return DomainIpPair{list->lv_get_cell(r, 1), list->lv_get_cell(r, 2)};
    });
  }
  void set_status(int r, const Text& status) override { bridge_.set_cell(list_, r, 3, status); }
  void set_time(int r, const Text& time) override { bridge_.set_cell(list_, r, 4, time); }
  void show_row(int r) override {
    bridge_.post([list = list_, r] { list->lv_ensure_visible(r); });
  }
  void row_done(int, ItemOutcome outcome) override { counts_.add(outcome); }
  const OutcomeCounts& counts() const { return counts_; }
  RecordTicks ticks() override {
    return bridge_.call([boxes = boxes_] { return ticks_of(boxes); });
  }
  int delay_seconds() override {
    if (!delay_) return 0;
    return bridge_.call([delay = delay_] { return to_int(box_text(delay)); });
  }

 private:
  Bridge& bridge_;
  ReportList* list_;
  RecordBoxes boxes_;
  QLineEdit* delay_;
  OutcomeCounts counts_;
};

}  // namespace

DnsBatchPage::DnsBatchPage(DnsBatchPageSetup setup, QWidget* parent)
    : QWidget(parent), setup_(std::move(setup)) {
  build();
}

void DnsBatchPage::build() {
  auto* frame = make_group(this, setup_.frame, {});

  // Login block.
  auto* login_group = make_group(frame, "", setup_.login_group);
  email_ = make_line_box(login_group, setup_.email_box);
  password_ = make_line_box(login_group, setup_.password_box);
  password_->setEchoMode(QLineEdit::Password);
  login_button_ = make_button(login_group, setup_.login_button, QStringLiteral("登录"));
  auto* logout_button = make_button(login_group, setup_.logout_button, QStringLiteral("注销"));
  auto* login_row = new QHBoxLayout(login_group);
  login_row->addWidget(make_label(login_group, "", setup_.email_label));
  login_row->addWidget(email_, 2);
  login_row->addWidget(make_label(login_group, "", setup_.password_label));
  login_row->addWidget(password_, 1);
  login_row->addWidget(login_button_);
  login_row->addWidget(logout_button);

  // Domain and IP boxes with their live counts, and the import under them.
  auto* domain_group = make_group(frame, "", QStringLiteral("域名框一行一个"));
  domains_ =
      make_counted_list(domain_group, setup_.domain_box, setup_.domain_count, setup_.domain_count_label);
  auto* ip_group = make_group(frame, "", QStringLiteral("IP框一行一个"));
  ips_ = make_counted_list(ip_group, setup_.ip_box, setup_.ip_count, setup_.ip_count_label);
  auto* import_button = make_button(frame, setup_.import_button, QStringLiteral("导入域名和IP"));
  auto* hint = new QVBoxLayout;
  hint->setSpacing(0);
  hint->addWidget(make_label(frame, "", QStringLiteral("请保持域名框和IP框")));
  hint->addWidget(make_label(frame, "", setup_.hint_end));
  auto* import_row = new QHBoxLayout;
  import_row->addLayout(hint);
  import_row->addStretch();
  import_row->addWidget(import_button);
  auto* boxes = new QHBoxLayout;
  boxes->addWidget(domain_group, 3);
  boxes->addWidget(ip_group, 2);
  auto* left = new QVBoxLayout;
  left->addLayout(boxes, 1);
  left->addLayout(import_row);

  // The batch list.
  list_ = make_report_list(frame, setup_.list,
                           {{setup_.id_title, 30},
                            {QStringLiteral("域名列表"), 100},
                            {QStringLiteral("IP列表"), 100},
                            {QStringLiteral("添加状态"), 150},
                            {QStringLiteral("添加时间"), 150}});
  auto* clear_button = make_button(frame, setup_.clear_button, QStringLiteral("清除列表"));
  auto* right = new QVBoxLayout;
  right->addWidget(list_, 1);
  auto* list_buttons = new QHBoxLayout;
  list_buttons->addStretch();
  list_buttons->addWidget(clear_button);
  right->addLayout(list_buttons);
  auto* middle = new QHBoxLayout;
  middle->addLayout(left, 2);
  middle->addLayout(right, 3);

  // Record choices, the delay where the service has one, and the run buttons.
  auto* ticks = make_group(frame, "", QStringLiteral("解析记录勾选"));
  auto* ticks_layout = new QHBoxLayout(ticks);
  for (size_t i = 0; i < record_boxes_.size(); ++i) {
    const DnsRecordBox& box = setup_.record_boxes[i];
    record_boxes_[i] = {box.record, make_check(ticks, box.name, box.caption, true)};
    ticks_layout->addWidget(record_boxes_[i].second);
  }
  auto* start = make_button(frame, setup_.start_button, kStartWording);
  auto* pause = make_button(frame, setup_.pause_button, kPauseWording);
  auto* manage = make_button(frame, setup_.manager_button, setup_.manager_caption);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(ticks);
  if (setup_.delay_box) {
    delay_ = make_line_box(frame, setup_.delay_box);
    delay_->setMaximumWidth(50);
    bottom->addWidget(make_label(frame, "", QStringLiteral("延迟：")));
    bottom->addWidget(delay_);
    bottom->addWidget(make_label(frame, "", QStringLiteral("秒")));
  }
  bottom->addStretch();
  bottom->addWidget(start);
  bottom->addWidget(pause);
  bottom->addWidget(manage);

  auto* frame_layout = new QVBoxLayout(frame);
  frame_layout->addWidget(login_group);
  frame_layout->addLayout(middle, 1);
  frame_layout->addLayout(bottom);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(frame);

  // The batch's task comes first among the page's tasks.
  task_ = new WorkerTask(this);
  task_->set_start_button(start, kStartWording, kStopWording);
  task_->set_pause_button(pause, kPauseWording, kResumeWording);
  // Import and clear are refused while a batch runs: the worker reads rows by position.
  task_->disable_while_active({import_button, clear_button});
  login_task_ = new WorkerTask(this);

  connect(login_button_, &QPushButton::clicked, this, &DnsBatchPage::login);
  connect(logout_button, &QPushButton::clicked, this, &DnsBatchPage::logout);
  connect(import_button, &QPushButton::clicked, this, &DnsBatchPage::import_pairs);
  connect(clear_button, &QPushButton::clicked, list_, &ReportList::lv_clear);
  connect(start, &QPushButton::clicked, this, &DnsBatchPage::toggle_batch);
  connect(pause, &QPushButton::clicked, task_, &WorkerTask::toggle_pause);
  connect(manage, &QPushButton::clicked, this, &DnsBatchPage::open_manager);
}

void DnsBatchPage::login() {
  // The requests run off the window thread; a second press while they run is ignored.
  if (login_task_->active()) return;
  // An empty e-mail or password is not sent: the console would only answer with a failure.
  for (QLineEdit* box : {email_, password_}) {
    if (box->text().trimmed().isEmpty()) {
      show_message(setup_.login_incomplete);
      box->setFocus();
      return;
    }
  }
  std::string email = box_text(email_), password = box_text(password_);
  login_task_->start([this, console = setup_.console, email, password](Bridge& bridge) {
    DnsLoginResult result = console->login(email, password);
    bridge.post([this, result] { show_login(result); });
  });
}

void DnsBatchPage::show_login(const DnsLoginResult& login) {
  if (login.result == DnsLogin::Succeeded) {
    lock_login_block(true);
    show_message(setup_.login_succeeded);
    return;
  }
  // A refusal shows the service's failure message; an attempt without a verdict says why.
  DnsMessage failed = setup_.login_failed;
  if (!login.problem.empty()) failed.text += QStringLiteral("\n") + from_gbk(login.problem);
  show_message(failed);
}

void DnsBatchPage::logout() {
  setup_.console->logout();
  message_box(QStringLiteral("注销成功"));
  lock_login_block(false);
}

void DnsBatchPage::lock_login_block(bool locked) {
  // A locked block is the page's logged-in state: the manager opens only then.
  login_button_->setEnabled(!locked);
  email_->setEnabled(!locked);
  password_->setEnabled(!locked);
}

void DnsBatchPage::import_pairs() {
  auto pairs = import_domain_ip_pairs(box_text(domains_), box_text(ips_));
  if (!pairs) {
    message_box(from_gbk(import_count_message()));
    return;
  }
  std::vector<std::string> ids;
  ids.reserve(pairs->size());
  for (size_t i = 0; i < pairs->size(); ++i) ids.push_back(to_text(static_cast<long long>(i + 1)));
  int first = list_->lv_append_rows(ids);
  for (size_t i = 0; i < pairs->size(); ++i) {
    list_->lv_set_cell(first + static_cast<int>(i), 1, (*pairs)[i].domain);
    list_->lv_set_cell(first + static_cast<int>(i), 2, (*pairs)[i].ip);
  }
}

bool DnsBatchPage::passes(DnsStartCheck check) const {
  switch (check) {
    case DnsStartCheck::RowsImported:
      return list_->lv_row_count() > 0;
    case DnsStartCheck::LoggedIn:
      return setup_.console->logged_in();
    case DnsStartCheck::RecordTicked:
      return ticks_of(record_boxes_).any();
  }
  return true;
}

void DnsBatchPage::toggle_batch() {
  // The checks come first, so a failed one refuses a stop as well.
  for (const auto& [check, refusal] : setup_.start_checks) {
    if (!passes(check)) {
      show_message(refusal);
      return;
    }
  }
  if (task_->shows_stop_wording()) {
    // A stop leaves every row with the status of the step that was running.
    task_->stop();
    if (setup_.stopped) show_message(*setup_.stopped);
    return;
  }
  task_->start([console = setup_.console, finished = setup_.finished,
                with_failures = setup_.finished_with_failures, list = list_, boxes = record_boxes_,
                delay = delay_](Bridge& bridge) {
    PageSink sink(bridge, list, boxes, delay);
    console->run_batch(sink);
    const DnsMessage end = sink.counts().failed == 0
                               ? finished
                               : with_failures(sink.counts().failed, console->failure_log_path());
    bridge.message_box(end.text, end.flags, end.caption);
  });
}

void DnsBatchPage::open_manager() {
  if (!login_button_->isEnabled())
    open_tool_window(setup_.manager_window, window());
  else
    show_message(setup_.manager_refused);
}

}  // namespace tessaly
