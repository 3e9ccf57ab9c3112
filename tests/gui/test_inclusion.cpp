// The inclusion-query page used as a user uses it, against the fake Baidu search.
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <memory>

#include "core/http/endpoints.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "fakes/baidu_search.h"
#include "fakes/fake_server.h"
#include "gui/gbk_qt.h"
#include "gui/line_box.h"
#include "gui/report_list.h"
#include "gui/support/gui_test.h"
#include "gui/worker_task.h"
#include "research/inclusion_page.h"
#include "shell/main_window.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;

namespace {

QString cell(ReportList* list, int row, int column) { return from_gbk(list->lv_get_cell(row, column)); }

QStringList texts(std::initializer_list<const char*> items) {
  QStringList out;
  for (const char* item : items) out << QString::fromUtf8(item);
  return out;
}

}  // namespace

class InclusionTest : public QObject {
  Q_OBJECT

  struct Page {
    MainWindow window;
    QWidget* page = nullptr;
    LineBox* domains = nullptr;
    QLineEdit* count = nullptr;
    QPushButton* start = nullptr;
    QPushButton* pause = nullptr;
    ReportList* results = nullptr;
    InclusionPage* tool = nullptr;

    Page() {
      window.show();
      // The toolbox button is how a user reaches the page.
      click(control<QPushButton>(&window, "按钮9"));
      page = window.tabs()->currentWidget();
      domains = control<LineBox>(page, "编辑框域名框");
      count = control<QLineEdit>(page, "编辑框百度查询域名个数");
      start = control<QPushButton>(page, "按钮收录开始查询");
      pause = control<QPushButton>(page, "按钮停止查询");
      results = control<ReportList>(page, "超级列表框百度收录");
      tool = page->findChild<InclusionPage*>();
    }
    bool finished() const { return !tool->task()->active(); }
  };

  std::unique_ptr<TempFolder> folder_;

 private Q_SLOTS:
  void init() {
    folder_ = std::make_unique<TempFolder>();
    set_program_folder(folder_->path());
  }
  void cleanup() {
    reset_endpoints();
    folder_.reset();
  }

  void defaults_and_live_count() {
    Page p;
    QCOMPARE(p.window.tabs()->currentIndex(), 2);
    QCOMPARE(p.domains->toPlainText(), QStringLiteral("tessaly.cn\ntessaly.com.cn\n"));
    QCOMPARE(p.count->text(), QStringLiteral("2"));  // the sample ends in a line break: two items
    QCOMPARE(p.start->text(), QStringLiteral("开始查询"));
    QCOMPARE(p.pause->text(), QStringLiteral("暂停查询"));
    QCOMPARE(control<QLineEdit>(p.page, "编辑框7")->text(), QStringLiteral("百度收录.txt"));
    QCOMPARE(control<QWidget>(p.page, "标签12")->property("text").toString(),
             QStringLiteral("注意：域名查询不要带www"));
    QStringList headers;
    for (int c = 0; c < p.results->report_model()->columnCount(); ++c)
      headers << p.results->report_model()->column_title(c);
    QCOMPARE(headers, (QStringList{QStringLiteral("ID"), QStringLiteral("域名"), QStringLiteral("百度总收录"),
                                   QStringLiteral("24小时收录"), QStringLiteral("一周收录"),
                                   QStringLiteral("百度反链")}));
    QCOMPARE(p.results->header()->sectionSize(0), 80);
    QCOMPARE(p.results->header()->sectionSize(1), 120);

    QTest::keyClick(p.domains, Qt::Key_End, Qt::ControlModifier);
    type_text(p.domains, QStringLiteral("x.com"));
    QCOMPARE(p.count->text(), QStringLiteral("3"));
    click(control<QPushButton>(p.page, "按钮百度查询清空"));
    QCOMPARE(p.domains->toPlainText(), QString());
    QCOMPARE(p.count->text(), QStringLiteral("0"));
  }

