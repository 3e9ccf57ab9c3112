// The domain information query (window 9) through its controls, against the fake Chinaz pages:
// whois and IP runs, the pause captions, the status box and the four exports.
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <memory>

#include "core/http/endpoints.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "domains/domain_info_window.h"
#include "fakes/chinaz.h"
#include "fakes/fake_server.h"
#include "gui/gbk_qt.h"
#include "gui/line_box.h"
#include "gui/report_list.h"
#include "gui/support/gui_test.h"
#include "gui/worker_task.h"
#include "shell/main_window.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;

class DomainInfoTest : public QObject {
  Q_OBJECT

  struct Window {
    MainWindow main;
    DomainInfoWindow* w;
    LineBox* domains;
    QPushButton* whois;
    QPushButton* pause;
    QPushButton* ip;
    ReportList* rows;
    Window() {
      main.show();
      w = open_from_toolbox<DomainInfoWindow>(&main, "按钮域名批量查询", 9);
      domains = control<LineBox>(w, "编辑框域名框");
      whois = control<QPushButton>(w, "按钮开始查询");
      pause = control<QPushButton>(w, "按钮暂停查询");
      ip = control<QPushButton>(w, "按钮查询解析IP");
      rows = control<ReportList>(w, "超级列表框1");
    }
    ~Window() { w->close(); }
    void set_delay(const char* ms) { control<QLineEdit>(w, "编辑框延迟")->setText(QString::fromUtf8(ms)); }
    void export_in(const char* radio) {
      click(control<QRadioButton>(w, radio));
      click(control<QPushButton>(w, "按钮开始导出"));
    }
  };

  std::unique_ptr<TempFolder> folder_;
  std::unique_ptr<FakeServer> server_;
  std::unique_ptr<FakeChinaz> chinaz_;
  QByteArray home_;

  std::string file(const char* name) const { return read_file(folder_->path() + "/" + name); }

