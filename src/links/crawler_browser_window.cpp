#include "links/crawler_browser_window.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include <mutex>

#include "core/http/endpoints.h"
#include "gui/browser.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "links/crawler_identity.h"

namespace tessaly {
namespace {

QUrl home_of(const char* key) { return QUrl(QString::fromStdString(endpoint_base(key) + "/")); }

QToolButton* make_image_button(QWidget* parent, const char* name, const QString& caption,
                               QStyle::StandardPixmap icon) {
  auto* b = new QToolButton(parent);
  b->setObjectName(utf8(name));
  b->setText(caption);
  b->setToolTip(caption);
  b->setIcon(parent->style()->standardIcon(icon));
  b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  b->setAutoRaise(true);
  return b;
}

}  // namespace

namespace {

// The identity in force in the crawler browser. Every request of its profile carries it in its
// header, so a load that is already under way when the identity changes (a form the page sends)
// goes out with it and keeps its body; the profile's own agent, which navigator.userAgent shows,
// follows it whenever no load runs (changing it during a load would reload the page).
class CrawlerAgent : public QWebEngineUrlRequestInterceptor {
 public:
  using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
  void set(QByteArray agent) {
    std::lock_guard lock(mutex_);
    agent_ = std::move(agent);
  }
  QByteArray get() const {
    std::lock_guard lock(mutex_);
    return agent_;
  }
  void interceptRequest(QWebEngineUrlRequestInfo& info) override {
    const QByteArray agent = get();
    if (!agent.isEmpty()) info.setHttpHeader(QByteArrayLiteral("User-Agent"), agent);
  }

 private:
  mutable std::mutex mutex_;
  QByteArray agent_;  // empty until an identity is applied: the engine's own agent
};

CrawlerAgent* crawler_agent() {
  static QPointer<CrawlerAgent> agent;
  if (!agent) {
    QWebEngineProfile* profile = crawler_profile();
    agent = new CrawlerAgent(profile);
    profile->setUrlRequestInterceptor(agent);
  }
  return agent;
}

// The profile's agent (navigator.userAgent) catches up with the identity in force.
void show_identity_to_pages() {
  const QString agent = QString::fromLatin1(crawler_agent()->get());
  if (!agent.isEmpty() && crawler_profile()->httpUserAgent() != agent)
    crawler_profile()->setHttpUserAgent(agent);
}

}  // namespace

QWebEngineProfile* crawler_profile() {
  static QPointer<QWebEngineProfile> profile;
  if (!profile) {
    profile = new QWebEngineProfile(QCoreApplication::instance());
    profile->setHttpCacheType(QWebEngineProfile::NoCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
  }
  return profile;
}

bool apply_crawler_identity(const QString& item) {
  std::optional<std::string> agent = links::crawler_user_agent(to_gbk(item));
  if (!agent) return false;
  crawler_agent()->set(QByteArray::fromStdString(*agent));
  return true;
}

// The page of the crawler browser: what the page itself opens (a link followed, a form sent, a
// script's navigation, a new window) goes out with the identity selected at that moment and
// stays in this browser.
class CrawlerPage : public QWebEnginePage {
 public:
  explicit CrawlerPage(CrawlerBrowserWindow* window) : QWebEnginePage(crawler_profile()), window_(window) {
    connect(this, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest& request) {
      // Not adopted: no second window opens; the address opens here instead.
      window_->open_from_page(request.requestedUrl());
    });
  }

 protected:
  bool acceptNavigationRequest(const QUrl&, NavigationType type, bool main_frame) override {
    const bool from_page = type == NavigationTypeLinkClicked || type == NavigationTypeFormSubmitted ||
                           type == NavigationTypeOther;
    if (from_page && main_frame) apply_crawler_identity(window_->crawlers_->currentText());
    return true;
  }

 private:
  CrawlerBrowserWindow* window_;
};

CrawlerBrowserWindow::CrawlerBrowserWindow(QWidget* parent) : ToolWindow(26, parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);

