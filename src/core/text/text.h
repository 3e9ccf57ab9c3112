#pragma once
// GBK text primitives. A text is a GBK byte string; positions are 1-based byte positions and a
// failed search gives -1. Every search, split and replace walks character by character, so a
// match never starts at the trail byte of a double-byte character.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

using Text = std::string;   // GBK, no zero byte
using Bytes = std::string;  // any bytes, zeros allowed
using TextList = std::vector<Text>;

inline constexpr int kNotFound = -1;
inline constexpr int kAll = -1;  // "no limit" for counts and piece limits

// Length in bytes of the character starting at byte index i (0-based): 2 for a GBK lead byte
// followed by another byte, otherwise 1.
inline int char_size(std::string_view s, size_t i) {
  return (static_cast<unsigned char>(s[i]) >= 0x80 && i + 1 < s.size()) ? 2 : 1;
}

Text left(std::string_view text, int n);
Text right(std::string_view text, int n);
Text mid(std::string_view text, int start, int n);
int find_text(std::string_view text, std::string_view needle, int start = 1, bool case_insensitive = false);
int find_text_reverse(std::string_view text, std::string_view needle, int start = kAll,
                      bool case_insensitive = false);
Text replace_text(std::string_view text, std::string_view find, std::string_view replacement, int start,
                  int count, bool case_sensitive);
Text replace_range(std::string_view text, int start, int length, std::string_view replacement = {});

TextList split_text(std::string_view text, std::string_view delimiter = ",", int max_pieces = kAll);
TextList split_lines(std::string_view text);
// Walks the items of split_lines without copying them: fn(line) for each, in order.
template <class Fn>
void for_each_line(std::string_view text, Fn&& fn);
// The items of split_lines as views into the text (the text must outlive them).
std::vector<std::string_view> line_views(std::string_view text);
int count_lines(std::string_view text);
// Joins items with the separator between them (no trailing separator).
Text join_text(const TextList& items, std::string_view separator);

Text trim_both(std::string_view text);
Text trim_left(std::string_view text);
Text trim_right(std::string_view text);
Text remove_spaces(std::string_view text);
Text to_upper(std::string_view text);
Text to_lower(std::string_view text);
// to_full_width: space -> A1A1, "!".."}" -> A3 (c + 80h), "~" -> A1AB. to_half_width: the full-width
// row A3A1..A3FE -> ASCII, A1A1 -> space, A1AB -> "~", "☆" and "★" -> "*".
Text to_full_width(std::string_view text);
Text to_half_width(std::string_view text);
Text repeat_text(int count, std::string_view text);
Text spaces(int n);

int to_int(std::string_view text);
// The text as a whole number when it is nothing else: digits (ASCII or full-width) with spaces
// around them at most, no sign, no larger than an int. What to_int would read from a box whose
// text makes sense as a number; nothing for "", "abc", "10abc", "-3", "1.5".
std::optional<int> whole_number(std::string_view text);
double to_double(std::string_view text);
Text to_text(long long value);
Text to_text_bytes(std::string_view bytes);  // bytes up to the first zero byte
Text to_hex(long long value);

int bytes_length(std::string_view bytes);
int find_bytes(std::string_view bytes, std::string_view needle, int start = 1);

namespace detail {
// 0-based index of the first occurrence of the needle at or after `from` (a character start)
// that starts a character, or npos; ASCII letters without case when `ci`.
size_t find_from(std::string_view text, std::string_view needle, size_t from, bool ci);
}  // namespace detail

template <class Fn>
void for_each_line(std::string_view text, Fn&& fn) {
  size_t start = 0;
  for (size_t pos; (pos = detail::find_from(text, "\r\n", start, false)) != std::string_view::npos;
       start = pos + 2)
    fn(text.substr(start, pos - start));
  if (start < text.size()) fn(text.substr(start));
}

inline std::vector<std::string_view> line_views(std::string_view text) {
  std::vector<std::string_view> lines;
  for_each_line(text, [&](std::string_view line) { lines.push_back(line); });
  return lines;
}

}  // namespace tessaly
