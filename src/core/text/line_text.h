#pragma once
// The content of a list box: GBK bytes with CR LF line breaks and the start of every row, so
// that a box of a million lines finds any row at once, appends in time proportional to what is
// appended, and knows its item count without scanning. Plain C++: a worker can build one and
// hand it to a box whole.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

class LineText {
 public:
  LineText() = default;
  // Takes the text (a lone LF becomes CR LF) and indexes its rows.
  explicit LineText(std::string gbk_text);

  const std::string& bytes() const { return text_; }
  size_t size() const { return text_.size(); }
  bool empty() const { return text_.empty(); }
  std::string_view view(size_t pos, size_t length) const {
    return std::string_view(text_).substr(pos, length);
  }

  // Rows are the pieces between line breaks; a text ending in a line break has an empty last
  // row, an empty text one empty row.
  size_t rows() const { return starts_.size(); }
  size_t row_start(size_t row) const { return starts_[row]; }
  // Where the row's text ends (before its CR LF).
  size_t row_end(size_t row) const;
  std::string_view row_text(size_t row) const { return view(row_start(row), row_end(row) - row_start(row)); }
  // The row holding byte position pos (0..size()).
  size_t row_of(size_t pos) const;
  // The LineList item count: rows, less the empty row after a final line break.
  int items() const;
  // The longest row in bytes and where it is (kept as rows are added; an edit that shortens it
  // leaves the figure as it was).
  size_t longest_row_bytes() const { return longest_bytes_; }
  size_t longest_row() const { return longest_row_; }

  // Adds the text at the end.
  void append(std::string_view gbk_text);
  // Replaces `length` bytes at pos with the text (a lone LF becomes CR LF) and returns how many
  // bytes went in. Positions are never inside a CR LF pair or a double-byte character (the box
  // only edits between characters).
  size_t replace(size_t pos, size_t length, std::string_view gbk_text);
  // The same taking the bytes, which replace the whole text without a copy.
  size_t replace(size_t pos, size_t length, std::string&& gbk_text);

  // Character steps inside the text: a CR LF pair and a double-byte character are one step.
  size_t next_char(size_t pos) const;
  size_t previous_char(size_t pos) const;

 private:
  void index_from(size_t row, size_t from);
  void note_rows(size_t first, size_t last);

  std::string text_;
  std::vector<size_t> starts_{0};
  size_t longest_bytes_ = 0;
  size_t longest_row_ = 0;
};

// The text with every LF that has no CR before it turned into CR LF (`before` is the byte that
// precedes the text, 0 when none). The boxes hold CR LF line breaks only.
std::string crlf_lines(std::string_view gbk_text, char before = 0);

}  // namespace tessaly
