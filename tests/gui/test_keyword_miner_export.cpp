// The keyword miner's export window: text and table exports of the miner list, the save dialog,
// the progress note of the table export and the failures, used as a user uses them.
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <memory>

#include "core/text/charset.h"
#include "core/text/files.h"
#include "fakes/fake_server.h"
#include "fakes/suggestion_services.h"
#include "gui/report_list.h"
#include "gui/support/gui_test.h"
#include "gui/worker_task.h"
#include "research/keyword_miner_export_window.h"
#include "research/keyword_miner_page.h"
#include "shell/main_window.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;

class KeywordMinerExportTest : public QObject {
  Q_OBJECT

  // The miner page after a 360-only run that found `rows`.
  struct Page {
    MainWindow window;
    QWidget* page = nullptr;
    KeywordMinerPage* tool = nullptr;

    explicit Page(FakeSuggestionServices& services, std::vector<std::string> rows) {
      services.so360.set("减肥", std::move(rows));
      window.show();
      click(control<QPushButton>(&window, "按钮关键词挖掘机"));
      page = window.tabs()->currentWidget();
      tool = page->findChild<KeywordMinerPage*>();
      const char* others[] = {"选择框百度", "选择框淘宝", "选择框搜狗", "选择框bing", "选择框知道"};
      for (const char* name : others) click(control<QAbstractButton>(page, name));
    }
    void run() {
      click(control<QPushButton>(page, "按钮挖掘机搜索"));
      QVERIFY(wait_until([this] { return !tool->task()->active(); }));
    }
    ToolWindow* open_export() {
      click(control<QPushButton>(page, "按钮挖掘机导出"));
      ToolWindow* w = open_window(MinerExportWindow::kWindow);
      if (!w) qFatal("the export window did not open");
      return w;
    }
  };

  std::unique_ptr<TempFolder> folder_;
  std::unique_ptr<FakeServer> server_;
  std::unique_ptr<FakeSuggestionServices> services_;
  std::vector<FileDialogRequest> dialogs_;

  // Answers the save dialog with `answer` (empty: cancelled) and keeps what it was asked.
  void answer_dialog(const QString& answer) {
    ui_hooks().file_dialog = [this, answer](FileDialogRequest& r) {
      dialogs_.push_back(r);
      if (answer.isEmpty()) return false;
      r.file_name = answer;
      return true;
    };
  }
  QString in_folder(const char* name) const {
    return QString::fromStdString(folder_->path()) + QChar(u'/') + QString::fromUtf8(name);
  }

 private Q_SLOTS:
  void init() {
    folder_ = std::make_unique<TempFolder>();
    set_program_folder(folder_->path());
    server_ = std::make_unique<FakeServer>();
    services_ = std::make_unique<FakeSuggestionServices>(*server_);
    services_->point_endpoints();
    dialogs_.clear();
  }
  void cleanup() {
    reset_endpoints();
    services_.reset();
    server_.reset();
    folder_.reset();
  }

  void text_export_one_keyword_per_line() {
    HookRecorder hooks;
    Page p(*services_, {"减肥茶", "减肥药"});
    p.run();
    hooks.messages.clear();
    ToolWindow* w = p.open_export();
    QCOMPARE(w->windowTitle(), QStringLiteral("挖掘关键词导出"));
    QVERIFY(control<QRadioButton>(w, "单选框1")->isChecked());
    QCOMPARE(control<QRadioButton>(w, "单选框2")->text(), QStringLiteral("Excel"));
    QVERIFY(!control<QProgressBar>(w, "进度条1")->isVisible());

    // A cancelled dialog changes nothing; a name without extension gets ".txt".
    answer_dialog({});
    click(control<QPushButton>(w, "按钮1"));
    QCOMPARE(line_of(w, "编辑框1"), QString());
    answer_dialog(in_folder("关键词"));
    click(control<QPushButton>(w, "按钮1"));
    QCOMPARE(line_of(w, "编辑框1"), in_folder("关键词.txt"));
    QCOMPARE(dialogs_.size(), size_t(2));
    QCOMPARE(int(dialogs_[1].kind), int(FileDialogKind::Save));
    QCOMPARE(dialogs_[1].filter, QStringLiteral("txt文件(*.txt)"));

    QPointer<ToolWindow> window(w);
    click(control<QPushButton>(w, "按钮2"));
    QCOMPARE(read_file(folder_->file("关键词.txt")), gbk("减肥茶\r\n减肥药\r\n"));
    QCOMPARE(hooks.message_texts(), QStringList{QStringLiteral("保存成功!")});
    QCOMPARE(hooks.messages[0].caption, QStringLiteral("提示"));
    QCOMPARE(hooks.messages[0].flags, kIconInformation);
    QVERIFY(wait_until([&] { return window.isNull(); }));  // closed after the message
  }

