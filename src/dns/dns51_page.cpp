#include "dns/dns51_page.h"

#include "dns/dns51_client.h"
#include "gui/hooks.h"

namespace tessaly {

Dns51Page::Dns51Page(QWidget* parent)
    : DnsBatchPage(
          {
              .console = &Dns51Client::instance(),
              .frame = "分组框1",
              .login_group = QStringLiteral("51dns帐号登录"),
              .email_label = QStringLiteral("51dns邮箱："),
              .password_label = QStringLiteral("51dns密码："),
              .email_box = "编辑框51dns",
              .password_box = "编辑框51dns密码",
              .login_button = "按钮51登录",
              .logout_button = "按钮注销",
              .login_succeeded = {QStringLiteral("登录成功"), 0, {}},
              .login_failed = {QStringLiteral("登录失败"), 0, {}},
              .login_incomplete = {QStringLiteral("请先填写51dns邮箱和密码，再点登录。"),
                                   kIconInformation,
                                   {}},
              .domain_box = "编辑框51域名框",
              .domain_count = "编辑框51域名个数",
              .domain_count_label = QStringLiteral("个数"),
              .ip_box = "编辑框51ip框",
              .ip_count = "编辑框51IP个数",
              .ip_count_label = QStringLiteral("个数"),
              .hint_end = QStringLiteral("的数量相同"),
              .import_button = "按钮导入域名和IP",
              .list = "超级列表框1",
              .id_title = QStringLiteral("id"),
              .clear_button = "按钮清除列表",
              .record_boxes = {{{DnsRecord::Www, "选择框www解析51", QStringLiteral("www解析")},
                                {DnsRecord::At, "选择框空记录51", QStringLiteral("@解析")},
                                {DnsRecord::Star, "选择框星51解析", QStringLiteral("*解析")}}},
              .delay_box = nullptr,
              .start_button = "按钮开始添加",
              .pause_button = "按钮暂停添加",
              .start_checks =
                  {
                      {DnsStartCheck::RowsImported,
                       {QStringLiteral("请导入域名+IP后再执行"), kIconInformation, QStringLiteral("提示")}},
                      {DnsStartCheck::LoggedIn,
                       {QStringLiteral("请登录后再执行"), kIconInformation, QStringLiteral("提示")}},
                      {DnsStartCheck::RecordTicked,
                       {QStringLiteral("请选择一种解析方式再执行"), kIconInformation,
                        QStringLiteral("友情提示：")}},
                  },
              .finished = {QStringLiteral("恭喜你，全部解析完毕鸟！"), 0, {}},
              // The service keeps no failure file: the rows' statuses are the record.
              .finished_with_failures =
                  [](int failed_rows, const std::string&) {
                    return DnsMessage{
                        QStringLiteral("解析完毕，其中%1个域名解析失败，失败记录见列表的“添加状态”")
                            .arg(failed_rows),
                        kIconWarning,
                        {}};
                  },
              .stopped = DnsMessage{QStringLiteral("已经停止添加域名成功"), 0, {}},
              .manager_button = "按钮获取域名51",
              .manager_caption = QStringLiteral("51dns域名管理"),
              .manager_window = 4,
              .manager_refused = {QStringLiteral("对不起，你还没登陆！"), 0, {}},
          },
          parent) {}

}  // namespace tessaly
