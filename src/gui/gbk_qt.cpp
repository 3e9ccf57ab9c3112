#include "gui/gbk_qt.h"

#include "core/text/charset.h"

namespace tessaly {

QString from_gbk(std::string_view gbk_text) {
  std::string u = utf8(gbk_text);
  return QString::fromUtf8(u.data(), static_cast<qsizetype>(u.size()));
}

std::string to_gbk(const QString& text) {
  QByteArray u = text.toUtf8();
  return gbk(std::string_view(u.constData(), static_cast<size_t>(u.size())));
}

QString from_gbk_lines(std::string_view gbk_text) {
  QString s = from_gbk(gbk_text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return s;
}

std::string to_gbk_lines(const QString& text) {
  QString s = text;
  // A lone CR would otherwise join two items; the boxes only ever hold LF line breaks.
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QChar(u'\r'), QChar(u'\n'));
  s.replace(QChar(u'\n'), QStringLiteral("\r\n"));
  return to_gbk(s);
}

}  // namespace tessaly
