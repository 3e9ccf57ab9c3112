#include "shell/main_window.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEngineView>

#include "core/http/endpoints.h"
#include "shell/main_pages.h"
#include "gui/tool_window.h"
#include "gui/controls.h"

namespace tessaly {
namespace {

// A toolbox button opens a tool window or switches the main tab control to a page.
struct ToolboxButton {
  const char* name;
  const char* caption;
  int window;  // tool window index, or 0
  int page;    // page index when window is 0
};

struct ToolboxGroup {
  const char* name;
  const char* caption;
  std::vector<ToolboxButton> buttons;
};

const std::vector<ToolboxGroup>& toolbox_groups() {
  static const std::vector<ToolboxGroup> groups = {
      {"分组框11", "关键词/语料库处理",
       {{"按钮词库网采集", "词库/爱站网采集", 6, 0},
        {"按钮关键词挖掘机", "关键词挖掘机", 0, 6},
        {"按钮爱站域名采集词", "域名挖掘关键词", 22, 0},
        {"按钮关键词打散", "关键词打散", 16, 0},
        {"按钮多文本", "关键词加后缀", 14, 0},
        {"按钮去重处理", "去重转拼音", 8, 0},
        {"按钮去首尾中间空格", "去首尾中间空格", 10, 0},
        {"按钮5", "词汇综合生成", 0, 3},
        {"按钮6", "百度违禁词过滤", 21, 0},
        {"按钮关键词处理", "关键词正则处理", 13, 0},
        {"按钮伪原创生成工具", "伪原创生成工具", 23, 0}}},
      {"分组框31", "域名/IP处理",
       {{"按钮泛域名生成", "泛域名生成", 19, 0},
        {"按钮14", "泛目录生成", 32, 0},
        {"按钮2", "域名批量加www", 2, 0},
        {"按钮gov生成", "Gov生成软件", 11, 0},
        {"按钮域名加后缀", "后缀相加去除", 12, 0},
        {"按钮域名批量查询", "域名信息查询", 9, 0},
        {"按钮批量网站访问", "批量网站访问", 5, 0},
        {"按钮1", "258IP一键生成", 1, 0},
        {"按钮11", "IP进制生成工具", 27, 0},
        {"按钮13", "批量查询域名IP", 30, 0}}},
      {"分组框26", "文本/文件名操作",
       {{"按钮正则匹配", "正则匹配", 7, 0},
        {"按钮3", "批量一对一相加", 3, 0},
        {"按钮批量取文本左边", "批量取文本左边", 18, 0},
        {"按钮批量修改文件名", "批量修改文件名", 15, 0},
        {"按钮7", "字体文本转换", 0, 8}}},
      {"分组框32", "百度/蜘蛛等操作",
       {{"按钮超级外链工具", "超级外链工具-蜘蛛池", 24, 0},
        {"按钮10", "模拟蜘蛛浏览器", 26, 0},
        {"按钮9", "百度收录查询", 0, 2},
        {"按钮8", "百度ping", 0, 4}}},
  };
  return groups;
}

constexpr int kToolbarPages[] = {0, 1, 5, 2, 3, 9, 7, 8};
constexpr const char* kToolbarCaptions[] = {"综合工具箱", "dnspod解析", "51dns解析", "收录查询",
                                            "词汇生成",   "VIP专版功能", "在线升级"};
constexpr const char* kPageCaptions[] = {"综合工具箱", "dnspod解析", "收录查询", "词汇生成",
                                         "百度ping",   "51dns",      "挖掘机",   "在线升级",
                                         "繁体全角转换", "VIP专使用功能"};

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QStringLiteral("TessalyV1.8 -站群必备利器"));
  resize(854, 510);

