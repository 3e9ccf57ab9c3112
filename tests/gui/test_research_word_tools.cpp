// The English word tools (window 28) through their three buttons, against the fake translation
// service.
#include <QLabel>
#include <QPushButton>

#include "core/http/endpoints.h"
#include "fakes/fake_server.h"
#include "fakes/translate.h"
#include "gui/gbk_qt.h"
#include "gui/line_box.h"
#include "gui/support/gui_test.h"
#include "gui/worker_task.h"
#include "research/word_tools_window.h"
#include "shell/main_window.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;

class WordToolsTest : public QObject {
  Q_OBJECT

  struct Window {
    MainWindow main;
    WordToolsWindow* w;
    LineBox* text;
    QPushButton* filter;
    QPushButton* split;
    QPushButton* translate;
    Window() {
      main.show();
      w = open_from_toolbox<WordToolsWindow>(&main, "按钮单词功能");
      text = control<LineBox>(w, "编辑框1");
      filter = control<QPushButton>(w, "按钮1");
      split = control<QPushButton>(w, "按钮2");
      translate = control<QPushButton>(w, "按钮3");
    }
    ~Window() { w->close(); }
  };

 private Q_SLOTS:
  void cleanup() { reset_endpoints(); }

  void filter_then_split() {
    Window x;
    QCOMPARE(x.w->windowTitle(), QStringLiteral("单词功能"));
    QVERIFY(!x.text->toPlainText().isEmpty());  // a sample paragraph
    const char* labels[][2] = {{"标签1", "↓第一步"}, {"标签2", "↓第二步"}, {"标签3", "↓第三步"}};
    for (auto& l : labels) QCOMPARE(control<QLabel>(x.w, l[0])->text(), QString::fromUtf8(l[1]));
    QCOMPARE(x.filter->text(), QStringLiteral("开始过滤"));
    QCOMPARE(x.split->text(), QStringLiteral("开始分割"));
    QCOMPARE(x.translate->text(), QStringLiteral("开始翻译"));
    QVERIFY(!control<QWidget>(x.w, "图片框1")->isVisible());

    paste(x.text, QStringLiteral("你好，世界！\n再见。a|b-Ｃ"));
    click(x.filter);
    QCOMPARE(x.text->toPlainText(), QStringLiteral("你好世界再见ab-Ｃ"));
    click(x.split);
    QVERIFY(wait_until_idle(x.w));
    QCOMPARE(lines_of(x.text), sl({"你", "好", "世", "界", "再", "见", "a", "b", "-", "C"}));
    QCOMPARE(x.split->text(), QStringLiteral("开始分割"));
    save_screenshot(x.w, "window28_run");
  }

  void stopping_the_split_keeps_what_was_written() {
    Window x;
    // Long enough that the worker waits for the window a few times on its way (the box takes
    // megabytes per turn, so a short text is done before any click lands).
    constexpr int kChars = 4000000;
    const QString text(kChars, QChar(u'字'));
    paste(x.text, text);
    click(x.split);
    QCOMPARE(x.split->text(), QStringLiteral("停止分割"));
    QVERIFY(!x.filter->isEnabled());
    QVERIFY(x.text->isReadOnly());
    // Stop once the first characters stand on lines of their own.
    const std::string line = to_gbk(QStringLiteral("字\r\n"));
    QVERIFY(wait_until([&] { return x.text->text().starts_with(line + line); }));
    click(x.split);
    QVERIFY(wait_until_idle(x.w));
    QCOMPARE(x.split->text(), QStringLiteral("开始分割"));
    QVERIFY(x.filter->isEnabled());
    QVERIFY(!x.text->isReadOnly());
    const int lines = x.text->item_count();
    QVERIFY(lines > 1 && lines < kChars);
    std::string expected;
    for (int i = 0; i < lines; ++i) expected += line;
    QVERIFY(x.text->text() == expected);  // whole lines, each one character
  }

  void translate_replaces_the_text_or_keeps_it_on_failure() {
    FakeServer server;
    FakeTranslate translate(server);
    translate.add_word("你", "you");
    translate.add_word("好", "good");
    point_endpoints({{"BAIDU_TRANSLATE", &server}});
    HookRecorder hooks;
    Window x;
    paste(x.text, QStringLiteral("你\n好\n"));

    // While the request runs the busy picture shows and the steps wait.
    translate.set_mode(FakeTranslate::Mode::Hang);
    click(x.translate);
    auto* busy = control<QWidget>(x.w, "图片框1");
    QVERIFY(wait_until([&] { return server.hanging() == 1; }));
    QVERIFY(busy->isVisible());
    QVERIFY(!x.translate->isEnabled());
    QVERIFY(!x.filter->isEnabled() && !x.split->isEnabled());
    save_screenshot(x.w, "window28_translating");
    server.release_hanging();  // an empty server error: no translation
    QVERIFY(wait_until_idle(x.w));
    QVERIFY(!busy->isVisible());
    QVERIFY(x.translate->isEnabled());
    QCOMPARE(x.text->toPlainText(), QStringLiteral("你\n好\n"));
    QCOMPARE(hooks.messages.size(), size_t(1));
    QVERIFY(hooks.messages[0].text.startsWith(QStringLiteral("翻译失败，原文已保留。")));
    QCOMPARE(hooks.messages[0].flags, kIconError);

    translate.set_mode(FakeTranslate::Mode::Answer);
    click(x.translate);
    QVERIFY(wait_until_idle(x.w));
    QCOMPARE(lines_of(x.text), sl({"you", "good"}));
    QCOMPARE(server.requests("/v2transapi").back().body,
             "from=zh&to=en&query=%E4%BD%A0%0D%0A%E5%A5%BD%0D%0A&transtype=trans");
    QCOMPARE(hooks.messages.size(), size_t(1));
  }
};

TESSALY_GUI_TEST_MAIN(WordToolsTest)
#include "test_research_word_tools.moc"
