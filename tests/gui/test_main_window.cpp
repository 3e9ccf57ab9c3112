#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QToolBar>
#include <QWebEngineView>
#include <QWindow>

#include "core/http/endpoints.h"
#include "core/text/files.h"
#include "domains/small_generators_window.h"
#include "fakes/fake_server.h"
#include "fakes/sites.h"
#include "fakes/web_pages.h"
#include "gui/support/browser_test.h"
#include "gui/support/gui_test.h"
#include "gui/tool_window.h"
#include "research/word_tools_window.h"
#include "shell/main_window.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::test;

namespace {

// Toolbox buttons that open a tool window: the window, its title and its outer size, as the
// window inventory gives them.
struct Opener {
  const char* button;
  int window;
  const char* title;
  int width, height;
};
const std::vector<Opener> kOpeners = {
    {"按钮词库网采集", 6, "词库网-爱站网关键词采集", 548, 499},
    {"按钮爱站域名采集词", 22, "域名批量挖掘关键词", 780, 517},
    {"按钮关键词打散", 16, "关键词打散", 379, 440},
    {"按钮多文本", 14, "多文本加后缀", 469, 418},
    {"按钮去重处理", 8, "去重处理转拼音", 476, 447},
    {"按钮去首尾中间空格", 10, "去首尾中间空", 395, 408},
    {"按钮6", 21, "百度违禁词过滤", 654, 490},
    {"按钮关键词处理", 13, "关键词处理小工具", 386, 320},
    {"按钮伪原创生成工具", 23, "伪原创生成工具", 407, 450},
    {"按钮泛域名生成", 19, "泛域名生成", 524, 466},
    {"按钮14", 32, "泛目录生成", 532, 472},
    {"按钮2", 2, "域名批量加www", 451, 488},
    {"按钮gov生成", 11, "gov生成软件", 490, 353},
    {"按钮域名加后缀", 12, "域名加后缀", 419, 388},
    {"按钮域名批量查询", 9, "域名批量查询", 743, 461},
    {"按钮批量网站访问", 5, "批量网站访问", 626, 543},
    {"按钮1", 1, "258IP一键生成", 351, 413},
    {"按钮11", 27, "IP进制生成工具", 683, 495},
    {"按钮13", 30, "批量查域名IP", 695, 466},
    {"按钮正则匹配", 7, "正则匹配", 572, 491},
    {"按钮3", 3, "批量一对一相加", 721, 459},
    {"按钮批量取文本左边", 18, "批量取文本", 415, 423},
    {"按钮批量修改文件名", 15, "批量修改文件名", 508, 386},
    {"按钮超级外链工具", 24, "超级外链工具", 710, 482},
    {"按钮10", 26, "", 1347, 867},
    {"按钮主动推送", 34, "百度主动推送", 780, 520},
};

// Each group's buttons in reading order, with their captions.
struct GroupButtons {
  const char* group;
  std::vector<std::pair<const char*, const char*>> buttons;
};
const std::vector<GroupButtons> kGroups = {
    {"分组框11",
     {{"按钮词库网采集", "词库/爱站网采集"},
      {"按钮关键词挖掘机", "关键词挖掘机"},
      {"按钮爱站域名采集词", "域名挖掘关键词"},
      {"按钮关键词打散", "关键词打散"},
      {"按钮多文本", "关键词加后缀"},
      {"按钮去重处理", "去重转拼音"},
      {"按钮去首尾中间空格", "去首尾中间空格"},
      {"按钮5", "词汇综合生成"},
      {"按钮6", "百度违禁词过滤"},
      {"按钮关键词处理", "关键词正则处理"},
      {"按钮伪原创生成工具", "伪原创生成工具"}}},
    {"分组框31",
     {{"按钮泛域名生成", "泛域名生成"},
      {"按钮14", "泛目录生成"},
      {"按钮2", "域名批量加www"},
      {"按钮gov生成", "Gov生成软件"},
      {"按钮域名加后缀", "后缀相加去除"},
      {"按钮域名批量查询", "域名信息查询"},
      {"按钮批量网站访问", "批量网站访问"},
      {"按钮1", "258IP一键生成"},
      {"按钮11", "IP进制生成工具"},
      {"按钮13", "批量查询域名IP"}}},
    {"分组框26",
     {{"按钮正则匹配", "正则匹配"},
      {"按钮3", "批量一对一相加"},
      {"按钮批量取文本左边", "批量取文本左边"},
      {"按钮批量修改文件名", "批量修改文件名"},
      {"按钮7", "字体文本转换"}}},
    {"分组框32",
     {{"按钮超级外链工具", "超级外链工具-蜘蛛池"},
      {"按钮10", "模拟蜘蛛浏览器"},
      {"按钮9", "百度收录查询"},
      {"按钮8", "百度ping"},
      {"按钮主动推送", "百度主动推送"}}},
};

// Toolbox buttons that switch the tab control, with their page.
const std::vector<std::pair<const char*, int>> kSwitchers = {
    {"按钮关键词挖掘机", 6}, {"按钮5", 3}, {"按钮7", 8}, {"按钮9", 2}, {"按钮8", 4},
};

QWidget* toolbox_of(MainWindow& w) { return control<QWidget>(&w, "分组框3"); }

QScreen* screen_named(const char* name) {
  for (QScreen* s : QGuiApplication::screens())
    if (s->name() == QLatin1String(name)) return s;
  qFatal("no test screen %s", name);
}

// Puts the main window where a user drags it: through the window system, not the program (a
// window the program never placed is the one a window manager places anew).
void drag_main_window(MainWindow& w, QPoint to) {
  w.windowHandle()->setPosition(to);
  if (!wait_until([&] { return w.geometry().topLeft() == to; }))
    qFatal("the main window did not move to %d,%d: %d,%d", to.x(), to.y(), w.x(), w.y());
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT
  // The pages the embedded browsers open here (the ping page, the collection window's login
  // page, the crawler browser's home page) stay loading: no test reaches the internet, and no
  // page title changes a window's title meanwhile. The update page loads.
  fakes::FakeServer sites_;
  // Tool windows make their folders in the program folder on first opening.
  TempFolder folder_;

  void point_at_sites() {
    fakes::point_endpoints({{"BAIDU_PING", &sites_},
                            {"WORDLIB_HOME", &sites_},
                            {"AIZHAN_LOGIN", &sites_},
                            {"BAIDU_HOME", &sites_},
                            {"PRODUCT_HOME", &sites_},
                            {"PRODUCT_HOME_ALT", &sites_}});
  }

 private Q_SLOTS:
  void initTestCase() {
    set_program_folder(folder_.path());
    sites_.set_fallback([](const fakes::RecordedRequest&, fakes::Reply& reply) { reply.hang = true; });
    fakes::serve_page(sites_, "/update.html", "在线升级", "<h1>TessalyV1.9</h1>");
    point_at_sites();
  }
  void cleanupTestCase() { fakes::reset_endpoints(); }

  void title_size_and_pages() {
    MainWindow w;
    QCOMPARE(w.windowTitle(), QStringLiteral("TessalyV1.8 -站群必备利器"));
    QCOMPARE(w.size(), QSize(854, 510));
    auto* tabs = control<QTabWidget>(&w, "高级选择夹1");
    const QStringList captions = {QStringLiteral("综合工具箱"),   QStringLiteral("dnspod解析"),
                                  QStringLiteral("收录查询"),     QStringLiteral("词汇生成"),
                                  QStringLiteral("百度ping"),     QStringLiteral("51dns"),
                                  QStringLiteral("挖掘机"),       QStringLiteral("在线升级"),
                                  QStringLiteral("繁体全角转换"), QStringLiteral("VIP专使用功能")};
    QCOMPARE(tabs->count(), captions.size());
    for (int i = 0; i < tabs->count(); ++i) QCOMPARE(tabs->tabText(i), captions[i]);
    QCOMPARE(tabs->currentIndex(), 0);
  }

  void toolbox_groups_hold_their_buttons_in_reading_order() {
    MainWindow w;
    w.show();
    for (const auto& [group_name, buttons] : kGroups) {
      auto* group = control<QGroupBox>(toolbox_of(w), group_name);
      const QList<QPushButton*> found = group->findChildren<QPushButton*>();
      QCOMPARE(found.size(), static_cast<qsizetype>(buttons.size()));
      QPoint previous(-1, -1);
      for (const auto& [name, caption] : buttons) {
        auto* b = control<QPushButton>(group, name);
        QCOMPARE(b->text(), QString::fromUtf8(caption));
        const QPoint at = b->pos();
        // reading order: a later button sits right of the one before, or on a lower row
        QVERIFY2(at.y() > previous.y() || (at.y() == previous.y() && at.x() > previous.x()), name);
        previous = at;
      }
    }
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
    HookRecorder hooks;  // the link tool asks for its templates
    MainWindow w;
    w.show();
    for (const auto& [name, index, title, width, height] : kOpeners) {
      click(control<QPushButton>(toolbox_of(w), name));
      ToolWindow* tool = open_window(index);
      QVERIFY2(tool, name);
      QVERIFY(tool->isVisible());
      QVERIFY(!tool->isModal());
      QCOMPARE(tool->windowTitle(), QString::fromUtf8(title));
      QCOMPARE(tool->size(), QSize(width, height));
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
    QCOMPARE(control<QPushButton>(&w, "按钮单词功能")->text(), QStringLiteral("英文单词生成"));
    QCOMPARE(control<QPushButton>(&w, "按钮12")->text(), QStringLiteral("外推规则生成"));
    click(control<QPushButton>(&w, "按钮单词功能"));
    QVERIFY(open_window(WordToolsWindow::kWindow));
    QCOMPARE(open_window(WordToolsWindow::kWindow)->windowTitle(), QStringLiteral("单词功能"));
    click(control<QPushButton>(&w, "按钮12"));
    QVERIFY(open_window(OutreachRulesWindow::kWindow));
    QCOMPARE(open_window(OutreachRulesWindow::kWindow)->windowTitle(), QStringLiteral("外推规则生成"));
    open_window(WordToolsWindow::kWindow)->close();
    open_window(OutreachRulesWindow::kWindow)->close();
  }

  void update_page_makes_its_browser_on_first_view() {
    MainWindow w;
    w.show();
    QVERIFY(!w.findChild<QWidget*>(QStringLiteral("超文本浏览框3")));  // not made at start-up
    w.toolbar_clicked(6);
    QCOMPARE(control<QTabWidget>(&w, "高级选择夹1")->currentIndex(), 7);
    control<QWidget>(&w, "超文本浏览框3");
  }

  void first_browser_page_leaves_the_main_window_where_it_is() {
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    drag_main_window(w, QPoint(140, 90));
    const QRect before = w.frameGeometry();
    w.toolbar_clicked(6);  // the update page: the window's first browser
    auto* view = control<QWebEngineView>(&w, "超文本浏览框3");
    QVERIFY(wait_for_page(view, QStringLiteral("/update.html")));
    wait_until_drawn(view);
    QCOMPARE(w.frameGeometry(), before);
    // The window is made anew for the browser; it carries its place with it, which is what a
    // window manager goes by (offscreen there is none that would move it).
    QVERIFY(w.testAttribute(Qt::WA_Moved));
  }

  void update_page_offline_shows_a_chinese_note_of_its_own() {
    set_endpoint_overrides("PRODUCT_HOME = http://127.0.0.1:" + std::to_string(fakes::unused_port()) + "\n");
    MainWindow w;
    w.show();
    w.toolbar_clicked(6);
    auto* view = control<QWebEngineView>(&w, "超文本浏览框3");
    QVERIFY(wait_until([&] {
      return run_js(view, QStringLiteral("document.body ? document.body.innerText : ''"))
          .toString()
          .contains(QStringLiteral("暂时打不开升级页面"));
    }));
    const QString text = run_js(view, QStringLiteral("document.body.innerText")).toString();
    QVERIFY2(text.contains(QStringLiteral("/update.html")), qPrintable(text));  // the address tried
    QVERIFY(run_js(view, QStringLiteral("document.querySelector('a').href"))
                .toString()
                .endsWith(QStringLiteral("/update.html")));
    wait_until_drawn(view);
    save_screenshot(&w, "update_page_offline");
    point_at_sites();
  }

  // A new tool window opens over the main window, wholly inside the available area of the main
  // window's screen; one that does not fit there shrinks to fit.
  void tool_windows_open_over_the_main_window_inside_its_screen() {
    struct Case {
      const char* where;
      const char* screen;
      QPoint main_at;
      const char* button;
      int window;
      QSize part_size;
    };
    const Case cases[] = {
        {"middle of the desktop", "desktop", {500, 300}, "按钮域名批量查询", 9, {743, 461}},
        {"bottom right corner", "desktop", {1700, 900}, "按钮域名批量查询", 9, {743, 461}},
        {"top edge, a window taller than the main one",
         "desktop",
         {20, 6},
         "按钮批量网站访问",
         5,
         {626, 543}},
        {"small screen, too small for the crawler browser", "laptop", {2000, 100}, "按钮10", 26, {1347, 867}},
    };
    for (const Case& c : cases) {
      MainWindow w;
      w.show();
      QVERIFY(QTest::qWaitForWindowExposed(&w));
      drag_main_window(w, c.main_at);
      click(control<QPushButton>(toolbox_of(w), c.button));
      ToolWindow* tool = open_window(c.window);
      QVERIFY2(tool, c.where);
      const QRect area = screen_named(c.screen)->availableGeometry();
      const QRect frame = tool->frameGeometry();
      QVERIFY2(area.contains(frame), c.where);
      if (c.part_size.width() <= area.width() && c.part_size.height() <= area.height()) {
        QCOMPARE(tool->size(), c.part_size);
        // Centred over the main window as far as the screen's edges allow.
        const QRect main = w.frameGeometry();
        const int x =
            std::clamp(main.center().x() - frame.width() / 2, area.left(), area.right() - frame.width() + 1);
        const int y = std::clamp(main.center().y() - frame.height() / 2, area.top(),
                                 area.bottom() - frame.height() + 1);
        QVERIFY2(std::abs(frame.x() - x) <= 1 && std::abs(frame.y() - y) <= 1, c.where);
      } else {
        QVERIFY2(tool->width() < c.part_size.width() && tool->height() < c.part_size.height(), c.where);
      }
      tool->close();
      QVERIFY(wait_until([&] { return open_window(c.window) == nullptr; }));
    }
  }

  void message_boxes_speak_chinese_and_show_their_caption_whole() {
    reset_ui_hooks();  // the real message box
    struct Box {
      QString caption;
      int flags;
      QStringList buttons;  // as shown
      int answer_index;
      int answer;
      const char* picture;
    };
    const Box boxes[] = {
        {QStringLiteral("友情提示："),
         kIconInformation,
         {QStringLiteral("确定")},
         0,
         kAnswerOk,
         "message_box"},
        {QStringLiteral("信息："),
         kButtonsYesNo,
         {QStringLiteral("是(&Y)"), QStringLiteral("否(&N)")},
         1,
         kAnswerNo,
         "message_box_yes_no"},
    };
    for (const Box& b : boxes) {
      QStringList shown;
      int width_left = -1;
      WhenThen answer([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; },
                      [&] {
                        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                        for (QAbstractButton* button : box->buttons()) shown << button->text();
                        width_left = box->width() - box->fontMetrics().horizontalAdvance(b.caption);
                        save_screenshot(box, b.picture);
                        click(box->buttons()[b.answer_index]);
                      });
      QCOMPARE(message_box(QStringLiteral("复制成功"), b.flags, b.caption), b.answer);
      shown.sort();
      QStringList expected = b.buttons;
      expected.sort();
      QCOMPARE(shown, expected);
      // Room for the caption beside the title bar's icon and buttons.
      QVERIFY2(width_left >= 150, qPrintable(QString::number(width_left)));
    }
  }

  void tool_windows_close_with_the_main_window() {
    auto* w = new MainWindow;
    w->show();
    click(control<QPushButton>(toolbox_of(*w), "按钮1"));
    QPointer<ToolWindow> tool = open_window(IpRunWindow::kWindow);
    QVERIFY(tool);
    delete w;
    QVERIFY(tool.isNull());
  }
};

TESSALY_GUI_TEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
