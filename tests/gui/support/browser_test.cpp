#include "gui/support/browser_test.h"

#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>
#include <optional>

namespace tessaly::test {

QVariant run_js(QWebEngineView* view, const QString& script, int timeout_ms) {
  auto result = std::make_shared<std::optional<QVariant>>();
  view->page()->runJavaScript(script, [result](const QVariant& v) { *result = v; });
  if (!QTest::qWaitFor([&] { return result->has_value(); }, timeout_ms))
    qFatal("no result from the page for: %s", qPrintable(script));
  return **result;
}

bool wait_for_page(QWebEngineView* view, const QString& url_tail, int timeout_ms) {
  return QTest::qWaitFor(
      [&] {
        if (!view->url().toString().endsWith(url_tail)) return false;
        auto done = std::make_shared<std::optional<QVariant>>();
        view->page()->runJavaScript(QStringLiteral("document.readyState"),
                                    [done](const QVariant& v) { *done = v; });
        return QTest::qWaitFor([&] { return done->has_value(); }, 2000) &&
               (*done)->toString() == QStringLiteral("complete") &&
               view->url().toString().endsWith(url_tail);
      },
      timeout_ms);
}

void click_in_page(QWebEngineView* view, const QString& selector) {
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
