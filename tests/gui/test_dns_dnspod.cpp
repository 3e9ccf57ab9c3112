// The "dnspod解析" page and the "dnspod域名管理" window, used as a user uses them, against the
// fake DNSPod console.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

#include "core/http/cookie_store.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "dns/dnspod_client.h"
#include "fakes/dns_consoles.h"
#include "gui/bridge.h"
#include "gui/line_box.h"
#include "gui/support/dns_pages.h"

using namespace tessaly;
using namespace tessaly::test;
using namespace tessaly::fakes;

namespace {

const char* kEmail = "owner@example.com";
const char* kPassword = "s3cret&+=%";

const RecordedMessage kFinished{QStringLiteral("Yes，全部添加成功！"), 64, QStringLiteral("完成提示：")};

}  // namespace

class DnspodTest : public QObject, public DnsPageFixture<DnspodSite> {
  Q_OBJECT

 public:
  DnspodTest()
      : DnsPageFixture({.page = 1,
                        .email_box = "编辑框_DNSPod邮箱",
                        .password_box = "编辑框_Dnspod密码",
                        .login_button = "按钮_登陆DNSpod",
                        .domain_box = "编辑框_DNSPOD域名框",
                        .ip_box = "编辑框dnspodIP框",
                        .import_button = "按钮dnspod导入域名",
                        .start_button = "按钮_开始添加",
                        .manager_button = "按钮批量管理",
                        .manager_window = 17}) {}

 private:
  ReportList* batch_list() { return c<ReportList>("超级列表框_域名列表"); }

