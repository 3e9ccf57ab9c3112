#include "core/text/line_text.h"

#include <algorithm>
#include <cstring>

#include "core/text/gbk_unicode.h"

namespace tessaly {
namespace {

// Where the next LF at or after `from` is, or npos.
size_t next_lf(const std::string& s, size_t from) {
  if (from >= s.size()) return std::string::npos;
  const void* hit = std::memchr(s.data() + from, '\n', s.size() - from);
  return hit ? static_cast<size_t>(static_cast<const char*>(hit) - s.data()) : std::string::npos;
}

bool has_lone_lf(std::string_view text, char before) {
  for (size_t i = text.find('\n'); i != std::string_view::npos; i = text.find('\n', i + 1)) {
    const char previous = i > 0 ? text[i - 1] : before;
    if (previous != '\r') return true;
  }
  return false;
}

}  // namespace

std::string crlf_lines(std::string_view gbk_text, char before) {
  if (!has_lone_lf(gbk_text, before)) return std::string(gbk_text);
  std::string out;
  out.reserve(gbk_text.size() + gbk_text.size() / 8);
  char previous = before;
  for (char c : gbk_text) {
    if (c == '\n' && previous != '\r') out += '\r';
    out += c;
    previous = c;
  }
  return out;
}

LineText::LineText(std::string gbk_text) {
  text_ = has_lone_lf(gbk_text, 0) ? crlf_lines(gbk_text) : std::move(gbk_text);
  index_from(0, 0);
  note_rows(0, rows() - 1);
}

size_t LineText::row_end(size_t row) const {
  if (row + 1 >= starts_.size()) return text_.size();
  const size_t next = starts_[row + 1];  // just after the row's LF
  return next >= 2 && text_[next - 2] == '\r' ? next - 2 : next - 1;
}

size_t LineText::row_of(size_t pos) const {
  auto it = std::upper_bound(starts_.begin(), starts_.end(), pos);
  return static_cast<size_t>(it - starts_.begin()) - 1;
}

int LineText::items() const {
  if (text_.empty()) return 0;
  const size_t n = text_.back() == '\n' ? rows() - 1 : rows();
  return static_cast<int>(std::min<size_t>(n, 0x7fffffff));
}

void LineText::index_from(size_t row, size_t from) {
  starts_.resize(row + 1);
  for (size_t lf = next_lf(text_, from); lf != std::string::npos; lf = next_lf(text_, lf + 1))
    starts_.push_back(lf + 1);
}

void LineText::note_rows(size_t first, size_t last) {
  for (size_t row = first; row <= last && row < rows(); ++row) {
    const size_t bytes = row_end(row) - row_start(row);
    if (bytes > longest_bytes_) {
      longest_bytes_ = bytes;
      longest_row_ = row;
    }
  }
}

void LineText::append(std::string_view gbk_text) {
  if (gbk_text.empty()) return;
  const size_t old_size = text_.size();
  const size_t last_row = rows() - 1;
  const char before = text_.empty() ? 0 : text_.back();
  if (has_lone_lf(gbk_text, before))
    text_ += crlf_lines(gbk_text, before);
  else
    text_.append(gbk_text);
  index_from(last_row, old_size);
  note_rows(last_row, rows() - 1);
}

void LineText::replace(size_t pos, size_t length, std::string_view gbk_text) {
  pos = std::min(pos, text_.size());
  length = std::min(length, text_.size() - pos);
  const std::string inserted = crlf_lines(gbk_text, pos > 0 ? text_[pos - 1] : 0);
  const size_t first_row = row_of(pos);
  // Rows that start inside the replaced bytes (after a removed LF) are gone.
  auto gone_from = std::upper_bound(starts_.begin(), starts_.end(), pos);
  auto gone_to = std::upper_bound(gone_from, starts_.end(), pos + length);
  std::vector<size_t> added;
  for (size_t i = inserted.find('\n'); i != std::string::npos; i = inserted.find('\n', i + 1))
    added.push_back(pos + i + 1);
  text_.replace(pos, length, inserted);
  const size_t at = static_cast<size_t>(gone_from - starts_.begin());
  const size_t removed = static_cast<size_t>(gone_to - gone_from);
  const size_t after = at + added.size();
  if (removed > 0 || !added.empty()) {
    starts_.erase(gone_from, gone_to);
    starts_.insert(starts_.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
  }
  if (inserted.size() != length) {
    for (size_t i = after; i < starts_.size(); ++i) starts_[i] = starts_[i] + inserted.size() - length;
  }
  // Rows first_row .. first_row + removed became first_row .. first_row + added.
  if (longest_row_ > first_row + removed)
    longest_row_ = longest_row_ + added.size() - removed;
  else if (longest_row_ > first_row)
    longest_row_ = first_row;
  note_rows(first_row, first_row + added.size());
}

size_t LineText::next_char(size_t pos) const {
  if (pos >= text_.size()) return text_.size();
  if (text_[pos] == '\r' && pos + 1 < text_.size() && text_[pos + 1] == '\n') return pos + 2;
  return pos + static_cast<size_t>(detail::gbk_unit_size(text_, pos));
}

size_t LineText::previous_char(size_t pos) const {
  if (pos == 0) return 0;
  pos = std::min(pos, text_.size());
  if (text_[pos - 1] == '\n') return pos >= 2 && text_[pos - 2] == '\r' ? pos - 2 : pos - 1;
  // Double-byte characters can only be told apart walking forward: from the row's start.
  size_t at = row_start(row_of(pos - 1));
  for (size_t next = next_char(at); next < pos; next = next_char(at)) at = next;
  return at;
}

}  // namespace tessaly
