// The crawler-identity browser against fake sites: the User-Agent of each identity on the load
// "访问" starts, on a link followed and on a new-window link (which opens in the same view), on
// a form sent, a script's navigation and a picture, as the fake saw it; a selection changed
// without "访问" at the next link; no other browser carrying the identity; the address box and
// the title following the page; the navigation buttons, the menus, saving the page and
// "退出浏览器".
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWebEngineView>

#include <algorithm>

#include "fakes/fake_server.h"
#include "fakes/web_pages.h"
#include "gui/browser.h"
#include "gui/support/browser_test.h"
#include "gui/support/gui_test.h"
#include "links/crawler_browser_window.h"
#include "shell/main_window.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;

namespace {

const char* const kAgents[] = {
    "Baiduspider+(+http://www.baidu.com/search/spider.htm)",
    "Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)",
    "Sosospider+(+http://help.soso.com/webspider.htm)",
    "Sogou Web Sprider(compatible; Mozilla 4.0; MSIE 6.0; Windows NT 5.1; SV1; Avant Browser; InfoPath.1; "
    ".NET CLR "
    "2.0.50727; .NET CLR1.1.4322)",
    "Mozilla/5.0 (compatible; YodaoBot/1.0; http://www.yodao.com/help/webmaster/spider/; )",
    "Mozilla/5.0 (compatible; Yahoo! Slurp China; http://misc.yahoo.com.cn/help.html)",
};

std::string agent_of_last(const FakeServer& server, const std::string& path) {
  auto requests = server.requests(path);
  return requests.empty() ? std::string("(no request)") : requests.back().header("User-Agent");
}

}  // namespace

class CrawlerBrowserTest : public QObject {
  Q_OBJECT

  struct Fixture {
    FakeServer site, product, company;
    MainWindow main;
    CrawlerBrowserWindow* window = nullptr;
    QWebEngineView* view = nullptr;
    QLineEdit* address = nullptr;
    QComboBox* crawlers = nullptr;

    Fixture() {
      serve_page(site, "/", "百度一下，你就知道", "<p>home</p>");
      serve_page(site, "/start", "起始页",
                 "<p><a id=\"plain\" href=\"/followed\">普通链接</a></p>"
                 "<p><a id=\"blank\" href=\"/blank\" target=\"_blank\">新窗口链接</a></p>");
      serve_page(site, "/followed", "普通链接页",
                 "<p><a id=\"blank\" href=\"/blank\" target=\"_blank\">新窗口链接</a></p>");
      serve_page(site, "/blank", "新窗口页", "<p>blank</p>");
      // A form the page sends, a script's navigation and a picture it loads.
      serve_page(site, "/form", "表单页",
                 "<form method=\"post\" action=\"/posted\"><input name=\"q\" value=\"x\">"
                 "<input type=\"submit\" id=\"send\" value=\"提交\"></form>"
                 "<p><button id=\"go\" onclick=\"location.href='/scripted'\">脚本</button></p>"
                 "<img src=\"/pixel.gif\">");
      site.handle("POST", "/posted",
                  [](const RecordedRequest&, Reply& reply) { reply_page(reply, "已提交", "<p>posted</p>"); });
      serve_page(site, "/scripted", "脚本页", "<p>scripted</p>");
      site.handle("GET", "/pixel.gif", [](const RecordedRequest&, Reply& reply) {
        reply.content_type = "image/gif";
        reply.body = std::string("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 14);
      });
      serve_page(product, "/", "产品首页", "<p>product</p>");
      serve_page(company, "/", "公司首页", "<p>company</p>");
      point_endpoints({{"BAIDU_HOME", &site}, {"PRODUCT_HOME", &product}, {"PRODUCT_HOME_ALT", &company}});
      main.show();
      window = open_from_toolbox<CrawlerBrowserWindow>(&main, "按钮10", 26);
      view = control<QWebEngineView>(window, "超文本浏览框1");
      address = control<QLineEdit>(window, "编辑框1");
      crawlers = control<QComboBox>(window, "组合框1");
    }
    ~Fixture() {
      if (window) window->close();
      reset_endpoints();
    }
    QString url(const char* path) const {
      return QString::fromStdString(site.base_url()) + QString::fromUtf8(path);
    }
  };

