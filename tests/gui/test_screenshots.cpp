// Renders the main window (each of its ten pages) and every tool window to PNG files in the
// build folder's screenshots/ folder, for looking at the layouts without a display. Every page
// of the main window must show something; empty tool windows are listed.
#include <QDir>
#include <QImage>
#include <QStyleFactory>
#include <QTabWidget>

#include <QLineEdit>
#include <QPushButton>
#include <QWebEngineView>

#include "core/text/files.h"
#include "fakes/baidu_ping.h"
#include "fakes/baidu_search.h"
#include "fakes/fake_server.h"
#include "fakes/keyword_sites.h"
#include "fakes/web_pages.h"
#include "gui/support/browser_test.h"
#include "gui/support/gui_test.h"
#include "gui/tool_window.h"
#include "gui/worker_task.h"
#include "links/crawler_browser_window.h"
#include "research/collection_window.h"
#include "research/inclusion_page.h"
#include "research/ping_page.h"
#include "shell/main_window.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::test;

namespace {

QString screenshot_folder() {
  QDir dir(QCoreApplication::applicationDirPath());
  dir.cdUp();  // the build folder
  dir.mkpath(QStringLiteral("screenshots"));
  return dir.filePath(QStringLiteral("screenshots"));
}

// Grabs the window and saves it; true when the picture is more than one flat colour.
bool shoot(QWidget* window, const QString& name) {
  QTest::qWait(30);  // let layouts settle and pending paints run
  QImage image = window->grab().toImage();
  if (image.size() != window->size() ||
      !image.save(screenshot_folder() + QChar(u'/') + name + QStringLiteral(".png")))
    qFatal("could not save the picture of %s", qPrintable(name));
  QSet<QRgb> colours;
  for (int y = 0; y < image.height() && colours.size() < 3; y += 7)
    for (int x = 0; x < image.width() && colours.size() < 3; x += 7) colours.insert(image.pixel(x, y));
  return colours.size() > 1;
}

}  // namespace

class ScreenshotTest : public QObject {
  Q_OBJECT
  // The embedded browsers show fake pages (nothing reaches the internet).
  fakes::FakeServer ping_site_, keyword_site_, web_site_;
  fakes::FakeBaiduPing ping_{ping_site_};
  // The windows that keep files make their folders here on first opening.
  TempFolder folder_;

 private Q_SLOTS:
  void initTestCase() {
    set_program_folder(folder_.path());
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    fakes::add_wordlib_site(keyword_site_);
    fakes::serve_page(
        web_site_, "/", "百度一下，你就知道",
        "<h1>百度一下</h1><p><a href=\"/news\">新闻</a> <a href=\"/news\" target=\"_blank\">贴吧</a></p>");
    fakes::point_endpoints({{"BAIDU_PING", &ping_site_},
                            {"WORDLIB_HOME", &keyword_site_},
                            {"WORDLIB_SEARCH", &keyword_site_},
                            {"AIZHAN_LOGIN", &keyword_site_},
                            {"AIZHAN_KEYWORDS", &keyword_site_},
                            {"BAIDU_HOME", &web_site_},
                            {"PRODUCT_HOME", &web_site_},
                            {"PRODUCT_HOME_ALT", &web_site_}});
  }
  void cleanupTestCase() { fakes::reset_endpoints(); }

  void main_window_pages() {
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* tabs = control<QTabWidget>(&w, "高级选择夹1");
    for (int page = 0; page < tabs->count(); ++page) {
      tabs->setCurrentIndex(page);
      QVERIFY(shoot(&w, QStringLiteral("main_page%1").arg(page)));
    }
    // The vocabulary page after a run with its defaults.
    HookRecorder hooks;
    tabs->setCurrentIndex(3);
    click(control<QAbstractButton>(&w, "按钮开始生成"));
    QVERIFY(wait_until([&] { return !hooks.messages.empty(); }));
    QVERIFY(shoot(&w, QStringLiteral("main_page3_generated")));
  }

