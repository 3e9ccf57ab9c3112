#include "core/text/text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace tessaly {
namespace {

bool is_ascii_letter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

unsigned char fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

bool matches_at(std::string_view text, size_t i, std::string_view needle, bool case_insensitive) {
  if (i + needle.size() > text.size()) return false;
  if (!case_insensitive) return text.compare(i, needle.size(), needle) == 0;
  for (size_t k = 0; k < needle.size(); ++k) {
    unsigned char a = text[i + k], b = needle[k];
    if (a != b && !(is_ascii_letter(a) && fold(a) == fold(b))) return false;
  }
  return true;
}

// True when byte index pos starts a character of the walk that starts at `from` (a character
// start, pos >= from, pos < size). A byte below 0x80 is never a lead byte, so whatever it is, the
// byte after it starts a character; from there to pos every byte is a lead or a trail byte, and
// pos starts a character when an even number of them lie between.
bool starts_char(std::string_view text, size_t from, size_t pos) {
  size_t b = pos;
  while (b > from && static_cast<unsigned char>(text[b - 1]) >= 0x80) --b;
  return (pos - b) % 2 == 0;
}

// 0-based index of the first occurrence of the needle at or after `from` as a byte search, or npos.
// Candidates come from memchr on the first byte; when that byte turns out to be frequent in the
// text (many candidates that fail), the rest goes to memmem, which does not depend on it.
size_t find_bytes_from(std::string_view text, std::string_view needle, size_t from) {
  const size_t n = text.size(), m = needle.size();
  if (from >= n || m > n - from) return std::string_view::npos;
  const char* base = text.data();
  const char* p = base + from;
  const char* const last = base + (n - m);  // the last possible start
  size_t misses = 0;
  while (p <= last) {
    p = static_cast<const char*>(std::memchr(p, needle[0], static_cast<size_t>(last - p) + 1));
    if (!p) return std::string_view::npos;
    if (std::memcmp(p + 1, needle.data() + 1, m - 1) == 0) return static_cast<size_t>(p - base);
    ++p;
    if (++misses > 16 && misses * 64 > static_cast<size_t>(p - base) - from) {
      const void* hit = ::memmem(p, static_cast<size_t>(base + n - p), needle.data(), m);
      return hit ? static_cast<size_t>(static_cast<const char*>(hit) - base) : std::string_view::npos;
    }
  }
  return std::string_view::npos;
}

// The same without case for ASCII letters (matches_at's rule).
size_t find_bytes_from_ci(std::string_view text, std::string_view needle, size_t from) {
  if (from >= text.size() || needle.size() > text.size() - from) return std::string_view::npos;
  const unsigned char first = needle[0];
  if (!is_ascii_letter(first)) {
    // Candidates by the first byte, which only matches itself.
    for (size_t pos = from; (pos = find_bytes_from(text, needle.substr(0, 1), pos)) != std::string_view::npos;
         ++pos)
      if (matches_at(text, pos, needle, true)) return pos;
    return std::string_view::npos;
  }
  const unsigned char lower = fold(first);
  const size_t last = text.size() - needle.size();
  for (size_t pos = from; pos <= last; ++pos)
    if ((static_cast<unsigned char>(text[pos]) | 0x20) == lower && matches_at(text, pos, needle, true))
      return pos;
  return std::string_view::npos;
}

}  // namespace

namespace detail {

// 0-based index of the first match at or after `from` (a character start) that starts a
// character, or npos. A byte search finds the candidates; one that falls on a trail byte is
// passed over, and the byte after it starts a character.
size_t find_from(std::string_view text, std::string_view needle, size_t from, bool ci) {
  if (needle.empty()) return std::string_view::npos;
  while (true) {
    size_t pos = ci ? find_bytes_from_ci(text, needle, from) : find_bytes_from(text, needle, from);
    if (pos == std::string_view::npos || starts_char(text, from, pos)) return pos;
    from = pos + 1;
  }
}

}  // namespace detail

namespace {

using detail::find_from;

bool is_space_at(std::string_view t, size_t i) {
  return t[i] == ' ' || (static_cast<unsigned char>(t[i]) == 0xA1 && i + 1 < t.size() &&
                         static_cast<unsigned char>(t[i + 1]) == 0xA1);
}

// Normalises full-width digits, signs, dot and letters before number parsing.
Text half_width_for_numbers(std::string_view text) { return to_half_width(text); }

}  // namespace

Text left(std::string_view text, int n) {
  if (n <= 0) return {};
  return Text(text.substr(0, static_cast<size_t>(n)));
}

Text right(std::string_view text, int n) {
  if (n <= 0) return {};
  if (static_cast<size_t>(n) >= text.size()) return Text(text);
  return Text(text.substr(text.size() - n));
}

Text mid(std::string_view text, int start, int n) {
  if (n <= 0 || start < 1 || static_cast<size_t>(start) > text.size()) return {};
  return Text(text.substr(start - 1, static_cast<size_t>(n)));
}