  // Lists the account's domains in the manager and waits for "获取完毕".
  void list_in(ToolWindow* w) {
    click_for_message(control<QPushButton>(w, "按钮获取域名"));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("获取完毕"));
    QVERIFY(wait_until_idle(w));
    QVERIFY(control<QPushButton>(w, "按钮获取域名")->isEnabled());
  }

 private Q_SLOTS:
  void init() {
    open_page(kEmail, kPassword);
    DnspodClient::instance().set_session({}, {});
  }

  void cleanup() { close_page(); }

  void faults_past_login_fail_every_row() {
    check_faults_past_login(kEmail, kPassword, "超级列表框_域名列表",
                            {"/Api/Domain.Create", "/Api/Record.Create"},
                            QStringLiteral("添加完毕，其中2个域名添加失败，失败记录见："));
  }

  void login_success_and_failure() {
    // The success text with a plain slash is not the marker.
    site->console.set_plain_slash_marker(true);
    login(kEmail, kPassword);
    QCOMPARE(hooks->messages.back().text, QStringLiteral("登陆失败!"));
    QCOMPARE(hooks->messages.back().flags, 16);
    QCOMPARE(hooks->messages.back().caption, QStringLiteral("信息："));
    QVERIFY(c<QPushButton>("按钮_登陆DNSpod")->isEnabled());

    site->console.set_plain_slash_marker(false);
    login(kEmail, kPassword);
    QCOMPARE(hooks->messages.back().text, QStringLiteral("登陆成功!"));
    QCOMPARE(hooks->messages.back().flags, 64);
    QVERIFY(!c<QPushButton>("按钮_登陆DNSpod")->isEnabled());
    QVERIFY(!c<QLineEdit>("编辑框_DNSPod邮箱")->isEnabled());
    QVERIFY(!c<QLineEdit>("编辑框_Dnspod密码")->isEnabled());
    // The password travelled encoded and arrived whole.
    auto posts = site->console.requests_to("/Auth/Login");
    QVERIFY(posts.back().body.find("password=s3cret%26%2B%3D%25&") != std::string::npos);
  }

  void empty_login_fields_are_refused() {
    check_empty_login_refused(QStringLiteral("请先填写dnspod邮箱和密码，再点登录。"), "/Auth/Login");
  }

  void manager_refused_before_login_and_after_logout() {
    click(c<QPushButton>("按钮批量管理"));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("请先登录dnspod帐号！"));
    QCOMPARE(hooks->messages.back().caption, QStringLiteral("友情提示："));
    QCOMPARE(hooks->messages.back().flags, 64);
    QVERIFY(!open_window(17));

    login(kEmail, kPassword);
    QVERIFY(open_manager());
    delete open_window(17);

    // Logout clears the store's cookies of the console but keeps the session jar.
    std::string host = service_cookie_domain("DNSPOD_WEB");
    cookie_store_set("https://" + host + "/", "browser=1; path=/");
    std::string jar = DnspodClient::instance().session_cookies();
    click(c<QPushButton>("按钮_注销DNSpod"));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("注销成功"));
    QVERIFY(c<QPushButton>("按钮_登陆DNSpod")->isEnabled());
    QVERIFY(c<QLineEdit>("编辑框_DNSPod邮箱")->isEnabled());
    QCOMPARE(cookie_store_get("https://" + host + "/"), std::string());
    QCOMPARE(DnspodClient::instance().session_cookies(), jar);
    click(c<QPushButton>("按钮批量管理"));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("请先登录dnspod帐号！"));
    QVERIFY(!open_window(17));

    // A batch still runs with the old jar and token.
    import(QStringLiteral("after.com"), QStringLiteral("1.2.3.4"));
    run_batch(kFinished);
    QCOMPARE(site->console.domain("after.com").records.size(), size_t(3));
  }

  void import_rules() {
    auto* list = batch_list();
    // Live counts: a final line break adds no item, an empty middle line is one.
    paste(c<LineBox>("编辑框_DNSPOD域名框"), QStringLiteral("a\nb\n"));
    QCOMPARE(c<QLineEdit>("编辑框dnspod域名个数")->text(), QStringLiteral("2"));
    paste(c<LineBox>("编辑框_DNSPOD域名框"), QStringLiteral("a\n\nb"));
    QCOMPARE(c<QLineEdit>("编辑框dnspod域名个数")->text(), QStringLiteral("3"));

    import(QStringLiteral("a.com\nb.com\nc.com"), QStringLiteral("1.1.1.1\n2.2.2.2"));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("请输入数量相同的域名和IP"));
    QCOMPARE(hooks->messages.back().caption, QStringLiteral("信息："));
    QCOMPARE(list->lv_row_count(), 0);

    import(QStringLiteral("a.com\nb.com\n"), QStringLiteral("1.1.1.1\n2.2.2.2"));
    QCOMPARE(list->lv_row_count(), 2);
    import(QStringLiteral("c.com"), QStringLiteral("3.3.3.3"));
    QCOMPARE(list->lv_row_count(), 3);
    QCOMPARE(cell(list, 0, 0), QStringLiteral("1"));
    QCOMPARE(cell(list, 1, 0), QStringLiteral("2"));
    QCOMPARE(cell(list, 2, 0), QStringLiteral("1"));  // a further import counts from 1 again
    QCOMPARE(cell(list, 2, 1), QStringLiteral("c.com"));
    QCOMPARE(cell(list, 2, 2), QStringLiteral("3.3.3.3"));

    click(c<QPushButton>("按钮dnspod清除列表"));
    QCOMPARE(list->lv_row_count(), 0);
  }

  void batch_creates_every_record() {
    login(kEmail, kPassword);
    import(QStringLiteral("a.com\nb.com"), QStringLiteral("1.1.1.1\n2.2.2.2"));
    size_t before = hooks->messages.size();
    click(c<QPushButton>("按钮_开始添加"));
    // Import and clear are refused while the batch runs.
    QVERIFY(!c<QPushButton>("按钮dnspod导入域名")->isEnabled());
    QVERIFY(!c<QPushButton>("按钮dnspod清除列表")->isEnabled());
    QVERIFY(wait_until([&] { return hooks->messages.size() > before; }));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("Yes，全部添加成功！"));
    QVERIFY(wait_until_idle(page()));
    QCOMPARE(c<QPushButton>("按钮_开始添加")->text(), QStringLiteral("开始添加"));
    QVERIFY(c<QPushButton>("按钮dnspod导入域名")->isEnabled());

    auto* list = batch_list();
    QRegularExpression time_form(
        QStringLiteral("^\\d{4}年[1-9]\\d?月[1-9]\\d?日([1-9]?\\d时([1-9]?\\d分([1-9]?\\d秒)?)?)?$"));
    for (int r = 0; r < 2; ++r) {
      QCOMPARE(cell(list, r, 3), QStringLiteral("添加记录*成功>>>"));
      QVERIFY2(time_form.match(cell(list, r, 4)).hasMatch(), qPrintable(cell(list, r, 4)));
    }
    for (const char* name : {"a.com", "b.com"}) {
      auto d = site->console.domain(name);
      QCOMPARE(d.owner, std::string(kEmail));
      QCOMPARE(d.records.size(), size_t(3));
    }
    QCOMPARE(site->console.domain("b.com").records[1].value, std::string("2.2.2.2"));
  }

  void unticked_records_send_only_create_domain() {
    login(kEmail, kPassword);
    click(c<QCheckBox>("选择框空解析"));
    click(c<QCheckBox>("选择框www解析"));
    click(c<QCheckBox>("选择框_泛解析"));
    import(QStringLiteral("only.com"), QStringLiteral("1.1.1.1"));
    run_batch(kFinished);
    QCOMPARE(site->console.requests_to("/Api/Domain.Create").size(), size_t(1));
    QCOMPARE(site->console.requests_to("/Api/Record.Create").size(), size_t(0));
    QCOMPARE(cell(batch_list(), 0, 3), QStringLiteral("添加域名成功>>>"));
  }

  void refused_domain_is_logged_and_still_tries_its_records() {
    login(kEmail, kPassword);
    site->console.add_domain("someone@else.com", "taken.com");
    import(QStringLiteral("taken.com\nfree.com"), QStringLiteral("1.1.1.1\n2.2.2.2"));
    // The end says how many rows failed and where their record is, under the same caption.
    run_batch({QStringLiteral("添加完毕，其中1个域名添加失败，失败记录见：") +
                   QString::fromStdString(program_path({"DNSpod添加失败记录.txt"})),
               kIconWarning, QStringLiteral("完成提示：")});
    auto records = site->console.requests_to("/Api/Record.Create");
    QCOMPARE(records.size(), size_t(6));
    QVERIFY(records[0].body.rfind("domain_id=&domain_grade=DP_Free&domain=taken.com&", 0) == 0);
    QCOMPARE(cell(batch_list(), 0, 3), QStringLiteral("添加记录*失败>>>"));
    QCOMPARE(cell(batch_list(), 1, 3), QStringLiteral("添加记录*成功>>>"));
    std::string log = read_file(program_path({"DNSpod添加失败记录.txt"}));
    QCOMPARE(QString::fromStdString(utf8(log)),
             QStringLiteral("域名：taken.com 添加失败！\r\n域名：taken.com @解析失败\r\n"
                            "域名：taken.com www解析失败\r\n域名：taken.com *解析失败\r\n"));
  }

  void delay_follows_every_row() {
    login(kEmail, kPassword);
    c<QLineEdit>("编辑框_dns延迟")->setText(QStringLiteral("2"));
    import(QStringLiteral("d1.com\nd2.com"), QStringLiteral("1.1.1.1\n2.2.2.2"));
    run_batch(kFinished);
    auto end = std::chrono::steady_clock::now();
    auto creates = site->console.requests_to("/Api/Domain.Create");
    auto records = site->console.requests_to("/Api/Record.Create");
    QCOMPARE(creates.size(), size_t(2));
    QVERIFY(creates[1].at - records[2].at >= std::chrono::milliseconds(1900));
    QVERIFY(end - records.back().at >= std::chrono::milliseconds(1900));  // also after the last row
  }

  void stop_mid_run() {
    login(kEmail, kPassword);
    import(QStringLiteral("a.com\nb.com\nc.com"), QStringLiteral("1.1.1.1\n2.2.2.2\n3.3.3.3"));
    size_t before = hooks->messages.size();
    start_held_batch("/Api/Domain.Create", "domain=b.com");
    click(c<QPushButton>("按钮_开始添加"));
    QCOMPARE(c<QPushButton>("按钮_开始添加")->text(), QStringLiteral("开始添加"));
    // The stopped batch unwinds at once (its request is aborted); import then comes back.
    QVERIFY(wait_until_idle(page()));
    QVERIFY(c<QPushButton>("按钮dnspod导入域名")->isEnabled());
    site->console.release();
    QCOMPARE(hooks->messages.size(), before);  // no final message
    auto* list = batch_list();
    QCOMPARE(cell(list, 0, 3), QStringLiteral("添加记录*成功>>>"));
    QCOMPARE(cell(list, 1, 3), QStringLiteral("正在添加域名>>>"));
    QCOMPARE(cell(list, 2, 3), QString());
    QCOMPARE(site->console.requests_to("/Api/Record.Create").size(), size_t(3));
  }

  void pause_and_resume() {
    login(kEmail, kPassword);
    import(QStringLiteral("a.com\nb.com"), QStringLiteral("1.1.1.1\n2.2.2.2"));
    size_t before = hooks->messages.size();
    start_held_batch("/Api/Domain.Create", "domain=a.com");
    click(c<QPushButton>("按钮_暂停添加"));
    QCOMPARE(c<QPushButton>("按钮_暂停添加")->text(), QStringLiteral("继续添加"));
    site->console.release();
    // The answer of the held request comes in and the worker holds still at its next checkpoint:
    // from there it can send nothing until it is resumed.
    QVERIFY(wait_until([&] { return batch_task()->bridge()->job().held_threads() == 1; }));
    QCOMPARE(site->console.requests_to("/Api/Record.Create").size(), size_t(0));
    click(c<QPushButton>("按钮_暂停添加"));
    QCOMPARE(c<QPushButton>("按钮_暂停添加")->text(), QStringLiteral("暂停添加"));
    QVERIFY(wait_until([&] { return hooks->messages.size() > before; }));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("Yes，全部添加成功！"));
    QVERIFY(wait_until_idle(page()));
    QCOMPARE(site->console.requests_to("/Api/Record.Create").size(), size_t(6));
  }

  void manager_lists_ticks_deletes_and_exports() {
    site->console.add_domain(kEmail, "Alpha.com", "dnserror", "", 5);
    site->console.add_domain(kEmail, "beta.com");
    site->console.add_domain(kEmail, "noted.com", "", "a remark");  // not listed
    site->console.add_domain(kEmail, "gamma.com", "dnserror");
    login(kEmail, kPassword);
    ToolWindow* w = open_manager();
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("dnspod域名管理"));
    auto* list = control<ReportList>(w, "超级列表框1");
    list_in(w);
    QCOMPARE(list->lv_row_count(), 3);
    QCOMPARE(cell(list, 0, 0), QStringLiteral("alpha.com"));
    QCOMPARE(cell(list, 0, 1), QString::fromStdString(site->console.domain("alpha.com").id));
    QCOMPARE(cell(list, 0, 2), QStringLiteral("1"));
    QCOMPARE(cell(list, 0, 3), QStringLiteral("状态错误"));
    QCOMPARE(cell(list, 0, 4), QStringLiteral("记录数5条"));
    QCOMPARE(cell(list, 1, 3), QStringLiteral("域名状态正常"));
    QCOMPARE(cell(list, 1, 4), QStringLiteral("记录数0条"));
    QCOMPARE(cell(list, 2, 0), QStringLiteral("gamma.com"));
    QCOMPARE(cell(list, 2, 2), QStringLiteral("4"));
    // A second listing appends the domains again.
    list_in(w);
    QCOMPARE(list->lv_row_count(), 6);

    // Ticking.
    click(control<QPushButton>(w, "按钮勾选错误域名"));
    QVERIFY(list->lv_is_checked(0) && !list->lv_is_checked(1) && list->lv_is_checked(2));
    click(control<QPushButton>(w, "按钮反选"));
    QVERIFY(!list->lv_is_checked(0) && list->lv_is_checked(1) && !list->lv_is_checked(2));
    click(control<QPushButton>(w, "按钮全选"));
    for (int r = 0; r < 6; ++r) QVERIFY(list->lv_is_checked(r));
    click(control<QPushButton>(w, "按钮反选"));
    paste(control<LineBox>(w, "编辑框1"), QStringLiteral("GAMMA.com\nmissing.com\nbeta.COM"));
    click(control<QPushButton>(w, "按钮批量勾选"));
    QCOMPARE(control<LineBox>(w, "编辑框域名ID")->toPlainText(), QStringLiteral("2\n1\n"));
    QCOMPARE(control<QLineEdit>(w, "编辑框勾选的个数")->text(), QStringLiteral("2"));
    QVERIFY(!list->lv_is_checked(0) && list->lv_is_checked(1) && list->lv_is_checked(2) &&
            !list->lv_is_checked(5));

    // Export of the ticked names.
    click(control<QPushButton>(w, "按钮导出域名"));
    QCOMPARE(read_file(program_path({"dnspod导出的域名.txt"})), std::string("beta.com\r\ngamma.com\r\n"));

    // Deletion: the ticked domains leave the account, the rows stay in the list.
    size_t before = hooks->messages.size();
    click(control<QPushButton>(w, "按钮批量删除"));
    QVERIFY(wait_until([&] { return hooks->messages.size() > before; }));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("删除成功"));
    QCOMPARE(control<LineBox>(w, "编辑框2")->toPlainText(),
             QStringLiteral("beta.com--成功-删除\ngamma.com--成功-删除\n"));
    QVERIFY(wait_until_idle(w));
    QCOMPARE(site->console.domain("beta.com").id, std::string());
    QCOMPARE(site->console.domain("gamma.com").id, std::string());
    QVERIFY(!site->console.domain("alpha.com").id.empty());
    QCOMPARE(list->lv_row_count(), 6);
  }

  void manager_delete_with_nothing_ticked() {
    site->console.add_domain(kEmail, "keep.com");
    login(kEmail, kPassword);
    ToolWindow* w = open_manager();
    list_in(w);
    click(control<QPushButton>(w, "按钮批量删除"));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("删除成功"));
    QCOMPARE(site->console.requests_to("/Api/Domain.Remove").size(), size_t(0));
    QVERIFY(!site->console.domain("keep.com").id.empty());
  }

  // A removal the console did not confirm, and a listing that brought no answer, are said to
  // have failed: never "删除成功" or "获取完毕".
  void manager_says_when_a_removal_or_a_listing_failed() {
    site->console.add_domain(kEmail, "keep.com");
    site->console.add_domain(kEmail, "gone.com");
    login(kEmail, kPassword);
    ToolWindow* w = open_manager();
    list_in(w);
    click(control<QPushButton>(w, "按钮全选"));
    site->console.fail("/Api/Domain.Remove", "domain_id=" + site->console.domain("keep.com").id);
    click_for_message(control<QPushButton>(w, "按钮批量删除"));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("删除完毕，其中1个删除失败"));
    QCOMPARE(hooks->messages.back().flags, kIconError);
    QCOMPARE(control<LineBox>(w, "编辑框2")->toPlainText(), QStringLiteral("gone.com--成功-删除\n"));
    QVERIFY(wait_until_idle(w));
    QVERIFY(!site->console.domain("keep.com").id.empty());

    site->server.stop();
    click_for_message(control<QPushButton>(w, "按钮获取域名"));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("获取域名失败（查询失败）"));
    QVERIFY(wait_until_idle(w));
  }

  void manager_refresh_during_listing() {
    for (int i = 0; i < 12; ++i) site->console.add_domain(kEmail, "r" + std::to_string(i) + ".com");
    login(kEmail, kPassword);
    ToolWindow* w = open_manager();
    auto* list = control<ReportList>(w, "超级列表框1");
    auto* list_button = control<QPushButton>(w, "按钮获取域名");
    size_t before = hooks->messages.size();
    click(list_button);
    QCOMPARE(list_button->text(), QStringLiteral("停止域名"));
    QVERIFY(!list_button->isEnabled());
    QVERIFY(wait_until([&] { return list->lv_row_count() >= 2; }));
    click(control<QPushButton>(w, "按钮刷新"));
    // The running listing is stopped and a new one lists everything again into the empty list.
    QCOMPARE(list_button->text(), QStringLiteral("停止域名"));
    QVERIFY(list->lv_row_count() < 12);
    QVERIFY(wait_until([&] { return hooks->messages.size() > before; }));
    QCOMPARE(hooks->messages.back().text, QStringLiteral("获取完毕"));
    QCOMPARE(hooks->messages.size(), before + 1);  // the stopped listing said nothing
    QVERIFY(wait_until_idle(w));
    QVERIFY(list_button->isEnabled());
    QCOMPARE(list_button->text(), QStringLiteral("获取域名"));
    QCOMPARE(list->lv_row_count(), 12);
    QCOMPARE(cell(list, 0, 0), QStringLiteral("r0.com"));
    QCOMPARE(cell(list, 11, 0), QStringLiteral("r11.com"));
  }
};

TESSALY_GUI_TEST_MAIN(DnspodTest)
#include "test_dns_dnspod.moc"