  auto* menus = new QMenuBar(this);
  menus->setObjectName(QStringLiteral("菜单"));
  layout->setMenuBar(menus);
  QMenu* file_menu = menus->addMenu(QStringLiteral("文件"));
  QMenu* site_menu = menus->addMenu(QStringLiteral("官网"));
  auto add_item = [this](QMenu* menu, const QString& caption, auto handler) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(caption);
    connect(action, &QAction::triggered, this, handler);
  };
  add_item(file_menu, QStringLiteral("保存网页"), [this] { save_page(); });
  add_item(file_menu, QStringLiteral("复制网址"), [this] { copy_address(); });
  add_item(file_menu, QStringLiteral("退出浏览器"), [] { end_program(); });
  add_item(site_menu, QStringLiteral("Corvanebbs论坛"), [this] { open_address(home_of("PRODUCT_HOME")); });
  add_item(site_menu, QStringLiteral("Corvane企业站"), [this] { open_address(home_of("PRODUCT_HOME_ALT")); });

  auto* back = make_image_button(this, "超级按钮1", QStringLiteral("后退"), QStyle::SP_ArrowBack);
  auto* forward = make_image_button(this, "超级按钮2", QStringLiteral("前进"), QStyle::SP_ArrowForward);
  auto* reload = make_image_button(this, "超级按钮3", QStringLiteral("刷新此页面"), QStyle::SP_BrowserReload);
  auto* home = make_image_button(this, "超级按钮4", QStringLiteral("单击访问主页"), QStyle::SP_DirHomeIcon);
  address_ = make_line_box(this, "编辑框1");
  address_->setMinimumWidth(200);  // 631 and more at the window's own size; less on a small screen
  auto* visit_button = make_button(this, "按钮访问", QStringLiteral("访问"));
  QStringList items;
  for (const links::CrawlerIdentity& identity : links::crawler_identities()) items << from_gbk(identity.item);
  crawlers_ = make_combo(this, "组合框1", items, 0);
  auto* baidu = make_button(this, "按钮1", QStringLiteral("百度一下"));
  auto* save = make_button(this, "按钮2", QStringLiteral("保存网页"));

  auto* bar = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{back, forward, reload, home}) bar->addWidget(w);
  bar->addWidget(address_, 1);
  for (QWidget* w : std::initializer_list<QWidget*>{visit_button, crawlers_, baidu, save}) bar->addWidget(w);
  layout->addLayout(bar);

  browser_ = make_browser(this, "超文本浏览框1", new CrawlerPage(this));
  layout->addWidget(browser_, 1);

  QWebEnginePage* page = browser_->page();
  connect(back, &QToolButton::clicked, browser_, &QWebEngineView::back);
  connect(forward, &QToolButton::clicked, browser_, &QWebEngineView::forward);
  connect(reload, &QToolButton::clicked, browser_, &QWebEngineView::reload);
  connect(home, &QToolButton::clicked, this, [this] { open_address(home_of("PRODUCT_HOME")); });
  connect(visit_button, &QPushButton::clicked, this, [this] { visit(); });
  connect(baidu, &QPushButton::clicked, this, [this] { browser_->load(home_of("BAIDU_HOME")); });
  connect(save, &QPushButton::clicked, this, [this] { save_page(); });
  connect(address_, &QLineEdit::returnPressed, this, [this] { open_typed_address(); });
  // The address box and the title follow the page.
  connect(page, &QWebEnginePage::urlChanged, this,
          [this](const QUrl& url) { address_->setText(url.toString()); });
  connect(page, &QWebEnginePage::loadFinished, this, [this] {
    address_->setText(browser_->url().toString());
    show_identity_to_pages();
  });
  connect(page, &QWebEnginePage::titleChanged, this, [this](const QString& title) {
    setWindowTitle(title);
    address_->setText(browser_->url().toString());
  });
  // A save that fails is reported (a save that works shows its file).
  connect(
      crawler_profile(), &QWebEngineProfile::downloadRequested, this, [this](QWebEngineDownloadRequest* d) {
        if (!d->isSavePageDownload() || d->page() != browser_->page()) return;
        connect(d, &QWebEngineDownloadRequest::stateChanged, this,
                [d](QWebEngineDownloadRequest::DownloadState s) {
                  if (s == QWebEngineDownloadRequest::DownloadInterrupted)
                    message_box(QStringLiteral("保存网页失败：") + d->interruptReasonString(), kIconError);
                });
      });

  open_address(home_of("BAIDU_HOME"));
}

void CrawlerBrowserWindow::visit() {
  if (!apply_crawler_identity(crawlers_->currentText())) return;
  show_identity_to_pages();
  open_typed_address();
}

void CrawlerBrowserWindow::open_typed_address() {
  browser_->load(QUrl::fromUserInput(address_->text().trimmed()));
}

void CrawlerBrowserWindow::open_address(const QUrl& url) {
  address_->setText(url.toString());
  browser_->load(url);
}

void CrawlerBrowserWindow::open_from_page(const QUrl& url) {
  apply_crawler_identity(crawlers_->currentText());
  show_identity_to_pages();
  browser_->load(url);
}

void CrawlerBrowserWindow::copy_address() {
  set_clipboard_text(address_->text());
  message_box(QStringLiteral("网址已经复制到您的剪辑版里，可以粘贴到其它地方"), kIconInformation,
              QStringLiteral("复制网址"));
}

void CrawlerBrowserWindow::save_page() {
  FileDialogRequest request;
  request.kind = FileDialogKind::Save;
  request.title = QStringLiteral("保存网页");
  request.filter = QStringLiteral("网页，全部 (*.htm *.html);;Web 档案，单个文件 (*.mht *.mhtml)");
  QString title = browser_->title().trimmed();
  request.file_name = (title.isEmpty() ? QStringLiteral("网页") : title) + QStringLiteral(".html");
  if (!file_dialog(request)) return;
  QString suffix = QFileInfo(request.file_name).suffix().toLower();
  bool archive = suffix == QStringLiteral("mht") || suffix == QStringLiteral("mhtml");
  browser_->page()->save(request.file_name, archive ? QWebEngineDownloadRequest::MimeHtmlSaveFormat
                                                    : QWebEngineDownloadRequest::CompleteHtmlSaveFormat);
}

}  // namespace tessaly
