#include "shell/main_window.h"

#include <QGridLayout>

#include <algorithm>
#include <string_view>
#include <vector>

#include <QGroupBox>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "core/http/endpoints.h"
#include "core/version.h"
#include "gui/browser.h"
#include "gui/controls.h"
#include "gui/tool_registry.h"
#include "gui/tool_window.h"
#include "shell/tools.h"

namespace tessaly {
namespace {

// The launcher groups of the toolbox page, top to bottom; the tools place their buttons in them.
struct LauncherGroup {
  const char* name;
  const char* caption;
};
constexpr LauncherGroup kToolboxGroups[] = {{"分组框11", "关键词/语料库处理"},
                                            {"分组框31", "域名/IP处理"},
                                            {"分组框26", "文本/文件名操作"},
                                            {"分组框32", "百度/蜘蛛等操作"}};
// The group of the "VIP专使用功能" page.
constexpr const char* kVipGroup = "分组框34";
// Frames of pages whose tool registers no content.
constexpr const char* kPageFrames[] = {nullptr,   "分组框2", "分组框7", "分组框10", "分组框23",
                                       "分组框1", nullptr,   nullptr,   "分组框27", "分组框33"};

struct Launcher {
  const ToolEntry* tool;
  const ToolButton* button;
};

// The buttons the tools placed in `group`, in their order.
std::vector<Launcher> launchers_in(const char* group) {
  std::vector<Launcher> found;
  for (const ToolEntry& tool : registered_tools())
    for (const ToolButton& b : tool.buttons)
      if (std::string_view(b.group) == group) found.push_back({&tool, &b});
  std::sort(found.begin(), found.end(),
            [](const Launcher& a, const Launcher& b) { return a.button->position < b.button->position; });
  return found;
}

constexpr int kToolbarPages[] = {0, 1, 5, 2, 3, 9, 7, 8};
constexpr const char* kToolbarCaptions[] = {"综合工具箱", "dnspod解析",  "51dns解析", "收录查询",
                                            "词汇生成",   "VIP专版功能", "在线升级"};
constexpr const char* kPageCaptions[] = {"综合工具箱",   "dnspod解析",   "收录查询", "词汇生成",
                                         "百度ping",     "51dns",        "挖掘机",   "在线升级",
                                         "繁体全角转换", "VIP专使用功能"};

// What the update page shows when the maker's site cannot be reached: a short note of our own in
// place of the engine's error page, with the address to try again.
QString offline_update_page(const QUrl& address) {
  const QString link = address.toString().toHtmlEscaped();
  return QStringLiteral(
             "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>在线升级</title></head>"
             "<body style=\"font-family: sans-serif; margin: 40px; color: #333\">"
             "<h2>暂时打不开升级页面</h2>"
             "<p>升级网站 %1 现在连接不上：可能是网络没有连通，也可能是网站正在维护。</p>"
             "<p>请检查网络，然后<a href=\"%1\">重新打开升级页面</a>。软件的其它功能照常可用。</p>"
             "</body></html>")
      .arg(link);
}

// A load that did not reach its site: refused, timed out, a name that does not resolve. An
// answer with an error status is the site's own page, and an aborted load was replaced by another.
bool site_unreachable(const QWebEngineLoadingInfo& info) {
  constexpr int kAborted = -3;  // the engine's code for a load called off
  return info.status() == QWebEngineLoadingInfo::LoadFailedStatus && info.errorCode() != kAborted &&
         info.errorDomain() != QWebEngineLoadingInfo::HttpStatusCodeDomain;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  register_all_tools();
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QStringLiteral("TessalyV") + QLatin1String(kVersion) + QStringLiteral(" -站群必备利器"));
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
    else if (i == 9)
      build_vip_page(page);
    else
      build_tool_page(i, page);
  }
  setCentralWidget(tabs_);
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (index == 7) ensure_update_browser();
  });
  tabs_->setCurrentIndex(0);
}

QPushButton* MainWindow::make_launcher(QWidget* group, const ToolEntry& tool, const ToolButton& b) {
  auto* button = make_button(group, b.name, QString::fromUtf8(b.caption));
  int window = tool.window, page = tool.page;
  connect(button, &QPushButton::clicked, this, [this, window, page] {
    if (window)
      open_tool_window(window, this);
    else
      show_page(page);
  });
  return button;
}

void MainWindow::build_toolbox(QWidget* page) {
  auto* page_layout = new QVBoxLayout(page);
  auto* box = make_group(page, "分组框3", {});
  auto* box_layout = new QVBoxLayout(box);
  for (const auto& group : kToolboxGroups) {
    auto* g = make_group(box, group.name, QString::fromUtf8(group.caption));
    auto* grid = new QGridLayout(g);
    constexpr int kPerRow = 6;
    // Every group uses the same six equal columns, so buttons line up from group to group.
    for (int c = 0; c < kPerRow; ++c) {
      grid->setColumnStretch(c, 1);
      grid->setColumnMinimumWidth(c, 110);
    }
    int k = 0;
    for (const Launcher& l : launchers_in(group.name)) {
      QPushButton* button = make_launcher(g, *l.tool, *l.button);
      button->setMinimumSize(96, 30);
      grid->addWidget(button, k / kPerRow, k % kPerRow);
      ++k;
    }
    box_layout->addWidget(g);
  }
  page_layout->addWidget(box);
}

void MainWindow::build_vip_page(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  auto* outer = make_group(page, "分组框33", {});
  auto* inner = make_group(outer, kVipGroup, {});
  auto* buttons = new QHBoxLayout(inner);
  for (const Launcher& l : launchers_in(kVipGroup)) {
    QPushButton* button = make_launcher(inner, *l.tool, *l.button);
    button->setMinimumSize(120, 30);
    buttons->addWidget(button);
  }
  buttons->addStretch();
  (new QVBoxLayout(outer))->addWidget(inner);
  layout->addWidget(outer);
  layout->addStretch();
}

void MainWindow::build_tool_page(int index, QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  if (const ToolEntry* tool = page_entry(index); tool && tool->create)
    layout->addWidget(tool->create(page));
  else if (kPageFrames[index])
    layout->addWidget(make_group(page, kPageFrames[index], {}));
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
  QWebEngineView* view = make_browser(update_page_, "超文本浏览框3");
  layout->addWidget(view);
  connect(view->page(), &QWebEnginePage::loadingChanged, view, [view](const QWebEngineLoadingInfo& info) {
    if (site_unreachable(info)) view->setHtml(offline_update_page(info.url()));
  });
  view->load(QUrl(QString::fromStdString(endpoint_base("PRODUCT_HOME") + "/update.html")));
}

}  // namespace tessaly
