// Editing in the list box: keys, mouse, clipboard, undo, input methods and the context menu.
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextLayout>

#include <algorithm>

#include "core/text/gbk_unicode.h"
#include "gui/gbk_qt.h"
#include "gui/line_box.h"

namespace tessaly {
namespace {

// Undo steps kept; older ones are dropped.
constexpr size_t kUndoSteps = 1000;
// Interval of the scrolling while a selection is dragged beyond the view.
constexpr int kAutoscrollMs = 50;

// What a character is for word steps and double-click selection.
enum class Kind { Space, Word, Wide, Mark };

Kind kind_at(std::string_view text, size_t pos) {
  const auto b = static_cast<unsigned char>(text[pos]);
  if (b == ' ' || b == '\t' || b == '\r' || b == '\n') return Kind::Space;
  if (detail::gbk_unit_size(text, pos) == 2) {
    const auto trail = static_cast<unsigned char>(text[pos + 1]);
    return b == 0xA1 && trail == 0xA1 ? Kind::Space : Kind::Wide;  // the full-width space
  }
  if ((b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || b == '_' || b >= 0x80)
    return Kind::Word;
  return Kind::Mark;
}

struct MoveKey {
  QKeySequence::StandardKey key;
  int move;  // a LineBox::Move
  bool select;
};

}  // namespace

// --- edits -----------------------------------------------------------------------------------

void LineBox::replace(size_t pos, size_t length, std::string gbk_text, Typing typing) {
  if (read_only_) return;
  pos = std::min(pos, content_.size());
  length = std::min(length, content_.size() - pos);
  if (length == 0 && gbk_text.empty()) return;
  Edit step{pos, std::string(content_.view(pos, length)), 0, {}, caret_, anchor_};
  const size_t first_row = content_.row_of(pos);
  const size_t inserted = content_.replace(pos, length, std::move(gbk_text));
  step.inserted_size = inserted;
  caret_ = anchor_ = pos + inserted;
  preedit_.clear();
  redo_.clear();
  // Typing, and deleting key by key, make one undo step per run.
  bool joined = false;
  if (typing != Typing::None && typing == last_typing_ && !undo_.empty()) {
    Edit& last = undo_.back();
    if (typing == Typing::Insert && length == 0 && last.pos + last.inserted_size == pos) {
      last.inserted_size += inserted;
      joined = true;
    } else if (typing == Typing::Backspace && last.inserted_size == 0 && pos + length == last.pos) {
      last.removed.insert(0, step.removed);
      last.pos = pos;
      joined = true;
    } else if (typing == Typing::Delete && last.inserted_size == 0 && last.pos == pos) {
      last.removed += step.removed;
      joined = true;
    }
  }
  if (!joined) {
    undo_.push_back(std::move(step));
    if (undo_.size() > kUndoSteps) undo_.erase(undo_.begin());
  }
  last_typing_ = typing;
  goal_x_ = -1;
  content_changed(true, first_row);
  ensure_caret_visible();
  restart_blink();
}

void LineBox::replace_selection(std::string gbk_text, Typing typing) {
  const size_t from = std::min(caret_, anchor_);
  replace(from, std::max(caret_, anchor_) - from, std::move(gbk_text), typing);
}

void LineBox::delete_selection() { replace_selection({}); }

void LineBox::undo() {
  if (!can_undo()) return;
  Edit step = std::move(undo_.back());
  undo_.pop_back();
  if (step.pos + step.inserted_size > content_.size()) {  // cannot happen; never undo wrongly
    undo_.clear();
    redo_.clear();
    return;
  }
  const size_t first_row = content_.row_of(step.pos);
  step.inserted.assign(content_.view(step.pos, step.inserted_size));
  content_.replace(step.pos, step.inserted_size, step.removed);
  caret_ = std::min(step.caret_before, content_.size());
  anchor_ = std::min(step.anchor_before, content_.size());
  redo_.push_back(std::move(step));
  last_typing_ = Typing::None;
  content_changed(true, first_row);
  ensure_caret_visible();
}

void LineBox::redo() {
  if (!can_redo()) return;
  Edit step = std::move(redo_.back());
  redo_.pop_back();
  if (step.pos + step.removed.size() > content_.size()) {
    redo_.clear();
    return;
  }
  const size_t first_row = content_.row_of(step.pos);
  content_.replace(step.pos, step.removed.size(), step.inserted);
  caret_ = anchor_ = step.pos + step.inserted_size;
  step.inserted = std::string();  // back in the text
  undo_.push_back(std::move(step));
  last_typing_ = Typing::None;
  content_changed(true, first_row);
  ensure_caret_visible();
}

void LineBox::copy() const {
  if (has_selection()) QGuiApplication::clipboard()->setText(selectedText());
}

void LineBox::cut() {
  if (!has_selection() || read_only_) return;
  copy();
  delete_selection();
}

void LineBox::paste() {
  if (read_only_) return;
  const QString text = QGuiApplication::clipboard()->text();
  if (!text.isEmpty()) replace_selection(to_gbk_lines(text));
}

// --- caret -----------------------------------------------------------------------------------

void LineBox::set_caret(size_t pos, bool keep_anchor) {
  pos = std::min(pos, content_.size());
  const std::string& t = content_.bytes();
  if (pos > 0 && pos < t.size() && t[pos - 1] == '\r' && t[pos] == '\n') --pos;
  // To the start of the character pos falls in.
  const size_t row = content_.row_of(pos);
  const size_t start = content_.row_start(row);
  const Row& r = row_layout(row);
  auto it = std::upper_bound(r.byte_at.begin(), r.byte_at.end(), static_cast<unsigned>(pos - start));
  pos = start + *std::prev(it);
  caret_ = pos;
  if (!keep_anchor) anchor_ = pos;
  goal_x_ = -1;
  last_typing_ = Typing::None;
  ensure_caret_visible();
  restart_blink();
  viewport()->update();
  announce_caret();
}

void LineBox::selectAll() {
  anchor_ = 0;
  caret_ = content_.size();
  last_typing_ = Typing::None;
  viewport()->update();
  announce_caret();
}

size_t LineBox::word_start(size_t pos) const {
  const size_t row = content_.row_of(pos);
  const size_t start = content_.row_start(row);
  if (pos == start) return content_.previous_char(pos);
  const Row& r = row_layout(row);
  int i = char_index(r, start, pos);
  auto kind = [&](int c) { return kind_at(content_.bytes(), start + r.byte_at[static_cast<size_t>(c)]); };
  while (i > 0 && kind(i - 1) == Kind::Space) --i;
  if (i > 0) {
    const Kind k = kind(i - 1);
    while (i > 0 && kind(i - 1) == k) --i;
  }
  return start + r.byte_at[static_cast<size_t>(i)];
}

size_t LineBox::word_end(size_t pos) const {
  const size_t row = content_.row_of(pos);
  if (pos >= content_.row_end(row)) return content_.next_char(pos);
  const size_t start = content_.row_start(row);
  const Row& r = row_layout(row);
  const int n = static_cast<int>(r.byte_at.size()) - 1;
  int i = char_index(r, start, pos);
  auto kind = [&](int c) { return kind_at(content_.bytes(), start + r.byte_at[static_cast<size_t>(c)]); };
  const Kind k = kind(i);
  while (i < n && kind(i) == k) ++i;
  while (i < n && kind(i) == Kind::Space) ++i;
  return start + r.byte_at[static_cast<size_t>(i)];
}

void LineBox::select_word_at(size_t pos) {
  const size_t row = content_.row_of(pos);
  const size_t start = content_.row_start(row);
  const Row& r = row_layout(row);
  const int n = static_cast<int>(r.byte_at.size()) - 1;
  if (n == 0) return;
  int i = std::min(char_index(r, start, pos), n - 1);
  auto kind = [&](int c) { return kind_at(content_.bytes(), start + r.byte_at[static_cast<size_t>(c)]); };
  const Kind k = kind(i);
  int a = i;
  int b = i;
  while (a > 0 && kind(a - 1) == k) --a;
  while (b < n && kind(b) == k) ++b;
  set_caret(start + r.byte_at[static_cast<size_t>(a)]);
  set_caret(start + r.byte_at[static_cast<size_t>(b)], true);
}

size_t LineBox::moved(size_t pos, Move move) const {
  const size_t row = content_.row_of(pos);
  const size_t start = content_.row_start(row);
  switch (move) {
    case Move::Left:
      return content_.previous_char(pos);
    case Move::Right:
      return content_.next_char(pos);
    case Move::WordLeft:
      return word_start(pos);
    case Move::WordRight:
      return word_end(pos);
    case Move::Start:
      return 0;
    case Move::End:
      return content_.size();
    case Move::RowStart:
    case Move::RowEnd: {
      // The start or end of the caret's line on screen (a wrapped row has several).
      const Row& r = row_layout(row);
      QTextLine line = r.layout->lineForTextPosition(char_index(r, start, pos));
      if (!line.isValid() || r.layout->lineCount() == 1)
        return move == Move::RowStart ? start : content_.row_end(row);
      if (move == Move::RowStart) return start + r.byte_at[static_cast<size_t>(line.textStart())];
      if (line.lineNumber() == r.layout->lineCount() - 1) return content_.row_end(row);
      return start + r.byte_at[static_cast<size_t>(
                         std::max(line.textStart(), line.textStart() + line.textLength() - 1))];
    }
    case Move::Up:
    case Move::Down: {
      const Row& r = row_layout(row);
      const int index = char_index(r, start, pos);
      QTextLine line = r.layout->lineForTextPosition(index);
      if (!line.isValid()) line = r.layout->lineAt(0);
      const qreal x = goal_x_ >= 0 ? goal_x_ : line.cursorToX(index);
      size_t target_row = row;
      int target_line = line.lineNumber() + (move == Move::Up ? -1 : 1);
      if (target_line < 0) {
        if (row == 0) return pos;
        target_row = row - 1;
        target_line = row_layout(target_row).layout->lineCount() - 1;
      } else if (target_line >= r.layout->lineCount()) {
        if (row + 1 >= content_.rows()) return pos;
        target_row = row + 1;
        target_line = 0;
      }
      const Row& t = row_layout(target_row);
      const int at =
          std::clamp(t.layout->lineAt(target_line).xToCursor(x), 0, static_cast<int>(t.byte_at.size()) - 1);
      return content_.row_start(target_row) + t.byte_at[static_cast<size_t>(at)];
    }
    case Move::PageUp:
    case Move::PageDown: {
      size_t at = pos;
      for (int i = visible_rows(); i > 0; --i) at = moved(at, move == Move::PageUp ? Move::Up : Move::Down);
      return at;
    }
  }
  return pos;
}

// --- keys ------------------------------------------------------------------------------------

bool LineBox::move_key(QKeyEvent* e) {
  using K = QKeySequence;
  static const MoveKey keys[] = {
      {K::MoveToNextChar, int(Move::Right), false},        {K::SelectNextChar, int(Move::Right), true},
      {K::MoveToPreviousChar, int(Move::Left), false},     {K::SelectPreviousChar, int(Move::Left), true},
      {K::MoveToNextWord, int(Move::WordRight), false},    {K::SelectNextWord, int(Move::WordRight), true},
      {K::MoveToPreviousWord, int(Move::WordLeft), false}, {K::SelectPreviousWord, int(Move::WordLeft), true},
      {K::MoveToNextLine, int(Move::Down), false},         {K::SelectNextLine, int(Move::Down), true},
      {K::MoveToPreviousLine, int(Move::Up), false},       {K::SelectPreviousLine, int(Move::Up), true},
      {K::MoveToNextPage, int(Move::PageDown), false},     {K::SelectNextPage, int(Move::PageDown), true},
      {K::MoveToPreviousPage, int(Move::PageUp), false},   {K::SelectPreviousPage, int(Move::PageUp), true},
      {K::MoveToStartOfLine, int(Move::RowStart), false},  {K::SelectStartOfLine, int(Move::RowStart), true},
      {K::MoveToEndOfLine, int(Move::RowEnd), false},      {K::SelectEndOfLine, int(Move::RowEnd), true},
      {K::MoveToStartOfBlock, int(Move::RowStart), false}, {K::SelectStartOfBlock, int(Move::RowStart), true},
      {K::MoveToEndOfBlock, int(Move::RowEnd), false},     {K::SelectEndOfBlock, int(Move::RowEnd), true},
      {K::MoveToStartOfDocument, int(Move::Start), false}, {K::SelectStartOfDocument, int(Move::Start), true},
      {K::MoveToEndOfDocument, int(Move::End), false},     {K::SelectEndOfDocument, int(Move::End), true},
  };
  for (const MoveKey& k : keys) {
    if (!e->matches(k.key)) continue;
    const auto move = static_cast<Move>(k.move);
    const bool vertical =
        move == Move::Up || move == Move::Down || move == Move::PageUp || move == Move::PageDown;
    if (vertical && goal_x_ < 0) {
      const size_t start = content_.row_start(content_.row_of(caret_));
      const Row& r = row_layout(content_.row_of(caret_));
      const int index = char_index(r, start, caret_);
      QTextLine line = r.layout->lineForTextPosition(index);
      goal_x_ = line.isValid() ? line.cursorToX(index) : 0;
    }
    const qreal goal = goal_x_;
    size_t target;
    if (!k.select && has_selection() && (move == Move::Left || move == Move::Right))
      target = move == Move::Left ? std::min(caret_, anchor_)
                                  : std::max(caret_, anchor_);  // the selection collapses
    else
      target = moved(caret_, move);
    if (move == Move::PageUp || move == Move::PageDown) {
      QScrollBar* v = verticalScrollBar();
      v->setValue(v->value() + (move == Move::PageUp ? -1 : 1) * visible_rows());
    }
    set_caret(target, k.select);
    if (vertical) goal_x_ = goal;
    return true;
  }
  return false;
}

bool LineBox::edit_key(QKeyEvent* e) {
  using K = QKeySequence;
  const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
  if (e->matches(K::SelectAll)) {
    selectAll();
  } else if (e->matches(K::Copy)) {
    copy();
  } else if (e->matches(K::Cut)) {
    cut();
  } else if (e->matches(K::Paste)) {
    paste();
  } else if (e->matches(K::Undo)) {
    undo();
  } else if (e->matches(K::Redo) || (e->key() == Qt::Key_Y && mods == Qt::ControlModifier)) {
    redo();
  } else if (e->matches(K::Delete)) {
    if (has_selection())
      delete_selection();
    else
      replace(caret_, content_.next_char(caret_) - caret_, {}, Typing::Delete);
  } else if (e->matches(K::DeleteEndOfWord)) {
    if (has_selection())
      delete_selection();
    else
      replace(caret_, word_end(caret_) - caret_, {}, Typing::None);
  } else if (e->matches(K::DeleteStartOfWord)) {
    if (has_selection()) {
      delete_selection();
    } else {
      const size_t from = word_start(caret_);
      replace(from, caret_ - from, {}, Typing::None);
    }
  } else if (e->key() == Qt::Key_Backspace && (mods & ~Qt::ShiftModifier) == 0) {
    if (has_selection()) {
      delete_selection();
    } else {
      const size_t from = content_.previous_char(caret_);
      replace(from, caret_ - from, {}, Typing::Backspace);
    }
  } else if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    if (read_only_) return false;
    replace_selection("\r\n", Typing::None);
  } else if (e->key() == Qt::Key_Tab && mods == Qt::NoModifier) {
    if (read_only_) return false;
    replace_selection("\t", Typing::Insert);
  } else {
    const QString typed = e->text();
    const bool command = (mods & (Qt::ControlModifier | Qt::MetaModifier)) &&
                         mods != (Qt::ControlModifier | Qt::AltModifier);  // AltGr types
    if (read_only_ || typed.isEmpty() || command || !typed.at(0).isPrint()) return false;
    replace_selection(to_gbk(typed), Typing::Insert);
  }
  return true;
}

void LineBox::keyPressEvent(QKeyEvent* e) {
  if (move_key(e) || edit_key(e)) {
    e->accept();
    return;
  }
  e->ignore();
}

bool LineBox::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) {
    // Editing keys belong to the box, not to shortcuts of the window around it.
    auto* k = static_cast<QKeyEvent*>(e);
    const Qt::KeyboardModifiers mods = k->modifiers() & ~Qt::KeypadModifier;
    using K = QKeySequence;
    const bool plain = mods == Qt::NoModifier || mods == Qt::ShiftModifier;
    if (k->matches(K::Copy) || k->matches(K::Cut) || k->matches(K::Paste) || k->matches(K::Undo) ||
        k->matches(K::Redo) || k->matches(K::SelectAll) || k->matches(K::Delete) ||
        k->matches(K::DeleteStartOfWord) || k->matches(K::DeleteEndOfWord) ||
        k->matches(K::MoveToStartOfDocument) || k->matches(K::MoveToEndOfDocument) ||
        k->matches(K::SelectStartOfDocument) || k->matches(K::SelectEndOfDocument) ||
        k->matches(K::MoveToNextWord) || k->matches(K::MoveToPreviousWord) ||
        (plain && (k->key() < Qt::Key_Escape || k->key() == Qt::Key_Backspace || k->key() == Qt::Key_Return ||
                   k->key() == Qt::Key_Enter || k->key() == Qt::Key_Home || k->key() == Qt::Key_End ||
                   k->key() == Qt::Key_Left || k->key() == Qt::Key_Right || k->key() == Qt::Key_Up ||
                   k->key() == Qt::Key_Down || k->key() == Qt::Key_Delete))) {
      k->accept();
      return true;
    }
  }
  return QAbstractScrollArea::event(e);
}

