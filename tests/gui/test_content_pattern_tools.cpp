// The regex match, keyword separator and batch rename windows, driven through their controls.
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>

#include <filesystem>

#include "content/pattern_tools_window.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "gui/line_box.h"
#include "gui/support/gui_test.h"
#include "gui/tool_window.h"
#include "shell/main_window.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::test;

namespace {}  // namespace

class PatternToolsTest : public QObject {
  Q_OBJECT

  MainWindow* main_ = nullptr;

 private Q_SLOTS:
  void initTestCase() {
    main_ = new MainWindow;
    main_->show();
  }
  void cleanupTestCase() { delete main_; }

  void regex_match() {
    HookRecorder hooks;
    auto* w = open_from_toolbox<RegexMatchWindow>(main_, "按钮正则匹配");
    QCOMPARE(line_of(w, "编辑框1"), QStringLiteral("---(.*?)状态:OK---标题：(.*?)_"));
    QCOMPARE(line_of(w, "编辑框4"), QStringLiteral("1"));
    auto* source = control<LineBox>(w, "编辑框2");
    auto* start = control<QPushButton>(w, "按钮1");
    // The default sample: one domain per report line.
    click(start);
    const int sample_lines = source->toPlainText().split(u'\n').size();
    QVERIFY(wait_until([&] { return text_of(w, "编辑框3").count(u'\n') == sample_lines; }));
    QVERIFY(text_of(w, "编辑框3").startsWith(QStringLiteral("www.tessaly.com\n")));

    struct Case {
      QString source;
      const char* group;
      QString result;
    };
    const QString three = QStringLiteral(
        "1---a.com状态:OK---标题：甲站_首页\n2---b.com状态:OK---标题：乙站_首页\n3---c.com状态:OK---"
        "标题：丙站_首页");
    const std::vector<Case> cases = {
        {three, "1", QStringLiteral("a.com\nb.com\nc.com\n")},
        {three, "2", QStringLiteral("甲站\n乙站\n丙站\n")},
        {three, "3", QStringLiteral("\n\n\n")},
        // The second line does not match: results follow the matches, not the lines.
        {QStringLiteral("1---a.com状态:OK---标题：甲_x\n2---b.com broken\n3---c.com状态:OK---标题：丙_x"),
         "1", QStringLiteral("a.com\nc.com\n\n")},
    };
    for (const auto& c : cases) {
      paste(source, c.source);
      control<QLineEdit>(w, "编辑框4")->setText(QString::fromUtf8(c.group));
      click(start);
      QVERIFY2(wait_until([&] { return text_of(w, "编辑框3") == c.result; }), c.group);
    }
    QVERIFY(hooks.messages.empty());

    // An invalid pattern: an empty result and a message saying why.
    control<QLineEdit>(w, "编辑框1")->setText(QStringLiteral("(abc"));
    click(start);
    QVERIFY(wait_until([&] { return !hooks.messages.empty(); }));
    QVERIFY(hooks.messages[0].text.startsWith(QStringLiteral("正则表达式有错误")));
    QCOMPARE(text_of(w, "编辑框3"), QString());

    click(control<QPushButton>(w, "按钮2"));
    QCOMPARE(text_of(w, "编辑框2"), QString());
    w->close();
  }

  void keyword_separator_writes_b_txt() {
    TempFolder folder;
    set_program_folder(folder.path());
    write_file(folder.file("words.txt"), gbk("A，B, C。A"));
    HookRecorder hooks;
    auto* w = open_from_toolbox<KeywordSeparatorWindow>(main_, "按钮关键词处理");
    QCOMPARE(line_of(w, "编辑框2"), QStringLiteral("，|,|。| |  |    |     |      |        "));
    auto* start = control<QPushButton>(w, "按钮2");

    // No file chosen yet: a message, nothing written.
    click(start);
    QCOMPARE(hooks.message_texts(), QStringList{QStringLiteral("请先选择关键词文件")});
    QVERIFY(!file_exists(folder.file("b.txt")));

    hooks.next_files << QString::fromStdString(folder.file("words.txt"));
    click(control<QPushButton>(w, "按钮1"));
    QCOMPARE(line_of(w, "编辑框1"), QString::fromStdString(folder.file("words.txt")));
    click(start);
    QVERIFY(wait_until([&] { return !line_of(w, "编辑框4").isEmpty() && start->isEnabled(); }));
    QCOMPARE(line_of(w, "编辑框4"), QStringLiteral("已经为你替换完毕，生成关键词的数量为 4 个"));
    QCOMPARE(line_of(w, "编辑框3"), QString::fromStdString(folder.path() + "/b.txt"));
    QCOMPARE(read_file(folder.file("b.txt")), std::string("A\r\nB\r\n\r\nC\r\n"));
    auto* bar = control<QProgressBar>(w, "进度条1");
    QCOMPARE(bar->value(), bar->maximum());

    // A cancelled dialog empties the path.
    click(control<QPushButton>(w, "按钮1"));
    QCOMPARE(line_of(w, "编辑框1"), QString());
    w->close();
  }

  void batch_rename() {
    TempFolder folder;
    write_file(folder.file("a.txt"), "A");
    write_file(folder.file("b.png"), "B");
    std::filesystem::create_directory(folder.file("keep"));
    HookRecorder hooks;
    auto* w = open_from_toolbox<BatchRenameWindow>(main_, "按钮批量修改文件名");
    QCOMPARE(line_of(w, "编辑框文件名位数"), QStringLiteral("8"));
    QCOMPARE(line_of(w, "编辑框类型"), QStringLiteral(".jpg"));
    auto* start = control<QPushButton>(w, "按钮开始更改");

    // No folder: a message, and the caption stays.
    click(start);
    QCOMPARE(hooks.message_texts(), QStringList{QStringLiteral("请先选择需要改名的文件夹")});
    QCOMPARE(start->text(), QStringLiteral("开始更改"));
    hooks.messages.clear();

    hooks.next_folders << QStringLiteral("  ") + QString::fromStdString(folder.path()) + QStringLiteral(" ");
    click(control<QPushButton>(w, "按钮打开"));
    QCOMPARE(line_of(w, "编辑框路径"), QString::fromStdString(folder.path()));
    click(start);
    QCOMPARE(start->text(), QStringLiteral("停止更改"));
    QVERIFY(wait_until([&] { return !hooks.messages.empty(); }));
    QCOMPARE(hooks.message_texts(), QStringList{QStringLiteral("恭喜你，全部改名成功")});
    QStringList names;
    for (auto& e : std::filesystem::directory_iterator(folder.path()))
      if (e.is_regular_file()) names << QString::fromStdString(e.path().filename().string());
    QCOMPARE(names.size(), 2);
    for (const QString& n : names)
      QVERIFY2(QRegularExpression(QStringLiteral("^[0-9A-Za-z]{8}\\.jpg$")).match(n).hasMatch(),
               qPrintable(n));
    QVERIFY(std::filesystem::is_directory(folder.file("keep")));
    auto* bar = control<QProgressBar>(w, "进度条1");
    QCOMPARE(bar->value(), 2);
    // The caption stays on the stop wording; the click resets it and says the run is stopped.
    QCOMPARE(start->text(), QStringLiteral("停止更改"));
    click(start);
    QCOMPARE(start->text(), QStringLiteral("开始更改"));
    QCOMPARE(hooks.message_texts().last(), QStringLiteral("已经停止了改"));
    w->close();
  }
};

TESSALY_GUI_TEST_MAIN(PatternToolsTest)
#include "test_content_pattern_tools.moc"
