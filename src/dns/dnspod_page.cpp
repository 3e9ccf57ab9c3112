#include "dns/dnspod_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/http/endpoints.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "dns/dnspod_client.h"
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

// The batch list as the worker sees it: every read and write crosses to the window thread.
class PageSink : public DnspodBatchSink {
 public:
  PageSink(Bridge& bridge, ReportList* list, QCheckBox* at, QCheckBox* www, QCheckBox* star, QLineEdit* delay)
      : bridge_(bridge), list_(list), at_(at), www_(www), star_(star), delay_(delay) {}

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
  RecordTicks ticks() override {
    return bridge_.call([this] {
      return RecordTicks{at_->isChecked(), www_->isChecked(), star_->isChecked()};
    });
  }
  int delay_seconds() override {
    return bridge_.call([delay = delay_] { return to_int(box_text(delay)); });
  }

 private:
  Bridge& bridge_;
  ReportList* list_;
  QCheckBox* at_;
  QCheckBox* www_;
  QCheckBox* star_;
  QLineEdit* delay_;
};

}  // namespace

void import_pairs_into(ReportList* list, QPlainTextEdit* domain_box, QPlainTextEdit* ip_box) {
  auto pairs = import_domain_ip_pairs(box_text(domain_box), box_text(ip_box));
  if (!pairs) {
    message_box(from_gbk(import_count_message()));
    return;
  }
  std::vector<std::string> ids;
  ids.reserve(pairs->size());
  for (size_t i = 0; i < pairs->size(); ++i) ids.push_back(to_text(static_cast<long long>(i + 1)));
  int first = list->lv_append_rows(ids);
  for (size_t i = 0; i < pairs->size(); ++i) {
    list->lv_set_cell(first + static_cast<int>(i), 1, (*pairs)[i].domain);
    list->lv_set_cell(first + static_cast<int>(i), 2, (*pairs)[i].ip);
  }
}

DnspodPage::DnspodPage(QWidget* parent) : QWidget(parent) {
  auto* frame = make_group(this, "分组框2", {});

  // Login block.
  auto* login_group = make_group(frame, "", QStringLiteral("dnspod帐号登录"));
  email_ = make_line_box(login_group, "编辑框_DNSPod邮箱");
  password_ = make_line_box(login_group, "编辑框_Dnspod密码");
  password_->setEchoMode(QLineEdit::Password);
  login_button_ = make_button(login_group, "按钮_登陆DNSpod", QStringLiteral("登录"));
  logout_button_ = make_button(login_group, "按钮_注销DNSpod", QStringLiteral("注销"));
  auto* login_row = new QHBoxLayout(login_group);
  login_row->addWidget(make_label(login_group, "", QStringLiteral("dnspod邮箱：")));
  login_row->addWidget(email_, 2);
  login_row->addWidget(make_label(login_group, "", QStringLiteral("dnspod密码：")));
  login_row->addWidget(password_, 1);
  login_row->addWidget(login_button_);
  login_row->addWidget(logout_button_);

  // Domain and IP boxes with their live counts.
  auto* domain_group = make_group(frame, "", QStringLiteral("域名框一行一个"));
  domains_ = make_counted_list(domain_group, "编辑框_DNSPOD域名框", "编辑框dnspod域名个数",
                               QStringLiteral("个数："));

  auto* ip_group = make_group(frame, "", QStringLiteral("IP框一行一个"));
  ips_ = make_counted_list(ip_group, "编辑框dnspodIP框", "编辑框dnspodip个数", QStringLiteral("个数"));

  import_button_ = make_button(frame, "按钮dnspod导入域名", QStringLiteral("导入域名和IP"));
  auto* hint = new QVBoxLayout;
  hint->setSpacing(0);
  hint->addWidget(make_label(frame, "", QStringLiteral("请保持域名框和IP框")));
  hint->addWidget(make_label(frame, "", QStringLiteral("的数量相同。")));
  auto* import_row = new QHBoxLayout;
  import_row->addLayout(hint);
  import_row->addStretch();
  import_row->addWidget(import_button_);

  auto* boxes = new QHBoxLayout;
  boxes->addWidget(domain_group, 3);
  boxes->addWidget(ip_group, 2);
  auto* left = new QVBoxLayout;
  left->addLayout(boxes, 1);
  left->addLayout(import_row);

  // The batch list.
  list_ = make_report_list(frame, "超级列表框_域名列表",
                           {{QStringLiteral("ID"), 30},
                            {QStringLiteral("域名列表"), 100},
                            {QStringLiteral("IP列表"), 100},
                            {QStringLiteral("添加状态"), 150},
                            {QStringLiteral("添加时间"), 150}});
  clear_button_ = make_button(frame, "按钮dnspod清除列表", QStringLiteral("清除列表"));

  // Record choices, delay and the run buttons.
  auto* ticks = make_group(frame, "", QStringLiteral("解析记录勾选"));
  at_ = make_check(ticks, "选择框空解析", QStringLiteral("@解析"), true);
  www_ = make_check(ticks, "选择框www解析", QStringLiteral("www解析"), true);
  star_ = make_check(ticks, "选择框_泛解析", QStringLiteral("*解析"), true);
  auto* ticks_layout = new QHBoxLayout(ticks);
  ticks_layout->addWidget(at_);
  ticks_layout->addWidget(www_);
  ticks_layout->addWidget(star_);
  delay_ = make_line_box(frame, "编辑框_dns延迟");
  delay_->setMaximumWidth(50);
  start_ = make_button(frame, "按钮_开始添加", kStartWording);
  pause_ = make_button(frame, "按钮_暂停添加", QStringLiteral("暂停添加"));
  auto* manage = make_button(frame, "按钮批量管理", QStringLiteral("dnspod域名管理"));

  auto* right = new QVBoxLayout;
  right->addWidget(list_, 1);
  auto* list_buttons = new QHBoxLayout;
  list_buttons->addStretch();
  list_buttons->addWidget(clear_button_);
  right->addLayout(list_buttons);

  auto* middle = new QHBoxLayout;
  middle->addLayout(left, 2);
  middle->addLayout(right, 3);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(ticks);
  bottom->addWidget(make_label(frame, "", QStringLiteral("延迟：")));
  bottom->addWidget(delay_);
  bottom->addWidget(make_label(frame, "", QStringLiteral("秒")));
  bottom->addStretch();
  bottom->addWidget(start_);
  bottom->addWidget(pause_);
  bottom->addWidget(manage);

  auto* frame_layout = new QVBoxLayout(frame);
  frame_layout->addWidget(login_group);
  frame_layout->addLayout(middle, 1);
  frame_layout->addLayout(bottom);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(frame);

  task_ = new WorkerTask(this);
  task_->set_start_button(start_, kStartWording, kStopWording);
  task_->set_pause_button(pause_, QStringLiteral("暂停添加"), QStringLiteral("继续添加"));
  // Import and clear are refused while a batch runs: the worker reads rows by position.
  task_->disable_while_active({import_button_, clear_button_});
  login_task_ = new WorkerTask(this);

  connect(login_button_, &QPushButton::clicked, this, &DnspodPage::login_dnspod);
  connect(logout_button_, &QPushButton::clicked, this, &DnspodPage::logout_dnspod);
  connect(import_button_, &QPushButton::clicked, this, &DnspodPage::import_domain_ip_pairs);
  connect(clear_button_, &QPushButton::clicked, this, &DnspodPage::clear_dnspod_rows);
  connect(start_, &QPushButton::clicked, this, &DnspodPage::toggle_dnspod_batch);
  connect(pause_, &QPushButton::clicked, this, &DnspodPage::pause_dnspod_batch);
  connect(manage, &QPushButton::clicked, this, &DnspodPage::open_dnspod_manager);
}

