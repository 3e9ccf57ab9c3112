// Every tool that talks to a remote service, run through its window against every fault the
// service can show (tests/fakes/faults.h): each run ends by itself with the tool's failure (a
// failed row, a flagged site, an empty result, a failure message), never with a result that
// looks like a success; a stop click ends a run held by a hung service within a second; and the
// window's events keep flowing while the faults run (the longest stall is printed). The two
// tools that drive a browser are run the same way: the ping page confirms nothing a faulty
// service answers, and the crawler browser opens the next address whatever the last one did.
#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWebEngineView>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "core/http/endpoints.h"
#include "core/http/transport_settings.h"
#include "core/text/files.h"
#include "fakes/faults.h"
#include "fakes/web_pages.h"
#include "gui/gbk_qt.h"
#include "gui/line_box.h"
#include "gui/report_list.h"
#include "gui/support/browser_test.h"
#include "gui/support/gui_test.h"
#include "gui/worker_task.h"
#include "research/ping_page.h"
#include "shell/main_window.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;

namespace {

// The longest gap between turns of the window's event loop while it lives.
class StallMeter : public QObject {
 public:
  StallMeter() {
    clock_.start();
    timer_.setInterval(5);
    connect(&timer_, &QTimer::timeout, this, [this] { longest_ = std::max(longest_, clock_.restart()); });
    timer_.start();
  }
  qint64 longest_ms() const { return longest_; }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 longest_ = 0;
};

QString cell(const QWidget* root, const char* list, int row, int column) {
  return from_gbk(control<ReportList>(root, list)->lv_get_cell(row, column));
}
int rows(const QWidget* root, const char* list) { return control<ReportList>(root, list)->lv_row_count(); }
void set_text(QWidget* root, const char* name, const QString& text) {
  if (auto* box = root->findChild<LineBox*>(QString::fromUtf8(name)))
    box->setPlainText(text);
  else
    control<QLineEdit>(root, name)->setText(text);
}
bool has_message(const HookRecorder& hooks, const QString& start) {
  const QStringList texts = hooks.message_texts();
  return std::any_of(texts.begin(), texts.end(), [&](const QString& t) { return t.startsWith(start); });
}

// A refusal the service kept up (429) shows as the tool's "频率受限" somewhere in its window.
bool shows_rate_limited(const QWidget* root, const HookRecorder& hooks) {
  const QString mark = QStringLiteral("频率受限");
  if (hooks.message_texts().join(QChar(u'\n')).contains(mark)) return true;
  for (const LineBox* box : root->findChildren<LineBox*>())
    if (box->toPlainText().contains(mark)) return true;
  for (const QLineEdit* line : root->findChildren<QLineEdit*>())
    if (line->text().contains(mark)) return true;
  for (const ReportList* list : root->findChildren<ReportList*>())
    for (int r = 0; r < list->lv_row_count(); ++r)
      for (int c = 0; c < list->report_model()->columnCount(); ++c)
        if (from_gbk(list->lv_get_cell(r, c)).contains(mark)) return true;
  return false;
}

struct NetTool {
  const char* name;
  std::vector<const char*> keys;  // endpoint keys that reach the faulty service
  int window;                     // tool window, or 0 for a main-window page
  const char* toolbox_button;     // how a user opens it (a page without one: its number)
  std::function<void(QWidget*, const QString& base)> prepare;
  const char* start;
  // A stop button ("" when the start button toggles); null: closing the window stops it, and a
  // page without one has no stop (its request's time-out ends it).
  const char* stop;
  // After the run under a fault: the tool shows the failure and no result that reads as a success.
  std::function<bool(QWidget*, const HookRecorder&, Fault)> failed;
  bool runs_until_stopped = false;  // repeats until a stop: stopped once it has shown a failure
};

const std::vector<NetTool>& net_tools() {
  static const std::vector<NetTool> all = {
      {"access test",
       {},
       5,
       "按钮批量网站访问",
       [](QWidget* w, const QString& base) { set_text(w, "编辑框域名框", base + QStringLiteral("/site")); },
       "按钮开始测试访问",
       "",
       [](QWidget* w, const HookRecorder&, Fault) {
         return text_of(w, "编辑框返回结果框").contains(QStringLiteral("状态:NO")) &&
                lines_of(control<LineBox>(w, "编辑框不能访问的域名")).size() == 1;
       }},
      {"ip lookup",
       {"IP138_LOOKUP"},
       30,
       "按钮13",
       [](QWidget* w, const QString&) { set_text(w, "编辑框1", QStringLiteral("a.com")); },
       "按钮开始查询",
       nullptr,
       [](QWidget* w, const HookRecorder&, Fault) {
         return rows(w, "超级列表框1") == 1 && cell(w, "超级列表框1", 0, 2).isEmpty();
       }},
      {"domain info",
       {"CHINAZ_WHOIS", "CHINAZ_IP"},
       9,
       "按钮域名批量查询",
       [](QWidget* w, const QString&) {
         set_text(w, "编辑框域名框", QStringLiteral("a.com"));
         set_text(w, "编辑框延迟", QStringLiteral("0"));
       },
       "按钮开始查询",
       "",
       [](QWidget* w, const HookRecorder&, Fault) {
         return rows(w, "超级列表框1") == 1 && cell(w, "超级列表框1", 0, 1) == QStringLiteral("查询失败");
       }},
      {"inclusion",
       {"BAIDU_WEB_SEARCH"},
       0,
       "按钮9",
       [](QWidget* w, const QString&) { set_text(w, "编辑框域名框", QStringLiteral("a.com")); },
       "按钮收录开始查询",
       "",
       [](QWidget* w, const HookRecorder&, Fault fault) {
         // A query without an answer shows "查询失败" (or "频率受限"), never a count; a page that
         // answered with junk holds no count, which the tool reads as "0".
         if (rows(w, "超级列表框百度收录") != 1) return false;
         for (int c = 2; c <= 5; ++c) {
           const QString count = cell(w, "超级列表框百度收录", 0, c);
           if (fault == Fault::BadBytes
                   ? count != QStringLiteral("0")
                   : count != QStringLiteral("查询失败") && count != QStringLiteral("频率受限"))
             return false;
         }
         return true;
       }},
      {"banned words",
       {"BAIDU_WEB_SEARCH"},
       21,
       "按钮6",
       [](QWidget* w, const QString&) { set_text(w, "编辑框1", QStringLiteral("词")); },
       "按钮1",
       "",
       [](QWidget* w, const HookRecorder&, Fault) {
         const QString status = cell(w, "超级列表框1", 0, 2);
         return rows(w, "超级列表框1") == 1 &&
                (status == QStringLiteral("查询失败") || status == QStringLiteral("频率受限"));
       }},
      {"domain mining",
       {"AIZHAN_BAIDURANK", "AIZHAN_KEYWORDS"},
       22,
       "按钮爱站域名采集词",
       [](QWidget* w, const QString&) {
         set_text(w, "编辑框域名", QStringLiteral("a.com"));
         set_text(w, "编辑框延迟", QStringLiteral("0"));
         set_text(w, "编辑框1", QStringLiteral("1"));  // pages
       },
       "按钮开始查询",
       "按钮1",
       [](QWidget* w, const HookRecorder&, Fault) { return rows(w, "超级列表框1") == 0; }},
      {"word translate",
       {"BAIDU_TRANSLATE"},
       28,
       "按钮单词功能",
       [](QWidget* w, const QString&) { set_text(w, "编辑框1", QStringLiteral("apple")); },
       "按钮3",
       nullptr,
       [](QWidget* w, const HookRecorder& hooks, Fault) {
         return has_message(hooks, QStringLiteral("翻译失败，原文已保留。")) &&
                text_of(w, "编辑框1") == QStringLiteral("apple");
       }},
      {"external links",
       {},
       24,
       "按钮超级外链工具",
       [](QWidget* w, const QString&) { set_text(w, "编辑框1", QStringLiteral("a.cn")); },
       "按钮开始发布",
       "按钮停止发布",
       [](QWidget* w, const HookRecorder&, Fault) {
         // The totals count across runs: failures only, never a success.
         const QString totals = line_of(w, "编辑框状态");
         return totals.startsWith(QStringLiteral("成功：0个，失败：")) &&
                !totals.contains(QStringLiteral("失败：0个"));
       },
       true},
      {"dnspod login",
       {"DNSPOD_WEB"},
       0,
       "1",
       [](QWidget* p, const QString&) {
         set_text(p, "编辑框_DNSPod邮箱", QStringLiteral("me@example.com"));
         set_text(p, "编辑框_Dnspod密码", QStringLiteral("secret"));
       },
       "按钮_登陆DNSpod",
       nullptr,
       [](QWidget* p, const HookRecorder& hooks, Fault) {
         return has_message(hooks, QStringLiteral("登陆失败!")) &&
                control<QWidget>(p, "按钮_登陆DNSpod")->isEnabled();
       }},
      {"51dns login",
       {"DNS51_WEB"},
       0,
       "5",
       [](QWidget* p, const QString&) {
         set_text(p, "编辑框51dns", QStringLiteral("me@example.com"));
         set_text(p, "编辑框51dns密码", QStringLiteral("secret"));
       },
       "按钮51登录",
       nullptr,
       [](QWidget* p, const HookRecorder& hooks, Fault) {
         // An answer without the service's verdict is shown as nothing at all.
         return !has_message(hooks, QStringLiteral("登录成功")) &&
                control<QWidget>(p, "按钮51登录")->isEnabled();
       }},
      {"keyword collection",
       {"WORDLIB_HOME", "WORDLIB_SEARCH", "AIZHAN_LOGIN", "AIZHAN_KEYWORDS"},
       6,
       "按钮词库网采集",
       [](QWidget* w, const QString&) {
         w->findChild<QAction*>(QStringLiteral("工具条1_1"))->trigger();  // the collection step
         set_text(w, "编辑框关键词", QStringLiteral("站群"));
       },
       "按钮开始采集",
       "",
       [](QWidget* w, const HookRecorder& hooks, Fault) {
         return has_message(hooks, QStringLiteral("采集方式为词库网采集：一共采集了0条数据")) &&
                text_of(w, "编辑框采集结果").isEmpty();
       }},
      {"url push",
       {"BAIDU_PUSH_API"},
       34,
       "按钮主动推送",
       [](QWidget* w, const QString&) {
         set_text(w, "编辑框站点", QStringLiteral("www.a.com"));
         set_text(w, "编辑框密钥", QStringLiteral("token1"));
         set_text(w, "编辑框网址", QStringLiteral("http://www.a.com/1\nhttp://www.a.com/2"));
       },
       "按钮开始推送",
       "",
       [](QWidget* w, const HookRecorder&, Fault) {
         // No answer (or one that says nothing) marks the URLs failed, never pushed.
         return rows(w, "超级列表框1") == 2 && cell(w, "超级列表框1", 0, 2) == QStringLiteral("查询失败") &&
                cell(w, "超级列表框1", 1, 2) == QStringLiteral("查询失败");
       }},
      {"keyword miner",
       {"BAIDU_SUGGEST", "BAIDU_WEB_SEARCH", "TAOBAO_SUGGEST", "SOGOU_INDEX_SEARCH", "SOGOU_INDEX_HINT",
        "BING_HOME", "BING_SUGGEST", "SO360_SUGGEST", "KANDIANBAO_WAJUE", "WORDLIB_SEARCH", "WORDLIB_DATA"},
       0,
       "按钮关键词挖掘机",
       [](QWidget*, const QString&) {},
       "按钮挖掘机搜索",
       "按钮挖掘机停止",
       [](QWidget* w, const HookRecorder&, Fault) { return rows(w, "超级列表框挖掘机") == 0; }},
  };
  return all;
}

void point_all(const std::vector<const char*>& keys, const FakeServer& server) {
  std::string lines;
  for (const char* key : keys) lines += std::string(key) + " = " + server.base_url() + "\n";
  set_endpoint_overrides(lines);
}

}  // namespace

class FaultsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempFolder> folder_;
  std::unique_ptr<MainWindow> main_;

  // Opens the tool as a user does; for a page, the page itself.
  QWidget* open(const NetTool& tool) {
    if (tool.window == 0 && QChar::fromLatin1(tool.toolbox_button[0]).isDigit()) {
      main_->show_page(std::atoi(tool.toolbox_button));
      return main_->tabs()->currentWidget();
    }
    click(control<QAbstractButton>(main_.get(), tool.toolbox_button));
    if (tool.window == 0) return main_->tabs()->currentWidget();
    QWidget* w = open_window(tool.window);
    if (!w) qFatal("window %d did not open", tool.window);
    return w;
  }

  static bool idle(const QObject* root) {
    const auto tasks = root->findChildren<WorkerTask*>();
    return std::none_of(tasks.begin(), tasks.end(), [](const WorkerTask* t) { return t->active(); });
  }

  void close(const NetTool& tool, QWidget* root) {
    QPointer<QWidget> guard(root);
    for (WorkerTask* task : root->findChildren<WorkerTask*>()) task->stop_now();
    QVERIFY(wait_until([&] { return idle(root); }, 20000));
    // A finished run may keep the stop wording until the next click (pages live on).
    for (WorkerTask* task : root->findChildren<WorkerTask*>())
      if (task->shows_stop_wording()) task->stop();
    if (tool.window == 0) return;
    root->close();
    QVERIFY(wait_until([&] { return guard.isNull() || !guard->isVisible(); }));
  }

  // The external link tool reads its site templates when its window opens.
  void write_link_templates(const FakeServer& server) {
    make_dir(folder_->path() + "/超级外链工具配置");
    write_file(folder_->path() + "/超级外链工具配置/url.txt", server.base_url() + "/link?u={$url}\r\n");
  }

 private Q_SLOTS:
  void initTestCase() {
    folder_ = std::make_unique<TempFolder>();
    set_program_folder(folder_->path());
    TransportSettings s;
    s.http_stall_timeout_ms = 1000;
    s.winhttp_timeout_ms = 1000;
    if (!huge_body_from_environment()) s.max_body_bytes = 1024 * 1024;
    set_transport_settings(s);
    main_ = std::make_unique<MainWindow>();
    main_->show();
  }
  void cleanupTestCase() {
    main_.reset();
    ping_home_.reset();
    reset_endpoints();
    reset_transport_settings();
    QVERIFY(wait_until([] { return running_worker_threads() == 0; }, 20000));
  }

  void every_fault_ends_as_the_tools_failure() {
    HookRecorder hooks;
    for (const NetTool& tool : net_tools()) {
      qint64 longest_stall = 0;
      QElapsedTimer tool_clock;
      tool_clock.start();
      for (Fault fault : all_faults()) {
        if (fault == Fault::Hang) continue;  // the stop test below
        const QString where =
            QStringLiteral("%1 / %2").arg(QString::fromUtf8(tool.name), QString::fromUtf8(fault_name(fault)));
        FakeServer server(fault_scheme(fault));
        answer_with_fault(server, fault);
        point_all(tool.keys, server);
        write_link_templates(server);
        hooks.messages.clear();
        QWidget* root = open(tool);
        tool.prepare(root, QString::fromStdString(server.base_url()));
        StallMeter meter;
        click(control<QAbstractButton>(root, tool.start));
        if (tool.runs_until_stopped) {
          QVERIFY2(wait_until([&] { return tool.failed(root, hooks, fault); }, 60000), qPrintable(where));
          click(control<QAbstractButton>(root, tool.stop));
        }
        QVERIFY2(wait_until([&] { return idle(root); }, 60000), qPrintable(where));
        process_events_briefly();
        longest_stall = std::max(longest_stall, meter.longest_ms());
        QVERIFY2(tool.failed(root, hooks, fault) ||
                     (fault == Fault::TooManyRequests && shows_rate_limited(root, hooks)),
                 qPrintable(where));
        close(tool, root);
      }
      qInfo("%s: all faults in %lld ms, longest event-loop stall %lld ms", tool.name,
            static_cast<long long>(tool_clock.elapsed()), static_cast<long long>(longest_stall));
    }
  }

  void a_stop_ends_a_run_held_by_a_hung_service_within_a_second() {
    HookRecorder hooks;
    for (const NetTool& tool : net_tools()) {
      if (tool.window == 0 && !tool.stop) continue;  // nothing to stop it with
      const QString where = QString::fromUtf8(tool.name);
      FakeServer server;
      answer_with_fault(server, Fault::Hang);
      point_all(tool.keys, server);
      write_link_templates(server);
      QWidget* root = open(tool);
      tool.prepare(root, QString::fromStdString(server.base_url()));
      click(control<QAbstractButton>(root, tool.start));
      QVERIFY2(wait_until([&] { return server.hanging() >= 1; }), qPrintable(where));
      QElapsedTimer clock;
      clock.start();
      if (!tool.stop) {
        // Closing the window is this tool's stop.
        root->close();
        QVERIFY2(wait_until([] { return running_worker_threads() == 0; }), qPrintable(where));
      } else {
        click(control<QAbstractButton>(root, *tool.stop ? tool.stop : tool.start));
        QVERIFY2(wait_until([&] { return idle(root); }), qPrintable(where));
      }
      const qint64 took = clock.elapsed();
      qInfo("%s: stopped %lld ms after the click", tool.name, static_cast<long long>(took));
      QVERIFY2(took < 1000, qPrintable(where + QStringLiteral(": %1 ms").arg(took)));
      server.release_hanging();
      if (tool.stop) close(tool, root);
    }
  }

  // Every fault leaves the ping page's status box empty (it holds confirmations only) and the
  // pass goes on to the next address by itself.
  void the_ping_page_confirms_nothing_a_faulty_service_answers() {
    PingPage* page = show_ping_page();
    auto* status = control<LineBox>(page, "编辑框2");
    for (Fault fault : all_faults()) {
      if (fault == Fault::Hang) continue;  // the stop test below
      const QString where = QString::fromUtf8(fault_name(fault));
      FakeServer server(fault_scheme(fault));
      answer_with_fault(server, fault);
      point_all({"BAIDU_PING"}, server);
      set_text(page, "编辑框1", QStringLiteral("a.com\r\nb.com"));
      status->setPlainText({});
      const size_t loads = server.requests("/ping.html").size();
      StallMeter meter;
      click(control<QAbstractButton>(page, "按钮开始提交"));
      QVERIFY2(wait_until([&] { return page->state() == JobState::Idle; }, 60000), qPrintable(where));
      QVERIFY2(status->toPlainText().isEmpty(), qPrintable(where));
      if (fault != Fault::UntrustedCertificate)  // refused before any request
        QVERIFY2(server.requests("/ping.html").size() >= loads + 2, qPrintable(where));
      qInfo("ping / %s: longest event-loop stall %lld ms", fault_name(fault),
            static_cast<long long>(meter.longest_ms()));
    }
  }

  // A stop while the form is awaited leaves that address unsent and ends the pass within a
  // second; no later address is loaded. The pass runs on the window thread, so the click comes
  // from a timer inside its waits, as a user's click would.
  void a_stop_ends_a_ping_pass_held_by_a_hung_service_within_a_second() {
    PingPage* page = show_ping_page();
    FakeServer server;
    answer_with_fault(server, Fault::Hang);
    point_all({"BAIDU_PING"}, server);
    set_text(page, "编辑框1", QStringLiteral("a.com\r\nb.com\r\nc.com"));
    control<LineBox>(page, "编辑框2")->setPlainText({});
    QElapsedTimer clock;
    WhenThen stop_when_hung([&] { return server.hanging() >= 1; },
                            [&] {
                              clock.start();
                              click(control<QAbstractButton>(page, "按钮4"));
                            });
    click(control<QAbstractButton>(page, "按钮开始提交"));
    QVERIFY(wait_until([&] { return stop_when_hung.done() && page->state() == JobState::Idle; }, 30000));
    const qint64 took = clock.elapsed();
    qInfo("ping: pass ended %lld ms after the stop click", static_cast<long long>(took));
    QVERIFY2(took < 1000, qPrintable(QStringLiteral("%1 ms").arg(took)));
    server.release_hanging();
    QVERIFY(wait_until([&] { return server.hanging() == 0; }));
    QCOMPARE(server.requests("/ping.html").size(), size_t{1});
    QVERIFY(control<LineBox>(page, "编辑框2")->toPlainText().isEmpty());
  }

  // A faulty site shows the browser's own page, the tool adds no message, and the next address
  // opens as usual whatever the fault left behind (a hung or trickling load included).
  void the_crawler_browser_opens_the_next_address_after_every_fault() {
    HookRecorder hooks;
    FakeServer good;
    serve_page(good, "/good", "好页面", "<p>ok</p>");
    point_all({"BAIDU_HOME"}, good);
    click(control<QAbstractButton>(main_.get(), "按钮10"));
    QPointer<QWidget> window = open_window(26);
    QVERIFY(window);
    auto* view = control<QWebEngineView>(window, "超文本浏览框1");
    auto* address = control<QLineEdit>(window, "编辑框1");
    auto* visit = control<QAbstractButton>(window, "按钮访问");
    for (Fault fault : all_faults()) {
      const QString name = QString::fromUtf8(fault_name(fault));
      FakeServer server(fault_scheme(fault));
      answer_with_fault(server, fault);
      int finished = 0;
      QMetaObject::Connection counting =
          connect(view, &QWebEngineView::loadFinished, this, [&finished] { ++finished; });
      StallMeter meter;
      address->setText(QString::fromStdString(server.base_url()) + QStringLiteral("/page?") + name);
      click(visit);
      if (fault == Fault::Hang || fault == Fault::Trickle)
        QVERIFY2(wait_until([&] { return !server.requests("/page").empty(); }, 20000), qPrintable(name));
      else
        QVERIFY2(wait_until([&] { return finished > 0; }, 30000), qPrintable(name));
      disconnect(counting);
      address->setText(QString::fromStdString(good.base_url()) + QStringLiteral("/good?after=") + name);
      click(visit);
      QVERIFY2(wait_for_page(view, QStringLiteral("/good?after=") + name), qPrintable(name));
      QVERIFY2(wait_until([&] { return window->windowTitle() == QStringLiteral("好页面"); }),
               qPrintable(name));
      qInfo("crawler browser / %s: longest event-loop stall %lld ms", fault_name(fault),
            static_cast<long long>(meter.longest_ms()));
      server.release_hanging();
    }
    QVERIFY(hooks.message_texts().isEmpty());
    window->close();
    QVERIFY(wait_until([&] { return window.isNull() || !window->isVisible(); }));
  }

 private:
  // The ping page as the toolbox shows it, its first load answered by a quiet local server.
  PingPage* show_ping_page() {
    if (!ping_home_) {
      ping_home_ = std::make_unique<FakeServer>();
      serve_page(*ping_home_, "/ping.html", "ping", "<p>ping</p>");
      point_all({"BAIDU_PING"}, *ping_home_);
    }
    click(control<QAbstractButton>(main_.get(), "按钮8"));
    auto* page = main_->findChild<PingPage*>();
    if (!page) qFatal("no ping page");
    return page;
  }
  std::unique_ptr<FakeServer> ping_home_;
};

TESSALY_GUI_TEST_MAIN(FaultsTest)
#include "test_faults.moc"
