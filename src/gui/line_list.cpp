#include "gui/line_list.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QLineEdit>

#include "core/text/files.h"
#include "gui/bridge.h"
#include "gui/controls.h"
#include "gui/gbk_qt.h"
#include "gui/hooks.h"
#include "gui/report_list.h"

namespace tessaly {

void bind_line_count(LineBox* list, QLineEdit* count) {
  auto update = [list, count] { count->setText(QString::number(list->item_count())); };
  QObject::connect(list, &LineBox::textChanged, count, update);
  update();
}

LineBox* make_counted_list(QWidget* group, const char* list_name, const char* count_name,
                           const QString& count_label) {
  LineBox* list = make_list_box(group, list_name);
  QLineEdit* count = make_line_box(group, count_name);
  count->setMaximumWidth(60);
  auto* layout = new QGridLayout(group);
  layout->addWidget(list, 0, 0, 1, 3);
  layout->addWidget(make_label(group, "", count_label), 1, 0);
  layout->addWidget(count, 1, 1);
  layout->setColumnStretch(2, 1);
  bind_line_count(list, count);
  return list;
}

void bind_copy_button(QAbstractButton* button, QWidget* box, const QString& message, const QString& caption,
                      int flags) {
  QObject::connect(button, &QAbstractButton::clicked, box, [box, message, caption, flags] {
    set_clipboard_text(from_gbk_lines(box_text(box)));
    message_box(message, flags, caption);
  });
}

bool write_export_file(const std::string& path, std::string_view bytes) {
  if (!replace_file(path, bytes)) {
    message_box(QStringLiteral("导出失败，无法写入文件：") + from_path(path), kIconError);
    return false;
  }
  message_box(QStringLiteral("导出完成"));
  return true;
}

void bind_clear_button(QAbstractButton* button, QWidget* box) {
  QObject::connect(button, &QAbstractButton::clicked, box, [box] { set_box_text(box, {}); });
}

void bind_clear_button(QAbstractButton* button, ReportList* list) {
  QObject::connect(button, &QAbstractButton::clicked, list, [list] { list->lv_clear(); });
}

TextList box_lines(const QWidget* box) { return split_lines(box_text(box)); }

LineOutput::Write box_writer(Bridge& bridge, QWidget* box) {
  constexpr size_t kSyncBytes = 4 << 20;
  return [&bridge, box, pending = size_t{0}](std::string_view block) mutable {
    bridge.append(box, block);
    pending += block.size();
    if (pending >= kSyncBytes) {
      bridge.call([] {});
      pending = 0;
    }
  };
}

}  // namespace tessaly
