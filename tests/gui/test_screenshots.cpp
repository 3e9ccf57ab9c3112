// Renders the main window (each of its ten pages) and every tool window to PNG files in the
// build folder's screenshots/ folder, for looking at the layouts without a display. Every page
// of the main window must show something; empty tool windows are listed.
#include <QDir>
#include <QImage>
#include <QStyleFactory>
#include <QTabWidget>

#include "gui/support/gui_test.h"
#include "gui/tool_window.h"
#include "shell/main_window.h"

using namespace tessaly;
using namespace tessaly::test;

namespace {

QString screenshot_folder() {
  QDir dir(QCoreApplication::applicationDirPath());
  dir.cdUp();  // the build folder
  dir.mkpath(QStringLiteral("screenshots"));
  return dir.filePath(QStringLiteral("screenshots"));
}

// Grabs the window and saves it; true when the picture is more than one flat colour.
bool shoot(QWidget* window, const QString& name) {
  QTest::qWait(30);  // let layouts settle and pending paints run
  QImage image = window->grab().toImage();
  if (image.size() != window->size() ||
      !image.save(screenshot_folder() + QChar(u'/') + name + QStringLiteral(".png")))
    qFatal("could not save the picture of %s", qPrintable(name));
  QSet<QRgb> colours;
  for (int y = 0; y < image.height() && colours.size() < 3; y += 7)
    for (int x = 0; x < image.width() && colours.size() < 3; x += 7) colours.insert(image.pixel(x, y));
  return colours.size() > 1;
}

}  // namespace

class ScreenshotTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() { QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion"))); }

  void main_window_pages() {
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* tabs = control<QTabWidget>(&w, "高级选择夹1");
    for (int page = 0; page < tabs->count(); ++page) {
      tabs->setCurrentIndex(page);
      QVERIFY(shoot(&w, QStringLiteral("main_page%1").arg(page)));
    }
    // The vocabulary page after a run with its defaults.
    HookRecorder hooks;
    tabs->setCurrentIndex(3);
    click(control<QAbstractButton>(&w, "按钮开始生成"));
    QVERIFY(wait_until([&] { return !hooks.messages.empty(); }));
    QVERIFY(shoot(&w, QStringLiteral("main_page3_generated")));
  }

  void tool_windows() {
    MainWindow main;
    QStringList empty;
    for (int index = 1; index <= 33; ++index) {
      ToolWindow* w = open_tool_window(index, &main);
      QVERIFY(w);
      QVERIFY(QTest::qWaitForWindowExposed(w));
      if (!shoot(w, QStringLiteral("window%1").arg(index, 2, 10, QChar(u'0'))))
        empty << QString::number(index);
      w->close();
    }
    // Windows whose tools are not built yet are empty frames.
    if (!empty.isEmpty()) qInfo("empty windows: %s", qPrintable(empty.join(QStringLiteral(", "))));
  }
};

TESSALY_GUI_TEST_MAIN(ScreenshotTest)
#include "test_screenshots.moc"