bool LineBox::focusNextPrevChild(bool next) {
  // Tab types a tab into an editable box, as in a plain text box.
  if (!read_only_) return false;
  return QAbstractScrollArea::focusNextPrevChild(next);
}

// --- mouse -----------------------------------------------------------------------------------

void LineBox::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) {
    e->ignore();
    return;
  }
  set_caret(position_at(e->position().toPoint()), e->modifiers() & Qt::ShiftModifier);
  dragging_ = true;
  drag_pos_ = e->position().toPoint();
  e->accept();
}

void LineBox::mouseMoveEvent(QMouseEvent* e) {
  if (!dragging_ || !(e->buttons() & Qt::LeftButton)) return;
  drag_pos_ = e->position().toPoint();
  drag_to(drag_pos_);
  if (viewport()->rect().contains(drag_pos_))
    autoscroll_.stop();
  else if (!autoscroll_.isActive())
    autoscroll_.start(kAutoscrollMs, this);
}

void LineBox::drag_to(QPoint p) { set_caret(position_at(p), true); }

void LineBox::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  dragging_ = false;
  autoscroll_.stop();
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (has_selection() && clipboard->supportsSelection())
    clipboard->setText(selectedText(), QClipboard::Selection);
}

void LineBox::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  select_word_at(position_at(e->position().toPoint()));
  dragging_ = false;
}

