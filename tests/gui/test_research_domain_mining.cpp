// Domain keyword mining (window 22) and its "导出词" window (25), used as a user uses them,
// against the fake rank pages.
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "core/http/endpoints.h"
#include "core/text/charset.h"
#include "fakes/aizhan_rank.h"
#include "fakes/fake_server.h"
#include "gui/gbk_qt.h"
#include "gui/line_box.h"
#include "gui/report_list.h"
#include "gui/support/gui_test.h"
#include "gui/worker_task.h"
#include "research/domain_mining_window.h"
#include "shell/main_window.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;

namespace {

QString cell(const ReportList* list, int row, int column) { return from_gbk(list->lv_get_cell(row, column)); }
QString from_utf8(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

class DomainMiningTest : public QObject {
  Q_OBJECT

  struct Window {
    MainWindow main;
    DomainMiningWindow* w;
    LineBox* domains;
    QPushButton* start;
    QPushButton* stop;
    ReportList* rows;
    Window() {
      main.show();
      w = open_from_toolbox<DomainMiningWindow>(&main, "按钮爱站域名采集词");
      domains = control<LineBox>(w, "编辑框域名");
      start = control<QPushButton>(w, "按钮开始查询");
      stop = control<QPushButton>(w, "按钮1");
      rows = control<ReportList>(w, "超级列表框1");
    }
    ~Window() {
      if (ToolWindow* e = open_window(WordExportWindow::kWindow)) e->close();
      w->close();
    }
    void set(const char* box, const char* text) {
      control<QLineEdit>(w, box)->setText(QString::fromUtf8(text));
    }
  };

  FakeServer* server_ = nullptr;
  FakeAizhanRank* rank_ = nullptr;

 private Q_SLOTS:
  void init() {
    server_ = new FakeServer;
    rank_ = new FakeAizhanRank(*server_, server_->base_url() + "/");
    point_endpoints({{"AIZHAN_BAIDURANK", server_}, {"AIZHAN_KEYWORDS", server_}});
    rank_->set_site("a.com", {.pages = 4, .rows = 2});
    rank_->set_site("b.cn", {.pages = 1, .rows = 3, .volumes = 1});
  }
  void cleanup() {
    reset_endpoints();
    delete rank_;
    delete server_;
  }

  void defaults() {
    Window x;
    auto* tabs = control<QTabWidget>(x.w, "高级选择夹1");
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->tabText(0), QStringLiteral("功能大全"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("使用说明"));
    QVERIFY(text_of(x.w, "编辑框2").contains(QStringLiteral("竞争对手")));
    QCOMPARE(lines_of(x.domains).size(), 2);
    QVERIFY(control<QRadioButton>(x.w, "单选框1")->isChecked());
    QCOMPARE(control<QRadioButton>(x.w, "单选框1")->text(), QStringLiteral("采集页数："));
    QCOMPARE(control<QRadioButton>(x.w, "单选框2")->text(), QStringLiteral("采集所有页"));
    QCOMPARE(line_of(x.w, "编辑框1"), QStringLiteral("3"));
    QCOMPARE(line_of(x.w, "编辑框延迟"), QStringLiteral("1000"));
    QCOMPARE(x.start->text(), QStringLiteral("开始查询"));
    QCOMPARE(x.stop->text(), QStringLiteral("停止查询"));
    QCOMPARE(control<QPushButton>(x.w, "按钮2")->text(), QStringLiteral("导出关键词"));
    const QStringList headers{QStringLiteral("ID"), QStringLiteral("关键词"), QStringLiteral("URL"),
                              QStringLiteral("搜索量")};
    const int widths[] = {30, 180, 260, 100};
    for (int c = 0; c < 4; ++c) {
      QCOMPARE(x.rows->report_model()->column_title(c), headers[c]);
      QCOMPARE(x.rows->header()->sectionSize(c), widths[c]);
    }
    QCOMPARE(x.w->windowTitle(), QStringLiteral("域名批量挖掘关键词"));
  }

  void fixed_count_rows_ids_export_and_open() {
    HookRecorder hooks;
    Window x;
    paste(x.domains, QStringLiteral("a.com\nb.cn"));
    x.set("编辑框延迟", "0");
    x.set("编辑框1", "2");
    click(x.start);
    QVERIFY(!x.start->isEnabled());  // the running job keeps its start button disabled
    QVERIFY(wait_until_idle(x.w));
    QVERIFY(x.start->isEnabled());
    QCOMPARE(hooks.message_texts(), QStringList{QStringLiteral("查询完毕")});
    QCOMPARE(hooks.messages[0].caption, QStringLiteral("友情提示："));
    QCOMPARE(hooks.messages[0].flags, kIconInformation);

    QStringList targets;
    for (const auto& r : server_->requests()) targets << from_utf8(r.target);
    QCOMPARE(targets, sl({"/baidu/a.com/1/position/", "/baidu/a.com/2/position/", "/baidu/b.cn/1/position/",
                          "/baidu/b.cn/2/position/"}));
    const auto first = server_->requests().front();
    QCOMPARE(from_utf8(first.version), QStringLiteral("HTTP/1.0"));
    QCOMPARE(from_utf8(first.header("User-Agent")),
             QStringLiteral("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"));

    // a.com: 2 pages of 2 rows; b.cn: 3 rows with one volume link, then a page beyond its last.
    QCOMPARE(x.rows->lv_row_count(), 7);
    const int first_id = cell(x.rows, 0, 0).toInt();
    for (int r = 0; r < 7; ++r) QCOMPARE(cell(x.rows, r, 0).toInt(), first_id + r);
    QCOMPARE(cell(x.rows, 0, 1), from_utf8(FakeAizhanRank::keyword("a.com", 1, 1)));
    QCOMPARE(cell(x.rows, 3, 2), from_utf8(FakeAizhanRank::url("a.com", 2, 2)));
    QCOMPARE(cell(x.rows, 3, 3), from_utf8(FakeAizhanRank::volume(2, 2)));
    QCOMPARE(cell(x.rows, 4, 3), from_utf8(FakeAizhanRank::volume(1, 1)));
    QCOMPARE(cell(x.rows, 5, 3), QString());

    // "导出词": the keywords in list order, and copied as they stand.
    click(control<QPushButton>(x.w, "按钮2"));
    ToolWindow* words = open_window(WordExportWindow::kWindow);
    QVERIFY(words);
    QCOMPARE(words->windowTitle(), QStringLiteral("导出词"));
    QStringList keywords;
    for (int r = 0; r < 7; ++r) keywords << cell(x.rows, r, 1);
    QCOMPARE(lines_of(control<LineBox>(words, "编辑框1")), keywords);
    click(control<QPushButton>(words, "按钮1"));
    QCOMPARE(hooks.clipboard, QStringList{keywords.join(QChar(u'\n')) + QChar(u'\n')});
    save_screenshot(x.w, "window22_run");
    save_screenshot(words, "window25_run");
    QCOMPARE(hooks.message_texts().last(), QStringLiteral("复制成功"));

    // Double-click opens the row's URL; nothing without a selection.
    x.w->open_keyword_url();
    QVERIFY(hooks.shell_targets.isEmpty());
    QRect rect = x.rows->visualRect(x.rows->report_model()->index(3, 1));
    QTest::mouseClick(x.rows->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(x.rows->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(hooks.shell_targets, QStringList{from_utf8(FakeAizhanRank::url("a.com", 2, 2))});

    // A second run empties the list and numbers on after the first run's last ID.
    paste(x.domains, QStringLiteral("b.cn"));
    x.set("编辑框1", "1");
    click(x.start);
    QVERIFY(wait_until_idle(x.w));
    QCOMPARE(x.rows->lv_row_count(), 3);
    QCOMPARE(cell(x.rows, 0, 0).toInt(), first_id + 7);
    // The export window shows the new list when asked again.
    click(control<QPushButton>(x.w, "按钮2"));
    QCOMPARE(lines_of(control<LineBox>(open_window(WordExportWindow::kWindow), "编辑框1")).size(), 3);
  }

  void all_pages_follow_the_pager() {
    HookRecorder hooks;
    Window x;
    paste(x.domains, QStringLiteral("a.com\nb.cn\n"));
    x.set("编辑框延迟", "0");
    click(control<QRadioButton>(x.w, "单选框2"));
    click(x.start);
    QVERIFY(wait_until_idle(x.w));
    QStringList targets;
    for (const auto& r : server_->requests()) targets << from_utf8(r.target);
    QCOMPARE(targets, sl({"/baidu/a.com/position/", "/baidu/a.com/2/position/", "/baidu/a.com/3/position/",
                          "/baidu/a.com/4/position/", "/baidu/b.cn/position/"}));
    QCOMPARE(x.rows->lv_row_count(), 4 * 2 + 3);
    QCOMPARE(hooks.message_texts(), QStringList{QStringLiteral("查询完毕")});
  }

  void stop_during_a_request_or_a_pause_keeps_the_rows() {
    rank_->set_site("slow.com", {.pages = 3, .rows = 2, .hang_page = 2});
    HookRecorder hooks;
    Window x;
    paste(x.domains, QStringLiteral("slow.com"));
    x.set("编辑框延迟", "0");
    click(x.start);
    QVERIFY(wait_until([&] { return server_->hanging() == 1; }));
    click(x.stop);
    QVERIFY(wait_until_idle(x.w, 5000));
    QVERIFY(x.start->isEnabled());
    QCOMPARE(x.rows->lv_row_count(), 2);  // page 1's rows stay
    server_->release_hanging();

    // The pause after each download is the delay box's value, and a stop ends it at once.
    server_->clear_log();
    paste(x.domains, QStringLiteral("a.com"));
    x.set("编辑框延迟", "600000");
    click(x.start);
    QCOMPARE(x.rows->lv_row_count(), 0);
    QVERIFY(wait_until([&] { return server_->request_count() == 1; }));
    click(x.stop);
    QVERIFY(wait_until_idle(x.w, 5000));
    QCOMPARE(server_->request_count(), size_t(1));
    QVERIFY(hooks.messages.empty());  // a stopped run shows nothing
  }
};

TESSALY_GUI_TEST_MAIN(DomainMiningTest)
#include "test_research_domain_mining.moc"
