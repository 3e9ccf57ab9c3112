// The text-conversion page and the line-list tool windows, driven through their controls.
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTextDocument>

#include <set>

#include "content/conversions_page.h"
#include "content/line_tools_window.h"
#include "gui/line_box.h"
#include "gui/support/gui_test.h"
#include "gui/tool_window.h"
#include "gui/worker_task.h"
#include "shell/main_window.h"

using namespace tessaly;
using namespace tessaly::test;

namespace {}  // namespace

class LineToolsTest : public QObject {
  Q_OBJECT

  MainWindow* main_ = nullptr;

 private Q_SLOTS:
  void initTestCase() {
    main_ = new MainWindow;
    main_->show();
  }
  void cleanupTestCase() { delete main_; }

  void conversion_page() {
    click(control<QPushButton>(main_, "按钮7"));
    auto* tabs = control<QTabWidget>(main_, "高级选择夹1");
    QCOMPARE(tabs->currentIndex(), 8);
    QWidget* page = tabs->currentWidget();
    auto* input = control<LineBox>(page, "编辑框需要转换的");
    QCOMPARE(input->toPlainText().split(u'\n').size(), 3);
    QCOMPARE(input->toPlainText(), input->toPlainText().toUpper());

    struct Case {
      const char* button;
      QString input;
      QString output;
    };
    const std::vector<Case> cases = {
        {"按钮转繁体", QStringLiteral("简体中文\n\nabc"), QStringLiteral("簡體中文\n\nabc\n")},
        {"按钮繁转简", QStringLiteral("簡體中文\n"), QStringLiteral("简体中文\n")},
        {"按钮半角转全角", QStringLiteral("Ab 1~"), QStringLiteral("Ａｂ　１～\n")},
        {"按钮全角转半角", QStringLiteral("Ａｂ　１～，。"), QStringLiteral("Ab 1~,。\n")},
        {"按钮转大写", QStringLiteral("abc中文ａ"), QStringLiteral("ABC中文ａ\n")},
        {"按钮转小写", QStringLiteral("ABC"), QStringLiteral("abc\n")},
    };
    for (const auto& c : cases) {
      paste(input, c.input);
      click(control<QPushButton>(page, c.button));
      QVERIFY2(wait_until([&] { return text_of(page, "编辑框转换的结果") == c.output; }), c.button);
    }
    // A second click while a long conversion runs replaces it: the result is one whole run.
    QString big;
    for (int i = 0; i < 200000; ++i) big += QStringLiteral("line%1\n").arg(i);
    paste(input, big);
    click(control<QPushButton>(page, "按钮转大写"));
    click(control<QPushButton>(page, "按钮转大写"));
    auto* conversions = page->findChild<ConversionsPage*>();
    QVERIFY(wait_until([&] { return !conversions->converting(); }, 30000));
    QVERIFY(wait_until([&] { return text_of(page, "编辑框转换的结果") == big.toUpper(); }, 30000));
  }

  void dedupe_and_pinyin() {
    auto* w = open_from_toolbox<DedupeWindow>(main_, "按钮去重处理");
    auto* start = control<QPushButton>(w, "按钮去重复");
    // The default sample: three keywords three times with blank lines between.
    click(start);
    QVERIFY(wait_until([&] { return start->text() == QStringLiteral("开始去重复"); }));
    QCOMPARE(text_of(w, "编辑框去重复"), QStringLiteral("站群软件\n泛站推广\n关键词挖掘\n\n"));
    // The counts are of the keywords shown, not of the blank lines between and after them.
    QCOMPARE(text_of(w, "编辑框去重状态框"), QStringLiteral("一共有9条数据\n去除重复后来还有3条数据\n"));

    control<LineBox>(w, "编辑框去重状态框")->clear();
    paste(control<LineBox>(w, "编辑框去重复"), QStringLiteral("北京市\n北京\n北京市"));
    click(start);
    QCOMPARE(start->text(), QStringLiteral("停止去重复"));
    QVERIFY(wait_until([&] { return start->text() == QStringLiteral("开始去重复"); }));
    QCOMPARE(text_of(w, "编辑框去重复"), QStringLiteral("北京市\n北京\n"));
    QCOMPARE(text_of(w, "编辑框去重状态框"), QStringLiteral("一共有3条数据\n去除重复后来还有2条数据\n"));
    auto* bar = control<QProgressBar>(w, "进度条1");
    QCOMPARE(bar->value(), bar->maximum());

    paste(control<LineBox>(w, "编辑框去重复"), QStringLiteral("泛站推广\n泛站推广，SEO"));
    click(control<QPushButton>(w, "按钮1"));
    QVERIFY(wait_until([&] { return text_of(w, "编辑框去重复") == QStringLiteral("fztg\nfztg\n"); }));
    paste(control<LineBox>(w, "编辑框去重复"), QStringLiteral("泛站推广，SEO"));
    click(control<QPushButton>(w, "按钮转拼音"));
    QVERIFY(wait_until([&] { return text_of(w, "编辑框去重复") == QStringLiteral("fanzhantuiguangSEO\n"); }));
    click(control<QPushButton>(w, "按钮清空"));
    QCOMPARE(text_of(w, "编辑框去重复"), QString());
    w->close();
  }

