#include "gui/support/browser_test.h"

#include <QElapsedTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>
#include <optional>

#include "gui/support/gui_test.h"

namespace tessaly::test {

QVariant run_js(QWebEngineView* view, const QString& script, int timeout_ms) {
  auto result = std::make_shared<std::optional<QVariant>>();
  view->page()->runJavaScript(script, [result](const QVariant& v) { *result = v; });
  if (!wait_until([&] { return result->has_value(); }, timeout_ms))
    qFatal("no result from the page for: %s", qPrintable(script));
  return **result;
}

bool wait_for_page(QWebEngineView* view, const QString& url_tail, int timeout_ms) {
  QElapsedTimer clock;
  clock.start();
  auto shown = [&] { return view->url().toString().endsWith(url_tail); };
  while (clock.elapsed() < timeout_ms) {
    if (!wait_until(shown, static_cast<int>(timeout_ms - clock.elapsed()))) return false;
    auto state = std::make_shared<std::optional<QVariant>>();
    view->page()->runJavaScript(QStringLiteral("document.readyState"),
                                [state](const QVariant& v) { *state = v; });
    if (wait_until([&] { return state->has_value(); }, 2000) &&
        (*state)->toString() == QStringLiteral("complete") && shown())
      return true;
    process_events_briefly();
  }
  return false;
}

void wait_until_drawn(QWebEngineView* view) {
  run_js(view, QStringLiteral("window.__testDrawn = false;"
                              "requestAnimationFrame(function () {"
                              "  requestAnimationFrame(function () { window.__testDrawn = true; });"
                              "}); true"));
  if (!wait_until([&] { return run_js(view, QStringLiteral("!!window.__testDrawn")).toBool(); }))
    qFatal("the page was never drawn");
}

void click_in_page(QWebEngineView* view, const QString& selector) {
  wait_until_drawn(view);  // input reaches a page only once it has been drawn
  QVariant centre = run_js(view, QStringLiteral("(function () {"
                                                "  var e = document.querySelector('%1');"
                                                "  if (!e) return null;"
                                                "  e.scrollIntoView();"
                                                "  var r = e.getBoundingClientRect();"
                                                "  return [r.left + r.width / 2, r.top + r.height / 2];"
                                                "})()")
                                     .arg(selector));
  QVariantList xy = centre.toList();
  if (xy.size() != 2) qFatal("no element in the page for %s", qPrintable(selector));
  QWidget* target = view->focusProxy() ? view->focusProxy() : view;
  QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(xy[0].toInt(), xy[1].toInt()));
}

}  // namespace tessaly::test
