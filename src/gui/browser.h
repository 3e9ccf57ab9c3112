#pragma once
// The embedded browsers. Every browser control shows its pages through one shared profile:
// - its cookies are the request layer's process cookie store, bridged both ways through the two
//   stores' change notifications, so a login made in a browser is sent by later requests made
//   without a cookie jar, a cookie such a request received is seen by the pages, and a site's
//   cookies cleared on one side (a DNS console logout) are gone from the other;
// - its User-Agent is the engine's own (the crawler-identity browser poses as a crawler in a
//   profile of its own, so no other browser ever carries that identity);
// - it keeps nothing on disk and caches no responses, so every load asks the site again, as the
//   identity in force at that moment.
#include <QString>
#include <QVariant>

class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;
class QWidget;

namespace tessaly {

// The shared profile, made (and bridged to the process cookie store) on first use.
QWebEngineProfile* browser_profile();

// A browser control named `name` showing `page` (made on browser_profile(); the view adopts it),
// or a plain page of the shared profile.
QWebEngineView* make_browser(QWidget* parent, const char* name, QWebEnginePage* page = nullptr);

// Runs the script in the page's current document, in a world of its own (the page's scripts
// neither see nor disturb it), and waits for the result while window messages keep flowing.
// An invalid QVariant when no result came within timeout_ms or the page went away.
QVariant run_page_script(QWebEnginePage* page, const QString& script, int timeout_ms);

}  // namespace tessaly
