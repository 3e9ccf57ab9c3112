#include <QApplication>
#include <QIcon>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>

#include "gui/browser.h"
#include "gui/language.h"
#include "shell/main_window.h"

namespace {

// "--quit-after-start": open the main window, show the page with the embedded browser once and
// quit when its page has loaded: status 0, or 1 when the browser's process fails or nothing
// loads within a minute. A smoke test of an installed program (no display needed with
// QT_QPA_PLATFORM=offscreen).
void quit_after_start(tessaly::MainWindow& window) {
  auto finish = [&window](int status, const char* what) {
    std::printf("%s: %s %dx%d, %s\n", status == 0 ? "started" : "failed", qPrintable(window.windowTitle()),
                window.width(), window.height(), what);
    std::fflush(stdout);
    QCoreApplication::exit(status);
  };
  QTimer::singleShot(60'000, &window, [finish] { finish(1, "the browser page did not load"); });
  QTimer::singleShot(0, &window, [&window, finish] {
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("高级选择夹1"));
    if (!tabs) return finish(1, "no page tabs");
    tabs->setCurrentIndex(7);  // makes the update page's browser
    auto* view = window.findChild<QWebEngineView*>();
    if (!view) return finish(1, "no browser");
    QObject::connect(view, &QWebEngineView::loadFinished, &window, [finish](bool ok) {
      finish(0, ok ? "browser page loaded" : "browser showed its error page");
    });
    QObject::connect(view->page(), &QWebEnginePage::renderProcessTerminated, &window,
                     [finish] { finish(1, "the browser's process ended"); });
  });
}

}  // namespace

int main(int argc, char* argv[]) {
  // The embedded browser needs shared GL contexts before the application exists.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  if (!tessaly::use_chinese_language())
    std::fprintf(stderr, "Qt's Chinese translations are missing: dialogs keep their English buttons\n");
  // The installed menu entry and icon (tessaly.desktop, the hicolor theme's "tessaly").
  QGuiApplication::setDesktopFileName(QStringLiteral("tessaly"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tessaly")));
  tessaly::MainWindow window;
  window.show();
  // The first browser the user shows then finds its engine running.
  tessaly::start_browser_engine_after_first_paint(&window);
  if (QCoreApplication::arguments().contains(QStringLiteral("--quit-after-start"))) quit_after_start(window);
  return QApplication::exec();
}
