#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>

#include <algorithm>
#include <filesystem>

#include "content/rewriter.h"
#include "content/rewriter_window.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/line_box.h"
#include "gui/report_list.h"
#include "gui/support/gui_test.h"
#include "gui/tool_window.h"
#include "gui/worker_task.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::test;

namespace {

void put(std::string_view name, std::string_view text) { QVERIFY(write_file(rewriter_file(name), text)); }
Bytes get(std::string_view name) { return read_file(rewriter_file(name)); }
Bytes split_file(int n) { return read_file(join_path(library_folder(), std::to_string(n) + ".txt")); }

Text numbered_lines(int from, int to) {
  Text t;
  for (int i = from; i <= to; ++i) t += gbk("第") + std::to_string(i) + gbk("句。") + "\r\n";
  return t;
}

int count_of(const HookRecorder& hooks, const QString& text) {
  return static_cast<int>(std::count_if(hooks.messages.begin(), hooks.messages.end(),
                                        [&](const RecordedMessage& m) { return m.text == text; }));
}

}  // namespace

class RewriterTest : public QObject {
  Q_OBJECT

  TempFolder* temp_ = nullptr;
  ToolWindow* w_ = nullptr;

  template <class T>
  T* c(const char* name) {
    return control<T>(w_, name);
  }
  ToolWindow* open() {
    w_ = open_tool_window(RewriterWindow::kWindow);
    return w_;
  }

 private Q_SLOTS:
  void init() {
    temp_ = new TempFolder;
    set_program_folder(temp_->path());
    QVERIFY(make_dir(rewriter_folder()));
  }

  void cleanup() {
    if (open_window(RewriterWindow::kWindow)) {
      open_window(RewriterWindow::kWindow)->close();
      QVERIFY(wait_until([] { return open_window(RewriterWindow::kWindow) == nullptr; }));
    }
    QVERIFY(wait_until([] { return running_worker_threads() == 0; }));  // before their folder goes
    delete temp_;
  }

