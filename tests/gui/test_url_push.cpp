// "百度主动推送" used as a user uses it, against the stateful fake of the URL-submission API
// (its refusals before a run are in test_start_checks): 4,500 URLs in three batches, checked
// byte for byte at the fake, with URLs of another site and invalid ones marked; the quota
// running out mid-list; a wrong token; a stop while a request hangs.
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>

#include "core/text/charset.h"
#include "core/text/files.h"
#include "fakes/baidu_push.h"
#include "fakes/fake_server.h"
#include "gui/gbk_qt.h"
#include "gui/line_box.h"
#include "gui/report_list.h"
#include "gui/support/gui_test.h"
#include "gui/worker_task.h"
#include "research/url_push_window.h"
#include "shell/main_window.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;

namespace {

const std::string kToken = "k9TqZx2Lw8Yv";
const char* const kSite = "www.push.cn";

struct Window {
  UrlPushWindow* w;
  QLineEdit* site;
  QLineEdit* token;
  LineBox* urls;
  QLineEdit* count;
  QPushButton* start;
  ReportList* rows;
  QProgressBar* bar;
  QLabel* summary;
  std::unique_ptr<QSignalSpy> ends;

  explicit Window(QWidget* main) {
    w = open_from_toolbox<UrlPushWindow>(main, "按钮主动推送");
    site = control<QLineEdit>(w, "编辑框站点");
    token = control<QLineEdit>(w, "编辑框密钥");
    urls = control<LineBox>(w, "编辑框网址");
    count = control<QLineEdit>(w, "编辑框个数");
    start = control<QPushButton>(w, "按钮开始推送");
    rows = control<ReportList>(w, "超级列表框1");
    bar = control<QProgressBar>(w, "进度条1");
    summary = control<QLabel>(w, "标签汇总");
    ends = std::make_unique<QSignalSpy>(w->task(), &WorkerTask::finished);
  }
  ~Window() {
    w->task()->stop_now();
    wait_until_idle(w);
    w->close();
    wait_until([] { return open_window(UrlPushWindow::kWindow) == nullptr; });
  }
  // Site and token as a user types them, the URLs as pasted.
  void fill(const QString& site_text, const std::string& token_text, const QString& url_text) {
    site->clear();
    type_text(site, site_text);
    token->clear();
    type_text(token, QString::fromStdString(token_text));
    paste(urls, url_text);
  }
  QString cell(int row, int column) const { return from_gbk(rows->lv_get_cell(row, column)); }
  QStringList statuses() const {
    QStringList out;
    for (int r = 0; r < rows->lv_row_count(); ++r) out << cell(r, 2);
    return out;
  }
  bool ended() const { return !ends->isEmpty() && !w->task()->active(); }
};

// n URLs of the site, numbered from `from`.
QStringList site_urls(int from, int n) {
  QStringList out;
  for (int i = from; i < from + n; ++i) out << QStringLiteral("http://www.push.cn/p/%1.html").arg(i);
  return out;
}

// The fake's requests as dumps with the token masked, for failure messages.
std::string dumps(const FakeServer& server) {
  std::string out;
  for (const auto& r : server.requests()) out += FakeBaiduPush::describe(r, kToken) + "\n----\n";
  return out.substr(0, 4000);
}

}  // namespace

class UrlPushTest : public QObject {
  Q_OBJECT
  MainWindow* main_ = nullptr;
  std::unique_ptr<TempFolder> folder_;

 private Q_SLOTS:
  void initTestCase() {
    folder_ = std::make_unique<TempFolder>();
    set_program_folder(folder_->path());
    main_ = new MainWindow;
    main_->show();
  }
  void cleanupTestCase() { delete main_; }
  void cleanup() { reset_endpoints(); }

  void layout_and_a_masked_token() {
    Window win(main_);
    QCOMPARE(win.w->windowTitle(), QStringLiteral("百度主动推送"));
    QCOMPARE(win.start->text(), QStringLiteral("开始推送"));
    QStringList headers;
    for (int c = 0; c < win.rows->report_model()->columnCount(); ++c)
      headers << win.rows->report_model()->column_title(c);
    QCOMPARE(headers, sl({"ID", "URL", "状态"}));
    win.fill(QString::fromUtf8(kSite), kToken, QStringLiteral("http://a.cn/1\nhttp://a.cn/2\n"));
    QCOMPARE(win.count->text(), QStringLiteral("2"));
    // The token is typed in full and shown as dots only.
    QCOMPARE(win.token->text(), QString::fromStdString(kToken));
    QCOMPARE(win.token->echoMode(), QLineEdit::Password);
    QVERIFY(!win.token->displayText().contains(QStringLiteral("k9")));
  }

