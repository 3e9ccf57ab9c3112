#pragma once
// Shared handlers of list boxes: the live item count beside a list box, copy/clear buttons, the
// items of a box, and the output a job streams into a box.
#include <QString>

#include "core/text/line_output.h"
#include "core/text/text.h"

class QAbstractButton;
class QLineEdit;
class QWidget;

namespace tessaly {

class Bridge;
class LineBox;
class ReportList;

// The items of a list box (split_lines of its text).
TextList box_lines(const QWidget* box);

// Hands LineOutput blocks to the bridge as appends to box. Every few megabytes it waits until
// the window has shown what was queued, so a fast generator never runs far ahead of the window.
LineOutput::Write box_writer(Bridge& bridge, QWidget* box);

// Keeps `count` showing the item count of `list` after every change of its content (the box
// keeps its count as it changes, so this reads no text).
void bind_line_count(LineBox* list, QLineEdit* count);

// Fills `group` with a list box and, under it, the label and count box that follow its item
// count; returns the list box.
LineBox* make_counted_list(QWidget* group, const char* list_name, const char* count_name,
                           const QString& count_label);

// Copy handler: the whole text of `box` to the clipboard, then the message (always success).
void bind_copy_button(QAbstractButton* button, QWidget* box, const QString& message,
                      const QString& caption = QString(), int flags = 0);

// Writes an export file whole (GBK bytes) and reports the outcome: "导出完成", or "导出失败，
// 无法写入文件：" and the path with the error icon. True when written.
bool write_export_file(const std::string& path, std::string_view bytes);

// Clear handlers: they ask nothing and show nothing.
void bind_clear_button(QAbstractButton* button, QWidget* box);
void bind_clear_button(QAbstractButton* button, ReportList* list);

}  // namespace tessaly