  void dedupe_stop_leaves_the_list() {
    auto* w = open_from_toolbox<DedupeWindow>(main_, "按钮去重处理");
    QString big;  // one run of this size takes long enough to be caught mid-way
    for (int i = 0; i < 300000; ++i) big += QStringLiteral("%1\n").arg(i % 1000);
    auto* list = control<LineBox>(w, "编辑框去重复");
    paste(list, big);
    auto* start = control<QPushButton>(w, "按钮去重复");
    click(start);
    // Held at its first checkpoint, so that the stop surely comes before the result.
    WorkerTask* task = nullptr;
    for (WorkerTask* t : w->findChildren<WorkerTask*>())
      if (t->active()) task = t;
    QVERIFY(task);
    task->pause();
    QVERIFY(wait_until([&] { return task->bridge()->job().held_threads() == 1; }));
    click(start);  // stop
    QCOMPARE(start->text(), QStringLiteral("开始去重复"));
    QVERIFY(wait_until([&] { return !w->busy(); }));
    QCOMPARE(task->last_outcome().end, JobEnd::Stopped);
    QCOMPARE(list->row_count(), size_t{300001});  // the list is left as it was
    w->close();
  }

  void trim() {
    auto* w = open_from_toolbox<TrimWindow>(main_, "按钮去首尾中间空格");
    auto* list = control<LineBox>(w, "编辑框1");
    paste(list, QStringLiteral("  a b  \n\n　c　d　"));
    auto* start = control<QPushButton>(w, "按钮开始去除");
    click(start);
    QVERIFY(wait_until([&] { return list->toPlainText() == QStringLiteral("ab\nc　d\n"); }));
    QVERIFY(wait_until([&] { return !w->busy(); }));
    // The caption stays on its stop wording; the next click only resets it.
    QCOMPARE(start->text(), QStringLiteral("停止去除"));
    click(start);
    QCOMPARE(start->text(), QStringLiteral("开始去除"));
    QCOMPARE(list->toPlainText(), QStringLiteral("ab\nc　d\n"));
    w->close();
  }

  void shuffle_keeps_every_line() {
    auto* w = open_from_toolbox<ShuffleWindow>(main_, "按钮关键词打散");
    auto* list = control<LineBox>(w, "编辑框关键词");
    const QStringList sample = list->toPlainText().split(u'\n');
    QCOMPARE(sample.size(), 12);
    QVERIFY(sample.contains(QStringLiteral("爱情公寓4")));
    // Repeated lines and a list longer than 32768 lines.
    QStringList lines;
    for (int i = 0; i < 40000; ++i) lines << QStringLiteral("k%1").arg(i % 30000);
    paste(list, lines.join(u'\n'));
    click(control<QPushButton>(w, "按钮打散"));
    auto* bar = control<QProgressBar>(w, "进度条1");
    QVERIFY(wait_until([&] { return !w->busy() && list->row_count() == 40001; }, 20000));
    QStringList shuffled = list->toPlainText().split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(shuffled != lines);
    std::multiset<QString> a(lines.begin(), lines.end()), b(shuffled.begin(), shuffled.end());
    QVERIFY(a == b);
    QCOMPARE(bar->maximum(), 40000);
    QCOMPARE(bar->value(), 40000);
    // A long result is laid out aside and swapped in: the box behaves as before.
    QVERIFY(!list->wraps());
    QTest::keyClick(list, Qt::Key_End, Qt::ControlModifier);
    type_text(list, QStringLiteral("z"));
    QVERIFY(list->toPlainText().endsWith(QStringLiteral("\nz")));
    click(control<QPushButton>(w, "按钮清空"));
    QCOMPARE(list->toPlainText(), QString());
    w->close();
  }

