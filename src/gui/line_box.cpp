#include "gui/line_box.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "core/text/gbk_unicode.h"
#include "gui/gbk_qt.h"

namespace tessaly {
namespace {

// Space around the text inside the frame, as a plain text box leaves it.
constexpr int kMargin = 4;
// Width a row without wrapping is laid out in: wider than any screen.
constexpr qreal kUnbounded = 1e7;
// Laid-out rows kept for repainting; more are dropped all at once.
constexpr size_t kKeptRows = 1024;

// The characters of a row for display, one QChar per GBK character (control characters shown
// as their pictures, tabs kept), and the byte offset of each character.
QString row_chars(std::string_view bytes, std::vector<unsigned>& byte_at) {
  byte_at.clear();
  for (size_t i = 0; i < bytes.size(); i += static_cast<size_t>(detail::gbk_unit_size(bytes, i)))
    byte_at.push_back(static_cast<unsigned>(i));
  byte_at.push_back(static_cast<unsigned>(bytes.size()));
  QString chars = from_gbk(bytes);
  if (chars.size() + 1 != static_cast<qsizetype>(byte_at.size())) {
    // A byte pair the code page does not know: decode character by character.
    chars.clear();
    for (size_t c = 0; c + 1 < byte_at.size(); ++c) {
      QString one = from_gbk(bytes.substr(byte_at[c], byte_at[c + 1] - byte_at[c]));
      chars += one.size() == 1 ? one[0] : QChar(QChar::ReplacementCharacter);
    }
  }
  for (QChar& c : chars)
    if (c.unicode() < 0x20 && c != u'\t') c = QChar(static_cast<char16_t>(0x2400 + c.unicode()));
  return chars;
}

}  // namespace

LineBox::LineBox(QWidget* parent) : QAbstractScrollArea(parent) {
  install_line_box_accessibility();
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  setInputMethodHints(Qt::ImhMultiLine);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
  viewport()->setCursor(Qt::IBeamCursor);
  verticalScrollBar()->setSingleStep(1);
  update_metrics();
  update_scrollbars();
}

LineBox::~LineBox() = default;

// --- content ---------------------------------------------------------------------------------

void LineBox::set_text(std::string gbk_text) { set_content(LineText(std::move(gbk_text))); }

void LineBox::set_content(LineText content) {
  content_ = std::move(content);
  caret_ = anchor_ = 0;
  undo_.clear();
  redo_.clear();
  last_typing_ = Typing::None;
  goal_x_ = -1;
  widest_ = 0;
  measured_longest_ = 0;
  content_changed();
  verticalScrollBar()->setValue(0);
  horizontalScrollBar()->setValue(0);
}

void LineBox::append(std::string_view gbk_text) {
  if (gbk_text.empty()) return;
  const bool caret_at_end = caret_ == content_.size() && anchor_ == caret_;
  const size_t last_row = content_.rows() - 1;
  content_.append(gbk_text);
  if (caret_at_end) caret_ = anchor_ = content_.size();
  last_typing_ = Typing::None;
  content_changed(true, last_row);
  verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void LineBox::content_changed(bool keep_layouts_before, size_t first_changed_row) {
  if (keep_layouts_before && rows_.size() < kKeptRows) {
    for (auto it = rows_.begin(); it != rows_.end();)
      it = it->first >= first_changed_row ? rows_.erase(it) : std::next(it);
  } else {
    forget_layouts();
  }
  update_scrollbars();
  viewport()->update();
  announce_text();
  announce_caret();
  Q_EMIT textChanged();
}

QString LineBox::toPlainText() const { return from_gbk_lines(content_.bytes()); }

void LineBox::setPlainText(const QString& text) { set_text(to_gbk_lines(text)); }

void LineBox::insertPlainText(const QString& text) { replace_selection(to_gbk_lines(text)); }

void LineBox::setReadOnly(bool on) {
  if (read_only_ == on) return;
  read_only_ = on;
  setAttribute(Qt::WA_InputMethodEnabled, !on);
  viewport()->setCursor(on ? Qt::ArrowCursor : Qt::IBeamCursor);
  restart_blink();
  viewport()->update();
}

void LineBox::set_wrap(bool on) {
  if (wrap_ == on) return;
  wrap_ = on;
  setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
  forget_layouts();
  update_scrollbars();
  viewport()->update();
}

QString LineBox::selectedText() const {
  const size_t from = std::min(caret_, anchor_);
  return from_gbk_lines(content_.view(from, std::max(caret_, anchor_) - from));
}

// --- layout ----------------------------------------------------------------------------------

void LineBox::forget_layouts() const { rows_.clear(); }

LineBox::Row& LineBox::row_layout(size_t row) const {
  auto found = rows_.find(row);
  if (found != rows_.end()) return found->second;
  if (rows_.size() >= kKeptRows) rows_.clear();
  Row& r = rows_[row];
  r.layout = std::make_unique<QTextLayout>(row_chars(content_.row_text(row), r.byte_at), font());
  QTextOption option;
  option.setWrapMode(wrap_ ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
  r.layout->setTextOption(option);
  r.layout->setCacheEnabled(true);
  const size_t start = content_.row_start(row);
  if (!preedit_.isEmpty() && content_.row_of(caret_) == row) {
    r.layout->setPreeditArea(char_index(r, start, caret_), preedit_);
    QTextLayout::FormatRange underline;
    underline.start = char_index(r, start, caret_);
    underline.length = static_cast<int>(preedit_.size());
    underline.format.setFontUnderline(true);
    r.layout->setFormats({underline});
  }
  r.layout->beginLayout();
  int lines = 0;
  for (QTextLine line = r.layout->createLine(); line.isValid(); line = r.layout->createLine()) {
    line.setLineWidth(wrap_ ? wrap_width() : kUnbounded);
    line.setPosition(QPointF(0, lines * row_height_));
    ++lines;
  }
  r.layout->endLayout();
  r.height = std::max(lines, 1) * row_height_;
  if (!wrap_) widest_ = std::max(widest_, r.layout->lineAt(0).naturalTextWidth());
  return r;
}

int LineBox::char_index(const Row& row, size_t row_start, size_t pos) const {
  const auto offset = static_cast<unsigned>(pos - row_start);
  auto it = std::lower_bound(row.byte_at.begin(), row.byte_at.end(), offset);
  return static_cast<int>(it - row.byte_at.begin());
}

void LineBox::update_metrics() {
  // The height of a row with Chinese and Latin letters in this font (a fallback font for the
  // Chinese characters may be taller than the box's own).
  QTextLayout sample(QStringLiteral("中Ag"), font());
  sample.beginLayout();
  QTextLine line = sample.createLine();
  line.setLineWidth(kUnbounded);
  sample.endLayout();
  row_height_ =
      std::max(1, static_cast<int>(std::ceil(std::max(line.height(), QFontMetricsF(font()).height()))));
  widest_ = 0;
  measured_longest_ = 0;
  forget_layouts();
}

int LineBox::wrap_width() const { return std::max(1, viewport()->width() - 2 * kMargin); }

int LineBox::text_left() const { return kMargin - (wrap_ ? 0 : horizontalScrollBar()->value()); }

int LineBox::visible_rows() const { return std::max(1, (viewport()->height() - kMargin) / row_height_); }

size_t LineBox::top_row() const {
  return std::min(static_cast<size_t>(std::max(0, verticalScrollBar()->value())), content_.rows() - 1);
}

int LineBox::last_top_row() const {
  const size_t rows = content_.rows();
  if (!wrap_)
    return static_cast<int>(std::min<size_t>(rows - std::min<size_t>(rows, visible_rows()), 0x7fffffff));
  // Wrapped rows differ in height: the last rows that fit, measured from the end.
  int room = viewport()->height() - kMargin;
  size_t top = rows;
  while (top > 0) {
    room -= row_layout(top - 1).height;
    if (room < 0) break;
    --top;
  }
  return static_cast<int>(std::min<size_t>(std::min(top, rows - 1), 0x7fffffff));
}

void LineBox::update_scrollbars() {
  if (updating_scrollbars_) return;  // showing or hiding a bar resizes the view
  updating_scrollbars_ = true;
  QScrollBar* v = verticalScrollBar();
  v->setRange(0, last_top_row());
  v->setPageStep(visible_rows());
  QScrollBar* h = horizontalScrollBar();
  if (wrap_) {
    h->setRange(0, 0);
  } else {
    if (content_.longest_row_bytes() > measured_longest_) {
      measured_longest_ = content_.longest_row_bytes();
      row_layout(content_.longest_row());  // measures it into widest_
    }
    const int width = viewport()->width();
    h->setRange(0, std::max(0, static_cast<int>(std::ceil(widest_)) + 2 * kMargin - width));
    h->setPageStep(width);
    h->setSingleStep(std::max(1, row_height_));
  }
  updating_scrollbars_ = false;
}

void LineBox::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  if (wrap_) forget_layouts();
  update_scrollbars();
}

void LineBox::changeEvent(QEvent* e) {
  QAbstractScrollArea::changeEvent(e);
  if (e->type() == QEvent::FontChange) {
    update_metrics();
    update_scrollbars();
  }
  if (e->type() == QEvent::FontChange || e->type() == QEvent::PaletteChange ||
      e->type() == QEvent::EnabledChange)
    viewport()->update();
}

void LineBox::scrollContentsBy(int, int) { viewport()->update(); }

// --- positions -------------------------------------------------------------------------------

size_t LineBox::position_at(QPoint p) const {
  const size_t rows = content_.rows();
  size_t row = top_row();
  int y = kMargin;
  if (p.y() < y) {
    row = row > 0 ? row - 1 : 0;  // above the view: the row just above it
  } else {
    while (row + 1 < rows && y + row_layout(row).height <= p.y()) {
      y += row_layout(row).height;
      ++row;
    }
  }
  const Row& r = row_layout(row);
  const int line_number = std::clamp((p.y() - y) / row_height_, 0, std::max(0, r.layout->lineCount() - 1));
  QTextLine line = r.layout->lineAt(line_number);
  const int index = line.xToCursor(p.x() - text_left());
  const int clamped = std::clamp(index, 0, static_cast<int>(r.byte_at.size()) - 1);
  return content_.row_start(row) + r.byte_at[static_cast<size_t>(clamped)];
}

QRect LineBox::caret_rect() const { return rect_at(caret_, static_cast<int>(preedit_.size())); }

QRect LineBox::rect_at(size_t pos, int preedit_chars) const {
  const size_t row = content_.row_of(pos);
  const size_t top = top_row();
  // Rows far outside the view are not laid out: one row height each is near enough there.
  const long long limit = viewport()->height() + row_height_;
  long long y = kMargin;
  if (row < top) {
    y -= static_cast<long long>(top - row) * row_height_;
  } else {
    for (size_t r = top; r < row; ++r) {
      if (y > limit) {
        y += static_cast<long long>(row - r) * row_height_;
        break;
      }
      y += row_layout(r).height;
    }
  }
  const Row& r = row_layout(row);
  const int index = char_index(r, content_.row_start(row), pos) + preedit_chars;
  QTextLine line = r.layout->lineForTextPosition(index);
  if (!line.isValid()) line = r.layout->lineAt(r.layout->lineCount() - 1);
  const auto x = static_cast<int>(line.cursorToX(index));
  const auto top_y =
      static_cast<int>(std::clamp<long long>(y + static_cast<long long>(line.y()), -1000000, 1000000));
  return QRect(text_left() + x, top_y, 1, row_height_);
}

void LineBox::ensure_caret_visible() {
  const size_t row = content_.row_of(caret_);
  QScrollBar* v = verticalScrollBar();
  const size_t top = top_row();
  if (row < top) {
    v->setValue(static_cast<int>(row));
  } else if (!wrap_) {
    const size_t shown = static_cast<size_t>(visible_rows());
    if (row >= top + shown) v->setValue(static_cast<int>(row - shown + 1));
  } else {
    // Scroll down a row at a time until the caret's line is inside the view.
    while (top_row() < row && caret_rect().bottom() > viewport()->height()) v->setValue(v->value() + 1);
  }
  if (!wrap_) {
    const QRect caret = caret_rect();
    QScrollBar* h = horizontalScrollBar();
    const int width = viewport()->width();
    if (caret.left() < kMargin)
      h->setValue(h->value() - (kMargin - caret.left()) - width / 4);
    else if (caret.right() > width - kMargin)
      h->setValue(h->value() + caret.right() - (width - kMargin) + width / 4);
  }
}

// --- painting --------------------------------------------------------------------------------

void LineBox::paintEvent(QPaintEvent* e) {
  QPainter painter(viewport());
  const QPalette::ColorGroup group =
      !isEnabled() ? QPalette::Disabled : (hasFocus() ? QPalette::Active : QPalette::Inactive);
  const QPalette& pal = palette();
  painter.setPen(pal.color(group, QPalette::Text));
  QTextCharFormat selected;
  selected.setBackground(pal.brush(group, QPalette::Highlight));
  selected.setForeground(pal.brush(group, QPalette::HighlightedText));
  const size_t from = std::min(caret_, anchor_);
  const size_t to = std::max(caret_, anchor_);
  const bool show_caret = caret_on_ && hasFocus() && !read_only_;
  const qreal widest_before = widest_;

  const int left = text_left();
  int y = kMargin;
  const int bottom = e->rect().bottom();
  for (size_t row = top_row(); row < content_.rows() && y <= bottom; ++row) {
    const Row& r = row_layout(row);
    if (y + r.height >= e->rect().top()) {
      const size_t start = content_.row_start(row);
      const size_t end = content_.row_end(row);
      QList<QTextLayout::FormatRange> selections;
      if (from < to && from <= end && to > start) {
        QTextLayout::FormatRange range;
        range.start = char_index(r, start, std::max(from, start));
        range.length = char_index(r, start, std::min(to, end)) - range.start;
        range.format = selected;
        selections << range;
      }
      r.layout->draw(&painter, QPointF(left, y), selections);
      if (from < to && from <= end && to > end && row + 1 < content_.rows()) {
        // The selected line break: a space's width after the row's last character.
        QTextLine last = r.layout->lineAt(r.layout->lineCount() - 1);
        const qreal x = left + last.naturalTextWidth();
        painter.fillRect(
            QRectF(x, y + last.y(), QFontMetricsF(font()).horizontalAdvance(QChar(u' ')), row_height_),
            pal.brush(group, QPalette::Highlight));
      }
      if (show_caret && content_.row_of(caret_) == row)
        r.layout->drawCursor(&painter, QPointF(left, y),
                             char_index(r, start, caret_) + static_cast<int>(preedit_.size()), 1);
    }
    y += r.height;
  }
  if (widest_ > widest_before) QTimer::singleShot(0, this, [this] { update_scrollbars(); });
}

}  // namespace tessaly