  void pushes_4500_urls_in_three_batches_marking_other_sites_and_invalid_urls() {
    FakeServer server;
    FakeBaiduPush push(server);
    push.add_site(kSite, kToken, 10000);
    point_endpoints({{"BAIDU_PUSH_API", &server}});
    HookRecorder hooks;
    Window win(main_);

    QStringList urls = site_urls(1, 4500);
    urls[10] = QStringLiteral("http://www.other.cn/x.html");  // another site
    urls[2500] = QStringLiteral("http://intranet/y.html");    // no address the engine can crawl
    urls[4499] = QStringLiteral("http://www.push.cn/中文页面.html");
    // Blank lines, a repeat and two lines that are no http(s) URL are cleaned away first.
    QStringList pasted = urls;
    pasted.insert(5, QString());
    pasted.insert(100, urls[7]);
    pasted.insert(3000, QStringLiteral("www.push.cn/no-scheme.html"));
    pasted.insert(3001, QStringLiteral("  "));
    pasted << QStringLiteral("ftp://www.push.cn/file");
    win.fill(QStringLiteral("  www.push.cn/ "), "  " + kToken + " ", pasted.join(QChar(u'\n')));
    QCOMPARE(win.count->text(), QStringLiteral("4505"));

    click(win.start);
    QCOMPARE(win.start->text(), QStringLiteral("停止推送"));
    QCOMPARE(win.rows->lv_row_count(), 4500);
    QVERIFY(wait_until([&] { return win.ended(); }, 60000));
    QCOMPARE(win.w->task()->last_outcome().end, JobEnd::Done);
    QCOMPARE(win.start->text(), QStringLiteral("开始推送"));

    // Three POSTs of 2,000, 2,000 and 500 URLs, byte for byte.
    const auto requests = server.requests();
    QVERIFY2(requests.size() == 3, dumps(server).c_str());
    const int sizes[] = {2000, 2000, 500};
    int first = 0;
    for (int b = 0; b < 3; ++b) {
      const auto& r = requests[static_cast<size_t>(b)];
      QVERIFY2(r.method == "POST", dumps(server).c_str());
      QVERIFY2(r.target == "/urls?site=www.push.cn&token=" + kToken, dumps(server).c_str());
      QVERIFY2(r.header("Content-Type") == "text/plain", dumps(server).c_str());
      QVERIFY2(!r.has_header("Cookie"), dumps(server).c_str());
      QVERIFY2(r.header("Content-Length") == std::to_string(r.body.size()), dumps(server).c_str());
      const std::string expected = urls.mid(first, sizes[b]).join(QChar(u'\n')).toStdString();
      QVERIFY2(r.body == expected, dumps(server).c_str());
      first += sizes[b];
    }

    QStringList expected_status;
    for (int i = 0; i < 4500; ++i) expected_status << QStringLiteral("推送成功");
    expected_status[10] = QStringLiteral("非本站链接");
    expected_status[2500] = QStringLiteral("链接不合法");
    QCOMPARE(win.statuses(), expected_status);
    QCOMPARE(win.cell(4499, 1), QStringLiteral("http://www.push.cn/中文页面.html"));
    QCOMPARE(win.cell(0, 0), QStringLiteral("1"));
    QCOMPARE(win.summary->text(),
             QStringLiteral("成功4498条，今日剩余5502条，已剔除5行（空行2，重复1，非网址2）"));
    QCOMPARE(win.bar->value(), win.bar->maximum());
    QCOMPARE(win.bar->maximum(), 4500);
    QCOMPARE(hooks.message_texts(),
             QStringList{QStringLiteral("推送完毕：") + win.summary->text() +
                         QStringLiteral("，另有2条未被接受（非本站链接或链接不合法）")});
    QCOMPARE(push.remain(kSite), 5502);
    save_screenshot(win.w, "url_push_after_run");

    // The export: one line per row, in the program folder.
    hooks.messages.clear();
    click(control<QPushButton>(win.w, "按钮导出结果"));
    QCOMPARE(hooks.message_texts(), sl({"导出完成"}));
    const TextList lines = split_lines(read_file(folder_->path() + "/百度主动推送结果.txt"));
    QCOMPARE(lines.size(), size_t(4500));
    QCOMPARE(lines[10], gbk("11---http://www.other.cn/x.html---非本站链接"));
    QCOMPARE(lines[4499], gbk("4500---http://www.push.cn/中文页面.html---推送成功"));
    QVERIFY(read_file(folder_->path() + "/百度主动推送结果.txt").find(kToken) == std::string::npos);
  }

