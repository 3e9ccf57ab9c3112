#include "gui/browser.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QNetworkCookie>
#include <QPointer>
#include <QUrl>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <atomic>
#include <memory>
#include <optional>

#include "core/http/cookie_mirror.h"
#include "core/http/cookie_store.h"
#include "gui/controls.h"
#include "gui/pump.h"

namespace tessaly {
namespace {

StoredCookie from_browser(const QNetworkCookie& c) {
  StoredCookie s;
  QString domain = c.domain().toLower();
  s.include_subdomains = domain.startsWith(u'.');
  while (domain.startsWith(u'.')) domain.remove(0, 1);
  s.domain = domain.toStdString();
  s.path = c.path().isEmpty() ? std::string("/") : c.path().toStdString();
  s.secure = c.isSecure();
  s.http_only = c.isHttpOnly();
  s.expires = c.isSessionCookie() ? 0 : c.expirationDate().toSecsSinceEpoch();
  s.name = c.name().toStdString();
  s.value = c.value().toStdString();
  return s;
}

QNetworkCookie to_browser(const StoredCookie& s) {
  QNetworkCookie c(QByteArray::fromStdString(s.name), QByteArray::fromStdString(s.value));
  // No domain makes a host-only cookie of the origin's host; a dotted one covers sub-domains.
  if (s.include_subdomains) c.setDomain(QStringLiteral(".") + QString::fromStdString(s.domain));
  c.setPath(QString::fromStdString(s.path.empty() ? std::string("/") : s.path));
  c.setSecure(s.secure);
  c.setHttpOnly(s.http_only);
  if (s.expires > 0) c.setExpirationDate(QDateTime::fromSecsSinceEpoch(s.expires, Qt::UTC));
  return c;
}

// The address the browser takes the cookie as set from (a secure cookie needs a secure one).
QUrl origin_of(const StoredCookie& s) {
  return QUrl(QString::fromStdString((s.secure ? "https://" : "http://") + s.domain +
                                     (s.path.empty() ? std::string("/") : s.path)));
}

// Copies every change of either store into the other. The process store reports changes from
// any thread without saying what changed; its reports are gathered into one comparison on the
// window thread. The mirror keeps a change applied from one side from bouncing back.
class CookieBridge : public QObject {
 public:
  CookieBridge(QWebEngineCookieStore* browser, QObject* parent) : QObject(parent), browser_(browser) {
    instance_ = this;
    connect(browser_, &QWebEngineCookieStore::cookieAdded, this, [this](const QNetworkCookie& c) {
      StoredCookie s = from_browser(c);
      if (mirror_.browser_added(s)) cookie_store_put(s);
    });
    connect(browser_, &QWebEngineCookieStore::cookieRemoved, this, [this](const QNetworkCookie& c) {
      StoredCookie s = from_browser(c);
      if (!mirror_.browser_removed(s)) return;
      s.expires = 1;  // an expiry in the past deletes it
      cookie_store_put(s);
    });
    set_cookie_store_listener(&CookieBridge::schedule_sync);
    sync_from_store();
  }

  ~CookieBridge() override {
    set_cookie_store_listener({});
    instance_ = nullptr;
  }

 private:
  static void schedule_sync() {
    if (sync_pending_.exchange(true)) return;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
      sync_pending_ = false;
      return;
    }
    QMetaObject::invokeMethod(
        app,
        [] {
          sync_pending_ = false;
          if (instance_) instance_->sync_from_store();
        },
        Qt::QueuedConnection);
  }

  void sync_from_store() {
    CookieMirror::BrowserChanges changes = mirror_.store_changed(cookie_store_list());
    for (const StoredCookie& c : changes.remove) browser_->deleteCookie(to_browser(c), origin_of(c));
    for (const StoredCookie& c : changes.set) browser_->setCookie(to_browser(c), origin_of(c));
  }

  QWebEngineCookieStore* browser_;
  CookieMirror mirror_;
  static inline CookieBridge* instance_ = nullptr;  // window thread only
  static inline std::atomic<bool> sync_pending_{false};
};

}  // namespace

QWebEngineProfile* browser_profile() {
  static QPointer<QWebEngineProfile> profile;
  if (!profile) {
    // Off the record: cookies and everything else live in memory for as long as the program runs.
    profile = new QWebEngineProfile(QCoreApplication::instance());
    profile->setHttpCacheType(QWebEngineProfile::NoCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    new CookieBridge(profile->cookieStore(), profile);
  }
  return profile;
}

QWebEngineView* make_browser(QWidget* parent, const char* name, QWebEnginePage* page) {
  // The first browser a window shows turns it into a GL window, which is made anew for it; a
  // window the program never placed would then be placed again by the window manager, as a new
  // window is (back to the middle of the screen). A window on screen keeps its place: it is
  // pinned where it stands, and the new window opens where the old one was.
  if (parent && parent->window()->isVisible()) parent->window()->move(parent->window()->pos());
  auto* view = new QWebEngineView(parent);
  view->setObjectName(utf8(name));
  if (!page) page = new QWebEnginePage(browser_profile(), view);
  page->setParent(view);
  view->setPage(page);
  return view;
}

QVariant run_page_script(QWebEnginePage* page, const QString& script, int timeout_ms) {
  if (!page) return {};
  QPointer<QWebEnginePage> alive(page);
  auto result = std::make_shared<std::optional<QVariant>>();
  page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                      [result](const QVariant& value) { *result = value; });
  pump_until([&] { return result->has_value() || !alive; }, timeout_ms);
  return result->value_or(QVariant());
}

}  // namespace tessaly
