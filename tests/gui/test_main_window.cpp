#include <QTabWidget>

#include "app/main_window.h"
#include "app/tool_window.h"
#include "gui/support/gui_test.h"

using namespace tessaly;
using namespace tessaly::test;

class MainWindowTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void title_and_size() {
    MainWindow w;
    QCOMPARE(w.windowTitle(), QStringLiteral("TessalyV1.8 -站群必备利器"));
    QCOMPARE(w.size(), QSize(854, 510));
    QCOMPARE(control<QTabWidget>(&w, "高级选择夹1")->count(), 10);
  }
};

TESSALY_GUI_TEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