  void table_export_with_header_and_progress_note() {
    HookRecorder hooks;
    Page p(*services_, {"减肥茶", "减肥药", "减肥餐"});
    p.run();
    hooks.messages.clear();
    ToolWindow* w = p.open_export();
    click(control<QRadioButton>(w, "单选框2"));
    answer_dialog(in_folder("表格"));
    click(control<QPushButton>(w, "按钮1"));
    QCOMPARE(dialogs_.back().filter, QStringLiteral("Excel文件(*.xls)"));
    QCOMPARE(line_of(w, "编辑框1"), in_folder("表格.xls"));

    click(control<QPushButton>(w, "按钮2"));
    // Every line, the header of the live column title included, ends with TAB CR LF.
    QCOMPARE(read_file(folder_->file("表格.xls")),
             gbk("关键词[3]\t\r\n减肥茶\t\r\n减肥药\t\r\n减肥餐\t\r\n"));
    QVERIFY(hooks.messages.empty());
    QVERIFY(w->isVisible());  // the window stays open
    // The progress note reached 100: it says so and closes itself.
    ToolWindow* note = open_window(ExportProgressWindow::kWindow);
    QVERIFY(note);
    QCOMPARE(control<QLabel>(note, "标签2")->text(), QStringLiteral("已完成"));
    QCOMPARE(control<QLabel>(note, "标签1")->text(), QStringLiteral("66%"));
    QVERIFY(wait_until([] { return open_window(ExportProgressWindow::kWindow) == nullptr; }));
  }

  void table_export_during_a_run_writes_the_running_counter() {
    HookRecorder hooks;
    Page p(*services_, {});
    services_->bing.set("减肥", {"减肥b"});
    services_->so360.set_mode(SuggestMode::Hold);
    click(control<QAbstractButton>(p.page, "选择框bing"));
    click(control<QPushButton>(p.page, "按钮挖掘机搜索"));
    auto* list = control<ReportList>(p.page, "超级列表框挖掘机");
    QVERIFY(wait_until([&] { return list->lv_row_count() == 1 && services_->so360.held() == 1; }));
    ToolWindow* w = p.open_export();
    click(control<QRadioButton>(w, "单选框2"));
    control<QLineEdit>(w, "编辑框1")->setText(in_folder("running.xls"));
    click(control<QPushButton>(w, "按钮2"));
    QCOMPARE(read_file(folder_->file("running.xls")), gbk("关键词[1]获取中\t\r\n减肥b\t\r\n"));
    services_->so360.set_mode(SuggestMode::Normal);
    services_->so360.release();
    QVERIFY(wait_until([&] { return !p.tool->task()->active(); }));
  }

  void empty_list_and_unwritable_paths() {
    HookRecorder hooks;
    Page p(*services_, {});
    ToolWindow* w = p.open_export();
    auto* path = control<QLineEdit>(w, "编辑框1");

    // Nothing to write cannot be written either: the text export of a path in a missing folder
    // reports the failure and keeps the window.
    const QString bad = in_folder("no-such-folder/x.txt");
    path->setText(bad);
    click(control<QPushButton>(w, "按钮2"));
    QCOMPARE(hooks.message_texts(), QStringList{QStringLiteral("不能将数据写入  ") + bad});
    QCOMPARE(hooks.messages[0].caption, QStringLiteral("错误..."));
    QCOMPARE(hooks.messages[0].flags, kIconError);
    QVERIFY(w->isVisible());
    QCOMPARE(w->windowTitle(), QStringLiteral("挖掘关键词导出"));

    click(control<QRadioButton>(w, "单选框2"));
    click(control<QPushButton>(w, "按钮2"));
    QCOMPARE(hooks.messages.size(), size_t(2));
    QCOMPARE(hooks.messages[1].text,
             QStringLiteral("不能打开 ") + bad + QStringLiteral("\r\n可能此文件已被其它程序打开..."));
    QCOMPARE(hooks.messages[1].caption, QStringLiteral("错误..."));
    QVERIFY(!file_exists(folder_->file("no-such-folder/x.txt")));

    // An empty list: an empty file, and success.
    click(control<QRadioButton>(w, "单选框1"));
    path->setText(in_folder("empty.txt"));
    write_file(folder_->file("empty.txt"), "old");
    QPointer<ToolWindow> window(w);
    click(control<QPushButton>(w, "按钮2"));
    QCOMPARE(read_file(folder_->file("empty.txt")), std::string());
    QCOMPARE(hooks.messages.back().text, QStringLiteral("保存成功!"));
    QVERIFY(wait_until([&] { return window.isNull(); }));
  }

  // Renders the page after a run, the export window and the progress note for a look at them
  // when TESSALY_SCREENSHOTS names a folder.
  void render() {
    QString folder = qEnvironmentVariable("TESSALY_SCREENSHOTS");
    if (folder.isEmpty()) QSKIP("TESSALY_SCREENSHOTS not set");
    HookRecorder hooks;
    std::vector<std::string> rows;
    for (int i = 1; i <= 40; ++i) rows.push_back("减肥方法" + std::to_string(i));
    Page p(*services_, rows);
    p.run();
    QVERIFY(p.window.grab().save(folder + QStringLiteral("/miner_page_run.png")));
    ToolWindow* w = p.open_export();
    QVERIFY(w->grab().save(folder + QStringLiteral("/miner_export.png")));
    show_export_progress(40);
    QVERIFY(open_window(ExportProgressWindow::kWindow)
                ->grab()
                .save(folder + QStringLiteral("/miner_export_progress.png")));
    show_export_progress(100);
    QVERIFY(wait_until([] { return open_window(ExportProgressWindow::kWindow) == nullptr; }));
  }
};

TESSALY_GUI_TEST_MAIN(KeywordMinerExportTest)
#include "test_keyword_miner_export.moc"