  void tool_windows() {
    HookRecorder hooks;  // the link tool asks for its templates
    MainWindow main;
    QStringList empty;
    for (int index = 1; index <= 34; ++index) {
      ToolWindow* w = open_tool_window(index, &main);
      QVERIFY(w);
      QVERIFY(QTest::qWaitForWindowExposed(w));
      if (!shoot(w, QStringLiteral("window%1").arg(index, 2, 10, QChar(u'0'))))
        empty << QString::number(index);
      w->close();
    }
    // Windows whose tools are not built yet are empty frames.
    if (!empty.isEmpty()) qInfo("empty windows: %s", qPrintable(empty.join(QStringLiteral(", "))));
  }

  // The three browser tools after a run.
  void browser_tools_after_a_run() {
    MainWindow main;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    HookRecorder hooks;

    click(control<QPushButton>(&main, "按钮8"));
    paste(control<LineBox>(&main, "编辑框1"), QStringLiteral("www.tessaly.cn\nwww.tessaly.com.cn"));
    click(control<QPushButton>(&main, "按钮开始提交"));
    auto* ping = main.findChild<PingPage*>();
    QVERIFY(wait_until([&] { return ping->state() == JobState::Idle; }, 30000));
    wait_until_drawn(control<QWebEngineView>(&main, "超文本浏览框2"));
    QVERIFY(shoot(&main, QStringLiteral("main_page4_after_ping")));

    ToolWindow* collection = open_tool_window(CollectionWindow::kWindow, &main);
    QVERIFY(wait_for_page(control<QWebEngineView>(collection, "超文本浏览框1"), QStringLiteral("/")));
    wait_until_drawn(control<QWebEngineView>(collection, "超文本浏览框1"));
    QVERIFY(shoot(collection, QStringLiteral("window06_login")));
    collection->findChild<QAction*>(QStringLiteral("工具条1_1"))->trigger();
    click(control<QPushButton>(collection, "按钮开始采集"));
    QVERIFY(wait_until_idle(collection, 30000));
    QVERIFY(shoot(collection, QStringLiteral("window06_after_collection")));
    collection->close();

    ToolWindow* crawler = open_tool_window(CrawlerBrowserWindow::kWindow, &main);
    QVERIFY(wait_for_page(control<QWebEngineView>(crawler, "超文本浏览框1"), QStringLiteral("/")));
    wait_until_drawn(control<QWebEngineView>(crawler, "超文本浏览框1"));
    QVERIFY(shoot(crawler, QStringLiteral("window26_after_visit")));
    crawler->close();
  }

  // The inclusion page after a run against the fake search (one of the README's pictures).
  void inclusion_after_a_run() {
    fakes::FakeServer search;
    fakes::FakeBaiduSearch baidu(search);
    baidu.set_site("tessaly.cn", {"约12,400", "36", "约215", "约3,980"});
    baidu.set_site("tessaly.com.cn", {"约8,730", "12", "96", "约1,204"});
    baidu.set_site("news.tessaly.cn", {"约2,150", "4", "31", "约560"});
    baidu.set_site("shop.tessaly.cn", {"417", "0", "9", "88"});
    fakes::point_endpoints({{"BAIDU_WEB_SEARCH", &search}});
    MainWindow main;
    main.resize(1000, 560);  // wide enough for every column of the results
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    click(control<QPushButton>(&main, "按钮9"));
    auto* domains = control<LineBox>(&main, "编辑框域名框");
    domains->clear();
    paste(domains,
          QStringLiteral("tessaly.cn\ntessaly.com.cn\nnews.tessaly.cn\nshop.tessaly.cn\nnew-site.cn"));
    click(control<QPushButton>(&main, "按钮收录开始查询"));
    QVERIFY(wait_until([&] { return !main.findChild<InclusionPage*>()->task()->active(); }, 60000));
    QVERIFY(shoot(&main, QStringLiteral("main_inclusion_after_run")));
  }
};

TESSALY_GUI_TEST_MAIN(ScreenshotTest)
#include "test_screenshots.moc"
