// The "51dns" page and the "51dns获取域名记录|批量删除域名记录" window, used as a user uses them,
// against the fake 51dns console.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "dns/dns51_client.h"
#include "fakes/dns_consoles.h"
#include "gui/line_box.h"
#include "gui/support/dns_pages.h"

using namespace tessaly;
using namespace tessaly::test;
using namespace tessaly::fakes;

namespace {

const char* kEmail = "me@example.com";
const char* kPassword = "pa ss&word=1+%";

const RecordedMessage kFinished{QStringLiteral("恭喜你，全部解析完毕鸟！"), 0, QStringLiteral("信息：")};

}  // namespace

class Dns51Test : public QObject, public DnsPageFixture<Dns51Site> {
  Q_OBJECT

 public:
  Dns51Test()
      : DnsPageFixture({.page = 5,
                        .email_box = "编辑框51dns",
                        .password_box = "编辑框51dns密码",
                        .login_button = "按钮51登录",
                        .domain_box = "编辑框51域名框",
                        .ip_box = "编辑框51ip框",
                        .import_button = "按钮导入域名和IP",
                        .start_button = "按钮开始添加",
                        .manager_button = "按钮获取域名51",
                        .manager_window = 4}) {}

 private:
  ReportList* batch_list() { return c<ReportList>("超级列表框1"); }

  std::vector<FakeRequest> record_requests() {
    std::vector<FakeRequest> out;
    for (const auto& r : site->console.requests())
      if (r.method == "POST" && r.query == "controller=members/operate") out.push_back(r);
    return out;
  }

 private Q_SLOTS:
  void init() {
    open_page(kEmail, kPassword);
    Dns51Client::instance().set_session(false, {}, {}, {});
  }

  void cleanup() { close_page(); }

  void faults_past_login_fail_every_row() {
    check_faults_past_login(kEmail, kPassword, "超级列表框1", {"/member/addDomain", "/member/domain"},
                            QStringLiteral("解析完毕，其中2个域名解析失败"));
  }