int find_text(std::string_view text, std::string_view needle, int start, bool case_insensitive) {
  if (needle.empty()) return text.empty() ? kNotFound : 1;
  if (start < 1) start = 1;
  size_t pos = find_from(text, needle, static_cast<size_t>(start - 1), case_insensitive);
  return pos == std::string_view::npos ? kNotFound : static_cast<int>(pos) + 1;
}

int find_text_reverse(std::string_view text, std::string_view needle, int start, bool case_insensitive) {
  if (needle.empty()) return text.empty() ? kNotFound : 1;
  size_t limit = (start < 1) ? text.size() : static_cast<size_t>(start - 1);
  int last = kNotFound;
  for (size_t pos = 0; (pos = find_from(text, needle, pos, case_insensitive)) <= limit;
       pos += static_cast<size_t>(char_size(text, pos)))
    last = static_cast<int>(pos) + 1;
  return last;
}

Text replace_text(std::string_view text, std::string_view find, std::string_view replacement, int start,
                  int count, bool case_sensitive) {
  if (text.empty() || find.empty()) return Text(text);
  if (start < 1) start = 1;
  size_t i = 0;
  // The text before start stays unchanged; keep walking whole characters so that start itself
  // is only honoured on a character boundary.
  while (i < text.size() && i < static_cast<size_t>(start - 1)) i += char_size(text, i);
  size_t size = text.size();
  if (replacement.size() > find.size()) {
    // A longer result is counted first so that it is allocated once: outgrowing the buffer
    // would copy it into one twice the size, which costs more than the counting.
    size_t n = 0;
    for (size_t pos = i; (count < 0 || n < static_cast<size_t>(count)) &&
                         (pos = find_from(text, find, pos, !case_sensitive)) != std::string_view::npos;
         pos += find.size())
      ++n;
    size += n * (replacement.size() - find.size());
  }
  Text out;
  out.reserve(size);
  out.append(text.substr(0, i));
  int done = 0;
  size_t copied = i;
  while (i < text.size() && (count < 0 || done < count)) {
    size_t pos = find_from(text, find, i, !case_sensitive);
    if (pos == std::string_view::npos) break;
    out.append(text.substr(copied, pos - copied));
    out.append(replacement);
    i = copied = pos + find.size();
    ++done;
  }
  out.append(text.substr(copied));
  return out;
}

Text replace_range(std::string_view text, int start, int length, std::string_view replacement) {
  if (start < 1) start = 1;
  size_t s = std::min(static_cast<size_t>(start - 1), text.size());
  size_t n = length > 0 ? std::min(static_cast<size_t>(length), text.size() - s) : 0;
  Text out(text.substr(0, s));
  out.append(replacement);
  out.append(text.substr(s + n));
  return out;
}

TextList split_text(std::string_view text, std::string_view delimiter, int max_pieces) {
  TextList pieces;
  if (text.empty() || max_pieces == 0) return pieces;
  if (delimiter.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  size_t piece_start = 0;
  size_t i = 0;
  while (i < text.size()) {
    size_t pos = find_from(text, delimiter, i, false);
    if (pos == std::string_view::npos) break;
    pieces.emplace_back(text.substr(piece_start, pos - piece_start));
    if (max_pieces > 0 && static_cast<int>(pieces.size()) >= max_pieces) return pieces;
    i = piece_start = pos + delimiter.size();
  }
  if (piece_start < text.size()) pieces.emplace_back(text.substr(piece_start));
  return pieces;
}

TextList split_lines(std::string_view text) { return split_text(text, "\r\n"); }

int count_lines(std::string_view text) {
  // Same rule as split_lines without building the pieces: every CR LF ends one item, and a
  // non-empty remainder after the last one is one more item.
  if (text.empty()) return 0;
  int count = 0;
  size_t piece_start = 0;
  size_t pos = 0;
  while ((pos = find_from(text, "\r\n", pos, false)) != std::string_view::npos) {
    ++count;
    pos = piece_start = pos + 2;
  }
  if (piece_start < text.size()) ++count;
  return count;
}

Text join_text(const TextList& items, std::string_view separator) {
  size_t total = 0;
  for (const auto& s : items) total += s.size() + separator.size();
  Text out;
  out.reserve(total);
  for (size_t k = 0; k < items.size(); ++k) {
    if (k) out.append(separator);
    out.append(items[k]);
  }
  return out;
}

Text trim_left(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && is_space_at(text, i)) i += (text[i] == ' ') ? 1 : 2;
  return Text(text.substr(i));
}

Text trim_right(std::string_view text) {
  // Walk forward so that a trailing A1 A1 is only taken as a space on a character boundary.
  size_t end = 0;  // end of the last non-space character
  for (size_t i = 0; i < text.size();) {
    if (is_space_at(text, i)) {
      i += (text[i] == ' ') ? 1 : 2;
    } else {
      i += char_size(text, i);
      end = i;
    }
  }
  return Text(text.substr(0, end));
}

