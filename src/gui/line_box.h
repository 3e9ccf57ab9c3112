#pragma once
// The multi-line list box of every tool ("编辑框" holding a LineList). It holds its text as GBK
// bytes (the program's own text, so nothing is converted when the program sets or reads it) and
// lays out only the rows in view, so a box of a million lines is set, read, appended to and
// counted in milliseconds. It edits like a plain text box: typing, selection with keys and
// mouse, clipboard, undo and redo, a context menu, scrolling, input methods. Line breaks are
// CR LF inside; the QString face (plainText, for window tests and accessibility) uses LF. Like a
// plain text box it tells assistive technology (screen readers) its text, lines, caret and
// selection, and when they change.
#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/text/line_text.h"

class QMenu;
class QTextLayout;

namespace tessaly {

// Makes list boxes known to assistive technology (the first box does it).
void install_line_box_accessibility();

class LineBox : public QAbstractScrollArea {
  Q_OBJECT
  Q_PROPERTY(QString plainText READ toPlainText WRITE setPlainText NOTIFY textChanged USER true)
  Q_PROPERTY(bool readOnly READ isReadOnly WRITE setReadOnly)

 public:
  explicit LineBox(QWidget* parent = nullptr);
  ~LineBox() override;

  // --- the program's side: GBK with CR LF line breaks ---
  const std::string& text() const { return content_.bytes(); }
  const LineText& content() const { return content_; }
  // Replaces the whole text: no undo step, the caret to the start, the view to the top.
  void set_text(std::string gbk_text);
  // The same with a text indexed elsewhere (a worker builds it, the window only swaps it in).
  void set_content(LineText content);
  // Empties the box (as set_text of nothing).
  void clear() { set_text({}); }
  // Adds text at the end and scrolls to it; the user's caret and undo steps stay.
  void append(std::string_view gbk_text);
  // The LineList item count of the text, kept current without reading the text.
  int item_count() const { return content_.items(); }
  size_t row_count() const { return content_.rows(); }

  // Rows longer than the box wrap at its width instead of scrolling sideways.
  void set_wrap(bool on);
  bool wraps() const { return wrap_; }

  // --- the QString face; line breaks are LF ---
  QString toPlainText() const;
  void setPlainText(const QString& text);
  // Inserts at the caret in place of the selection, as one undoable edit (what a paste does).
  void insertPlainText(const QString& text);
  bool isReadOnly() const { return read_only_; }
  void setReadOnly(bool on);

  // --- caret and selection, as byte positions in text() ---
  size_t caret() const { return caret_; }
  size_t anchor() const { return anchor_; }
  bool has_selection() const { return caret_ != anchor_; }
  // Positions as characters of the QString face and back (a CR LF and a double-byte character
  // are one character each); both walk the text from its start.
  int char_offset(size_t pos) const;
  size_t byte_position(int offset) const;
  // Where the character at pos is drawn, and the position nearest a point (viewport
  // coordinates).
  QRect char_rect(size_t pos) const { return rect_at(pos, 0); }
  size_t position_at(QPoint viewport_pos) const;
  // Moves the caret (to the nearest character start); keep_anchor extends the selection.
  void set_caret(size_t pos, bool keep_anchor = false);
  void selectAll();
  QString selectedText() const;

  // --- edit commands (also on keys and in the context menu) ---
  void undo();
  void redo();
  bool can_undo() const { return !undo_.empty() && !read_only_; }
  bool can_redo() const { return !redo_.empty() && !read_only_; }
  void cut();
  void copy() const;
  void paste();
  // The context menu, made fresh; the caller owns it.
  QMenu* create_context_menu();

 Q_SIGNALS:
  // After every change of the content, by the user or the program.
  void textChanged();

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void changeEvent(QEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void timerEvent(QTimerEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  bool focusNextPrevChild(bool next) override;

 private:
  // One row laid out for drawing, with the byte offset (in the row) of each of its characters.
  struct Row {
    std::unique_ptr<QTextLayout> layout;
    std::vector<unsigned> byte_at;  // character index -> byte offset; one more for the end
    int height = 0;
  };
  // How an edit joins the one before it into one undo step.
  enum class Typing { None, Insert, Backspace, Delete };
  // One edit, for undo and redo. The inserted bytes are kept as text only while an undo has
  // taken them out again (on the redo stack); until then they are in the box's text, and a
  // paste of a million lines is not copied a second time for its undo step.
  struct Edit {
    size_t pos;
    std::string removed;
    size_t inserted_size;
    std::string inserted;  // on the redo stack only
    size_t caret_before;
    size_t anchor_before;
  };
  enum class Move {
    Left,
    Right,
    WordLeft,
    WordRight,
    Up,
    Down,
    PageUp,
    PageDown,
    RowStart,
    RowEnd,
    Start,
    End
  };

  // --- layout and geometry (line_box.cpp) ---
  Row& row_layout(size_t row) const;
  void forget_layouts() const;
  void update_metrics();
  void update_scrollbars();
  int visible_rows() const;
  int text_left() const;
  int wrap_width() const;
  int last_top_row() const;
  // The row at the top of the view and the y of each row drawn from there (viewport pixels).
  size_t top_row() const;
  QRect caret_rect() const;
  QRect rect_at(size_t pos, int preedit_chars) const;
  // Tells assistive technology about a moved caret or a changed text (only while one listens).
  void announce_caret() const;
  void announce_text() const;
  void ensure_caret_visible();
  int char_index(const Row& row, size_t row_start, size_t pos) const;
  void content_changed(bool keep_layouts_before = false, size_t first_changed_row = 0);

  // --- editing (line_box_edit.cpp) ---
  void replace(size_t pos, size_t length, std::string gbk_text, Typing typing);
  void replace_selection(std::string gbk_text, Typing typing = Typing::None);
  void delete_selection();
  bool move_key(QKeyEvent* e);
  bool edit_key(QKeyEvent* e);
  size_t moved(size_t pos, Move move) const;
  size_t word_start(size_t pos) const;
  size_t word_end(size_t pos) const;
  void select_word_at(size_t pos);
  void restart_blink();
  void drag_to(QPoint viewport_pos);

  LineText content_;
  size_t caret_ = 0;
  size_t anchor_ = 0;
  bool read_only_ = false;
  bool wrap_ = false;
  // Sideways position the caret keeps on its way up and down (pixels in the row, -1: none).
  qreal goal_x_ = -1;
  std::vector<Edit> undo_;
  std::vector<Edit> redo_;
  Typing last_typing_ = Typing::None;
  QString preedit_;

  int row_height_ = 16;
  mutable qreal widest_ = 0;     // the widest row laid out so far, in pixels
  size_t measured_longest_ = 0;  // the longest row (in bytes) whose width widest_ includes
  bool updating_scrollbars_ = false;
  mutable std::unordered_map<size_t, Row> rows_;

  bool caret_on_ = false;
  QBasicTimer blink_;
  QBasicTimer autoscroll_;
  QPoint drag_pos_;
  bool dragging_ = false;
};

}  // namespace tessaly