  void login_failed_and_successful() {
    login(kEmail, "wrong");
    QCOMPARE(hooks->messages.back().text, QStringLiteral("登录失败"));
    QVERIFY(c<QPushButton>("按钮51登录")->isEnabled());
    login(kEmail, kPassword);
    QCOMPARE(hooks->messages.back().text, QStringLiteral("登录成功"));
    QCOMPARE(hooks->messages.back().caption, QStringLiteral("信息："));
    QVERIFY(!c<QPushButton>("按钮51登录")->isEnabled());
    QVERIFY(!c<QLineEdit>("编辑框51dns")->isEnabled());
    QVERIFY(!c<QLineEdit>("编辑框51dns密码")->isEnabled());

    // Logout unlocks the block; the session stays logged in for the batch.
    click(c<QPushButton>("按钮注销"));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("注销成功"));
    QVERIFY(c<QPushButton>("按钮51登录")->isEnabled());
    QVERIFY(Dns51Client::instance().logged_in());
    click(c<QPushButton>("按钮获取域名51"));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("对不起，你还没登陆！"));
    QVERIFY(!open_window(4));
  }

  void empty_login_fields_are_refused() {
    check_empty_login_refused(QStringLiteral("请先填写51dns邮箱和密码，再点登录。"), "/member/login");
  }

  void start_checks_in_order() {
    // Empty list: this message even when not logged in.
    click(c<QPushButton>("按钮开始添加"));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("请导入域名+IP后再执行"));
    QCOMPARE(hooks->messages.back().caption, QStringLiteral("提示"));
    QCOMPARE(hooks->messages.back().flags, 64);
    import(QStringLiteral("a.com"), QStringLiteral("1.1.1.1"));
    click(c<QPushButton>("按钮开始添加"));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("请登录后再执行"));
    login(kEmail, kPassword);
    click(c<QCheckBox>("选择框www解析51"));
    click(c<QCheckBox>("选择框空记录51"));
    click(c<QCheckBox>("选择框星51解析"));
    click(c<QPushButton>("按钮开始添加"));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("请选择一种解析方式再执行"));
    QCOMPARE(hooks->messages.back().caption, QStringLiteral("友情提示："));
    QCOMPARE(c<QPushButton>("按钮开始添加")->text(), QStringLiteral("开始添加"));
    QVERIFY(record_requests().empty());
    QVERIFY(site->console.requests_to("/member/addDomain").empty());
  }

  void batch_new_and_present_domains() {
    login(kEmail, kPassword);
    site->console.add_domain(kEmail, "old.com");
    std::string www_id = site->console.add_record("old.com", "www", "A", "9.9.9.9");
    std::string old_id = site->console.domain("old.com").id;
    import(QStringLiteral("new.com\nold.com"), QStringLiteral("1.1.1.1\n2.2.2.2"));
    click(c<QCheckBox>("选择框星51解析"));  // www and @ only
    run_batch(kFinished);

    auto* list = batch_list();
    QCOMPARE(cell(list, 0, 3), QStringLiteral("添加www成功@成功"));
    QCOMPARE(cell(list, 1, 3), QStringLiteral("添加www成功@成功"));
    QVERIFY(!cell(list, 1, 4).isEmpty());
    auto records = record_requests();
    QCOMPARE(records.size(), size_t(4));
    QVERIFY(records[0].body.find("recordID") == std::string::npos);
    QCOMPARE(records[2].body,
             "action=addRecord&recordID=" + www_id +
                 "&recordName=www&type=A&viewID=0&recordValue=2.2.2.2&TTL=600&domainID=" + old_id);
    QCOMPARE(
        records[3].body,
        "action=addRecord&recordID=&recordName=%40&type=A&viewID=0&recordValue=2.2.2.2&TTL=600&domainID=" +
            old_id);
    QCOMPARE(records[2].path, "/member/domain/detail/" + old_id);
    auto fresh = site->console.domain("new.com");
    QCOMPARE(fresh.owner, std::string(kEmail));
    QCOMPARE(fresh.records.size(), size_t(4));  // two NS and the two A records
    QCOMPARE(site->console.domain("old.com").records[2].value, std::string("2.2.2.2"));
  }

  void failed_record_shows_in_the_status() {
    login(kEmail, kPassword);
    site->console.fail("/member/domain/detail/5001", "recordName=www", 1);
    import(QStringLiteral("x.com"), QStringLiteral("1.1.1.1"));
    click(c<QCheckBox>("选择框星51解析"));
    // The end says how many rows failed, and that their statuses are the record.
    run_batch({QStringLiteral("解析完毕，其中1个域名解析失败，失败记录见列表的“添加状态”"), kIconWarning,
               QStringLiteral("信息：")});
    QCOMPARE(cell(batch_list(), 0, 3), QStringLiteral("添加www失败@成功"));
  }

  void stop_refused_import_and_stop_message() {
    login(kEmail, kPassword);
    import(QStringLiteral("a.com\nb.com"), QStringLiteral("1.1.1.1\n2.2.2.2"));
    size_t before = hooks->messages.size();
    start_held_batch("/member/addDomain", "domains=b.com");
    QVERIFY(!c<QPushButton>("按钮导入域名和IP")->isEnabled());
    QVERIFY(!c<QPushButton>("按钮清除列表")->isEnabled());
    click(c<QPushButton>("按钮开始添加"));
    QCOMPARE(c<QPushButton>("按钮开始添加")->text(), QStringLiteral("开始添加"));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("已经停止添加域名成功"));
    QCOMPARE(hooks->messages.size(), before + 1);
    QVERIFY(wait_until_idle(page()));
    site->console.release();
    QCOMPARE(hooks->messages.size(), before + 1);  // no final message
    QCOMPARE(cell(batch_list(), 0, 3), QStringLiteral("添加www成功@成功*成功"));
    QCOMPARE(cell(batch_list(), 1, 3), QStringLiteral("正在初始化>>>"));
    QVERIFY(c<QPushButton>("按钮导入域名和IP")->isEnabled());
  }

  void manager_pages_of_100_and_250() {
    for (int i = 1; i <= 100; ++i) site->console.add_domain(kEmail, "d" + std::to_string(i) + ".com");
    login(kEmail, kPassword);
    ToolWindow* w = open_manager();
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("51dns获取域名记录|批量删除域名记录"));
    auto* list = control<ReportList>(w, "超级列表框1");
    QCOMPARE(from_gbk(list->lv_get_column_title(0)), QStringLiteral("     |"));
    click(control<QPushButton>(w, "按钮获取域名和IP"));
    // 100 domains: the first page again, then page 2, which is empty.
    QVERIFY(wait_until([&] { return site->console.requests_to("/member/domain-2-100").size() == 1; }));
    QVERIFY(wait_until([&] { return list->lv_row_count() == 100; }));
    QCOMPARE(cell(list, 0, 0), QStringLiteral("1"));
    QCOMPARE(cell(list, 99, 0), QStringLiteral("100"));
    QCOMPARE(cell(list, 99, 1), QStringLiteral("d100.com"));
    QCOMPARE(cell(list, 99, 2), QString::fromStdString(site->console.domain("d100.com").id));

    QVERIFY(wait_until_idle(w));  // a press while a listing runs is ignored
    for (int i = 101; i <= 250; ++i) site->console.add_domain(kEmail, "d" + std::to_string(i) + ".com");
    list->lv_clear();
    click(control<QPushButton>(w, "按钮获取域名和IP"));
    QVERIFY(wait_until([&] { return site->console.requests_to("/member/domain-3-100").size() == 1; }));
    QVERIFY(wait_until([&] { return list->lv_row_count() == 250; }));
    QCOMPARE(cell(list, 249, 0), QStringLiteral("250"));
    QCOMPARE(cell(list, 150, 1), QStringLiteral("d151.com"));
    QVERIFY(wait_until_idle(w));
    QCOMPARE(site->console.requests_to("/member/domain-4-100").size(), size_t(0));

    // Export copies every name, ticked or not, and appends.
    list->lv_clear();
    click(control<QPushButton>(w, "按钮获取域名和IP"));
    QVERIFY(wait_until_idle(w));
    QCOMPARE(list->lv_row_count(), 250);
    click(control<QPushButton>(w, "按钮4"));
    click(control<QPushButton>(w, "按钮4"));
    QStringList names = control<LineBox>(w, "编辑框1")->toPlainText().split(QChar(u'\n'), Qt::SkipEmptyParts);
    QCOMPARE(names.size(), 500);
    QCOMPARE(names[250], QStringLiteral("d1.com"));
  }

  void manager_deletes_ticked_rows_2_and_4_of_five() {
    for (int i = 1; i <= 5; ++i) site->console.add_domain(kEmail, "x" + std::to_string(i) + ".com");
    login(kEmail, kPassword);
    ToolWindow* w = open_manager();
    auto* list = control<ReportList>(w, "超级列表框1");
    click(control<QPushButton>(w, "按钮获取域名和IP"));
    QVERIFY(wait_until([&] { return list->lv_row_count() == 5; }));

    // Nothing ticked: the notice and nothing else.
    click(control<QPushButton>(w, "按钮_51开始删除"));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("此功能正在开发"));
    QVERIFY(wait_until_idle(w));  // no deletion started
    QCOMPARE(site->console.requests_to("/").size(), size_t(0));

    // The link labels tick like the buttons.
    click(control<QPushButton>(w, "超级链接框1"));
    QVERIFY(list->lv_is_checked(0) && list->lv_is_checked(4));
    click(control<QPushButton>(w, "超级链接框2"));
    QVERIFY(!list->lv_is_checked(0) && !list->lv_is_checked(4));
    click(control<QPushButton>(w, "按钮2"));
    click(control<QPushButton>(w, "按钮3"));

    list->lv_set_checked(1, true);
    list->lv_set_checked(3, true);
    std::string id2 = site->console.domain("x2.com").id, id4 = site->console.domain("x4.com").id;
    click(control<QPushButton>(w, "按钮_51开始删除"));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("此功能正在开发"));
    QVERIFY(wait_until([&] { return list->lv_row_count() == 3; }));
    auto deletes = site->console.requests_to("/");
    QCOMPARE(deletes.size(), size_t(2));
    QCOMPARE(deletes[0].query, std::string("controller=members/operate&r=0.8352921591379601"));
    QCOMPARE(deletes[0].body, "domainsID=" + id2 + "_&action=delete");
    QCOMPARE(deletes[1].body, "domainsID=" + id4 + "_&action=delete");
    QCOMPARE(cell(list, 0, 1), QStringLiteral("x1.com"));
    QCOMPARE(cell(list, 1, 1), QStringLiteral("x3.com"));
    QCOMPARE(cell(list, 2, 1), QStringLiteral("x5.com"));
    QCOMPARE(site->console.domains(kEmail).size(), size_t(3));
    QVERIFY(wait_until_idle(w));
    QVERIFY(control<QPushButton>(w, "按钮_51开始删除")->isEnabled());
    QCOMPARE(site->console.requests_to("/").size(), size_t(2));  // nothing more after the end
  }
};

TESSALY_GUI_TEST_MAIN(Dns51Test)
#include "test_dns_51dns.moc"