  void the_quota_running_out_mid_list_leaves_the_rest_unsent() {
    FakeServer server;
    FakeBaiduPush push(server);
    push.add_site(kSite, kToken, 2500);
    point_endpoints({{"BAIDU_PUSH_API", &server}});
    HookRecorder hooks;
    Window win(main_);
    win.fill(QString::fromUtf8(kSite), kToken, site_urls(1, 4500).join(QChar(u'\n')));
    click(win.start);
    QVERIFY(wait_until([&] { return win.ended(); }, 60000));

    QVERIFY2(server.request_count() == 2, dumps(server).c_str());  // nothing more once the quota is 0
    const QStringList statuses = win.statuses();
    QCOMPARE(statuses.count(QStringLiteral("推送成功")), 2500);
    QCOMPARE(statuses.count(QStringLiteral("配额已用完")), 2000);
    QCOMPARE(statuses[2499], QStringLiteral("推送成功"));
    QCOMPARE(statuses[2500], QStringLiteral("配额已用完"));
    QCOMPARE(win.summary->text(), QStringLiteral("成功2500条，今日剩余0条"));
    QCOMPARE(hooks.message_texts(),
             sl({"今日推送配额已用完，还有2000条网址未推送（状态为“配额已用完”），请明天再推送。"}));
    QCOMPARE(hooks.messages[0].flags, kIconInformation);
    QCOMPARE(push.pushed(kSite).size(), size_t(2500));
    win.rows->scrollToBottom();
    save_screenshot(win.w, "url_push_quota_used_up");

    // The next run the same day is refused at once by the service.
    hooks.messages.clear();
    click(win.start);
    QVERIFY(wait_until([&] { return win.ends->size() == 2 && !win.w->task()->active(); }, 60000));
    QCOMPARE(win.statuses().count(QStringLiteral("配额已用完")), 4500);
    QCOMPARE(server.request_count(), size_t(3));
  }

  void a_wrong_token_refuses_the_run_without_showing_the_token() {
    FakeServer server;
    FakeBaiduPush push(server);
    push.add_site(kSite, kToken, 100);
    point_endpoints({{"BAIDU_PUSH_API", &server}});
    HookRecorder hooks;
    Window win(main_);
    const std::string wrong = "Wr0ngT0ken77";
    win.fill(QString::fromUtf8(kSite), wrong, site_urls(1, 3).join(QChar(u'\n')));
    QVERIFY(!win.token->displayText().contains(QString::fromStdString(wrong)));
    click(win.start);
    QVERIFY(wait_until([&] { return win.ended(); }));

    QCOMPARE(server.request_count(), size_t(1));
    QCOMPARE(win.statuses(), QStringList(3, QStringLiteral("查询失败：token is not valid")));
    QCOMPARE(hooks.message_texts(),
             sl({"推送被拒绝（token is not valid），请检查站点和准入密钥。还有3条网址未推送。"}));
    QCOMPARE(hooks.messages[0].flags, kIconError);
    QCOMPARE(win.summary->text(), QStringLiteral("成功0条，今日剩余未知"));
    QCOMPARE(push.remain(kSite), 100);
    // The dump of the request names the token only masked.
    const std::string dump = FakeBaiduPush::describe(server.requests().front(), wrong);
    QVERIFY(dump.find(wrong) == std::string::npos);
    QVERIFY(dump.find("token=******") != std::string::npos);
  }

  void a_stop_while_a_request_hangs_ends_the_run_at_once() {
    FakeServer server;
    FakeBaiduPush push(server);
    push.add_site(kSite, kToken, 10000);
    push.hold_requests(true);
    point_endpoints({{"BAIDU_PUSH_API", &server}});
    HookRecorder hooks;
    Window win(main_);
    win.fill(QString::fromUtf8(kSite), kToken, site_urls(1, 2500).join(QChar(u'\n')));

    click(win.start);
    QVERIFY(wait_until([&] { return push.held() == 1; }));
    click(win.start);  // the stop caption
    QVERIFY(wait_until([&] { return win.ended(); }, 5000));
    QCOMPARE(win.w->task()->last_outcome().end, JobEnd::Stopped);
    QCOMPARE(win.start->text(), QStringLiteral("开始推送"));
    QVERIFY(hooks.messages.empty());
    QCOMPARE(win.rows->lv_row_count(), 2500);
    QCOMPARE(win.statuses(), QStringList(2500, QString()));  // nothing is known of the held batch
    push.release();
    QVERIFY(wait_until([&] { return push.held() == 0; }));
    QCOMPARE(server.request_count(), size_t(1));  // no second batch after the stop

    // A new run starts from the first URL.
    push.hold_requests(false);
    click(win.start);
    QVERIFY(wait_until([&] { return win.ends->size() == 2 && !win.w->task()->active(); }, 30000));
    QCOMPARE(win.statuses().count(QStringLiteral("推送成功")), 2500);
    QCOMPARE(server.request_count(), size_t(3));
  }
};

TESSALY_GUI_TEST_MAIN(UrlPushTest)
#include "test_url_push.moc"
