#pragma once
// Window 26, the crawler-identity browser: a small web browser that presents itself to sites as
// the crawler chosen in its list, so the user sees what a site serves to that crawler. It shows
// its pages through a profile of its own, so the identity is this browser's alone (the other
// embedded browsers keep their own agent and the shared cookie store) and every load in it
// carries the identity: the ones the user starts, links, form submits and script navigations
// in the page (each takes the identity selected at that moment), pages the page opens as new
// windows (those open in this same browser), sub-resources and navigator.userAgent.
#include "gui/tool_window.h"

class QComboBox;
class QLineEdit;
class QWebEngineProfile;
class QWebEngineView;

namespace tessaly {

// The crawler browser's profile: off the record, nothing cached, its agent the identity.
QWebEngineProfile* crawler_profile();
// Sets the User-Agent of the crawler named by the list item as the crawler browser's agent
// (until set again); false, and nothing changed, for an unknown item.
bool apply_crawler_identity(const QString& item);

class CrawlerBrowserWindow : public ToolWindow {
  Q_OBJECT
 public:
  explicit CrawlerBrowserWindow(QWidget* parent = nullptr);

  // 按钮访问: applies the selected identity and opens the typed address.
  void visit();
  // Enter in the address box: opens the typed address (the identity stays as it is).
  void open_typed_address();
  // "保存网页" (button and menu): the page, saved where the save dialog says.
  void save_page();
  // "复制网址": the address box's text to the clipboard.
  void copy_address();
  // Opens `url` and shows it in the address box.
  void open_address(const QUrl& url);

  QWebEngineView* browser() const { return browser_; }

 private:
  // Called for a link followed or a new window asked for by the page: the selected identity is
  // applied, then the address opens in this browser.
  void open_from_page(const QUrl& url);
  friend class CrawlerPage;

  QLineEdit* address_;
  QComboBox* crawlers_;
  QWebEngineView* browser_;
};

}  // namespace tessaly