void LineBox::timerEvent(QTimerEvent* e) {
  if (e->timerId() == blink_.timerId()) {
    caret_on_ = !caret_on_;
    viewport()->update(caret_rect().adjusted(-2, 0, 2, 0));
  } else if (e->timerId() == autoscroll_.timerId()) {
    const QRect view = viewport()->rect();
    if (drag_pos_.y() < view.top()) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    if (drag_pos_.y() > view.bottom())
      verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    if (drag_pos_.x() < view.left())
      horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    if (drag_pos_.x() > view.right())
      horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    drag_to(QPoint(std::clamp(drag_pos_.x(), view.left(), view.right()),
                   std::clamp(drag_pos_.y(), view.top(), view.bottom())));
  } else {
    QAbstractScrollArea::timerEvent(e);
  }
}

void LineBox::restart_blink() {
  const int flash = QGuiApplication::styleHints()->cursorFlashTime();
  if (hasFocus() && !read_only_) {
    caret_on_ = true;
    if (flash > 0)
      blink_.start(flash / 2, this);
    else
      blink_.stop();
  } else {
    caret_on_ = false;
    blink_.stop();
  }
}

void LineBox::focusInEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusInEvent(e);
  restart_blink();
  viewport()->update();
}

void LineBox::focusOutEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusOutEvent(e);
  restart_blink();
  viewport()->update();
}

