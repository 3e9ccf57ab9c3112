// One cookie store for the request layer and the embedded browsers: a cookie a jar-less request
// received is seen by the pages, a login made in a page is sent by later jar-less requests, and
// a site's cookies cleared on either side are gone from the other.
#include <QWebEngineView>

#include <thread>

#include "core/http/cookie_store.h"
#include "core/http/http.h"
#include "dns/dns_common.h"
#include "fakes/fake_server.h"
#include "fakes/web_pages.h"
#include "gui/browser.h"
#include "gui/support/browser_test.h"
#include "gui/support/gui_test.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;

class BrowserCookiesTest : public QObject {
  Q_OBJECT

  // document.cookie of a fresh load of `path` (so the page asks the browser's store anew).
  QString page_cookies(QWebEngineView* view, const QString& path) {
    view->load(QUrl(QString::fromStdString(server_.base_url()) + path));
    if (!wait_for_page(view, path)) qFatal("page did not load: %s", qPrintable(path));
    return run_js(view, QStringLiteral("document.cookie")).toString();
  }

  FakeServer server_;

 private Q_SLOTS:
  void initTestCase() {
    server_.handle("GET", "/set", [](const RecordedRequest& req, Reply& reply) {
      reply.set_cookie(req.param("c") + "; Path=/");
      reply.body = "set";
    });
    serve_page(server_, "/page", "page", "<p>page</p>");
    serve_page(server_, "/other", "other", "<p>other</p>");
    // A login page: one cookie through Set-Cookie (HttpOnly, invisible to scripts), one by script.
    server_.handle("GET", "/login", [](const RecordedRequest&, Reply& reply) {
      reply.set_cookie("session=s1; Path=/; HttpOnly");
      reply_page(reply, "login", "<script>document.cookie = 'user=u1; path=/';</script><p>logged in</p>");
    });
    server_.handle("GET", "/echo", [](const RecordedRequest&, Reply& reply) { reply.body = "echo"; });
    cookie_store_clear_all();
  }

  void cookies_cross_both_ways() {
    QWebEngineView* view = make_browser(nullptr, "browser");
    view->resize(400, 300);
    view->show();
    const std::string base = server_.base_url();

    // A jar-less request on the window thread, and one on a worker thread.
    QVERIFY(http_request(base + "/set?c=fromrequest%3D1").ok());
    std::thread([&] { http_request(base + "/set?c=fromworker%3D2"); }).join();
    QVERIFY(wait_until(
        [&] { return page_cookies(view, QStringLiteral("/page")).contains(QStringLiteral("fromrequest=1")); },
        10000));
    QVERIFY(wait_until(
        [&] { return page_cookies(view, QStringLiteral("/other")).contains(QStringLiteral("fromworker=2")); },
        10000));

    // A login in the page: both cookies are sent by the next jar-less request.
    view->load(QUrl(QString::fromStdString(base + "/login")));
    QVERIFY(wait_for_page(view, QStringLiteral("/login")));
    QVERIFY(wait_until(
        [&] {
          return cookie_store_get(base + "/").find("session=s1") != std::string::npos &&
                 cookie_store_get(base + "/").find("user=u1") != std::string::npos;
        },
        10000));
    QVERIFY(http_request(base + "/echo").ok());
    std::string sent = server_.requests("/echo").back().header("Cookie");
    QVERIFY2(sent.find("session=s1") != std::string::npos && sent.find("user=u1") != std::string::npos,
             sent.c_str());
    // The HttpOnly cookie stays HttpOnly on its way through the store.
    QVERIFY(!page_cookies(view, QStringLiteral("/page")).contains(QStringLiteral("session=")));

    // A page logging out by script removes its cookie from the store.
    run_js(view, QStringLiteral("document.cookie = 'user=; expires=Thu, 01 Jan 1970 00:00:00 GMT; path=/'"));
    QVERIFY(
        wait_until([&] { return cookie_store_get(base + "/").find("user=") == std::string::npos; }, 10000));

    // A site logout on the request side (the DNS consoles' logout) clears the pages' cookies too.
    clear_site_cookies("127.0.0.1");
    QVERIFY(wait_until([&] { return page_cookies(view, QStringLiteral("/page")).isEmpty(); }, 10000));
    view->load(QUrl(QString::fromStdString(base + "/other")));
    QVERIFY(wait_for_page(view, QStringLiteral("/other")));
    QCOMPARE(QString::fromStdString(server_.requests("/other").back().header("Cookie")), QString());

    // Nothing bounced back into the store meanwhile: it stays empty.
    QVERIFY(cookie_store_list().empty());
    delete view;
  }
};

TESSALY_GUI_TEST_MAIN(BrowserCookiesTest)
#include "test_browser_cookies.moc"