  void created_with_its_table_on_the_processing_page() {
    put("替换表.txt", gbk("的||空\r\n。||。换行符\r\n"));
    open();
    QCOMPARE(w_->windowTitle(), QStringLiteral("伪原创生成工具"));
    QCOMPARE(w_->size(), QSize(407, 450));
    auto* tabs = c<QTabWidget>("选择夹1");
    const QStringList pages = {QStringLiteral("伪原创替换"), QStringLiteral("原创库处理"),
                               QStringLiteral("原创库分割"), QStringLiteral("使用说明")};
    QCOMPARE(tabs->count(), pages.size());
    for (int i = 0; i < pages.size(); ++i) QCOMPARE(tabs->tabText(i), pages[i]);
    QCOMPARE(tabs->currentIndex(), 1);
    QCOMPARE(box_text(c<LineBox>("编辑框1")), gbk("的||空\r\n。||。换行符\r\n"));
    QVERIFY(!c<QCheckBox>("选择框1")->isChecked());
    QCOMPARE(c<QCheckBox>("选择框1")->text(), QStringLiteral("去掉空格"));
    QCOMPARE(c<QLineEdit>("编辑框2")->text(), QStringLiteral("50"));
    QCOMPARE(c<QLineEdit>("编辑框3")->text(), QStringLiteral("10"));
    for (const char* bar : {"进度条1", "进度条2"}) {
      QCOMPARE(c<QProgressBar>(bar)->value(), 0);
      QCOMPARE(c<QProgressBar>(bar)->maximum(), 100);
    }
    const std::vector<std::pair<const char*, QString>> buttons = {
        {"按钮4", QStringLiteral("载入词库")},
        {"按钮5", QStringLiteral("开始替换")},
        {"按钮6", QStringLiteral("停止")},
        {"按钮2", QStringLiteral("开始处理")},
        {"按钮3", QStringLiteral("停止处理")},
        {"按钮1", QStringLiteral("开始分割")},
        {"按钮打开配置目录", QStringLiteral("打开配置目录")}};
    for (const auto& [name, caption] : buttons) QCOMPARE(c<QPushButton>(name)->text(), caption);
    QCOMPARE(c<QLabel>("标签4")->text(), QStringLiteral("提示：这一步可以跳过"));
    QCOMPARE(c<QLabel>("标签3")->text(), QString());
    auto* list = c<ReportList>("超级列表框1");
    QCOMPARE(list->lv_row_count(), 0);
    const QStringList columns = {QStringLiteral("ID"), QStringLiteral("原始词"), QStringLiteral("替换词"),
                                 QStringLiteral("替换次数")};
    for (int i = 0; i < columns.size(); ++i) QCOMPARE(list->report_model()->column_title(i), columns[i]);
    auto* help = c<LineBox>("编辑框4");
    QVERIFY(help->isReadOnly());
    QVERIFY(c<QGroupBox>("分组框1")->isAncestorOf(help));
    for (const char* words : {"原文本.txt", "开始处理", "生成文本.txt", "原创库分割", "开始分割", "编码"})
      QVERIFY2(help->toPlainText().contains(QString::fromUtf8(words)), words);

    if (qEnvironmentVariableIsSet("TESSALY_SCREENSHOTS")) {
      for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        w_->grab().save(qEnvironmentVariable("TESSALY_SCREENSHOTS") +
                        QStringLiteral("/rewriter-%1.png").arg(i));
      }
    }
  }

  void open_config_folder_goes_through_the_shell() {
    HookRecorder hooks;
    open();
    click(c<QPushButton>("按钮打开配置目录"));
    QCOMPARE(hooks.shell_targets, QStringList{QString::fromStdString(rewriter_folder())});
  }

  void replaces_the_word_list_in_the_source() {
    HookRecorder hooks;
    put("伪原创词表.txt", gbk("甲||乙甲\r\n只有一段\r\na||b||c\r\n乙||丙\r\n"));
    put("原文本.txt", gbk("甲乙中文\r\n甲"));
    open();
    auto* list = c<ReportList>("超级列表框1");
    c<QTabWidget>("选择夹1")->setCurrentIndex(0);
    click(c<QPushButton>("按钮4"));
    QVERIFY(wait_until([&] { return list->lv_row_count() == 2 && !c<QLabel>("标签3")->text().isEmpty(); }));
    QCOMPARE(list->lv_get_cell(0, 0), std::string("1"));
    QCOMPARE(list->lv_get_cell(1, 0), std::string("4"));  // lines 2 and 3 were skipped but counted
    QCOMPARE(list->lv_get_cell(1, 1), gbk("乙"));
    QCOMPARE(list->lv_get_cell(1, 2), gbk("丙"));
    QCOMPARE(c<QLabel>("标签3")->text(), QStringLiteral("4"));

    click(c<QPushButton>("按钮5"));
    QVERIFY(wait_until([&] { return !hooks.messages.empty(); }));
    QCOMPARE(hooks.messages.size(), size_t{1});
    QCOMPARE(hooks.messages[0].text, QStringLiteral("替换完毕"));
    QCOMPARE(hooks.messages[0].caption, QStringLiteral("友情提示："));
    QCOMPARE(list->lv_get_cell(0, 3), gbk("共替换2次"));
    QCOMPARE(list->lv_get_cell(1, 3), gbk("共替换3次"));  // row 2 also meets what row 1 put in
    QCOMPARE(get("原文本.txt"), gbk("丙甲丙中文\r\n丙甲"));

    // Loading again starts from an empty list.
    click(c<QPushButton>("按钮4"));
    QVERIFY(wait_until_idle(w_));
    QCOMPARE(list->lv_row_count(), 2);
  }

  void stopping_the_replacement_leaves_the_source_alone() {
    HookRecorder hooks;
    put("伪原创词表.txt", gbk("甲||乙\r\n"));
    put("原文本.txt", gbk("甲甲甲\r\n"));
    open();
    auto* list = c<ReportList>("超级列表框1");
    click(c<QPushButton>("按钮4"));
    QVERIFY(wait_until([&] { return list->lv_row_count() == 1; }));
    click(c<QPushButton>("按钮5"));
    click(c<QPushButton>("按钮6"));  // before the worker could read the list back
    QVERIFY(wait_until_idle(w_));
    QVERIFY(hooks.messages.empty());
    QCOMPARE(get("原文本.txt"), gbk("甲甲甲\r\n"));
    QCOMPARE(list->lv_get_cell(0, 3), std::string());
    // The next start works as usual.
    click(c<QPushButton>("按钮5"));
    QVERIFY(wait_until([&] { return count_of(hooks, QStringLiteral("替换完毕")) == 1; }));
    QCOMPARE(get("原文本.txt"), gbk("乙乙乙\r\n"));
  }

  void a_replacement_that_cannot_be_written_says_so() {
    HookRecorder hooks;
    put("原文本.txt", gbk("甲乙\r\n"));
    open();
    set_write_fault("原文本.txt");   // as on a full disk
    click(c<QPushButton>("按钮5"));  // an empty list writes the source back unchanged
    QVERIFY(wait_until([&] { return !hooks.messages.empty(); }));
    set_write_fault({});
    QVERIFY2(hooks.messages[0].text.startsWith(QStringLiteral("无法写入文件：")),
             qPrintable(hooks.messages[0].text));
    QCOMPARE(hooks.messages[0].flags, kIconError);
    QCOMPARE(get("原文本.txt"), gbk("甲乙\r\n"));
  }

  // A fresh program folder has no configuration folder: opening the window makes it with its
  // empty files and the split folder, and keeps every file that is already there.
  void first_opening_makes_the_folder_and_its_files() {
    HookRecorder hooks;
    std::filesystem::remove_all(rewriter_folder());
    open();
    QVERIFY(hooks.messages.empty());
    for (const char* name : {"伪原创词表.txt", "替换表.txt", "原文本.txt", "生成文本.txt"}) {
      QVERIFY2(file_exists(rewriter_file(name)), name);
      QCOMPARE(get(name), Bytes());
    }
    QVERIFY(file_exists(library_folder()));
    save_screenshot(w_, "rewriter_first_run");
    w_->close();
    QVERIFY(wait_until([] { return open_window(RewriterWindow::kWindow) == nullptr; }));

    put("替换表.txt", gbk("的||空\r\n"));
    put("原文本.txt", gbk("我的书\r\n"));
    open();
    QCOMPARE(get("替换表.txt"), gbk("的||空\r\n"));
    QCOMPARE(get("原文本.txt"), gbk("我的书\r\n"));
    QCOMPARE(box_text(c<LineBox>("编辑框1")), gbk("的||空\r\n"));
  }

  // A step whose file the user has not filled yet starts nothing: it names the file by its real
  // path and offers to open the folder.
  void empty_files_are_named_with_their_folder_offered() {
    HookRecorder hooks;
    open();
    struct Step {
      const char* button;
      const char* file;
      int answer;
    };
    const Step steps[] = {{"按钮4", "伪原创词表.txt", kAnswerYes},
                          {"按钮5", "原文本.txt", kAnswerNo},
                          {"按钮2", "原文本.txt", kAnswerYes}};
    for (const Step& step : steps) {
      hooks.messages.clear();
      hooks.shell_targets.clear();
      hooks.next_answers = {step.answer};
      click(c<QPushButton>(step.button));
      QCOMPARE(hooks.messages.size(), size_t{1});
      const RecordedMessage& m = hooks.messages[0];
      QVERIFY2(m.text.contains(from_path(rewriter_file(step.file))), qPrintable(m.text));
      QVERIFY(!m.text.contains(u'\\'));  // a path of this system, not a Windows one
      QCOMPARE(m.flags & 0x0F, kButtonsYesNo);
      QCOMPARE(hooks.shell_targets,
               step.answer == kAnswerYes ? QStringList{from_path(rewriter_folder())} : QStringList{});
      QVERIFY(wait_until_idle(w_));
    }
    QCOMPARE(get("原文本.txt"), Bytes());  // nothing ran
    QCOMPARE(get("生成文本.txt"), Bytes());
    QCOMPARE(c<ReportList>("超级列表框1")->lv_row_count(), 0);
  }

  // The table is built on the first run of the program and kept: this test runs first of the
  // processing tests.
  void processes_the_library_with_the_table_of_the_first_run() {
    HookRecorder hooks;
    put("原文本.txt", gbk("我的书。他的笔。\r\n\r\n第二 行\r\n\r\n\r\n　第三行\r\n"));
    open();
    paste(c<LineBox>("编辑框1"), QStringLiteral("的||空\n。||。换行符\n"));
    c<QCheckBox>("选择框1")->setChecked(true);
    click(c<QPushButton>("按钮2"));
    QVERIFY(wait_until_idle(w_));
    QCOMPARE(hooks.messages.size(), size_t{1});
    const RecordedMessage& m = hooks.messages[0];
    // Two chunks: the text up to the CR of its last line end, and that line end's LF.
    QVERIFY2(
        QRegularExpression(QStringLiteral("^总共2个线程 已全部完成 历时\\d+毫秒$")).match(m.text).hasMatch(),
        qPrintable(m.text));
    QCOMPARE(m.caption, QStringLiteral("提示"));
    QCOMPARE(m.flags, kIconInformation);
    QCOMPARE(c<QProgressBar>("进度条2")->value(), 100);
    const Text expected = gbk("我书。\r\n他笔。\r\n第二行\r\n第三行\r\n");
    QCOMPARE(get("生成文本.txt"), expected);

    // A changed table is not read again until the program restarts.
    paste(c<LineBox>("编辑框1"), QStringLiteral("我||你\n"));
    write_file(rewriter_file("生成文本.txt"), "");
    click(c<QPushButton>("按钮2"));
    QVERIFY(wait_until([&] { return hooks.messages.size() == 2; }));
    QCOMPARE(get("生成文本.txt"), expected);
  }

  void stopping_the_processing_writes_nothing() {
    HookRecorder hooks;
    Text source;
    while (source.size() < (8u << 20)) source += gbk("这是一段很长的小说文字，用来测试停止。\r\n");
    put("原文本.txt", source);
    open();
    click(c<QPushButton>("按钮2"));
    click(c<QPushButton>("按钮3"));
    QVERIFY(wait_until([&] { return !hooks.messages.empty(); }, 30000));
    QCOMPARE(hooks.message_texts(), QStringList{QStringLiteral("已全部停止")});
    QCOMPARE(c<QProgressBar>("进度条2")->value(), 0);
    QCOMPARE(get("生成文本.txt"), Bytes());  // as the window made it
  }

  void closing_the_window_stops_its_run() {
    HookRecorder hooks;
    Text source;
    while (source.size() < (8u << 20)) source += gbk("关闭窗口时正在处理的文字。\r\n");
    put("原文本.txt", source);
    open();
    click(c<QPushButton>("按钮2"));
    w_->close();
    QVERIFY(wait_until([] { return open_window(RewriterWindow::kWindow) == nullptr; }));
    QVERIFY(wait_until([] { return running_worker_threads() == 0; }));
    QVERIFY(hooks.messages.empty());
    QCOMPARE(get("生成文本.txt"), Bytes());
  }

  void splits_into_numbered_files_and_says_so_once() {
    HookRecorder hooks;
    open();
    struct Case {
      int lines;
      QString per_file, threads;
      std::vector<std::pair<int, int>> files;
    };
    const std::vector<Case> cases = {
        {120, QStringLiteral("50"), QStringLiteral("10"), {{1, 50}, {51, 100}, {101, 120}}},
        {100, QStringLiteral("50"), QStringLiteral("10"), {{1, 50}, {51, 100}}},
        {100, QStringLiteral("50"), QStringLiteral("1"), {{1, 50}, {51, 100}}},
        {1000, QStringLiteral("7"), QStringLiteral("3"), {}},
    };
    c<QTabWidget>("选择夹1")->setCurrentIndex(2);
    for (const auto& cs : cases) {
      std::filesystem::remove_all(library_folder());
      hooks.messages.clear();
      put("生成文本.txt", numbered_lines(1, cs.lines));
      c<QLineEdit>("编辑框2")->setText(cs.per_file);
      c<QLineEdit>("编辑框3")->setText(cs.threads);
      for (int press = 1; press <= 2; ++press) {  // pressing twice writes the same files again
        click(c<QPushButton>("按钮1"));
        QVERIFY(wait_until_idle(w_));
        QCOMPARE(count_of(hooks, QStringLiteral("已全部完成")), press);
        QCOMPARE(static_cast<int>(hooks.messages.size()), press);
        QCOMPARE(c<QProgressBar>("进度条1")->value(), 100);
      }
      int per_file = cs.per_file.toInt();
      int files = (cs.lines + per_file - 1) / per_file;
      for (int k = 1; k <= files; ++k) {
        int first = (k - 1) * per_file + 1;
        QCOMPARE(split_file(k), numbered_lines(first, std::min(cs.lines, first + per_file - 1)));
      }
      QVERIFY(!file_exists(join_path(library_folder(), std::to_string(files + 1) + ".txt")));
    }
  }

  // Counts that are not whole numbers of at least 1, and an empty generated text, are refused
  // before anything is written, each with a message that says what to fix.
  void split_refuses_bad_counts_and_an_empty_text() {
    HookRecorder hooks;
    put("生成文本.txt", numbered_lines(1, 10));
    open();
    struct Case {
      QString per_file, threads;
      const char* message;  // how it begins
      const char* focused;  // the box to fix
    };
    const Case cases[] = {
        {QStringLiteral("50"), QStringLiteral("abc"), "线程数要填", "编辑框3"},
        {QStringLiteral("50"), QStringLiteral("0"), "线程数要填", "编辑框3"},
        {QStringLiteral("50"), QStringLiteral("10x"), "线程数要填", "编辑框3"},
        {QStringLiteral("0"), QStringLiteral("10"), "分割行数要填", "编辑框2"},
        {QStringLiteral(""), QStringLiteral("10"), "分割行数要填", "编辑框2"},
    };
    c<QTabWidget>("选择夹1")->setCurrentIndex(2);
    for (const Case& cs : cases) {
      hooks.messages.clear();
      c<QLineEdit>("编辑框2")->setText(cs.per_file);
      c<QLineEdit>("编辑框3")->setText(cs.threads);
      click(c<QPushButton>("按钮1"));
      QCOMPARE(hooks.messages.size(), size_t{1});
      QVERIFY2(hooks.messages[0].text.startsWith(QString::fromUtf8(cs.message)),
               qPrintable(hooks.messages[0].text));
      QCOMPARE(w_->focusWidget(), c<QWidget>(cs.focused));
      QVERIFY(!file_exists(join_path(library_folder(), "1.txt")));
    }
    hooks.messages.clear();
    put("生成文本.txt", "");
    c<QLineEdit>("编辑框2")->setText(QStringLiteral("50"));
    c<QLineEdit>("编辑框3")->setText(QStringLiteral("10"));
    click(c<QPushButton>("按钮1"));
    QCOMPARE(hooks.messages.size(), size_t{1});
    QVERIFY(hooks.messages[0].text.startsWith(QStringLiteral("生成文本.txt 还是空的")));
    QVERIFY(!file_exists(join_path(library_folder(), "1.txt")));
  }
};

TESSALY_GUI_TEST_MAIN(RewriterTest)
#include "test_rewriter.moc"