  void queries_two_domains_and_exports() {
    FakeServer server;
    FakeBaiduSearch baidu(server);
    baidu.set_site("a.com", {"约1,234", "5", "约50", "约9,870"});
    baidu.set_site("b.cn", {"7", "", "2", ""});
    point_endpoints({{"BAIDU_WEB_SEARCH", &server}});
    HookRecorder hooks;
    Page p;

    paste(p.domains, QStringLiteral("a.com\n\nb.cn\n"));
    QCOMPARE(p.count->text(), QStringLiteral("3"));
    click(p.start);
    QCOMPARE(p.start->text(), QStringLiteral("停止查询"));
    QVERIFY(wait_until([&] { return p.finished(); }, 20000));
    QCOMPARE(p.start->text(), QStringLiteral("停止查询"));  // a finished run keeps the stop caption

    const QStringList expected[] = {
        texts({"1", "a.com", "约1,234", "5", "约50", "约9,870"}),
        texts({"2", "", "0", "0", "0", "0"}),  // the empty line is queried as "site:" alone
        texts({"3", "b.cn", "7", "0", "2", "0"}),
    };
    QCOMPARE(p.results->lv_row_count(), 3);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 6; ++c) QCOMPARE(cell(p.results, r, c), expected[r][c]);

    // Four searches per domain, in order; "site:" encoded in the first three, the quoted
    // domain raw in the fourth.
    QStringList targets;
    for (const auto& r : server.requests()) targets << QString::fromStdString(r.target);
    QCOMPARE(targets,
             texts({"/s?wd=site%3Aa.com", "/s?wd=site%3Aa.com&pn=0&lm=1", "/s?wd=site%3Aa.com&pn=0&lm=7",
                    "/s?wd=\"a.com\"", "/s?wd=site%3A", "/s?wd=site%3A&pn=0&lm=1", "/s?wd=site%3A&pn=0&lm=7",
                    "/s?wd=\"\"", "/s?wd=site%3Ab.cn", "/s?wd=site%3Ab.cn&pn=0&lm=1",
                    "/s?wd=site%3Ab.cn&pn=0&lm=7", "/s?wd=\"b.cn\""}));
    QVERIFY(!server.requests().front().has_header("Cookie"));

    // Export to the file named in the page, in the program folder.
    auto* name = control<QLineEdit>(p.page, "编辑框7");
    name->clear();
    name->insert(QStringLiteral("收录结果.txt"));  // as an input method enters it
    click(control<QPushButton>(p.page, "按钮导出数据"));
    QCOMPARE(hooks.message_texts(), QStringList{QStringLiteral("导出完成")});
    QCOMPARE(hooks.messages.back().caption, QStringLiteral("信息："));
    std::string expected_file =
        gbk("1---域名：a.com---总收录：约1,234---24小时收录：5---一周收录：约50---百度反链：约9,870\r\n"
            "2---域名：---总收录：0---24小时收录：0---一周收录：0---百度反链：0\r\n"
            "3---域名：b.cn---总收录：7---24小时收录：0---一周收录：2---百度反链：0\r\n");
    QCOMPARE(read_file(folder_->path() + "/收录结果.txt"), expected_file);