 private Q_SLOTS:
  void init() {
    folder_ = std::make_unique<TempFolder>();
    set_program_folder(folder_->path() + "/program");
    make_dir(folder_->path() + "/program");
    make_dir(folder_->path() + "/home");
    make_dir(folder_->path() + "/home/Desktop");
    home_ = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(folder_->path() + "/home"));
    server_ = std::make_unique<FakeServer>();
    chinaz_ = std::make_unique<FakeChinaz>(*server_);
    point_endpoints({{"CHINAZ_WHOIS", server_.get()}, {"CHINAZ_IP", server_.get()}});
    chinaz_->set_whois("a.com", {.registrar = "Reg A",
                                 .name_servers = "ns1.a.com",
                                 .dns_servers = "dns1.a.com",
                                 .updated = "2024年01月02日",
                                 .created = "2001年02月03日",
                                 .expires = "2030年04月05日"});
    chinaz_->set_whois(
        "late-site.com",
        {.registrar = "Reg%41B", .name_servers = "ns.l", .dns_servers = "dns.l", .missing = 1});
    chinaz_->set_ip("a.com", "1.2.3.4");
    chinaz_->set_ip("late-site.com", "5.6.7.8");
  }
  void cleanup() {
    reset_endpoints();
    chinaz_.reset();
    server_.reset();
    qputenv("HOME", home_);
    folder_.reset();
  }

  void defaults_and_count() {
    Window x;
    QCOMPARE(x.w->windowTitle(), QStringLiteral("域名批量查询"));
    QCOMPARE(lines_of(x.domains).size(), 3);
    QCOMPARE(line_of(x.w, "编辑框1"), QStringLiteral("3"));
    QCOMPARE(line_of(x.w, "编辑框延迟"), QStringLiteral("2000"));
    QCOMPARE(x.whois->text(), QStringLiteral("开始查询"));
    QCOMPARE(x.pause->text(), QStringLiteral("暂停查询"));
    QCOMPARE(x.ip->text(), QStringLiteral("开始查询解析IP"));
    QVERIFY(control<QRadioButton>(x.w, "单选框1")->isChecked());
    const QStringList titles =
        sl({"域名", "注册商 | IP", "域名服务器", "dns服务器", "更新时间", "创建时间", "过期时间"});
    const int widths[] = {80, 100, 80, 70, 100, 100, 100};
    for (int c = 0; c < 7; ++c) {
      QCOMPARE(x.rows->report_model()->column_title(c), titles[c]);
      QCOMPARE(x.rows->header()->sectionSize(c), widths[c]);
    }
    click(control<QPushButton>(x.w, "按钮1"));
    QCOMPARE(x.domains->toPlainText(), QString());
    QCOMPARE(line_of(x.w, "编辑框1"), QStringLiteral("0"));
  }

  void whois_run_statuses_rows_and_exports() {
    HookRecorder hooks;
    Window x;
    // Exports before any query write empty files.
    x.export_in("单选框2");
    QCOMPARE(file("program/所有域名.txt"), std::string());
    QCOMPARE(hooks.message_texts(), QStringList{QStringLiteral("导出完成")});

    paste(x.domains, QStringLiteral("a.com\nfree.cn\nlate-site.com"));
    x.set_delay("0");
    click(x.whois);
    QCOMPARE(x.whois->text(), QStringLiteral("停止查询"));
    QVERIFY(wait_until_idle(x.w, 20000));
    QCOMPARE(x.whois->text(), QStringLiteral("开始查询"));
    QCOMPARE(hooks.message_texts().last(), QStringLiteral("查询完毕"));
    QCOMPARE(hooks.messages.back().caption, QStringLiteral("友情提示"));
    QCOMPARE(hooks.messages.back().flags, 0);
    QCOMPARE(chinaz_->whois_requests("late-site.com"), 2);  // its first page lacked the whois block

    QCOMPARE(row_of(x.rows, 0, 7), sl({"a.com", "Reg A", "ns1.a.com", "dns1.a.com", "2024年01月02日",
                                       "2001年02月03日", "2030年04月05日"}));
    QCOMPARE(row_of(x.rows, 1, 7), sl({"free.cn", "该域名未被注册", "", "", "", "", ""}));
    QCOMPARE(row_of(x.rows, 2, 7)[1], QStringLiteral("RegAB"));  // the page's own %41 decoded too
    QCOMPARE(lines_of(control<LineBox>(x.w, "编辑框提示框")),
             sl({"正在访问域名-a.com -正在加载中..请勿关闭。", "域名：a.com访问成功。。。",
                 "域名：a.com是注册好的域名哦。", "正在访问域名-free.cn -正在加载中..请勿关闭。",
                 "域名：free.cn是未注册的域名。", "正在访问域名-late-site.com -正在加载中..请勿关闭。",
                 "域名：late-site.com访问成功。。。", "域名：late-site.com是注册好的域名哦。"}));

    save_screenshot(x.w, "window09_run");
    x.export_in("单选框1");
    QCOMPARE(file("program/错误域名.txt"), std::string("\r\nfree.cn\r\n\r\n"));
    x.export_in("单选框2");
    QCOMPARE(
        file("program/所有域名.txt"),
        gbk("1-域名-a.com-注册商-Reg "
            "A-域名服务器-ns1.a.com-DNS服务器-dns1.a.com-更新时间-2024年01月02日-创建时间-"
            "2001年02月03日-过期时间-2030年04月05日\r\n"
            "2-域名-free.cn-注册商-该域名未被注册-域名服务器--DNS服务器--更新时间--创建时间--过期时间-\r\n"
            "3-域名-late-site.com-注册商-RegAB-域名服务器-ns.l-DNS服务器-dns.l-更新时间--创建时间--过期时间-"
            "\r\n"));
    x.export_in("单选框3");
    QCOMPARE(file("program/域名-dns.txt"), gbk("1-域名-a.com-DNS服务器-dns1.a.com\r\n2-域名-free.cn-"
                                               "DNS服务器-\r\n3-域名-late-site.com-DNS服务器-dns.l\r\n"));
    click(control<QPushButton>(x.w, "按钮导出域名和IP"));
    QCOMPARE(file("home/Desktop/域名-IP.txt"),
             gbk("a.com-Reg A\r\nfree.cn-该域名未被注册\r\nlate-site.com-RegAB\r\n"));
    QCOMPARE(hooks.message_texts().last(), QStringLiteral("导出完成"));

    // A second whois run over a shorter list overwrites rows in place; exports follow its count.
    paste(x.domains, QStringLiteral("free.cn"));
    click(x.whois);
    QVERIFY(wait_until_idle(x.w, 20000));
    QCOMPARE(x.rows->lv_row_count(), 3);
    QCOMPARE(row_of(x.rows, 0, 7)[0], QStringLiteral("free.cn"));
    x.export_in("单选框1");
    QCOMPARE(file("program/错误域名.txt"), std::string("free.cn\r\n"));

    // A whois block without its fields cannot be read: a failed query, not a registered domain
    // with empty cells.
    chinaz_->set_whois("odd.com", {.unreadable = true});
    paste(x.domains, QStringLiteral("odd.com"));
    click(x.whois);
    QVERIFY(wait_until_idle(x.w, 20000));
    QCOMPARE(row_of(x.rows, 0, 7), sl({"odd.com", "查询失败", "", "", "", "", ""}));
    QCOMPARE(lines_of(control<LineBox>(x.w, "编辑框提示框")).last(),
             QStringLiteral("域名：odd.com查询失败：whois页面里读不到注册信息。"));
    QCOMPARE(hooks.message_texts().last(), QStringLiteral("查询完毕，其中1个查询失败"));
  }

  void ip_run_clears_the_list_and_every_row_is_an_error_row() {
    HookRecorder hooks;
    Window x;
    paste(x.domains, QStringLiteral("a.com\nnowhere.cn\nlate-site.com"));
    x.rows->lv_insert_row(-1, "old");
    click(x.ip);
    QCOMPARE(x.rows->lv_row_count(), 0);
    QCOMPARE(x.ip->text(), QStringLiteral("停止查询解析IP"));
    QVERIFY(wait_until_idle(x.w));
    QCOMPARE(x.ip->text(), QStringLiteral("开始查询解析IP"));
    QCOMPARE(hooks.message_texts(), QStringList{QStringLiteral("查询完毕")});
    QCOMPARE(hooks.messages[0].caption, QStringLiteral("信息："));
    QCOMPARE(x.rows->lv_row_count(), 3);
    QCOMPARE(row_of(x.rows, 0, 7), sl({"a.com", "1.2.3.4", "", "", "", "", ""}));
    QCOMPARE(row_of(x.rows, 1, 7)[1], QString());
    QCOMPARE(row_of(x.rows, 2, 7)[1], QStringLiteral("5.6.7.8"));
    QVERIFY(text_of(x.w, "编辑框提示框").isEmpty());
    x.export_in("单选框1");
    QCOMPARE(file("program/错误域名.txt"), std::string("a.com\r\nnowhere.cn\r\nlate\r\n"));
    click(control<QPushButton>(x.w, "按钮导出域名和IP"));
    QCOMPARE(file("home/Desktop/域名-IP.txt"),
             std::string("a.com-1.2.3.4\r\nnowhere.cn-\r\nlate-site.com-5.6.7.8\r\n"));
    click(control<QPushButton>(x.w, "按钮清空列表"));
    QCOMPARE(x.rows->lv_row_count(), 0);
  }

  void pause_captions_and_stop() {
    HookRecorder hooks;
    Window x;
    paste(x.domains, QStringLiteral("a.com\nfree.cn"));
    x.set_delay("600000");  // the run sits in the delay after its first request
    click(x.whois);
    QVERIFY(wait_until([&] { return server_->request_count() == 1; }));
    click(x.pause);
    QCOMPARE(x.pause->text(), QStringLiteral("开始添加"));
    click(x.pause);
    QCOMPARE(x.pause->text(), QStringLiteral("暂停添加"));
    click(x.pause);
    click(x.whois);  // a stop while paused
    QVERIFY(wait_until_idle(x.w, 5000));
    QCOMPARE(x.whois->text(), QStringLiteral("开始查询"));
    QCOMPARE(x.pause->text(), QStringLiteral("暂停添加"));  // not reset to its loaded caption
    QCOMPARE(server_->request_count(), size_t(1));
    QCOMPARE(lines_of(control<LineBox>(x.w, "编辑框提示框")).size(), 1);
    QVERIFY(hooks.messages.empty());
    // The pause button does nothing without a whois run, even while an IP run goes on.
    click(x.ip);
    click(x.pause);
    QCOMPARE(x.pause->text(), QStringLiteral("暂停添加"));
    QVERIFY(wait_until_idle(x.w));
  }

  void unwritable_exports_are_reported() {
    HookRecorder hooks;
    Window x;
    set_program_folder(folder_->path() + "/missing");
    qputenv("HOME", QByteArray::fromStdString(folder_->path() + "/missing"));
    x.export_in("单选框2");
    click(control<QPushButton>(x.w, "按钮导出域名和IP"));
    QCOMPARE(hooks.messages.size(), size_t(2));
    for (const auto& m : hooks.messages) {
      QVERIFY(m.text.startsWith(QStringLiteral("导出失败，无法写入文件：")));
      QCOMPARE(m.flags, kIconError);
    }
  }
};

TESSALY_GUI_TEST_MAIN(DomainInfoTest)
#include "test_domains_domain_info.moc"