  void suffix() {
    auto* w = open_from_toolbox<KeywordSuffixWindow>(main_, "按钮多文本");
    QCOMPARE(text_of(w, "编辑框1").split(u'\n').size(), 49);
    QCOMPARE(line_of(w, "编辑框2"), QStringLiteral("-【Corvane网络开发】"));
    paste(control<LineBox>(w, "编辑框1"), QStringLiteral("a\nb"));
    auto* start = control<QPushButton>(w, "按钮开始生成");
    click(start);
    QVERIFY(wait_until([&] { return start->isEnabled() && !text_of(w, "编辑框3").isEmpty(); }));
    click(start);  // the output is not emptied: a second run adds its lines
    const QString once = QStringLiteral("a-【Corvane网络开发】\nb-【Corvane网络开发】\n");
    QVERIFY(wait_until([&] { return text_of(w, "编辑框3") == once + once; }));
    click(control<QPushButton>(w, "按钮3"));
    QCOMPARE(text_of(w, "编辑框3"), QString());
    click(control<QPushButton>(w, "按钮2"));
    QCOMPARE(text_of(w, "编辑框1"), QString());
    w->close();
  }

  void take_left_and_right() {
    HookRecorder hooks;
    auto* w = open_from_toolbox<TakeTextWindow>(main_, "按钮批量取文本左边");
    auto* list = control<LineBox>(w, "编辑框1");
    QCOMPARE(list->toPlainText().split(u'\n').size(), 8);
    paste(list, QStringLiteral("abc_1_2\nxyz"));
    click(control<QPushButton>(w, "按钮1"));
    QVERIFY(wait_until([&] { return list->toPlainText() == QStringLiteral("abc\n\n"); }));
    paste(list, QStringLiteral("abc_1_2\nxyz"));
    click(control<QPushButton>(w, "按钮2"));
    QVERIFY(wait_until([&] { return list->toPlainText() == QStringLiteral("2\n\n"); }));
    // No separator: the list stays and the user is told.
    control<QLineEdit>(w, "编辑框3")->clear();
    click(control<QPushButton>(w, "按钮2"));
    QCOMPARE(hooks.message_texts(), QStringList{QStringLiteral("请先输入分割的标签")});
    QCOMPARE(list->toPlainText(), QStringLiteral("2\n\n"));
    w->close();
  }

  void join_with_live_counts() {
    auto* w = open_from_toolbox<JoinWindow>(main_, "按钮3");
    QCOMPARE(line_of(w, "编辑框1"), QStringLiteral("3"));
    QCOMPARE(line_of(w, "编辑框2"), QStringLiteral("3"));
    QCOMPARE(line_of(w, "编辑框3"), QStringLiteral("0"));
    auto* start = control<QPushButton>(w, "按钮2");
    click(start);
    QVERIFY(wait_until([&] { return line_of(w, "编辑框3") == QStringLiteral("3"); }));
    const QStringList joined = text_of(w, "编辑框_结果").split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(joined.size(), 3);
    QVERIFY(joined[0].endsWith(QStringLiteral("-百度")));
    QVERIFY(joined[2].endsWith(QStringLiteral("-网易")));

    // Typing updates the counts; a shorter second list stops the join there.
    auto* first = control<LineBox>(w, "编辑框_相加1");
    auto* second = control<LineBox>(w, "编辑框_相加2");
    click(control<QPushButton>(w, "按钮1"));
    QCOMPARE(line_of(w, "编辑框1"), QStringLiteral("0"));
    type_text(first, QStringLiteral("a\nb\nc"));
    QCOMPARE(line_of(w, "编辑框1"), QStringLiteral("3"));
    click(control<QPushButton>(w, "按钮3"));
    type_text(second, QStringLiteral("1\n2\n"));
    QCOMPARE(line_of(w, "编辑框2"), QStringLiteral("2"));
    control<QLineEdit>(w, "编辑框4")->setText(QStringLiteral("|"));
    click(start);
    QVERIFY(wait_until([&] { return line_of(w, "编辑框3") == QStringLiteral("2"); }));
    QCOMPARE(text_of(w, "编辑框_结果"), QStringLiteral("a|1\nb|2\n"));
    // Two lines and three lines: two joined lines.
    paste(first, QStringLiteral("x\ny"));
    paste(second, QStringLiteral("1\n2\n3"));
    click(start);
    QVERIFY(wait_until([&] { return text_of(w, "编辑框_结果") == QStringLiteral("x|1\ny|2\n"); }));
    QCOMPARE(line_of(w, "编辑框3"), QStringLiteral("2"));
    click(control<QPushButton>(w, "按钮4"));
    QCOMPARE(text_of(w, "编辑框_结果"), QString());
    QCOMPARE(line_of(w, "编辑框3"), QStringLiteral("0"));  // the count follows the emptied result
    w->close();
  }
};

TESSALY_GUI_TEST_MAIN(LineToolsTest)
#include "test_content_line_tools.moc"