void DnspodPage::login_dnspod() {
  // The two requests run off the window thread; a second press while they run is ignored.
  if (login_task_->active()) return;
  std::string email = box_text(email_), password = box_text(password_);
  login_task_->start([this, email, password](Bridge& b) {
    bool ok = DnspodClient::instance().login(email, password);
    b.post([this, ok] {
      if (ok) {
        login_button_->setEnabled(false);
        email_->setEnabled(false);
        password_->setEnabled(false);
        message_box(QStringLiteral("登陆成功!"), kIconInformation);
      } else {
        message_box(QStringLiteral("登陆失败!"), kIconError);
      }
    });
  });
}

void DnspodPage::logout_dnspod() {
  clear_site_cookies(service_cookie_domain("DNSPOD_WEB"));
  message_box(QStringLiteral("注销成功"));
  login_button_->setEnabled(true);
  email_->setEnabled(true);
  password_->setEnabled(true);
}

void DnspodPage::import_domain_ip_pairs() { import_pairs_into(list_, domains_, ips_); }

void DnspodPage::clear_dnspod_rows() { list_->lv_clear(); }

void DnspodPage::toggle_dnspod_batch() {
  // A stop leaves every row with the status of the step that was running.
  DnspodBatchOptions options;
  options.failure_log_path = program_path({"DNSpod添加失败记录.txt"});
  task_->toggle({}, [this, options](Bridge& bridge) {
    PageSink sink(bridge, list_, at_, www_, star_, delay_);
    run_dnspod_batch(DnspodClient::instance(), sink, options);
    bridge.message_box(QStringLiteral("Yes，全部添加成功！"), kIconInformation, QStringLiteral("完成提示："));
  });
}

void DnspodPage::pause_dnspod_batch() {
  // The caption is the pause state; after the run has ended only the caption changes.
  task_->toggle_pause();
}

void DnspodPage::open_dnspod_manager() {
  if (!login_button_->isEnabled())
    open_tool_window(17, window());
  else
    message_box(QStringLiteral("请先登录dnspod帐号！"), kIconInformation, QStringLiteral("友情提示："));
}

}  // namespace tessaly
