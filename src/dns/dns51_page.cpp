#include "dns/dns51_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dns/dns51_client.h"
#include "dns/dnspod_page.h"
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

class PageSink : public Dns51BatchSink {
 public:
  PageSink(Bridge& bridge, ReportList* list) : bridge_(bridge), list_(list) {}

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

 private:
  Bridge& bridge_;
  ReportList* list_;
};

}  // namespace

Dns51Page::Dns51Page(QWidget* parent) : QWidget(parent) {
  auto* frame = make_group(this, "分组框1", {});

  auto* login_group = make_group(frame, "", QStringLiteral("51dns帐号登录"));
  email_ = make_line_box(login_group, "编辑框51dns");
  password_ = make_line_box(login_group, "编辑框51dns密码");
  password_->setEchoMode(QLineEdit::Password);
  login_button_ = make_button(login_group, "按钮51登录", QStringLiteral("登录"));
  auto* logout_button = make_button(login_group, "按钮注销", QStringLiteral("注销"));
  auto* login_row = new QHBoxLayout(login_group);
  login_row->addWidget(make_label(login_group, "", QStringLiteral("51dns邮箱：")));
  login_row->addWidget(email_, 2);
  login_row->addWidget(make_label(login_group, "", QStringLiteral("51dns密码：")));
  login_row->addWidget(password_, 1);
  login_row->addWidget(login_button_);
  login_row->addWidget(logout_button);

  auto* domain_group = make_group(frame, "", QStringLiteral("域名框一行一个"));
  domains_ = make_counted_list(domain_group, "编辑框51域名框", "编辑框51域名个数", QStringLiteral("个数"));

  auto* ip_group = make_group(frame, "", QStringLiteral("IP框一行一个"));
  ips_ = make_counted_list(ip_group, "编辑框51ip框", "编辑框51IP个数", QStringLiteral("个数"));

  auto* ticks = make_group(frame, "", QStringLiteral("解析记录勾选"));
  www_ = make_check(ticks, "选择框www解析51", QStringLiteral("www解析"), true);
  at_ = make_check(ticks, "选择框空记录51", QStringLiteral("@解析"), true);
  star_ = make_check(ticks, "选择框星51解析", QStringLiteral("*解析"), true);
  auto* ticks_layout = new QHBoxLayout(ticks);
  ticks_layout->addWidget(www_);
  ticks_layout->addWidget(at_);
  ticks_layout->addWidget(star_);

  import_button_ = make_button(frame, "按钮导入域名和IP", QStringLiteral("导入域名和IP"));
  auto* hint = new QVBoxLayout;
  hint->setSpacing(0);
  hint->addWidget(make_label(frame, "", QStringLiteral("请保持域名框和IP框")));
  hint->addWidget(make_label(frame, "", QStringLiteral("的数量相同")));
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
  left->addWidget(ticks);

  list_ = make_report_list(frame, "超级列表框1",
                           {{QStringLiteral("id"), 30},
                            {QStringLiteral("域名列表"), 100},
                            {QStringLiteral("IP列表"), 100},
                            {QStringLiteral("添加状态"), 150},
                            {QStringLiteral("添加时间"), 150}});
  clear_button_ = make_button(frame, "按钮清除列表", QStringLiteral("清除列表"));
  start_ = make_button(frame, "按钮开始添加", kStartWording);
  pause_ = make_button(frame, "按钮暂停添加", QStringLiteral("暂停添加"));
  auto* manage = make_button(frame, "按钮获取域名51", QStringLiteral("51dns域名管理"));
  auto* run_row = new QHBoxLayout;
  run_row->addWidget(clear_button_);
  run_row->addStretch();
  run_row->addWidget(start_);
  run_row->addWidget(pause_);
  run_row->addWidget(manage);
  auto* right = new QVBoxLayout;
  right->addWidget(list_, 1);
  right->addLayout(run_row);

  auto* middle = new QHBoxLayout;
  middle->addLayout(left, 2);
  middle->addLayout(right, 3);
  auto* frame_layout = new QVBoxLayout(frame);
  frame_layout->addWidget(login_group);
  frame_layout->addLayout(middle, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(frame);

  task_ = new WorkerTask(this);
  task_->set_start_button(start_, kStartWording, kStopWording);
  task_->set_pause_button(pause_, QStringLiteral("暂停添加"), QStringLiteral("继续添加"));
  // Import and clear are refused while a batch runs: the worker reads rows by position.
  task_->disable_while_active({import_button_, clear_button_});
  login_task_ = new WorkerTask(this);

  connect(login_button_, &QPushButton::clicked, this, &Dns51Page::login_51dns);
  connect(logout_button, &QPushButton::clicked, this, &Dns51Page::logout_51dns);
  connect(import_button_, &QPushButton::clicked, this, &Dns51Page::import_domain_ip_pairs);
  connect(clear_button_, &QPushButton::clicked, this, &Dns51Page::clear_51dns_rows);
  connect(start_, &QPushButton::clicked, this, &Dns51Page::toggle_51dns_batch);
  connect(pause_, &QPushButton::clicked, this, &Dns51Page::pause_51dns_batch);
  connect(manage, &QPushButton::clicked, this, &Dns51Page::open_51dns_manager);
}

void Dns51Page::login_51dns() {
  // The requests run off the window thread; a second press while they run is ignored.
  if (login_task_->active()) return;
  std::string email = box_text(email_), password = box_text(password_);
  login_task_->start([this, email, password](Bridge& b) {
    Dns51Login result = Dns51Client::instance().login(email, password);
    b.post([this, result] {
      if (result == Dns51Login::Failed) {
        message_box(QStringLiteral("登录失败"));
      } else if (result == Dns51Login::Succeeded) {
        message_box(QStringLiteral("登录成功"));
        login_button_->setEnabled(false);
        email_->setEnabled(false);
        password_->setEnabled(false);
      }
    });
  });
}

void Dns51Page::logout_51dns() {
  clear_site_cookies(service_cookie_domain("DNS51_WEB"));
  message_box(QStringLiteral("注销成功"));
  login_button_->setEnabled(true);
  email_->setEnabled(true);
  password_->setEnabled(true);
}

void Dns51Page::import_domain_ip_pairs() { import_pairs_into(list_, domains_, ips_); }

void Dns51Page::clear_51dns_rows() { list_->lv_clear(); }

void Dns51Page::toggle_51dns_batch() {
  bool empty = list_->lv_row_count() == 0;
  if (empty || !Dns51Client::instance().logged_in()) {
    message_box(empty ? QStringLiteral("请导入域名+IP后再执行") : QStringLiteral("请登录后再执行"),
                kIconInformation, QStringLiteral("提示"));
    return;
  }
  RecordTicks ticks{at_->isChecked(), www_->isChecked(), star_->isChecked()};
  if (!ticks.any()) {
    message_box(QStringLiteral("请选择一种解析方式再执行"), kIconInformation, QStringLiteral("友情提示："));
    return;
  }
  if (task_->shows_stop_wording()) {
    task_->stop();
    message_box(QStringLiteral("已经停止添加域名成功"));
    return;
  }
  task_->start([ticks, list = list_](Bridge& bridge) {
    PageSink sink(bridge, list);
    run_51dns_batch(Dns51Client::instance(), sink, ticks);
    bridge.message_box(QStringLiteral("恭喜你，全部解析完毕鸟！"));
  });
}

void Dns51Page::pause_51dns_batch() {
  // The caption is the pause state; after the run has ended only the caption changes.
  task_->toggle_pause();
}

void Dns51Page::open_51dns_manager() {
  if (!login_button_->isEnabled())
    open_tool_window(4, window());
  else
    message_box(QStringLiteral("对不起，你还没登陆！"));
}

}  // namespace tessaly