  toolbar_ = new QToolBar(this);
  toolbar_->setObjectName(QStringLiteral("工具条1"));
  toolbar_->setMovable(false);
  toolbar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  for (int i = 0; i < 7; ++i) {
    QAction* action = toolbar_->addAction(QString::fromUtf8(kToolbarCaptions[i]));
    action->setObjectName(QStringLiteral("工具条1_%1").arg(i));
    connect(action, &QAction::triggered, this, [this, i] { toolbar_clicked(i); });
  }
  addToolBar(Qt::TopToolBarArea, toolbar_);

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("高级选择夹1"));
  for (int i = 0; i < 10; ++i) {
    auto* page = new QWidget(tabs_);
    page->setObjectName(QStringLiteral("page%1").arg(i));
    tabs_->addTab(page, QString::fromUtf8(kPageCaptions[i]));
    if (i == 0)
      build_toolbox(page);
    else if (i == 7)
      update_page_ = page;
    else if (i == 9) {
      auto* layout = new QVBoxLayout(page);
      auto* outer = make_group(page, "分组框33", {});
      auto* inner = make_group(outer, "分组框34", {});
      auto* buttons = new QHBoxLayout(inner);
      auto* words = make_button(inner, "按钮单词功能", QStringLiteral("英文单词生成"));
      auto* rules = make_button(inner, "按钮12", QStringLiteral("外推规则生成"));
      words->setMinimumSize(120, 30);
      rules->setMinimumSize(120, 30);
      buttons->addWidget(words);
      buttons->addWidget(rules);
      buttons->addStretch();
      (new QVBoxLayout(outer))->addWidget(inner);
      layout->addWidget(outer);
      layout->addStretch();
      connect(words, &QPushButton::clicked, this, [this] { open_tool_window(28, this); });
      connect(rules, &QPushButton::clicked, this, [this] { open_tool_window(29, this); });
    } else {
      build_main_page(i, page, this);
    }
  }
  setCentralWidget(tabs_);
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (index == 7) ensure_update_browser();
  });
  tabs_->setCurrentIndex(0);
}

void MainWindow::build_toolbox(QWidget* page) {
  auto* page_layout = new QVBoxLayout(page);
  auto* box = make_group(page, "分组框3", {});
  auto* box_layout = new QVBoxLayout(box);
  for (const auto& group : toolbox_groups()) {
    auto* g = make_group(box, group.name, QString::fromUtf8(group.caption));
    auto* grid = new QGridLayout(g);
    constexpr int kPerRow = 6;
    // Every group uses the same six equal columns, so buttons line up from group to group.
    for (int c = 0; c < kPerRow; ++c) {
      grid->setColumnStretch(c, 1);
      grid->setColumnMinimumWidth(c, 110);
    }
    int k = 0;
    for (const auto& b : group.buttons) {
      auto* button = make_button(g, b.name, QString::fromUtf8(b.caption));
      button->setMinimumSize(96, 30);
      grid->addWidget(button, k / kPerRow, k % kPerRow);
      ++k;
      int window = b.window, target_page = b.page;
      connect(button, &QPushButton::clicked, this, [this, window, target_page] {
        if (window)
          open_tool_window(window, this);
        else
          show_page(target_page);
      });
    }
    box_layout->addWidget(g);
  }
  page_layout->addWidget(box);
}

void MainWindow::show_page(int index) { tabs_->setCurrentIndex(index); }

void MainWindow::toolbar_clicked(int index) {
  if (index >= 0 && index < static_cast<int>(std::size(kToolbarPages))) show_page(kToolbarPages[index]);
}

void MainWindow::ensure_update_browser() {
  if (update_page_->findChild<QWebEngineView*>()) return;
  // The browser is made on first view so that start-up stays fast.
  auto* layout = new QVBoxLayout(update_page_);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* view = new QWebEngineView(update_page_);
  view->setObjectName(QStringLiteral("超文本浏览框3"));
  layout->addWidget(view);
  view->load(QUrl(QString::fromStdString(endpoint_base("PRODUCT_HOME") + "/update.html")));
}

}  // namespace tessaly
