// What a list box tells assistive technology: an editable multi-line text whose text, lines,
// caret and selection a screen reader can read (Qt's text interface; its default line and word
// boundaries work on the text this gives), and the events that say they changed.
#include <QAccessibleWidget>

#include <algorithm>

#include "core/text/line_text.h"
#include "gui/line_box.h"

namespace tessaly {
namespace {

// Texts longer than this are announced as changed without their content (a reader asks for
// the part it reads).
constexpr size_t kAnnouncedBytes = 1 << 20;

class LineBoxAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit LineBoxAccessible(LineBox* box) : QAccessibleWidget(box, QAccessible::EditableText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.multiLine = true;
    s.selectableText = true;
    s.editable = !box()->isReadOnly();
    s.readOnly = box()->isReadOnly();
    return s;
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return box()->toPlainText();
    return QAccessibleWidget::text(t);
  }

  // --- selection: the box has one, between the anchor and the caret ---
  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    if (index != 0 || !box()->has_selection()) return;
    *start = box()->char_offset(std::min(box()->caret(), box()->anchor()));
    *end = box()->char_offset(std::max(box()->caret(), box()->anchor()));
  }
  int selectionCount() const override { return box()->has_selection() ? 1 : 0; }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int index) override {
    if (index == 0) box()->set_caret(box()->caret());
  }
  void setSelection(int index, int start, int end) override {
    if (index != 0) return;
    box()->set_caret(box()->byte_position(start));
    box()->set_caret(box()->byte_position(end), true);
  }

  // --- caret ---
  int cursorPosition() const override { return box()->char_offset(box()->caret()); }
  void setCursorPosition(int position) override { box()->set_caret(box()->byte_position(position)); }

  // --- text ---
  QString text(int start, int end) const override {
    if (end <= start) return {};
    return box()->toPlainText().mid(start, end - start);
  }
  int characterCount() const override { return box()->char_offset(box()->text().size()); }

  QRect characterRect(int offset) const override {
    const size_t pos = box()->byte_position(offset);
    QRect inside = box()->char_rect(pos);
    // As wide as the character: up to where the next one on the same line begins.
    const QRect next = box()->char_rect(box()->content().next_char(pos));
    if (next.top() == inside.top() && next.left() > inside.left()) inside.setRight(next.left() - 1);
    return QRect(box()->viewport()->mapToGlobal(inside.topLeft()), inside.size());
  }
  int offsetAtPoint(const QPoint& point) const override {
    const QPoint inside = box()->viewport()->mapFromGlobal(point);
    if (!box()->viewport()->rect().contains(inside)) return -1;
    return box()->char_offset(box()->position_at(inside));
  }
  void scrollToSubstring(int start, int end) override {
    // Selecting the piece scrolls it into view, as a text box does.
    setSelection(0, start, end);
  }
  QString attributes(int offset, int* start, int* end) const override {
    *start = *end = offset;  // one font and colour throughout
    return {};
  }

 private:
  LineBox* box() const { return static_cast<LineBox*>(widget()); }
};

QAccessibleInterface* line_box_accessible(const QString& class_name, QObject* object) {
  if (class_name == QLatin1String(LineBox::staticMetaObject.className()) && object->isWidgetType())
    return new LineBoxAccessible(static_cast<LineBox*>(object));
  return nullptr;
}

}  // namespace

void install_line_box_accessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(line_box_accessible);
    return true;
  }();
  (void)installed;
}

int LineBox::char_offset(size_t pos) const {
  pos = std::min(pos, content_.size());
  int offset = 0;
  for (size_t p = 0; p < pos; p = content_.next_char(p)) ++offset;
  return offset;
}

size_t LineBox::byte_position(int offset) const {
  size_t pos = 0;
  for (int i = 0; i < offset && pos < content_.size(); ++i) pos = content_.next_char(pos);
  return pos;
}

void LineBox::announce_caret() const {
  if (!QAccessible::isActive()) return;
  QAccessibleTextCursorEvent event(const_cast<LineBox*>(this), char_offset(caret_));
  QAccessible::updateAccessibility(&event);
}

void LineBox::announce_text() const {
  if (!QAccessible::isActive()) return;
  const QString now = content_.size() <= kAnnouncedBytes ? toPlainText() : QString();
  QAccessibleTextUpdateEvent event(const_cast<LineBox*>(this), 0, QString(), now);
  QAccessible::updateAccessibility(&event);
}

}  // namespace tessaly
