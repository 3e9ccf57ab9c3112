#pragma once
// Window 26, the crawler-identity browser: a small web browser that presents itself to sites as
// the crawler chosen in its list, so the user sees what a site serves to that crawler. Every
// page load carries the identity: the ones the user starts, links followed in the page and
// pages the page opens as new windows (those open in this same browser).
#include "gui/tool_window.h"

class QComboBox;
class QLineEdit;
class QWebEngineView;

namespace tessaly {

// Sets the User-Agent of the crawler named by the list item as the agent of every embedded
// browser of the program (until set again); false, and nothing changed, for an unknown item.
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
