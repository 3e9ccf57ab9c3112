#include <QApplication>
#include <QStyleFactory>

#include "shell/main_window.h"

int main(int argc, char* argv[]) {
  // The embedded browser needs shared GL contexts before the application exists.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  tessaly::MainWindow window;
  window.show();
  return QApplication::exec();
}
