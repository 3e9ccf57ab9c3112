// The keyword collection window against the fake 词库网 and Aizhan: a login made in the window's
// browser carries over to the collection; pager counts, items, closing messages and counts;
// stop and pause follow the running collection whatever source is selected meanwhile.
#include <QAction>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QWebEngineView>

#include "core/http/cookie_store.h"
#include "fakes/fake_server.h"
#include "fakes/keyword_sites.h"
#include "gui/support/browser_test.h"
#include "gui/support/gui_test.h"
#include "gui/worker_task.h"
#include "research/collection_window.h"
#include "shell/main_window.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;

namespace {

QStringList expected_items(std::initializer_list<const char*> seeds, int pages, int per_page) {
  QStringList out;
  for (const char* seed : seeds)
    for (int page = 1; page <= pages; ++page)
      for (int k = 1; k <= per_page; ++k) out << QString::fromStdString(keyword_item(seed, page, k));
  return out;
}

// The requests for result pages (not the login page the browser shows, nor its icon).
std::vector<RecordedRequest> aizhan_result_pages(const FakeServer& aizhan) {
  auto pages = aizhan.requests();
  std::erase_if(pages,
                [](const RecordedRequest& r) { return r.path == "/login.php" || r.path == "/favicon.ico"; });
  return pages;
}

bool every_request_carries(const std::vector<RecordedRequest>& requests, const std::string& cookie) {
  for (const auto& r : requests)
    if (r.header("Cookie").find(cookie) == std::string::npos) return false;
  return !requests.empty();
}

}  // namespace

class CollectionTest : public QObject {
  Q_OBJECT

  struct Fixture {
    FakeServer wordlib, aizhan;
    MainWindow main;
    CollectionWindow* window = nullptr;
    QWebEngineView* browser = nullptr;
    LineBox* seeds = nullptr;
    LineBox* results = nullptr;
    QPushButton *start = nullptr, *pause = nullptr;

    explicit Fixture(KeywordSiteOptions options = {}) {
      add_wordlib_site(wordlib, options);
      add_aizhan_site(aizhan, options);
      point_endpoints({{"WORDLIB_HOME", &wordlib},
                       {"WORDLIB_SEARCH", &wordlib},
                       {"AIZHAN_LOGIN", &aizhan},
                       {"AIZHAN_KEYWORDS", &aizhan}});
      cookie_store_clear_all();
      main.show();
      window = open_from_toolbox<CollectionWindow>(&main, "按钮词库网采集");
      browser = control<QWebEngineView>(window, "超文本浏览框1");
      seeds = control<LineBox>(window, "编辑框关键词");
      results = control<LineBox>(window, "编辑框采集结果");
      start = control<QPushButton>(window, "按钮开始采集");
      pause = control<QPushButton>(window, "按钮暂停采集");
    }
    ~Fixture() {
      window->close();
      cookie_store_clear_all();
      reset_endpoints();
    }

    void step_two() {
      window->findChild<QAction*>(QStringLiteral("工具条1_1"))->trigger();
      QCOMPARE(control<QTabWidget>(window, "高级选择夹1")->currentIndex(), 1);
    }
  };

 private Q_SLOTS:
  void wordlib_login_in_the_browser_carries_over_to_the_collection() {
    Fixture f({.pager_links = 9});
    HookRecorder hooks;
    // The window opens on the login page of 词库网; the user logs in there.
    QVERIFY(wait_for_page(f.browser, QStringLiteral("/")));
    QCOMPARE(control<QTabWidget>(f.window, "高级选择夹1")->currentIndex(), 0);
    run_js(f.browser, QStringLiteral("document.querySelector('input[name=user]').value = 'me'"));
    click_in_page(f.browser, QStringLiteral("#login"));
    QVERIFY(wait_until(
        [&] {
          return cookie_store_get(f.wordlib.base_url() + "/").find("ciku_session=logged-in") !=
                 std::string::npos;
        },
        15000));
    QCOMPARE(f.wordlib.requests("/login").size(), size_t(1));

    f.step_two();
    QCOMPARE(lines_of(f.seeds), QStringList({QStringLiteral("站群"), QStringLiteral("推广")}));
    click(f.start);
    QCOMPARE(f.start->text(), QStringLiteral("停止采集"));
    QVERIFY(wait_until_idle(f.window, 30000));
    // Logged in: nine pager links, so pages 1 to 4 of each seed, three items a page.
    QStringList items = expected_items({"站群", "推广"}, 4, 3);
    QCOMPARE(lines_of(f.results), items);
    QCOMPARE(line_of(f.window, "编辑框个数"), QStringLiteral("24"));
    QCOMPARE(hooks.messages.size(), size_t(1));
    QCOMPARE(hooks.messages[0].text, QStringLiteral("采集方式为词库网采集：一共采集了24条数据"));
    QCOMPARE(hooks.messages[0].caption, QStringLiteral("友情提示"));
    QCOMPARE(hooks.messages[0].flags, 0);
    QCOMPARE(f.start->text(), QStringLiteral("开始采集"));
    QCOMPARE(f.wordlib.requests("/s").size(), size_t(10));
    QVERIFY(every_request_carries(f.wordlib.requests("/s"), "ciku_session=logged-in"));
    QVERIFY(f.aizhan.requests().empty());
  }

