// "百度违禁词过滤" used as a user uses it, against the fake Baidu search: the default list on ten
// threads, three threads for five keywords, the filter during and after a run, a failed
// search, refusals retried or rate limited, stop and restart, an empty list and a thread count
// of 0 (waiting for a thread).
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

#include <set>

#include "core/text/files.h"
#include "fakes/baidu_search.h"
#include "fakes/fake_server.h"
#include "fakes/rate_limiter.h"
#include "gui/gbk_qt.h"
#include "gui/line_box.h"
#include "gui/report_list.h"
#include "gui/support/gui_test.h"
#include "gui/worker_task.h"
#include "research/banned_filter_window.h"
#include "shell/main_window.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;

namespace {

const QString kNormal = QStringLiteral("正常关键词");
const QString kCensored = QStringLiteral("根据相关法律法规和政策，部分搜索结果未予显示。");
const QString kDone = QStringLiteral("完毕。线程ID已无效");

struct Window {
  BannedFilterWindow* w;
  LineBox* keywords;
  QLineEdit* count;
  QLineEdit* threads;
  QPushButton* start;
  ReportList* rows;
  QLabel* summary;
  std::unique_ptr<QSignalSpy> ends;

  explicit Window(QWidget* main) {
    w = open_from_toolbox<BannedFilterWindow>(main, "按钮6");
    keywords = control<LineBox>(w, "编辑框1");
    count = control<QLineEdit>(w, "编辑框个数");
    threads = control<QLineEdit>(w, "编辑框线程");
    start = control<QPushButton>(w, "按钮1");
    rows = control<ReportList>(w, "超级列表框1");
    summary = control<QLabel>(w, "标签3");
    ends = std::make_unique<QSignalSpy>(w->task(), &WorkerTask::finished);
  }
  ~Window() {
    w->task()->stop_now();
    wait_until_idle(w);
    w->close();
    wait_until([] {
      return open_window(BannedFilterWindow::kWindow) == nullptr;
    });  // the next test opens a new window
  }
  QString cell(int row, int column) const { return from_gbk(rows->lv_get_cell(row, column)); }
  QStringList column(int c) const {
    QStringList out;
    for (int r = 0; r < rows->lv_row_count(); ++r) out << cell(r, c);
    return out;
  }
  bool ended() const { return !ends->isEmpty() && !w->task()->active(); }
  JobEnd last_end() const { return w->task()->last_outcome().end; }
};

// The worker numbers in "由线程：N正在处理" notes, or -1 for any other text.
int busy_worker(const QString& note) {
  static const QString prefix = QStringLiteral("由线程："), suffix = QStringLiteral("正在处理");
  if (!note.startsWith(prefix) || !note.endsWith(suffix)) return -1;
  bool ok = false;
  int n = note.mid(prefix.size(), note.size() - prefix.size() - suffix.size()).toInt(&ok);
  return ok ? n : -1;
}

}  // namespace

class BannedFilterTest : public QObject {
  Q_OBJECT
  MainWindow* main_ = nullptr;

 private Q_SLOTS:
  void initTestCase() {
    main_ = new MainWindow;
    main_->show();
  }
  void cleanupTestCase() { delete main_; }
  void cleanup() {
    reset_endpoints();
    qunsetenv("TESSALY_REQUESTS");
  }

  void defaults_count_and_clear() {
    Window win(main_);
    QCOMPARE(win.w->windowTitle(), QStringLiteral("百度违禁词过滤"));
    QCOMPARE(lines_of(win.keywords),
             sl({"Corvane站群", "Corvane泛站群", "天天娱乐城", "传奇私服", "88娱乐城"}));
    QCOMPARE(win.count->text(), QStringLiteral("5"));
    QCOMPARE(win.threads->text(), QStringLiteral("10"));
    QCOMPARE(win.start->text(), QStringLiteral("开始查询"));
    QCOMPARE(control<QLabel>(win.w, "标签1")->text(), QStringLiteral("线程："));
    QCOMPARE(control<QLabel>(win.w, "标签2")->text(), QStringLiteral("个数："));
    QCOMPARE(win.summary->text(), QString());
    const int widths[] = {50, 130, 150, 150};
    const QStringList headers = sl({"ID", "关键词", "状态", "线程ID"});
    for (int c = 0; c < 4; ++c) {
      QCOMPARE(win.rows->report_model()->column_title(c), headers[c]);
      QCOMPARE(win.rows->header()->sectionSize(c), widths[c]);
    }
    click(control<QPushButton>(win.w, "按钮2"));
    QCOMPARE(win.keywords->toPlainText(), QString());
    QCOMPARE(win.count->text(), QStringLiteral("0"));
  }

