#include "gui/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tessaly {

bool use_chinese_language() {
  // The browser engine reads the default locale as it starts: its own pages become zh-CN.
  QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China));
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  bool all = true;
  // qtbase: message boxes, file dialogs, edit menus; qtwebengine: the browsers' context menus.
  for (const char* catalog : {"qtbase", "qtwebengine"}) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale(), QString::fromLatin1(catalog), QStringLiteral("_"), folder)) {
      QCoreApplication::installTranslator(translator);
    } else {
      delete translator;
      all = false;
    }
  }
  return all;
}

}  // namespace tessaly