  void aizhan_login_by_script_and_its_unbounded_pages() {
    Fixture f({.pager_links = 4});
    HookRecorder hooks;
    // Choosing Aizhan opens its login page, which logs in by script.
    click(control<QRadioButton>(f.window, "单选框爱站网采集"));
    QVERIFY(wait_for_page(f.browser, QStringLiteral("/login.php")));
    QVERIFY(wait_until(
        [&] {
          return cookie_store_get(f.aizhan.base_url() + "/").find("aizhan_session=logged-in") !=
                 std::string::npos;
        },
        15000));

    f.step_two();
    paste(f.seeds, QStringLiteral("站群\n"));
    click(f.start);
    QVERIFY(wait_until_idle(f.window, 30000));
    // Four pager links: pages 1 to 5 (no limit of four pages here); the red font is gone.
    QCOMPARE(lines_of(f.results), expected_items({"站群"}, 5, 3));
    QCOMPARE(line_of(f.window, "编辑框个数"), QStringLiteral("15"));
    QCOMPARE(hooks.message_texts(),
             QStringList({QStringLiteral("采集方式为爱站网采集：一共采集了15条数据")}));
    auto pages = aizhan_result_pages(f.aizhan);
    QCOMPARE(pages.size(), size_t(6));
    QCOMPARE(pages[0].path, std::string("/%E7%AB%99%E7%BE%A4/"));
    QCOMPARE(pages[5].path, std::string("/%E7%AB%99%E7%BE%A4/5/"));
    QVERIFY(every_request_carries(pages, "aizhan_session=logged-in"));
  }

  void stop_and_pause_follow_the_running_collection() {
    Fixture f({.pager_links = 1});
    HookRecorder hooks;
    f.step_two();
    QStringList many;
    for (int i = 0; i < 40; ++i) many << QStringLiteral("词%1").arg(i);
    paste(f.seeds, many.join(u'\n'));
    click(f.start);  // 词库网, not logged in: one page of one item per seed, half a second each
    QVERIFY(wait_until([&] { return !lines_of(f.results).isEmpty(); }));

    // Switching the source meanwhile changes nothing for the running collection.
    click(control<QRadioButton>(f.window, "单选框爱站网采集"));
    click(f.pause);
    QCOMPARE(f.pause->text(), QStringLiteral("继续添加"));
    QCOMPARE(f.window->task()->state(), JobState::Paused);
    QVERIFY(wait_until([&] { return f.window->task()->bridge()->job().held_threads() == 1; }));
    click(f.pause);
    QCOMPARE(f.pause->text(), QStringLiteral("暂停添加"));
    QCOMPARE(f.window->task()->state(), JobState::Running);
    click(f.start);  // stops the 词库网 collection
    QVERIFY(wait_until_idle(f.window));
    QCOMPARE(f.window->task()->last_outcome().end, JobEnd::Stopped);
    QCOMPARE(f.start->text(), QStringLiteral("开始采集"));
    QVERIFY(hooks.messages.empty());
    const int kept = static_cast<int>(lines_of(f.results).size());
    QVERIFY(kept > 0 && kept < 40);
    QVERIFY(aizhan_result_pages(f.aizhan).empty());

    // The next start collects from the source selected now (whose login page, opened by the
    // radio button, has logged in meanwhile: two pages of three).
    QVERIFY(wait_until([&] {
      return cookie_store_get(f.aizhan.base_url() + "/").find("aizhan_session=") != std::string::npos;
    }));
    paste(f.seeds, QStringLiteral("站群"));
    click(f.start);
    QVERIFY(wait_until_idle(f.window, 30000));
    QCOMPARE(hooks.message_texts(), QStringList({QStringLiteral("采集方式为爱站网采集：一共采集了6条数据")}));
  }

  void copy_clear_and_the_login_hint() {
    Fixture f;
    HookRecorder hooks;
    f.step_two();
    click(control<QPushButton>(f.window, "按钮复制"));  // an empty box is copied too
    paste(f.results, QStringLiteral("a\nb"));
    click(control<QPushButton>(f.window, "按钮复制"));
    QCOMPARE(hooks.clipboard, QStringList({QString(), QStringLiteral("a\nb")}));
    QCOMPARE(hooks.message_texts(), QStringList({QStringLiteral("复制成功"), QStringLiteral("复制成功")}));
    click(control<QPushButton>(f.window, "按钮清空"));
    QVERIFY(f.results->toPlainText().isEmpty());

    click(control<QPushButton>(f.window, "按钮1"));
    QCOMPARE(hooks.messages.back().text, QStringLiteral("如果需要采集更多词，请登陆好爱站网或者词库网！"));
    QCOMPARE(hooks.messages.back().caption, QStringLiteral("友情提示："));
    QCOMPARE(hooks.messages.back().flags, kIconInformation);
    QCOMPARE(control<QTabWidget>(f.window, "高级选择夹1")->currentIndex(), 0);
  }
};

TESSALY_GUI_TEST_MAIN(CollectionTest)
#include "test_collection.moc"