  void default_list_on_ten_threads_then_filter() {
    FakeServer server;
    FakeBaiduSearch baidu(server);
    for (const char* k : {"Corvane站群", "Corvane泛站群", "88娱乐城"}) baidu.set_keyword(k, {.held = true});
    for (const char* k : {"天天娱乐城", "传奇私服"}) baidu.set_keyword(k, {.censored = true, .held = true});
    point_endpoints({{"BAIDU_WEB_SEARCH", &server}});
    HookRecorder hooks;
    Window win(main_);

    click(win.start);
    QCOMPARE(win.start->text(), QStringLiteral("停止查询"));
    QCOMPARE(win.column(0), sl({"1", "2", "3", "4", "5"}));
    QCOMPARE(win.column(1), sl({"Corvane站群", "Corvane泛站群", "天天娱乐城", "传奇私服", "88娱乐城"}));
    // Five keywords, ten threads: all five searches at once, each row noting its own worker.
    QVERIFY(wait_until([&] { return baidu.held_keyword_searches() == 5; }));
    QVERIFY(wait_until([&] {
      std::set<int> workers;
      for (const QString& note : win.column(3)) workers.insert(busy_worker(note));
      return workers.size() == 5 && !workers.count(-1);
    }));
    QCOMPARE(win.column(2), sl({"", "", "", "", ""}));
    QVERIFY(hooks.messages.empty());

    baidu.release_keywords();
    QVERIFY(wait_until([&] { return win.ended(); }));
    QCOMPARE(win.last_end(), JobEnd::Done);
    QCOMPARE(win.column(2), (QStringList{kNormal, kNormal, kCensored, kCensored, kNormal}));
    QCOMPARE(win.column(3), (QStringList{kDone, kDone, kDone, kDone, kDone}));
    QCOMPARE(hooks.message_texts(), sl({"处理完毕"}));
    QCOMPARE(hooks.messages[0].caption, QStringLiteral("信息："));
    QCOMPARE(win.start->text(), QStringLiteral("开始查询"));
    QCOMPARE(baidu.peak_keyword_searches(), 5);
    std::multiset<std::string> searched;
    for (const auto& r : server.requests("/s")) searched.insert(r.param("wd"));
    QCOMPARE(searched, (std::multiset<std::string>{"Corvane站群", "Corvane泛站群", "天天娱乐城", "传奇私服",
                                                   "88娱乐城"}));

    // Double-click: the row's search in the browser; the filter keeps the normal keywords.
    QRect rect = win.rows->visualRect(win.rows->report_model()->index(3, 1));
    QTest::mouseClick(win.rows->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(win.rows->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(hooks.shell_targets, QStringList{QString::fromStdString(
                                      server.base_url() + "/s?wd=%E4%BC%A0%E5%A5%87%E7%A7%81%E6%9C%8D")});
    click(control<QPushButton>(win.w, "按钮3"));
    QCOMPARE(win.keywords->toPlainText(), QStringLiteral("Corvane站群\nCorvane泛站群\n88娱乐城\n"));
    QCOMPARE(win.count->text(), QStringLiteral("3"));
    QCOMPARE(win.summary->text(), QStringLiteral("一共有5关键词，替换完毕还有3个词"));
    save_screenshot(win.w, "banned_filter_after_run");
  }

  void three_threads_make_rows_four_and_five_wait_and_filter_mid_run() {
    FakeServer server;
    FakeBaiduSearch baidu(server);
    const char* keywords[] = {"k1", "k2", "k3", "k4", "k5"};
    for (const char* k : keywords) baidu.set_keyword(k, {.held = true});
    point_endpoints({{"BAIDU_WEB_SEARCH", &server}});
    HookRecorder hooks;
    Window win(main_);
    paste(win.keywords, QStringLiteral("k1\nk2\nk3\nk4\nk5"));
    win.threads->setText(QStringLiteral("3"));

    click(win.start);
    QVERIFY(wait_until([&] { return baidu.held_keyword_searches() == 3; }));
    QVERIFY(wait_until([&] { return busy_worker(win.cell(2, 3)) > 0; }));
    QCOMPARE(win.cell(3, 3), QString());  // rows 4 and 5 wait for a free worker
    QCOMPARE(win.cell(4, 3), QString());
    QCOMPARE(server.requests("/s").size(), size_t(3));

    // Filtering now leaves out every row still being checked.
    click(control<QPushButton>(win.w, "按钮3"));
    QCOMPARE(win.keywords->toPlainText(), QString());
    QCOMPARE(win.summary->text(), QStringLiteral("一共有5关键词，替换完毕还有0个词"));

    baidu.release_keywords();  // the first three answer; rows 4 and 5 start and are held
    QVERIFY(wait_until([&] { return baidu.held_keyword_searches() == 2 && win.cell(4, 3) != QString(); }));
    QCOMPARE(win.column(2).mid(0, 3), (QStringList{kNormal, kNormal, kNormal}));
    click(control<QPushButton>(win.w, "按钮3"));
    QCOMPARE(win.keywords->toPlainText(), QStringLiteral("k1\nk2\nk3\n"));
    QCOMPARE(win.summary->text(), QStringLiteral("一共有5关键词，替换完毕还有3个词"));

    baidu.release_keywords();
    QVERIFY(wait_until([&] { return win.ended(); }));
    QCOMPARE(baidu.peak_keyword_searches(), 3);
    QCOMPARE(win.column(2), (QStringList{kNormal, kNormal, kNormal, kNormal, kNormal}));
    QCOMPARE(hooks.message_texts(), sl({"处理完毕"}));
  }

  void a_failed_search_is_neither_normal_nor_censored() {
    FakeServer server;
    FakeBaiduSearch baidu(server);
    baidu.set_keyword("bad", {.fails = true});
    baidu.set_keyword("blocked", {.censored = true});
    point_endpoints({{"BAIDU_WEB_SEARCH", &server}});
    HookRecorder hooks;
    Window win(main_);
    paste(win.keywords, QStringLiteral("good\nbad\nblocked"));
    click(win.start);
    QVERIFY(wait_until([&] { return win.ended(); }));
    QCOMPARE(win.column(2), (QStringList{kNormal, QStringLiteral("查询失败"), kCensored}));
    click(control<QPushButton>(win.w, "按钮3"));
    QCOMPARE(win.keywords->toPlainText(), QStringLiteral("good\n"));
    QCOMPARE(win.summary->text(), QStringLiteral("一共有3关键词，替换完毕还有1个词，查询失败1个"));
  }

  // With requests.conf asking for a retry, a refusal answered once is tried again and counts;
  // a keyword the service keeps refusing reads "频率受限", neither normal nor failed.
  void refused_searches_are_retried_then_rate_limited() {
    FakeServer server;
    FakeBaiduSearch baidu(server);
    FakeRateLimiter limiter(server);
    limiter.refuse("once", 1, 503, "0");
    limiter.refuse("always", -1, 429, "0");
    point_endpoints({{"BAIDU_WEB_SEARCH", &server}});
    TempFolder folder;
    write_file(folder.file("requests.conf"), "retries = 2\n");
    qputenv("TESSALY_REQUESTS", QByteArray::fromStdString(folder.file("requests.conf")));
    HookRecorder hooks;
    Window win(main_);
    paste(win.keywords, QStringLiteral("good\nonce\nalways"));
    click(win.start);
    QVERIFY(wait_until([&] { return win.ended(); }));
    QCOMPARE(win.column(2), (QStringList{kNormal, kNormal, QStringLiteral("频率受限")}));
    QCOMPARE(limiter.refused(), 1 + 3);  // "always": the search and both retries
    click(control<QPushButton>(win.w, "按钮3"));
    QCOMPARE(win.keywords->toPlainText(), QStringLiteral("good\nonce\n"));
    QCOMPARE(win.summary->text(), QStringLiteral("一共有3关键词，替换完毕还有2个词，频率受限1个"));
  }

  void stop_lets_started_checks_finish_and_restart_begins_at_row_one() {
    FakeServer server;
    FakeBaiduSearch baidu(server);
    for (const char* k : {"s1", "s2", "s3", "s4", "s5"}) baidu.set_keyword(k, {.held = true});
    point_endpoints({{"BAIDU_WEB_SEARCH", &server}});
    HookRecorder hooks;
    Window win(main_);
    paste(win.keywords, QStringLiteral("s1\ns2\ns3\ns4\ns5"));
    win.threads->setText(QStringLiteral("2"));
    click(win.start);
    QVERIFY(wait_until([&] { return baidu.held_keyword_searches() == 2; }));

    click(win.start);  // stop: nothing new is dispatched, the two checks under way go on
    QCOMPARE(win.start->text(), QStringLiteral("开始查询"));
    QVERIFY(win.w->task()->active());
    baidu.release_keywords();
    QVERIFY(wait_until([&] { return win.ended(); }));
    QCOMPARE(win.last_end(), JobEnd::Stopped);
    QCOMPARE(win.column(2), (QStringList{kNormal, kNormal, {}, {}, {}}));
    QCOMPARE(win.column(3), (QStringList{kDone, kDone, {}, {}, {}}));
    QCOMPARE(server.requests("/s").size(), size_t(2));
    QVERIFY(hooks.messages.empty());  // a stopped run shows no end message

    // A new run starts from row 1 of the new list.
    server.clear_log();
    paste(win.keywords, QStringLiteral("n1\nn2\nn3"));
    click(win.start);
    QVERIFY(wait_until([&] { return win.ended() && win.ends->size() == 2; }));
    QCOMPARE(win.column(0), sl({"1", "2", "3"}));
    QCOMPARE(win.column(1), sl({"n1", "n2", "n3"}));
    QCOMPARE(win.column(2), (QStringList{kNormal, kNormal, kNormal}));
    QCOMPARE(server.requests("/s").size(), size_t(3));
    QCOMPARE(hooks.message_texts(), sl({"处理完毕"}));
  }

  // An empty list, or a thread count no check could start under, would make a run that never
  // ends: both are refused at the start, and a count fixed afterwards runs to the end.
  void empty_list_and_no_thread_are_refused_at_the_start() {
    FakeServer server;
    FakeBaiduSearch baidu(server);
    point_endpoints({{"BAIDU_WEB_SEARCH", &server}});
    HookRecorder hooks;
    Window win(main_);
    click(control<QPushButton>(win.w, "按钮2"));
    click(win.start);
    QCOMPARE(hooks.message_texts(), sl({"请先填写要检测的关键词，一行一个。"}));
    QVERIFY(!win.w->task()->active());

    hooks.messages.clear();
    paste(win.keywords, QStringLiteral("a\nb"));
    win.threads->setText(QStringLiteral("零"));  // no digits
    click(win.start);
    QCOMPARE(hooks.message_texts(), sl({"线程数要填一个不小于1的整数（例如10），请改好后再开始。"}));
    QVERIFY(!win.w->task()->active());
    QCOMPARE(win.rows->lv_row_count(), 0);
    QCOMPARE(server.request_count(), size_t(0));

    hooks.messages.clear();
    win.threads->setText(QStringLiteral("1"));
    click(win.start);
    QVERIFY(wait_until([&] { return win.ended(); }));
    QCOMPARE(win.last_end(), JobEnd::Done);
    QCOMPARE(server.requests("/s").size(), size_t(2));
    QCOMPARE(hooks.message_texts(), sl({"处理完毕"}));
  }
};

TESSALY_GUI_TEST_MAIN(BannedFilterTest)
#include "test_banned_filter.moc"