 private Q_SLOTS:
  void every_load_carries_the_selected_identity() {
    Fixture f;
    // Created: the first item selected, the Baidu home page open and its address in the box.
    QCOMPARE(f.crawlers->currentText(), QStringLiteral("百度蜘蛛"));
    QCOMPARE(f.crawlers->count(), 6);
    QVERIFY(wait_for_page(f.view, QStringLiteral("/")));
    QCOMPARE(f.address->text(), f.url("/"));
    QCOMPARE(f.window->windowTitle(), QStringLiteral("百度一下，你就知道"));

    for (int i = 0; i < 6; ++i) {
      const QString item = f.crawlers->itemText(i);
      const std::string agent = kAgents[i];
      f.crawlers->setCurrentIndex(i);
      const QString start = f.url("/start?i=") + QString::number(i);
      f.address->setText(start);
      click(control<QPushButton>(f.window, "按钮访问"));
      QVERIFY(wait_for_page(f.view, QStringLiteral("/start?i=%1").arg(i)));
      QCOMPARE(agent_of_last(f.site, "/start"), agent);
      QCOMPARE(run_js(f.view, QStringLiteral("navigator.userAgent")).toString(),
               QString::fromStdString(agent));

      click_in_page(f.view, QStringLiteral("#plain"));
      QVERIFY(wait_for_page(f.view, QStringLiteral("/followed")));
      QCOMPARE(agent_of_last(f.site, "/followed"), agent);

      click_in_page(f.view, QStringLiteral("#blank"));
      QVERIFY2(wait_for_page(f.view, QStringLiteral("/blank")), qPrintable(item));
      QCOMPARE(agent_of_last(f.site, "/blank"), agent);
      // In this same view: no second window; the address and the title follow the page.
      QCOMPARE(f.address->text(), f.url("/blank"));
      QCOMPARE(f.window->windowTitle(), QStringLiteral("新窗口页"));
    }
    int views = 0;
    for (QWidget* w : QApplication::allWidgets()) views += qobject_cast<QWebEngineView*>(w) ? 1 : 0;
    QCOMPARE(views, 1);

    // A selection changed without "访问" goes with the next link followed.
    f.crawlers->setCurrentIndex(0);
    f.address->setText(f.url("/start?again"));
    click(control<QPushButton>(f.window, "按钮访问"));
    QVERIFY(wait_for_page(f.view, QStringLiteral("/start?again")));
    f.crawlers->setCurrentIndex(1);
    click_in_page(f.view, QStringLiteral("#plain"));
    QVERIFY(wait_for_page(f.view, QStringLiteral("/followed")));
    QCOMPARE(agent_of_last(f.site, "/followed"), std::string(kAgents[1]));
    QVERIFY(wait_until([&] {
      return run_js(f.view, QStringLiteral("navigator.userAgent")).toString() ==
             QString::fromUtf8(kAgents[1]);
    }));

    // Enter in the address box opens the address without applying the selection.
    f.crawlers->setCurrentIndex(2);
    f.address->setText(f.url("/start?typed"));
    QTest::keyClick(f.address, Qt::Key_Return);
    QVERIFY(wait_for_page(f.view, QStringLiteral("/start?typed")));
    QCOMPARE(agent_of_last(f.site, "/start"), std::string(kAgents[1]));
  }

  // A form the page sends and a script's navigation go out with the identity selected at that
  // moment (the form keeps its fields); the page's pictures and navigator.userAgent carry it too.
  void form_submits_script_navigations_and_sub_resources_carry_the_identity() {
    Fixture f;
    QVERIFY(wait_for_page(f.view, QStringLiteral("/")));
    f.crawlers->setCurrentIndex(3);
    f.address->setText(f.url("/form"));
    click(control<QPushButton>(f.window, "按钮访问"));
    QVERIFY(wait_for_page(f.view, QStringLiteral("/form")));
    QVERIFY(wait_until([&] { return !f.site.requests("/pixel.gif").empty(); }));
    QCOMPARE(agent_of_last(f.site, "/pixel.gif"), std::string(kAgents[3]));

    f.crawlers->setCurrentIndex(4);
    click_in_page(f.view, QStringLiteral("#send"));
    QVERIFY(wait_for_page(f.view, QStringLiteral("/posted")));
    QCOMPARE(f.site.requests("/posted").size(), size_t(1));
    QCOMPARE(f.site.requests("/posted").back().body, std::string("q=x"));
    QCOMPARE(agent_of_last(f.site, "/posted"), std::string(kAgents[4]));
    QVERIFY(wait_until([&] {
      return run_js(f.view, QStringLiteral("navigator.userAgent")).toString() ==
             QString::fromUtf8(kAgents[4]);
    }));

    f.address->setText(f.url("/form?again"));
    click(control<QPushButton>(f.window, "按钮访问"));
    QVERIFY(wait_for_page(f.view, QStringLiteral("/form?again")));
    f.crawlers->setCurrentIndex(5);
    click_in_page(f.view, QStringLiteral("#go"));
    QVERIFY(wait_for_page(f.view, QStringLiteral("/scripted")));
    QCOMPARE(agent_of_last(f.site, "/scripted"), std::string(kAgents[5]));
  }

