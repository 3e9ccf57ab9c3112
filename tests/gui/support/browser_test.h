#pragma once
// Helpers for window tests with embedded browsers: scripts run in the shown page, loads waited
// for, and real mouse clicks on elements of the page.
//
// Wait for browsers with wait_until, not QTest::qWaitFor or QTRY_*: those sleep between rounds of
// messages, and a page load, made of many small hops between the browser's threads, then takes
// seconds instead of milliseconds.
#include <QString>
#include <QVariant>

class QWebEngineView;

namespace tessaly::test {

// Runs the script in the view's page and waits for its result (the test stops on time-out).
QVariant run_js(QWebEngineView* view, const QString& script, int timeout_ms = 10000);
// Waits until the view shows a page whose address ends with `url_tail` and that has finished
// loading; false on time-out.
bool wait_for_page(QWebEngineView* view, const QString& url_tail, int timeout_ms = 15000);
// Waits until the page shown has been drawn (two animation frames have passed).
void wait_until_drawn(QWebEngineView* view);
// A real left click in the middle of the first element the CSS selector finds.
void click_in_page(QWebEngineView* view, const QString& selector);

}  // namespace tessaly::test
