// The sub-domain and directory generators (windows 19 and 32) and the IP number forms (27),
// driven through their controls.
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>

#include "domains/ip_forms_window.h"
#include "domains/label_generator_window.h"
#include "gui/line_box.h"
#include "gui/support/gui_test.h"
#include "gui/tool_window.h"
#include "gui/worker_task.h"

using namespace tessaly;
using namespace tessaly::test;

namespace {

bool all_match(const QStringList& lines, const QString& pattern) {
  QRegularExpression re(QRegularExpression::anchoredPattern(pattern));
  for (const auto& l : lines)
    if (!re.match(l).hasMatch()) {
      qWarning("line does not match %s: %s", qPrintable(pattern), qPrintable(l));
      return false;
    }
  return true;
}

// Presses a start/stop button and waits for the run to end on its own.
void run_to_end(QPushButton* start) {
  const QString idle = start->text();
  click(start);
  QVERIFY(wait_until([&] { return start->text() == idle; }));
}

void close_window(int index) {
  if (ToolWindow* w = open_window(index)) w->close();
  QVERIFY(wait_until([&] { return open_window(index) == nullptr; }));
}

}  // namespace

class DomainGeneratorsTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void cleanup() {
    for (int index : {LabelGeneratorWindow::kSubDomainWindow, IpFormsWindow::kWindow,
                      LabelGeneratorWindow::kDirectoryWindow})
      close_window(index);
  }

  void random_page_defaults() {
    ToolWindow* w = open_tool_window(LabelGeneratorWindow::kSubDomainWindow);
    QCOMPARE(control<QLineEdit>(w, "编辑框域名数量")->text(), QStringLiteral("30"));
    QCOMPARE(control<QLineEdit>(w, "编辑框长度")->text(), QStringLiteral("5"));
    QVERIFY(control<QLineEdit>(w, "编辑框前缀")->text().isEmpty());
    QVERIFY(control<QRadioButton>(w, "单选框数字字母混合")->isChecked());
    QVERIFY(control<QRadioButton>(w, "单选框顺序生成模式")->isChecked());
    QVERIFY(control<QRadioButton>(w, "单选框1")->isChecked());  // first letters
    QVERIFY(control<QRadioButton>(w, "单选框3")->isChecked());  // sequential
    QCOMPARE(lines_of(control<LineBox>(w, "编辑框1")).size(), 23);
    QCOMPARE(lines_of(control<LineBox>(w, "编辑框1")).first(), QStringLiteral("Corvane站群"));
    QCOMPARE(control<QTabWidget>(w, "高级选择夹1")->tabText(1), QStringLiteral("拼音二级"));
    // Two sample domains, 30 mixed labels of five characters each.
    QStringList domains = lines_of(control<LineBox>(w, "编辑框顶级域名"));
    QCOMPARE(domains.size(), 2);
    run_to_end(control<QPushButton>(w, "按钮开始生成"));
    QStringList out = lines_of(control<LineBox>(w, "编辑框生成域名"));
    QCOMPARE(out.size(), 60);
    QVERIFY(
        all_match(out.mid(0, 30), QStringLiteral("[0-9a-z]{5}\\.") + QRegularExpression::escape(domains[0])));
    QVERIFY(
        all_match(out.mid(30), QStringLiteral("[0-9a-z]{5}\\.") + QRegularExpression::escape(domains[1])));
  }

  void random_page_sequential_and_mixed() {
    ToolWindow* w = open_tool_window(LabelGeneratorWindow::kSubDomainWindow);
    paste(control<LineBox>(w, "编辑框顶级域名"), QStringLiteral("d1.com\nd2.net"));
    control<QLineEdit>(w, "编辑框域名数量")->setText(QStringLiteral("2"));
    type_text(control<QLineEdit>(w, "编辑框前缀"), QStringLiteral("bbs"));
    click(control<QRadioButton>(w, "单选框纯字母"));
    auto* start = control<QPushButton>(w, "按钮开始生成");
    auto* out = control<LineBox>(w, "编辑框生成域名");
    run_to_end(start);
    QStringList seq = lines_of(out);
    QCOMPARE(seq.size(), 4);
    QVERIFY(all_match(seq.mid(0, 2), QStringLiteral("bbs[a-z]{5}\\.d1\\.com")));
    QVERIFY(all_match(seq.mid(2), QStringLiteral("bbs[a-z]{5}\\.d2\\.net")));

    click(control<QRadioButton>(w, "单选框混合生成模式"));
    run_to_end(start);  // the run empties the output first
    QStringList mixed = lines_of(out);
    QCOMPARE(mixed.size(), 4);
    QVERIFY(all_match({mixed[0], mixed[2]}, QStringLiteral("bbs[a-z]{5}\\.d1\\.com")));
    QVERIFY(all_match({mixed[1], mixed[3]}, QStringLiteral("bbs[a-z]{5}\\.d2\\.net")));
    QCOMPARE(mixed[0].left(8), mixed[1].left(8));
    QCOMPARE(mixed[2].left(8), mixed[3].left(8));
  }

  void directory_window_puts_the_suffix_after_the_label() {
    ToolWindow* w = open_tool_window(LabelGeneratorWindow::kDirectoryWindow);
    QVERIFY(w->findChild<QLabel*>() != nullptr);
    bool has_caption = false;
    for (auto* label : w->findChildren<QLabel*>()) has_caption |= label->text() == QStringLiteral("目录后缀");
    QVERIFY(has_caption);
    paste(control<LineBox>(w, "编辑框顶级域名"), QStringLiteral("d1.com"));
    control<QLineEdit>(w, "编辑框域名数量")->setText(QStringLiteral("3"));
    control<QLineEdit>(w, "编辑框长度")->setText(QStringLiteral("3"));
    type_text(control<QLineEdit>(w, "编辑框前缀"), QStringLiteral(".html"));
    click(control<QRadioButton>(w, "单选框纯数字"));
    run_to_end(control<QPushButton>(w, "按钮开始生成"));
    QStringList out = lines_of(control<LineBox>(w, "编辑框生成域名"));
    QCOMPARE(out.size(), 3);
    QVERIFY(all_match(out, QStringLiteral("d1\\.com/[0-9]{3}\\.html")));
  }

  void pinyin_page_labels() {
    struct Case {
      int window;
      const char* keyword;
      bool full;
      const char* line;
    };
    const Case cases[] = {{19, "泛站推广", false, "fztg.d1.com"},
                          {32, "泛站推广", false, "d1.com/fztg"},
                          {19, "站群2014", true, "zhanqun2014.d1.com"},
                          {32, "a站群", false, "d1.com/j"}};
    for (const auto& c : cases) {
      ToolWindow* w = open_tool_window(c.window);
      control<QTabWidget>(w, "高级选择夹1")->setCurrentIndex(1);
      paste(control<LineBox>(w, "编辑框1"), QString::fromUtf8(c.keyword));
      paste(control<LineBox>(w, "编辑框2"), QStringLiteral("d1.com"));
      click(control<QRadioButton>(w, c.full ? "单选框2" : "单选框1"));
      run_to_end(control<QPushButton>(w, "按钮1"));
      QCOMPARE(lines_of(control<LineBox>(w, "编辑框3")), QStringList{QString::fromUtf8(c.line)});
      close_window(c.window);
    }
  }

  void pinyin_page_order_of_modes() {
    ToolWindow* w = open_tool_window(LabelGeneratorWindow::kSubDomainWindow);
    control<QTabWidget>(w, "高级选择夹1")->setCurrentIndex(1);
    paste(control<LineBox>(w, "编辑框1"), QStringLiteral("泛站推广\n站群"));
    paste(control<LineBox>(w, "编辑框2"), QStringLiteral("d1.com\nd2.net"));
    auto* start = control<QPushButton>(w, "按钮1");
    auto* out = control<LineBox>(w, "编辑框3");
    run_to_end(start);
    QCOMPARE(lines_of(out), (sl({"fztg.d1.com", "zq.d1.com", "fztg.d2.net", "zq.d2.net"})));
    click(control<QRadioButton>(w, "单选框4"));
    run_to_end(start);  // the click empties the output
    QCOMPARE(lines_of(out), (sl({"fztg.d1.com", "fztg.d2.net", "zq.d1.com", "zq.d2.net"})));
  }

  void pinyin_stop_leaves_the_output_empty() {
    ToolWindow* w = open_tool_window(LabelGeneratorWindow::kDirectoryWindow);
    control<QTabWidget>(w, "高级选择夹1")->setCurrentIndex(1);
    QStringList many;  // 4,000,000 lines: far more than shown before the stop
    for (int i = 0; i < 2000; ++i) many << QStringLiteral("d%1.com").arg(i);
    paste(control<LineBox>(w, "编辑框1"), many.join(u'\n'));
    paste(control<LineBox>(w, "编辑框2"), many.join(u'\n'));
    auto* start = control<QPushButton>(w, "按钮1");
    auto* out = control<LineBox>(w, "编辑框3");
    click(start);
    QCOMPARE(start->text(), QStringLiteral("停止生成"));
    QVERIFY(wait_until([&] { return !out->toPlainText().isEmpty(); }));
    click(start);
    QCOMPARE(start->text(), QStringLiteral("开始生成"));
    QVERIFY(out->toPlainText().isEmpty());
    QVERIFY(wait_until_idle(w));  // the stopped run has ended and wrote nothing after the stop
    QVERIFY(out->toPlainText().isEmpty());
  }

  void random_stop_keeps_the_lines_written() {
    ToolWindow* w = open_tool_window(LabelGeneratorWindow::kSubDomainWindow);
    control<QLineEdit>(w, "编辑框域名数量")->setText(QStringLiteral("100000000"));
    auto* start = control<QPushButton>(w, "按钮开始生成");
    auto* out = control<LineBox>(w, "编辑框生成域名");
    click(start);
    QVERIFY(wait_until([&] { return out->row_count() > 1000; }));
    click(start);
    QCOMPARE(start->text(), QStringLiteral("开始生成"));
    size_t kept = out->row_count();
    QVERIFY(wait_until_idle(w));
    QCOMPARE(out->row_count(), kept);
  }

  void ip_forms_defaults() {
    HookRecorder hooks;
    ToolWindow* w = open_tool_window(IpFormsWindow::kWindow);
    QCOMPARE(lines_of(control<LineBox>(w, "编辑框1")), (sl({"127.0.0.1", "127.0.0.2"})));
    QCOMPARE(control<QLineEdit>(w, "编辑框3")->text(), QStringLiteral("6"));
    auto* start = control<QPushButton>(w, "按钮1");
    run_to_end(start);
    QStringList out = lines_of(control<LineBox>(w, "编辑框2"));
    QCOMPARE(out.size(), 2184);
    QCOMPARE(out.first(), QStringLiteral("http://0177.1/"));
    QCOMPARE(out[1092], QStringLiteral("http://0177.2/"));
    QCOMPARE(hooks.messages.size(), size_t{1});
    QVERIFY(hooks.messages[0].text.startsWith(
        QStringLiteral("恭喜你生成完毕，Corvane站群欢迎你的加入-官方网站：http")));
    QCOMPARE(hooks.messages[0].caption, QStringLiteral("友情提示:"));
  }

  void ip_forms_one_zero_and_case() {
    HookRecorder hooks;
    ToolWindow* w = open_tool_window(IpFormsWindow::kWindow);
    auto* input = control<LineBox>(w, "编辑框1");
    auto* out = control<LineBox>(w, "编辑框2");
    auto* start = control<QPushButton>(w, "按钮1");
    paste(input, QStringLiteral("127.0.0.1\nnot an address"));
    control<QLineEdit>(w, "编辑框3")->setText(QStringLiteral("1"));
    run_to_end(start);
    const QStringList hosts =
        sl({"0177.1", "0x07f.1", "0x07f.0x01", "0177.0x01", "0177.0.1", "0x07f.0x00.1", "0177.0x00.1",
            "0x07f.0.1", "0x07f.0x00.0x01", "0177.0x00.0x01", "0x07f.0.0x01", "0177.0.0x01"});
    QStringList expected;
    for (const auto& h : hosts) expected << QStringLiteral("http://") + h + QStringLiteral("/");
    QCOMPARE(lines_of(out), expected);

    paste(input, QStringLiteral("10.168.1.100"));
    click(control<QCheckBox>(w, "选择框2"));  // two-part forms only
    click(control<QCheckBox>(w, "选择框3"));  // keep upper case
    run_to_end(start);
    QCOMPARE(lines_of(out), (sl({"http://012.11010404/", "http://0x0A.11010404/", "http://0x0A.0x0A80164/",
                                 "http://012.0x0A80164/"})));
  }

  void ip_forms_copy_and_clear() {
    HookRecorder hooks;
    ToolWindow* w = open_tool_window(IpFormsWindow::kWindow);
    control<QLineEdit>(w, "编辑框3")->setText(QStringLiteral("1"));
    run_to_end(control<QPushButton>(w, "按钮1"));
    click(control<QPushButton>(w, "按钮3"));
    QCOMPARE(hooks.clipboard.size(), 1);
    QCOMPARE(hooks.clipboard[0], control<LineBox>(w, "编辑框2")->toPlainText());
    QCOMPARE(hooks.messages.back().text, QStringLiteral("恭喜你，复制成功了"));
    QCOMPARE(hooks.messages.back().caption, QStringLiteral("友情提示："));
    QCOMPARE(hooks.messages.back().flags, 0);
    click(control<QPushButton>(w, "按钮2"));
    QVERIFY(control<LineBox>(w, "编辑框1")->toPlainText().isEmpty());
  }

  void ip_forms_stop_by_button_and_by_closing() {
    HookRecorder hooks;
    ToolWindow* w = open_tool_window(IpFormsWindow::kWindow);
    control<QLineEdit>(w, "编辑框3")->setText(QStringLiteral("500"));  // about 10^9 lines
    auto* start = control<QPushButton>(w, "按钮1");
    auto* out = control<LineBox>(w, "编辑框2");
    click(start);
    QVERIFY(wait_until([&] { return out->row_count() > 100; }));
    click(start);
    QCOMPARE(start->text(), QStringLiteral("开始生成"));
    QVERIFY(hooks.messages.empty());

    click(start);
    QVERIFY(wait_until([&] { return out->row_count() > 100; }));
    std::shared_ptr<Bridge> bridge = w->findChild<WorkerTask*>()->bridge();
    QVERIFY(!bridge->job().stop_requested());
    w->close();  // the closing handler ends the job
    QVERIFY(bridge->job().stop_requested());
    QVERIFY(wait_until([] { return running_worker_threads() == 0; }));
    QVERIFY(hooks.messages.empty());
  }
};

TESSALY_GUI_TEST_MAIN(DomainGeneratorsTest)
#include "test_domains_generators.moc"
