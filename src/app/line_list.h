#pragma once
// Shared handlers of list boxes: the live item count beside a list box, and copy/clear buttons.
#include <QString>

class QAbstractButton;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace tessaly {

class ReportList;

// Item count of a box's text by the LineList rule (what count_lines gives for its GBK text).
int count_box_lines(const QString& text);

// Keeps `count` showing the item count of `list` after every change of its content.
void bind_line_count(QPlainTextEdit* list, QLineEdit* count);

// Copy handler: the whole text of `box` to the clipboard, then the message (always success).
void bind_copy_button(QAbstractButton* button, QWidget* box, const QString& message,
                      const QString& caption = QString(), int flags = 0);

// Clear handlers: they ask nothing and show nothing.
void bind_clear_button(QAbstractButton* button, QWidget* box);
void bind_clear_button(QAbstractButton* button, ReportList* list);

}  // namespace tessaly