Text trim_both(std::string_view text) { return trim_right(trim_left(text)); }

Text remove_spaces(std::string_view text) {
  Text out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (is_space_at(text, i)) {
      i += (text[i] == ' ') ? 1 : 2;
      continue;
    }
    int n = char_size(text, i);
    out.append(text.substr(i, n));
    i += n;
  }
  return out;
}

Text to_upper(std::string_view text) {
  Text out(text);
  for (size_t i = 0; i < out.size();) {
    int n = char_size(out, i);
    if (n == 1 && out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 32);
    i += n;
  }
  return out;
}

Text to_lower(std::string_view text) {
  Text out(text);
  for (size_t i = 0; i < out.size();) {
    int n = char_size(out, i);
    if (n == 1 && out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] + 32);
    i += n;
  }
  return out;
}

Text to_full_width(std::string_view text) {
  Text out;
  out.reserve(text.size() * 2);
  for (size_t i = 0; i < text.size();) {
    int n = char_size(text, i);
    unsigned char c = text[i];
    if (n == 2) {
      out.append(text.substr(i, 2));
    } else if (c == ' ') {
      out += "\xA1\xA1";
    } else if (c >= '!' && c <= '}') {
      out += static_cast<char>(0xA3);
      out += static_cast<char>(c + 0x80);
    } else if (c == '~') {
      out += "\xA1\xAB";
    } else {
      out += static_cast<char>(c);
    }
    i += n;
  }
  return out;
}

Text to_half_width(std::string_view text) {
  Text out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    int n = char_size(text, i);
    if (n == 2) {
      unsigned char a = text[i], b = text[i + 1];
      if (a == 0xA1 && b == 0xA1) {
        out += ' ';
      } else if (a == 0xA1 && b == 0xAB) {
        out += '~';
      } else if (a == 0xA3 && b >= 0xA1 && b <= 0xFE) {
        out += static_cast<char>(b - 0x80);  // the whole full-width row, "￣" to "~" included
      } else if (a == 0xA1 && (b == 0xEE || b == 0xEF)) {
        out += '*';  // "☆" and "★"
      } else {
        out.append(text.substr(i, 2));
      }
    } else {
      out += text[i];
    }
    i += n;
  }
  return out;
}

Text repeat_text(int count, std::string_view text) {
  Text out;
  if (count <= 0) return out;
  out.reserve(text.size() * count);
  for (int k = 0; k < count; ++k) out.append(text);
  return out;
}

Text spaces(int n) { return n > 0 ? Text(static_cast<size_t>(n), ' ') : Text(); }

int to_int(std::string_view text) {
  Text t = half_width_for_numbers(text);
  size_t i = 0;
  while (i < t.size() && t[i] == ' ') ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  long long value = 0;
  bool any = false;
  for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
    any = true;
    if (value < (1LL << 40)) value = value * 10 + (t[i] - '0');
  }
  if (!any) return 0;
  if (negative) value = -value;
  value = std::clamp<long long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
  return static_cast<int>(value);
}

std::optional<int> whole_number(std::string_view text) {
  const Text t = trim_both(half_width_for_numbers(text));
  if (t.empty() || t.size() > 10) return std::nullopt;
  long long value = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > std::numeric_limits<int>::max()) return std::nullopt;
  return static_cast<int>(value);
}

double to_double(std::string_view text) {
  Text t = half_width_for_numbers(text);
  size_t i = 0;
  while (i < t.size() && t[i] == ' ') ++i;
  size_t begin = i;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  size_t digits = 0;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    size_t e = i + 1;
    if (e < t.size() && (t[e] == '+' || t[e] == '-')) ++e;
    if (e < t.size() && t[e] >= '0' && t[e] <= '9') {
      while (e < t.size() && t[e] >= '0' && t[e] <= '9') ++e;
      i = e;
    }
  }
  return std::strtod(t.substr(begin, i - begin).c_str(), nullptr);
}

Text to_text(long long value) { return std::to_string(value); }

Text to_text_bytes(std::string_view bytes) {
  size_t zero = bytes.find('\0');
  return Text(bytes.substr(0, zero));
}

Text to_hex(long long value) {
  static const char digits[] = "0123456789ABCDEF";
  unsigned long long v = static_cast<unsigned long long>(value);
  if (value < 0) v &= 0xFFFFFFFFULL;  // a negative 32-bit integer shows its two's complement
  if (v == 0) return "0";
  Text out;
  while (v) {
    out.insert(out.begin(), digits[v & 15]);
    v >>= 4;
  }
  return out;
}

int bytes_length(std::string_view bytes) { return static_cast<int>(bytes.size()); }

int find_bytes(std::string_view bytes, std::string_view needle, int start) {
  if (start < 1) start = 1;
  if (needle.empty()) return bytes.empty() ? kNotFound : start;
  size_t pos = bytes.find(needle, static_cast<size_t>(start - 1));
  return pos == std::string_view::npos ? kNotFound : static_cast<int>(pos) + 1;
}

}  // namespace tessaly
