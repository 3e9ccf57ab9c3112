// Batch IP lookup (window 30) and its "域名+IP" lists (window 31), against the fake IP138 page.
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>

#include "core/http/endpoints.h"
#include "domains/ip_lookup_window.h"
#include "fakes/fake_server.h"
#include "fakes/ip138.h"
#include "gui/gbk_qt.h"
#include "gui/line_box.h"
#include "gui/report_list.h"
#include "gui/support/gui_test.h"
#include "gui/worker_task.h"
#include "shell/main_window.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;

class IpLookupTest : public QObject {
  Q_OBJECT

  struct Window {
    MainWindow main;
    QPointer<IpLookupWindow> w;
    LineBox* domains;
    QPushButton* start;
    ReportList* rows;
    Window() {
      main.show();
      w = open_from_toolbox<IpLookupWindow>(&main, "按钮13", 30);
      domains = control<LineBox>(w, "编辑框1");
      start = control<QPushButton>(w, "按钮开始查询");
      rows = control<ReportList>(w, "超级列表框1");
    }
    ~Window() {
      if (ToolWindow* lists = open_window(31)) lists->close();
      if (w) w->close();
    }
    ToolWindow* open_lists() {
      click(control<QPushButton>(w, "按钮2"));
      ToolWindow* lists = open_window(31);
      if (!lists) qFatal("域名+IP did not open");
      return lists;
    }
  };

  FakeServer* server_ = nullptr;
  FakeIp138* ip138_ = nullptr;

 private Q_SLOTS:
  void init() {
    server_ = new FakeServer;
    ip138_ = new FakeIp138(*server_);
    point_endpoints({{"IP138_LOOKUP", server_}});
    ip138_->set_domain("a.com", "1.2.3.4", "广东省深圳市 电信");
    ip138_->set_domain("c.net", "9.8.7.6", "美国");
  }
  void cleanup() {
    reset_endpoints();
    delete ip138_;
    delete server_;
  }

  void two_runs_append_and_the_lists_follow() {
    HookRecorder hooks;
    Window x;
    QCOMPARE(x.w->windowTitle(), QStringLiteral("批量查域名IP"));
    QCOMPARE(lines_of(x.domains).size(), 3);
    QCOMPARE(x.start->text(), QStringLiteral("开始查询"));
    const QStringList titles = sl({"ID", "域名", "IP", "地区"});
    const int widths[] = {50, 120, 150, 190};
    for (int c = 0; c < 4; ++c) {
      QCOMPARE(x.rows->report_model()->column_title(c), titles[c]);
      QCOMPARE(x.rows->header()->sectionSize(c), widths[c]);
    }

    paste(x.domains, QStringLiteral("a.com\nunknown.cn\nc.net"));
    click(x.start);
    QVERIFY(wait_until_idle(x.w));
    click(x.start);
    QVERIFY(wait_until_idle(x.w));
    QCOMPARE(x.start->text(), QStringLiteral("开始查询"));  // no toggle
    QCOMPARE(x.rows->lv_row_count(), 6);
    for (int r = 0; r < 6; r += 3) {
      QCOMPARE(row_of(x.rows, r, 4), sl({"1", "a.com", "1.2.3.4", "广东省深圳市 电信"}));
      QCOMPARE(row_of(x.rows, r + 1, 4), sl({"2", "unknown.cn", "", ""}));
      QCOMPARE(row_of(x.rows, r + 2, 4), sl({"3", "c.net", "9.8.7.6", "美国"}));
    }
    QCOMPARE(server_->requests().front().target, "/ips1388.asp?ip=a.com&action=2");
    QVERIFY(server_->requests().front().has_header("Referer"));

    QVERIFY(hooks.messages.empty());  // every lookup was answered: the runs end silently

    // Only the rows that found an address go on to the lists; the others are counted.
    ToolWindow* lists = x.open_lists();
    QCOMPARE(lists->windowTitle(), QStringLiteral("域名+IP"));
    QCOMPARE(lines_of(control<LineBox>(lists, "编辑框1")), sl({"a.com", "c.net", "a.com", "c.net"}));
    QCOMPARE(lines_of(control<LineBox>(lists, "编辑框2")), sl({"1.2.3.4", "9.8.7.6", "1.2.3.4", "9.8.7.6"}));
    QCOMPARE(hooks.message_texts(), QStringList{QStringLiteral("有2个域名没有查到IP，没有列出。")});
    save_screenshot(x.w, "window30_run");
    save_screenshot(lists, "window31_run");
  }

  void runs_go_side_by_side_and_the_lists_copy_what_is_there() {
    HookRecorder hooks;
    ip138_->hold("slow.org");
    Window x;
    paste(x.domains, QStringLiteral("a.com\nslow.org\nc.net"));
    click(x.start);
    QVERIFY(wait_until([&] { return server_->hanging() == 1; }));
    // A second run starts beside the held one and gets as far as the same domain.
    click(x.start);
    QVERIFY(wait_until([&] { return server_->hanging() == 2; }));
    QCOMPARE(x.rows->lv_row_count(), 4);

    // A lookup still under way has no address yet.
    ToolWindow* lists = x.open_lists();
    QCOMPARE(lines_of(control<LineBox>(lists, "编辑框1")), sl({"a.com", "a.com"}));
    QCOMPARE(lines_of(control<LineBox>(lists, "编辑框2")), sl({"1.2.3.4", "1.2.3.4"}));
    QCOMPARE(hooks.message_texts(), QStringList{QStringLiteral("有2个域名没有查到IP，没有列出。")});

    // Closing the lookup window ends both runs.
    x.w->close();
    QVERIFY(wait_until([&] { return open_window(30) == nullptr; }));
    server_->release_hanging();
  }

  // A lookup that brought no answer shows "查询失败" in its row, never the empty address of an
  // unknown domain; the run says how many failed, and the lists leave those rows out.
  void a_failed_lookup_says_so_and_never_becomes_an_address() {
    HookRecorder hooks;
    Window x;
    paste(x.domains, QStringLiteral("a.com\nunknown.cn"));
    server_->stop();
    click(x.start);
    QVERIFY(wait_until_idle(x.w));
    QCOMPARE(row_of(x.rows, 0, 4), sl({"1", "a.com", "查询失败", ""}));
    QCOMPARE(row_of(x.rows, 1, 4), sl({"2", "unknown.cn", "查询失败", ""}));
    QCOMPARE(hooks.message_texts(), QStringList{QStringLiteral("查询完毕，其中2个查询失败")});
    save_screenshot(x.w, "window30_failed");
    ToolWindow* lists = x.open_lists();
    QVERIFY(control<LineBox>(lists, "编辑框1")->toPlainText().isEmpty());
    QVERIFY(control<LineBox>(lists, "编辑框2")->toPlainText().isEmpty());
    QCOMPARE(hooks.message_texts().last(),
             QStringLiteral("有2个域名没有查到IP，没有列出，其中2个查询失败。"));
  }
};

TESSALY_GUI_TEST_MAIN(IpLookupTest)
#include "test_domains_ip_lookup.moc"
