#include "gui/gbk_qt.h"

#include "core/text/charset.h"

namespace tessaly {
namespace {

std::u16string_view utf16_of(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

// Every CR LF as LF (a lone CR stays), in the GBK bytes, where CR and LF are single bytes that no
// double-byte character contains. QString::replace with a replacement of another length would
// move the rest of the string again for every thousand matches or so: half a second for a list
// of a million lines.
std::string lf_line_breaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t from = 0;
  for (size_t cr = text.find("\r\n"); cr != std::string_view::npos; cr = text.find("\r\n", from)) {
    out.append(text, from, cr - from);
    out += '\n';
    from = cr + 2;
  }
  out.append(text, from);
  return out;
}

}  // namespace

QString from_gbk(std::string_view gbk_text) {
  std::string u = utf8(gbk_text);
  return QString::fromUtf8(u.data(), static_cast<qsizetype>(u.size()));
}

std::string to_gbk(const QString& text) { return gbk(utf16_of(text)); }

QString from_gbk_lines(std::string_view gbk_text) { return from_gbk(lf_line_breaks(gbk_text)); }

std::string to_gbk_lines(const QString& text) {
  // Every line break becomes CR LF in the same pass (a lone CR would otherwise join two items).
  return gbk_lines(utf16_of(text));
}

}  // namespace tessaly
