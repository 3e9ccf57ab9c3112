#include "dns/dnspod_page.h"

#include "dns/dnspod_client.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"

namespace tessaly {

DnspodPage::DnspodPage(QWidget* parent)
    : DnsBatchPage(
          {
              .console = &DnspodClient::instance(),
              .frame = "分组框2",
              .login_group = QStringLiteral("dnspod帐号登录"),
              .email_label = QStringLiteral("dnspod邮箱："),
              .password_label = QStringLiteral("dnspod密码："),
              .email_box = "编辑框_DNSPod邮箱",
              .password_box = "编辑框_Dnspod密码",
              .login_button = "按钮_登陆DNSpod",
              .logout_button = "按钮_注销DNSpod",
              .login_succeeded = {QStringLiteral("登陆成功!"), kIconInformation, {}},
              .login_failed = {QStringLiteral("登陆失败!"), kIconError, {}},
              .login_incomplete = {QStringLiteral("请先填写dnspod邮箱和密码，再点登录。"),
                                   kIconInformation,
                                   {}},
              .domain_box = "编辑框_DNSPOD域名框",
              .domain_count = "编辑框dnspod域名个数",
              .domain_count_label = QStringLiteral("个数："),
              .ip_box = "编辑框dnspodIP框",
              .ip_count = "编辑框dnspodip个数",
              .ip_count_label = QStringLiteral("个数"),
              .hint_end = QStringLiteral("的数量相同。"),
              .import_button = "按钮dnspod导入域名",
              .list = "超级列表框_域名列表",
              .id_title = QStringLiteral("ID"),
              .clear_button = "按钮dnspod清除列表",
              .record_boxes = {{{DnsRecord::At, "选择框空解析", QStringLiteral("@解析")},
                                {DnsRecord::Www, "选择框www解析", QStringLiteral("www解析")},
                                {DnsRecord::Star, "选择框_泛解析", QStringLiteral("*解析")}}},
              .delay_box = "编辑框_dns延迟",
              .start_button = "按钮_开始添加",
              .pause_button = "按钮_暂停添加",
              .start_checks = {},  // the batch runs whatever the list and the login
              .finished = {QStringLiteral("Yes，全部添加成功！"), kIconInformation,
                           QStringLiteral("完成提示：")},
              .finished_with_failures =
                  [](int failed_rows, const std::string& failure_log) {
                    return DnsMessage{QStringLiteral("添加完毕，其中%1个域名添加失败，失败记录见：%2")
                                          .arg(failed_rows)
                                          .arg(from_path(failure_log)),
                                      kIconWarning, QStringLiteral("完成提示：")};
                  },
              .stopped = std::nullopt,
              .manager_button = "按钮批量管理",
              .manager_caption = QStringLiteral("dnspod域名管理"),
              .manager_window = 17,
              .manager_refused = {QStringLiteral("请先登录dnspod帐号！"), kIconInformation,
                                  QStringLiteral("友情提示：")},
          },
          parent) {}

}  // namespace tessaly