    // Double-clicking a row opens its "site:" search; with no row selected nothing happens.
    p.tool->open_site_search();
    QVERIFY(hooks.shell_targets.isEmpty());
    QRect rect = p.results->visualRect(p.results->report_model()->index(2, 1));
    QTest::mouseClick(p.results->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(p.results->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(hooks.shell_targets,
             QStringList{QString::fromStdString(server.base_url() + "/s?wd=site%3Ab.cn")});

    // One click on the stop caption sets it back without touching the list.
    click(p.start);
    QCOMPARE(p.start->text(), QStringLiteral("开始查询"));
    QCOMPARE(p.results->lv_row_count(), 3);
    click(control<QPushButton>(p.page, "按钮清空"));
    QCOMPARE(p.results->lv_row_count(), 0);
  }

  void stop_pause_and_restart() {
    FakeServer server;
    // "slow.com" never gets an answer; everything else answers at once.
    server.handle("GET", "/s", [](const RecordedRequest& r, Reply& reply) {
      if (r.param("wd").find("slow") != std::string::npos) reply.hang = true;
      reply.body = baidu_page("百度为您找到相关结果数约3个");
      reply.content_type = "text/html; charset=utf-8";
    });
    point_endpoints({{"BAIDU_WEB_SEARCH", &server}});
    HookRecorder hooks;
    Page p;
    paste(p.domains, QStringLiteral("fast.com\r\nslow.com\r\nlast.com"));

    click(p.start);
    QVERIFY(wait_until([&] { return server.hanging() == 1; }));
    QCOMPARE(p.results->lv_row_count(), 2);
    QCOMPARE(cell(p.results, 0, 2), QStringLiteral("约3"));
    // Stop while the request hangs: the run ends at once, the rows stay as written.
    click(p.start);
    QCOMPARE(p.start->text(), QStringLiteral("开始查询"));
    QVERIFY(wait_until([&] { return p.finished(); }, 5000));
    QCOMPARE(p.results->lv_row_count(), 2);
    QCOMPARE(cell(p.results, 1, 0), QStringLiteral("2"));
    QCOMPARE(cell(p.results, 1, 1), QStringLiteral("slow.com"));
    QCOMPARE(cell(p.results, 1, 2), QString());
    server.release_hanging();
    QVERIFY(wait_until([&] { return server.hanging() == 0; }));

    // Starting again clears the list and begins from position 1.
    server.clear_log();
    click(p.start);
    QCOMPARE(p.results->lv_row_count(), 0);
    QVERIFY(wait_until([&] { return server.hanging() == 1; }));
    QCOMPARE(cell(p.results, 0, 0), QStringLiteral("1"));
    QCOMPARE(server.requests().front().target, "/s?wd=site%3Afast.com");

    // Pause and resume flip their caption; a paused run makes no further request.
    click(p.pause);
    QCOMPARE(p.pause->text(), QStringLiteral("继续查询"));
    size_t seen = server.request_count();
    server.release_hanging();
    // The answer of the held request came in; the worker holds at its next checkpoint.
    QVERIFY(wait_until([&] { return p.tool->task()->bridge()->job().held_threads() == 1; }));
    QCOMPARE(server.request_count(), seen);
    click(p.pause);
    QCOMPARE(p.pause->text(), QStringLiteral("暂停查询"));
    QVERIFY(wait_until([&] { return server.hanging() == 1 || p.finished(); }));
    click(p.start);
    QVERIFY(wait_until([&] { return p.finished(); }, 5000));
    QVERIFY(hooks.messages.empty());  // no messages during a run
  }

  void export_empty_list_and_unwritable_file() {
    HookRecorder hooks;
    Page p;
    std::string path = folder_->path() + "/百度收录.txt";
    write_file(path, "old content");
    click(control<QPushButton>(p.page, "按钮导出数据"));
    QCOMPARE(hooks.message_texts(), QStringList{QStringLiteral("导出完成")});
    QVERIFY(file_exists(path));
    QCOMPARE(read_file(path), std::string());

    auto* name = control<QLineEdit>(p.page, "编辑框7");
    name->setText(QStringLiteral("no-such-folder/x.txt"));
    click(control<QPushButton>(p.page, "按钮导出数据"));
    QCOMPARE(hooks.messages.size(), size_t(2));
    QVERIFY(hooks.messages.back().text.startsWith(QStringLiteral("导出失败")));
    QCOMPARE(hooks.messages.back().flags, kIconError);
  }

  // Renders the page for a look at its layout when TESSALY_SCREENSHOTS names a folder.
  void render() {
    QString folder = qEnvironmentVariable("TESSALY_SCREENSHOTS");
    if (folder.isEmpty()) QSKIP("TESSALY_SCREENSHOTS not set");
    Page p;
    QVERIFY(p.window.grab().save(folder + QStringLiteral("/inclusion_page.png")));
  }
};

TESSALY_GUI_TEST_MAIN(InclusionTest)
#include "test_inclusion.moc"
