// The website access test (window 5) through its controls, against the fake sites: titles in
// several charsets, flagged domains, the final count, pause, stop, copy and clear.
#include <QPushButton>

#include "core/text/charset.h"
#include "domains/access_test_window.h"
#include "fakes/fake_server.h"
#include "fakes/sites.h"
#include "gui/line_box.h"
#include "gui/support/gui_test.h"
#include "gui/worker_task.h"
#include "shell/main_window.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;

class AccessTestTest : public QObject {
  Q_OBJECT

  struct Window {
    MainWindow main;
    AccessTestWindow* w;
    LineBox* sites;
    LineBox* results;
    LineBox* flagged;
    QPushButton* start;
    QPushButton* pause;
    Window() {
      main.show();
      w = open_from_toolbox<AccessTestWindow>(&main, "按钮批量网站访问", 5);
      sites = control<LineBox>(w, "编辑框域名框");
      results = control<LineBox>(w, "编辑框返回结果框");
      flagged = control<LineBox>(w, "编辑框不能访问的域名");
      start = control<QPushButton>(w, "按钮开始测试访问");
      pause = control<QPushButton>(w, "按钮暂停测试访问");
    }
    ~Window() { w->close(); }
  };

  FakeServer server_;
  FakeSites fake_sites_{server_};

  QString url(const char* path) const {
    return QString::fromStdString(server_.base_url()) + QString::fromUtf8(path);
  }

 private Q_SLOTS:
  void defaults() {
    Window x;
    QCOMPARE(x.w->windowTitle(), QStringLiteral("批量网站访问"));
    QCOMPARE(lines_of(x.sites).size(), 3);
    QCOMPARE(line_of(x.w, "编辑框域名个数"), QStringLiteral("3"));
    QCOMPARE(x.start->text(), QStringLiteral("开始测试访问"));
    QCOMPARE(x.pause->text(), QStringLiteral("暂停测试访问"));
    click(control<QPushButton>(x.w, "按钮2"));
    QCOMPARE(x.sites->toPlainText(), QString());
    QCOMPARE(line_of(x.w, "编辑框域名个数"), QStringLiteral("0"));
  }

  void titles_flags_and_the_count() {
    HookRecorder hooks;
    Window x;
    const QString dead = QStringLiteral("127.0.0.1:%1").arg(unused_port());
    paste(x.sites, url("/utf8") + u'\n' + dead + u'\n' + url("/gbk") + u'\n' + url("/big5") + u'\n' +
                       url("/empty") + u'\n' + url("/multiline") + u'\n' + url("/entities"));
    x.results->setPlainText(QStringLiteral("old result"));
    click(x.start);
    QCOMPARE(x.start->text(), QStringLiteral("停止测试访问"));
    QCOMPARE(x.results->toPlainText(), QString());  // emptied when the run starts
    QVERIFY(wait_until_idle(x.w));
    QCOMPARE(x.start->text(), QStringLiteral("开始测试访问"));
    QCOMPARE(
        lines_of(x.results),
        QStringList(
            {QStringLiteral("1---") + url("/utf8") + QStringLiteral("状态:OK---标题：中文标题 UTF-8"),
             QStringLiteral("2★---") + dead + QStringLiteral("状态:NO---标题：查询失败★★"),
             QStringLiteral("3---") + url("/gbk") + QStringLiteral("状态:OK---标题：简体中文站点"),
             QStringLiteral("4---") + url("/big5") + QStringLiteral("状态:OK---标题：繁體中文網站"),
             QStringLiteral("5★---") + url("/empty") +
                 QStringLiteral("状态:NO---标题：此域名可能不能访问。★★"),
             QStringLiteral("6---") + url("/multiline") + QStringLiteral("状态:OK---标题：多行标题"),
             QStringLiteral("7---") + url("/entities") + QStringLiteral("状态:OK---标题：A & B 中文 <ok>")}));
    // The site that did not answer is flagged with the one that answered without a title; the
    // count says how many of them failed.
    QCOMPARE(lines_of(x.flagged), QStringList({dead, url("/empty")}));
    QCOMPARE(hooks.message_texts(),
             QStringList{QStringLiteral("查询完毕不能访问的域名一共有2个，其中1个查询失败")});
    QCOMPARE(hooks.messages[0].caption, QStringLiteral("友情提示"));
    QCOMPARE(hooks.messages[0].flags, 0);
    save_screenshot(x.w, "window05_run");

    // A second run keeps the flagged box and counts only its own results.
    paste(x.sites, url("/none") + u'\n' + url("/upper"));
    click(x.start);
    QVERIFY(wait_until_idle(x.w));
    QCOMPARE(lines_of(x.flagged), QStringList({dead, url("/empty"), url("/none")}));
    QCOMPARE(hooks.message_texts().last(), QStringLiteral("查询完毕不能访问的域名一共有1个"));

    click(control<QPushButton>(x.w, "按钮3"));
    QCOMPARE(hooks.clipboard, QStringList{x.results->toPlainText()});
    QCOMPARE(hooks.message_texts().last(), QStringLiteral("复制成功"));
    QCOMPARE(hooks.messages.back().caption, QStringLiteral("友情提示"));
    click(control<QPushButton>(x.w, "按钮1"));
    QCOMPARE(x.results->toPlainText(), QString());
  }

  void pause_and_stop() {
    HookRecorder hooks;
    Window x;
    paste(x.sites, url("/utf8") + u'\n' + url("/hang") + u'\n' + url("/gbk"));
    click(x.start);
    QVERIFY(wait_until([&] { return server_.hanging() == 1; }));
    click(x.pause);
    QCOMPARE(x.pause->text(), QStringLiteral("开始测试访问"));
    click(x.pause);
    QCOMPARE(x.pause->text(), QStringLiteral("暂停测试访问"));
    click(x.start);
    QVERIFY(wait_until_idle(x.w, 5000));
    QCOMPARE(x.start->text(), QStringLiteral("开始测试访问"));
    QCOMPARE(lines_of(x.results).size(), 1);  // the lines so far stay
    QVERIFY(x.flagged->toPlainText().isEmpty());
    QVERIFY(hooks.messages.empty());  // a stopped run neither counts nor reports
    server_.release_hanging();
  }
};

TESSALY_GUI_TEST_MAIN(AccessTestTest)
#include "test_domains_access_test.moc"
