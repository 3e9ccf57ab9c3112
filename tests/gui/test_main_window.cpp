#include <QGroupBox>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>

#include "shell/main_window.h"
#include "gui/tool_window.h"
#include "gui/support/gui_test.h"

using namespace tessaly;
using namespace tessaly::test;

namespace {

// Toolbox buttons that open a tool window, with the window they open.
const std::vector<std::pair<const char*, int>> kOpeners = {
    {"按钮词库网采集", 6},   {"按钮爱站域名采集词", 22}, {"按钮关键词打散", 16},     {"按钮多文本", 14},
    {"按钮去重处理", 8},     {"按钮去首尾中间空格", 10}, {"按钮6", 21},              {"按钮关键词处理", 13},
    {"按钮伪原创生成工具", 23}, {"按钮泛域名生成", 19},  {"按钮14", 32},             {"按钮2", 2},
    {"按钮gov生成", 11},     {"按钮域名加后缀", 12},     {"按钮域名批量查询", 9},    {"按钮批量网站访问", 5},
    {"按钮1", 1},            {"按钮11", 27},             {"按钮13", 30},             {"按钮正则匹配", 7},
    {"按钮3", 3},            {"按钮批量取文本左边", 18}, {"按钮批量修改文件名", 15}, {"按钮超级外链工具", 24},
    {"按钮10", 26},
};

// Toolbox buttons that switch the tab control, with their page.
const std::vector<std::pair<const char*, int>> kSwitchers = {
    {"按钮关键词挖掘机", 6}, {"按钮5", 3}, {"按钮7", 8}, {"按钮9", 2}, {"按钮8", 4},
};

QWidget* toolbox_of(MainWindow& w) { return control<QWidget>(&w, "分组框3"); }

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void title_size_and_pages() {
    MainWindow w;
    QCOMPARE(w.windowTitle(), QStringLiteral("TessalyV1.8 -站群必备利器"));
    QCOMPARE(w.size(), QSize(854, 510));
    auto* tabs = control<QTabWidget>(&w, "高级选择夹1");
    const QStringList captions = {QStringLiteral("综合工具箱"), QStringLiteral("dnspod解析"), QStringLiteral("收录查询"),
                                  QStringLiteral("词汇生成"),   QStringLiteral("百度ping"),   QStringLiteral("51dns"),
                                  QStringLiteral("挖掘机"),     QStringLiteral("在线升级"),   QStringLiteral("繁体全角转换"),
                                  QStringLiteral("VIP专使用功能")};
    QCOMPARE(tabs->count(), captions.size());
    for (int i = 0; i < tabs->count(); ++i) QCOMPARE(tabs->tabText(i), captions[i]);
    QCOMPARE(tabs->currentIndex(), 0);
    for (const char* group : {"分组框11", "分组框31", "分组框26", "分组框32"}) control<QGroupBox>(&w, group);
  }

  void toolbar_buttons_select_their_pages() {
    MainWindow w;
    auto* tabs = control<QTabWidget>(&w, "高级选择夹1");
    const int pages[] = {0, 1, 5, 2, 3, 9, 7};
    auto* bar = control<QToolBar>(&w, "工具条1");
    QCOMPARE(bar->actions().size(), 7);
    for (int i = 6; i >= 0; --i) {
      bar->actions()[i]->trigger();
      QCOMPARE(tabs->currentIndex(), pages[i]);
    }
    w.toolbar_clicked(7);
    QCOMPARE(tabs->currentIndex(), 8);
    w.toolbar_clicked(8);  // any other index does nothing
    QCOMPARE(tabs->currentIndex(), 8);
  }

  void page_buttons_switch_the_tab_and_open_nothing() {
    MainWindow w;
    w.show();
    auto* tabs = control<QTabWidget>(&w, "高级选择夹1");
    for (const auto& [name, page] : kSwitchers) {
      tabs->setCurrentIndex(0);
      int before = QApplication::topLevelWidgets().size();
      click(control<QPushButton>(toolbox_of(w), name));
      QCOMPARE(tabs->currentIndex(), page);
      QCOMPARE(QApplication::topLevelWidgets().size(), before);
    }
  }

  void every_toolbox_window_opens_with_its_title_and_size() {
    MainWindow w;
    w.show();
    for (const auto& [name, index] : kOpeners) {
      click(control<QPushButton>(toolbox_of(w), name));
      ToolWindow* tool = open_window(index);
      QVERIFY2(tool, name);
      QVERIFY(tool->isVisible());
      QVERIFY(!tool->isModal());
      const ToolWindowInfo* info = tool_window_info(index);
      QCOMPARE(tool->windowTitle(), QString::fromUtf8(info->title));
      QCOMPARE(tool->size(), QSize(info->width, info->height));
      // A second press while it is open does not block and leaves one window.
      click(control<QPushButton>(toolbox_of(w), name));
      QCOMPARE(open_window(index), tool);
      tool->close();
      QVERIFY(wait_until([&] { return open_window(index) == nullptr; }));
      // ...and it opens again after being closed.
      click(control<QPushButton>(toolbox_of(w), name));
      QVERIFY(open_window(index));
      open_window(index)->close();
    }
  }

  void vip_page_buttons_open_windows_28_and_29() {
    MainWindow w;
    w.show();
    w.show_page(9);
    click(control<QPushButton>(&w, "按钮单词功能"));
    QVERIFY(open_window(28));
    QCOMPARE(open_window(28)->windowTitle(), QStringLiteral("单词功能"));
    click(control<QPushButton>(&w, "按钮12"));
    QVERIFY(open_window(29));
    QCOMPARE(open_window(29)->windowTitle(), QStringLiteral("外推规则生成"));
    open_window(28)->close();
    open_window(29)->close();
  }

  void update_page_makes_its_browser_on_first_view() {
    MainWindow w;
    w.show();
    QVERIFY(!w.findChild<QWidget*>(QStringLiteral("超文本浏览框3")));  // not made at start-up
    w.toolbar_clicked(6);
    QCOMPARE(control<QTabWidget>(&w, "高级选择夹1")->currentIndex(), 7);
    control<QWidget>(&w, "超文本浏览框3");
  }

  void tool_windows_close_with_the_main_window() {
    auto* w = new MainWindow;
    w->show();
    click(control<QPushButton>(toolbox_of(*w), "按钮1"));
    QPointer<ToolWindow> tool = open_window(1);
    QVERIFY(tool);
    delete w;
    QVERIFY(tool.isNull());
  }
};

TESSALY_GUI_TEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