// --- context menu ----------------------------------------------------------------------------

QMenu* LineBox::create_context_menu() {
  auto* menu = new QMenu(this);
  auto add = [menu, this](const QString& caption, QKeySequence::StandardKey key, bool enabled, auto fn) {
    QAction* action = menu->addAction(caption);
    action->setShortcut(key);
    action->setEnabled(enabled);
    connect(action, &QAction::triggered, this, fn);
  };
  const bool editable = !read_only_;
  add(QStringLiteral("撤销(&U)"), QKeySequence::Undo, can_undo(), [this] { undo(); });
  add(QStringLiteral("重做(&R)"), QKeySequence::Redo, can_redo(), [this] { redo(); });
  menu->addSeparator();
  add(QStringLiteral("剪切(&T)"), QKeySequence::Cut, editable && has_selection(), [this] { cut(); });
  add(QStringLiteral("复制(&C)"), QKeySequence::Copy, has_selection(), [this] { copy(); });
  add(QStringLiteral("粘贴(&P)"), QKeySequence::Paste,
      editable && !QGuiApplication::clipboard()->text().isEmpty(), [this] { paste(); });
  add(QStringLiteral("删除"), QKeySequence::UnknownKey, editable && has_selection(),
      [this] { delete_selection(); });
  menu->addSeparator();
  add(QStringLiteral("全选(&A)"), QKeySequence::SelectAll, !content_.empty(), [this] { selectAll(); });
  return menu;
}