  // The identity is the crawler browser's alone: a page another embedded browser loads, while
  // the crawler browser is open and after it has closed, goes out with the browser's own agent.
  void other_browsers_never_carry_the_identity() {
    auto is_crawler = [](const std::string& agent) {
      return std::any_of(std::begin(kAgents), std::end(kAgents), [&](const char* a) { return agent == a; });
    };
    FakeServer other;
    serve_page(other, "/plain", "普通页", "<p>plain</p>");
    const QString plain = QString::fromStdString(other.base_url()) + QStringLiteral("/plain");
    {
      Fixture f;
      f.crawlers->setCurrentIndex(1);
      f.address->setText(f.url("/start"));
      click(control<QPushButton>(f.window, "按钮访问"));
      QVERIFY(wait_for_page(f.view, QStringLiteral("/start")));
      QCOMPARE(agent_of_last(f.site, "/start"), std::string(kAgents[1]));
      QWidget holder;
      QWebEngineView* shared = make_browser(&holder, "超文本浏览框");
      shared->load(QUrl(plain + QStringLiteral("?while")));
      QVERIFY(wait_for_page(shared, QStringLiteral("/plain?while")));
      QVERIFY(!is_crawler(agent_of_last(other, "/plain")));
      QVERIFY(!is_crawler(run_js(shared, QStringLiteral("navigator.userAgent")).toString().toStdString()));
    }
    QWidget holder;
    QWebEngineView* shared = make_browser(&holder, "超文本浏览框");
    shared->load(QUrl(plain + QStringLiteral("?after")));
    QVERIFY(wait_for_page(shared, QStringLiteral("/plain?after")));
    QVERIFY(!is_crawler(agent_of_last(other, "/plain")));
  }

  void buttons_menus_and_saving() {
    Fixture f;
    HookRecorder hooks;
    QVERIFY(wait_for_page(f.view, QStringLiteral("/")));
    f.address->setText(f.url("/start"));
    click(control<QPushButton>(f.window, "按钮访问"));
    QVERIFY(wait_for_page(f.view, QStringLiteral("/start")));

    click(control<QToolButton>(f.window, "超级按钮1"));  // back
    QVERIFY(wait_for_page(f.view, f.url("/")));
    click(control<QToolButton>(f.window, "超级按钮2"));  // forward
    QVERIFY(wait_for_page(f.view, QStringLiteral("/start")));
    const size_t loads = f.site.requests("/start").size();
    click(control<QToolButton>(f.window, "超级按钮3"));  // refresh
    QVERIFY(wait_until([&] { return f.site.requests("/start").size() == loads + 1; }));
    QVERIFY(wait_for_page(f.view, QStringLiteral("/start")));

    click(control<QToolButton>(f.window, "超级按钮4"));  // the product's home page
    QCOMPARE(f.address->text(), QString::fromStdString(f.product.base_url() + "/"));
    QVERIFY(wait_for_page(f.view, QString::fromStdString(f.product.base_url() + "/")));
    click(control<QPushButton>(f.window, "按钮1"));  // 百度一下
    QVERIFY(wait_for_page(f.view, f.url("/")));
    QCOMPARE(f.window->windowTitle(), QStringLiteral("百度一下，你就知道"));
    f.window->findChild<QAction*>(QStringLiteral("Corvane企业站"))->trigger();
    QCOMPARE(f.address->text(), QString::fromStdString(f.company.base_url() + "/"));
    QVERIFY(wait_for_page(f.view, QString::fromStdString(f.company.base_url() + "/")));
    f.window->findChild<QAction*>(QStringLiteral("Corvanebbs论坛"))->trigger();
    QVERIFY(wait_for_page(f.view, QString::fromStdString(f.product.base_url() + "/")));

    f.window->findChild<QAction*>(QStringLiteral("复制网址"))->trigger();
    QCOMPARE(hooks.clipboard, QStringList({QString::fromStdString(f.product.base_url() + "/")}));
    QCOMPARE(hooks.messages.back().text, QStringLiteral("网址已经复制到您的剪辑版里，可以粘贴到其它地方"));
    QCOMPARE(hooks.messages.back().caption, QStringLiteral("复制网址"));
    QCOMPARE(hooks.messages.back().flags, kIconInformation);

    // Saving goes through the save dialog; the page's own text ends up in the file.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("page.html"));
    hooks.next_files << file;
    click(control<QPushButton>(f.window, "按钮2"));
    auto saved = [&] {
      QFile in(file);
      return in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()) : QString();
    };
    QVERIFY(wait_until([&] { return saved().contains(QStringLiteral("<p>product</p>")); }, 15000));
    hooks.next_files << QString();  // cancelled: nothing saved, nothing said
    f.window->findChild<QAction*>(QStringLiteral("保存网页"))->trigger();
    QCOMPARE(hooks.messages.size(), size_t(1));

    // "退出浏览器" ends the program as closing the main window does.
    f.window->findChild<QAction*>(QStringLiteral("退出浏览器"))->trigger();
    QCOMPARE(hooks.quit_requests, 1);
    QVERIFY(!f.main.isVisible());
    QVERIFY(wait_until([&] { return open_window(26) == nullptr; }));
    f.window = nullptr;
  }
};

TESSALY_GUI_TEST_MAIN(CrawlerBrowserTest)
#include "test_crawler_browser.moc"
