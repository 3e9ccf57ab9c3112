#include "gui/input_checks.h"

#include <QLineEdit>

#include "core/text/text.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/line_box.h"

namespace tessaly {
namespace {

bool refuse(QWidget* box, const QString& message) {
  message_box(message, kIconInformation);
  box->setFocus();
  return false;
}

}  // namespace

bool require_lines(LineBox* box, const QString& message) {
  bool any = false;
  for_each_line(box->text(), [&any](std::string_view line) {
    if (!any && !trim_both(line).empty()) any = true;
  });
  return any || refuse(box, message);
}

bool require_text(QLineEdit* box, const QString& message) {
  return !box->text().trimmed().isEmpty() || refuse(box, message);
}

bool require_number(QLineEdit* box, int least, const QString& message) {
  const std::optional<int> number = whole_number(to_gbk(box->text()));
  return (number && *number >= least) || refuse(box, message);
}

bool require_valid(QWidget* box, bool valid, const QString& message) { return valid || refuse(box, message); }

bool require_thread_count(QLineEdit* box) {
  return require_number(box, 1, QStringLiteral("线程数要填一个不小于1的整数（例如10），请改好后再开始。"));
}

}  // namespace tessaly
