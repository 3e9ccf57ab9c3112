// The small generator windows (1, 2, 11, 12, 29) driven through their controls.
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

#include "domains/small_generators_window.h"
#include "gui/line_box.h"
#include "gui/support/gui_test.h"
#include "gui/tool_window.h"

using namespace tessaly;
using namespace tessaly::test;

namespace {

// Presses a button whose run disables it, and waits until the run has been shown.
void run(QPushButton* button) {
  click(button);
  QVERIFY(wait_until([&] { return button->isEnabled(); }));
}

void close_window(int index) {
  if (ToolWindow* w = open_window(index)) w->close();
  QVERIFY(wait_until([&] { return open_window(index) == nullptr; }));
}

}  // namespace

class SmallGeneratorsTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void cleanup() {
    for (int index : {IpRunWindow::kWindow, WwwWindow::kWindow, GovWindow::kWindow, SuffixWindow::kWindow,
                      OutreachRulesWindow::kWindow})
      close_window(index);
  }

  void gov_pressed_twice_accumulates() {
    ToolWindow* w = open_tool_window(GovWindow::kWindow);
    QCOMPARE(control<QLineEdit>(w, "编辑框3")->text(), QStringLiteral("gov.cn."));
    QCOMPARE(control<QLineEdit>(w, "编辑框6")->text(), QStringLiteral("gov."));
    QVERIFY(control<QRadioButton>(w, "单选框1")->isChecked());
    paste(control<LineBox>(w, "编辑框域名框"), QStringLiteral("a.com\nb.net"));
    auto* start = control<QPushButton>(w, "按钮开始生成");
    auto* out = control<LineBox>(w, "编辑框结果框");
    run(start);
    run(start);
    QCOMPARE(lines_of(out), (sl({"gov.cn.a.com", "gov.cn.b.net", "gov.cn.a.com", "gov.cn.b.net"})));
    click(control<QPushButton>(w, "按钮2"));
    QVERIFY(out->toPlainText().isEmpty());
    click(control<QRadioButton>(w, "单选框3"));
    run(start);
    QCOMPARE(lines_of(out), (sl({"edu.a.com", "edu.b.net"})));
    click(control<QPushButton>(w, "按钮1"));
    QVERIFY(control<LineBox>(w, "编辑框域名框")->toPlainText().isEmpty());
  }

  void www_url_forms() {
    ToolWindow* w = open_tool_window(WwwWindow::kWindow);
    auto* list = control<LineBox>(w, "编辑框5");
    auto* count = control<QLineEdit>(w, "编辑框6");
    auto* start = control<QPushButton>(w, "按钮3");
    paste(list, QStringLiteral("a.com\nb.net\nc.org"));
    run(start);
    QCOMPARE(lines_of(list), (sl({"http://www.a.com/", "http://www.b.net/", "http://www.c.org/"})));
    QCOMPARE(count->text(), QStringLiteral("3"));

    // Both boxes cleared: the list is emptied and nothing is written; the count still shows.
    paste(list, QStringLiteral("a.com\nb.net"));
    click(control<QCheckBox>(w, "选择框1"));
    click(control<QCheckBox>(w, "选择框2"));
    run(start);
    QVERIFY(list->toPlainText().isEmpty());
    QCOMPARE(count->text(), QStringLiteral("2"));
  }

  void www_links_are_numbered() {
    ToolWindow* w = open_tool_window(WwwWindow::kWindow);
    auto* list = control<LineBox>(w, "编辑框5");
    auto* start = control<QPushButton>(w, "按钮5");
    paste(list, QStringLiteral("a.com\nb.net\nc.org"));
    run(start);  // "只加www" by default
    QCOMPARE(lines_of(list), (sl({"www.a.com", "www.b.net", "www.c.org"})));
    click(control<QCheckBox>(w, "选择框4"));
    run(start);
    QStringList lines = lines_of(list);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0],
             QStringLiteral("<p>1--------<a href=\"http://www.a.com\" target=\"_blank\">www.a.com</a></p>"));
    QVERIFY(lines[1].startsWith(QStringLiteral("<p>2")));
    QVERIFY(lines[2].startsWith(QStringLiteral("<p>3")));
    click(control<QPushButton>(w, "按钮6"));
    QVERIFY(list->toPlainText().isEmpty());
  }

  void suffix_add_and_cut() {
    HookRecorder hooks;
    ToolWindow* w = open_tool_window(SuffixWindow::kWindow);
    auto* list = control<LineBox>(w, "编辑框域名");
    QStringList samples = lines_of(list);
    QCOMPARE(samples.size(), 20);
    QCOMPARE(samples.first(), QStringLiteral("7wndw"));
    run(control<QPushButton>(w, "按钮开始加"));
    QCOMPARE(lines_of(list).size(), 20);
    QCOMPARE(lines_of(list).first(), QStringLiteral("7wndw.com"));
    click(control<QRadioButton>(w, "单选框2"));
    paste(list, QStringLiteral("x1"));
    run(control<QPushButton>(w, "按钮开始加"));
    QCOMPARE(lines_of(list), sl({"x1.pw"}));

    auto* cut = control<QPushButton>(w, "按钮开始取");
    paste(list, QStringLiteral("a.b.c\nxyz"));
    run(cut);
    QCOMPARE(lines_of(list), sl({"a"}));

    // An empty separator is refused; the list stays.
    control<QLineEdit>(w, "编辑框分割")->clear();
    paste(list, QStringLiteral("a.b"));
    click(cut);
    QCOMPARE(hooks.messages.size(), size_t{1});
    QCOMPARE(lines_of(list), sl({"a.b"}));

    click(control<QPushButton>(w, "按钮清空"));
    QVERIFY(list->toPlainText().isEmpty());
  }

  void ip_run() {
    ToolWindow* w = open_tool_window(IpRunWindow::kWindow);
    auto* start = control<QPushButton>(w, "按钮4");
    auto* out = control<LineBox>(w, "编辑框7");
    auto run_to_end = [&] {
      click(start);
      QVERIFY(wait_until([&] { return start->text() == QStringLiteral("开始生成"); }));
    };
    run_to_end();
    QStringList lines = lines_of(out);
    QCOMPARE(lines.size(), 258);
    QCOMPARE(lines.first(), QStringLiteral("127.0.0.1"));
    QCOMPARE(lines.last(), QStringLiteral("127.0.0.258"));
    control<QLineEdit>(w, "编辑框9")->setText(QStringLiteral("250"));
    control<QLineEdit>(w, "编辑框10")->setText(QStringLiteral("252"));
    run_to_end();  // the output is emptied first
    QCOMPARE(lines_of(out), (sl({"127.0.0.250", "127.0.0.251", "127.0.0.252"})));
    click(control<QPushButton>(w, "按钮1"));
    QVERIFY(out->toPlainText().isEmpty());

    // A run too long to wait for stops with the same button and keeps what it wrote.
    control<QLineEdit>(w, "编辑框10")->setText(QStringLiteral("2000000000"));
    click(start);
    QCOMPARE(start->text(), QStringLiteral("停止生成"));
    QVERIFY(wait_until([&] { return out->row_count() > 1000; }));
    click(start);
    QCOMPARE(start->text(), QStringLiteral("开始生成"));
    size_t kept = out->row_count();
    QVERIFY(wait_until_idle(w));  // the run has ended: nothing follows
    QCOMPARE(out->row_count(), kept);
    QCOMPARE(lines_of(out).first(), QStringLiteral("127.0.0.250"));
  }

  void outreach_rules_to_links_and_copy() {
    HookRecorder hooks;
    ToolWindow* w = open_tool_window(OutreachRulesWindow::kWindow);
    QStringList rules = lines_of(control<LineBox>(w, "编辑框1"));
    QCOMPARE(rules.size(), 17);
    QCOMPARE(control<QLineEdit>(w, "编辑框3")->text(), QStringLiteral("{关键字_GBK}{号码_GBK}"));
    auto* convert = control<QPushButton>(w, "按钮1");
    auto* out = control<LineBox>(w, "编辑框2");
    run(convert);
    QStringList links = lines_of(out);
    QCOMPARE(links.size(), 17);
    for (int i = 0; i < 17; ++i)
      QCOMPARE(links[i], QStringLiteral("<a href=\"") + rules[i] +
                             QStringLiteral("\" target=\"_blank\">{关键字_GBK}{号码_GBK}</a>"));
    run(convert);  // not emptied first
    QCOMPARE(lines_of(out).size(), 34);

    click(control<QPushButton>(w, "按钮2"));
    QCOMPARE(hooks.clipboard, QStringList{out->toPlainText()});
    QCOMPARE(hooks.messages.size(), size_t{1});
    QCOMPARE(hooks.messages[0].text, QStringLiteral("复制成功"));
    QCOMPARE(hooks.messages[0].caption, QStringLiteral("友情提示："));
    QCOMPARE(hooks.messages[0].flags, kIconInformation);
  }
};

TESSALY_GUI_TEST_MAIN(SmallGeneratorsTest)
#include "test_domains_small_generators.moc"