void LineBox::contextMenuEvent(QContextMenuEvent* e) {
  std::unique_ptr<QMenu> menu(create_context_menu());
  const QPoint at = e->reason() == QContextMenuEvent::Keyboard
                        ? viewport()->mapToGlobal(caret_rect().bottomLeft())
                        : e->globalPos();
  menu->exec(at);
}

// --- input methods ---------------------------------------------------------------------------

void LineBox::inputMethodEvent(QInputMethodEvent* e) {
  if (read_only_) {
    e->ignore();
    return;
  }
  const size_t row = content_.row_of(caret_);
  preedit_.clear();
  rows_.erase(row);
  if (!e->commitString().isEmpty()) replace_selection(to_gbk(e->commitString()), Typing::Insert);
  preedit_ = e->preeditString();
  rows_.erase(content_.row_of(caret_));
  ensure_caret_visible();
  viewport()->update();
  e->accept();
}

QVariant LineBox::inputMethodQuery(Qt::InputMethodQuery query) const {
  const size_t row = content_.row_of(caret_);
  const size_t start = content_.row_start(row);
  switch (query) {
    case Qt::ImEnabled:
      return !read_only_;
    case Qt::ImCursorRectangle:
      return QRectF(caret_rect().translated(viewport()->pos()));
    case Qt::ImFont:
      return font();
    case Qt::ImCursorPosition:
      return char_index(row_layout(row), start, caret_);
    case Qt::ImAnchorPosition:
      return char_index(row_layout(row), start, content_.row_of(anchor_) == row ? anchor_ : caret_);
    case Qt::ImSurroundingText:
      return row_layout(row).layout->text();
    case Qt::ImCurrentSelection:
      return std::max(caret_, anchor_) - std::min(caret_, anchor_) < (64u << 10) ? selectedText() : QString();
    case Qt::ImHints:
      return static_cast<int>(inputMethodHints());
    default:
      return QAbstractScrollArea::inputMethodQuery(query);
  }
}

}  // namespace tessaly
