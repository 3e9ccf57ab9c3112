#include "core/text/line_text.h"

#include <algorithm>
#include <bit>
#include <cstdint>
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

// The high bit of every byte of the eight-byte word that is LF.
uint64_t lf_bits(uint64_t w) {
  const uint64_t x = w ^ 0x0A0A0A0A0A0A0A0Aull;
  return ~(((x & 0x7F7F7F7F7F7F7F7Full) + 0x7F7F7F7F7F7F7F7Full) | x | 0x7F7F7F7F7F7F7F7Full);
}

// Calls fn(i) for the index of every LF of the text, in order, until fn returns false; false
// then. Eight bytes are looked at a time (a row of a keyword list is some twelve bytes, and a
// search call per row would cost more than the bytes).
template <class Fn>
bool for_each_lf(std::string_view text, Fn&& fn) {
  const char* const data = text.data();
  const size_t n = text.size();
  size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 8 <= n; i += 8) {
      uint64_t w;
      std::memcpy(&w, data + i, 8);
      for (uint64_t lf = lf_bits(w); lf; lf &= lf - 1)
        if (!fn(i + static_cast<size_t>(std::countr_zero(lf) >> 3))) return false;
    }
  }
  for (; i < n; ++i)
    if (data[i] == '\n' && !fn(i)) return false;
  return true;
}

size_t count_lf(std::string_view text) {
  const char* const data = text.data();
  const size_t n = text.size();
  size_t count = 0, i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, data + i, 8);
    count += static_cast<size_t>(((lf_bits(w) >> 7) * 0x0101010101010101ull) >> 56);  // the bits, added
  }
  for (; i < n; ++i) count += data[i] == '\n';
  return count;
}

// The offset after every LF of the text, when each has a CR before it (`before` is the byte
// that precedes the text); false at the first LF without one.
bool crlf_row_starts(std::string_view text, char before, std::vector<size_t>& starts) {
  starts.reserve(starts.size() + count_lf(text));
  return for_each_lf(text, [&](size_t lf) {
    if ((lf > 0 ? text[lf - 1] : before) != '\r') return false;
    starts.push_back(lf + 1);
    return true;
  });
}

bool has_lone_lf(std::string_view text, char before) {
  return !for_each_lf(text, [&](size_t lf) { return (lf > 0 ? text[lf - 1] : before) == '\r'; });
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
  // One scan finds the rows and tells whether lone LFs must become CR LF first.
  if (!crlf_row_starts(gbk_text, 0, starts_)) {
    starts_.resize(1);
    gbk_text = crlf_lines(gbk_text);
    crlf_row_starts(gbk_text, 0, starts_);
  }
  text_ = std::move(gbk_text);
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
  last = std::min(last, rows() - 1);
  // Every row but the last ends in CR LF: its length comes from the row starts alone.
  for (size_t row = first; row < last && row + 1 < rows(); ++row) {
    const size_t bytes = starts_[row + 1] - starts_[row] - 2;
    if (bytes > longest_bytes_) {
      longest_bytes_ = bytes;
      longest_row_ = row;
    }
  }
  for (size_t row = std::max(first, last); row <= last; ++row) {
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

size_t LineText::replace(size_t pos, size_t length, std::string&& gbk_text) {
  // The whole text replaced (a list pasted into an empty box): the bytes are taken as they are.
  if (pos == 0 && length >= text_.size()) {
    *this = LineText(std::move(gbk_text));
    return text_.size();
  }
  return replace(pos, length, std::string_view(gbk_text));
}

size_t LineText::replace(size_t pos, size_t length, std::string_view gbk_text) {
  pos = std::min(pos, text_.size());
  length = std::min(length, text_.size() - pos);
  const char before = pos > 0 ? text_[pos - 1] : 0;
  // Where the inserted rows start (offsets in the inserted text); one scan finds them and tells
  // whether the text needs its lone LFs turned into CR LF first (a pasted list rarely does).
  std::vector<size_t> added;
  std::string normalized;
  if (!crlf_row_starts(gbk_text, before, added)) {
    normalized = crlf_lines(gbk_text, before);
    gbk_text = normalized;
    added.clear();
    crlf_row_starts(gbk_text, before, added);
  }
  const size_t first_row = row_of(pos);
  // Rows that start inside the replaced bytes (after a removed LF) are gone.
  auto gone_from = std::upper_bound(starts_.begin(), starts_.end(), pos);
  auto gone_to = std::upper_bound(gone_from, starts_.end(), pos + length);
  for (size_t& start : added) start += pos;
  text_.replace(pos, length, gbk_text);
  const size_t at = static_cast<size_t>(gone_from - starts_.begin());
  const size_t removed = static_cast<size_t>(gone_to - gone_from);
  const size_t after = at + added.size();
  if (removed > 0 || !added.empty()) {
    starts_.erase(gone_from, gone_to);
    starts_.insert(starts_.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
  }
  if (gbk_text.size() != length) {
    for (size_t i = after; i < starts_.size(); ++i) starts_[i] = starts_[i] + gbk_text.size() - length;
  }
  // Rows first_row .. first_row + removed became first_row .. first_row + added.
  if (longest_row_ > first_row + removed)
    longest_row_ = longest_row_ + added.size() - removed;
  else if (longest_row_ > first_row)
    longest_row_ = first_row;
  note_rows(first_row, first_row + added.size());
  return gbk_text.size();
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
