// Text primitives against a naive walk: searches, splits and replacements take whole characters
// only (a byte of 0x80 or above and the byte after it are one character), so a plain loop over
// the characters must give the same results as the memchr/memmem fast paths.
#include <string>
#include <string_view>

#include "core/text/text.h"
#include "fuzz_support.h"

using namespace tessaly;

namespace {

bool same_at(std::string_view text, size_t i, std::string_view needle, bool ci) {
  if (i + needle.size() > text.size()) return false;
  for (size_t k = 0; k < needle.size(); ++k) {
    unsigned char a = text[i + k], b = needle[k];
    if (ci) {
      if (a >= 'A' && a <= 'Z') a += 32;
      if (b >= 'A' && b <= 'Z') b += 32;
    }
    if (a != b) return false;
  }
  return true;
}

size_t naive_size(std::string_view s, size_t i) {
  return static_cast<unsigned char>(s[i]) >= 0x80 && i + 1 < s.size() ? 2 : 1;
}

int naive_find(std::string_view text, std::string_view needle, int start, bool ci) {
  if (needle.empty()) return text.empty() ? kNotFound : 1;
  for (size_t i = start < 1 ? 0 : static_cast<size_t>(start - 1); i < text.size(); i += naive_size(text, i))
    if (same_at(text, i, needle, ci)) return static_cast<int>(i) + 1;
  return kNotFound;
}

int naive_find_reverse(std::string_view text, std::string_view needle, int start, bool ci) {
  if (needle.empty()) return text.empty() ? kNotFound : 1;
  size_t limit = start < 1 ? text.size() : static_cast<size_t>(start - 1);
  int last = kNotFound;
  for (size_t i = 0; i < text.size() && i <= limit; i += naive_size(text, i))
    if (same_at(text, i, needle, ci)) last = static_cast<int>(i) + 1;
  return last;
}

TextList naive_split(std::string_view text, std::string_view delimiter, int max_pieces) {
  TextList pieces;
  if (text.empty() || max_pieces == 0) return pieces;
  if (delimiter.empty()) return {Text(text)};
  size_t piece_start = 0;
  for (size_t i = 0; i < text.size();) {
    if (same_at(text, i, delimiter, false)) {
      pieces.emplace_back(text.substr(piece_start, i - piece_start));
      if (max_pieces > 0 && static_cast<int>(pieces.size()) >= max_pieces) return pieces;
      i = piece_start = i + delimiter.size();
    } else {
      i += naive_size(text, i);
    }
  }
  if (piece_start < text.size()) pieces.emplace_back(text.substr(piece_start));
  return pieces;
}

Text naive_replace(std::string_view text, std::string_view find, std::string_view replacement, int start,
                   int count, bool case_sensitive) {
  if (text.empty() || find.empty()) return Text(text);
  size_t i = 0;
  while (i < text.size() && static_cast<int>(i) < start - 1) i += naive_size(text, i);
  Text out(text.substr(0, i));
  int done = 0;
  while (i < text.size()) {
    if ((count < 0 || done < count) && same_at(text, i, find, !case_sensitive)) {
      out.append(replacement);
      i += find.size();
      ++done;
    } else {
      size_t n = naive_size(text, i);
      out.append(text.substr(i, n));
      i += n;
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Parameters: flags, start, count / piece limit. Texts: the text, a needle, a replacement.
  fuzz::Input in(data, size, 3);
  const std::string_view text = in.text(0), needle = in.text(1), replacement = in.text(2);
  const bool ci = in.flag(0, 0);
  const int start = static_cast<int>(in.param(1) % 40) - 4;
  const int count = static_cast<int>(in.param(2) % 12) - 2;

  FUZZ_EQ(find_text(text, needle, start, ci), naive_find(text, needle, start, ci));
  FUZZ_EQ(find_text_reverse(text, needle, start, ci), naive_find_reverse(text, needle, start, ci));
  FUZZ_EQ(replace_text(text, needle, replacement, start, count, !ci),
          naive_replace(text, needle, replacement, start, count, !ci));

  const TextList pieces = split_text(text, needle, count);
  FUZZ_EQ(pieces, naive_split(text, needle, count));
  if (count < 0 && !needle.empty()) {
    Text joined = join_text(pieces, needle);
    if (joined != text) FUZZ_EQ(joined + Text(needle), Text(text));
  }

  const TextList lines = split_lines(text);
  FUZZ_EQ(lines, naive_split(text, "\r\n", kAll));
  FUZZ_EQ(count_lines(text), static_cast<int>(lines.size()));
  const auto views = line_views(text);
  FUZZ_EQ(views.size(), lines.size());
  for (size_t k = 0; k < views.size(); ++k) FUZZ_EQ(Text(views[k]), lines[k]);

  // Trimming and case: a trimmed text is a piece of the original, and trimming twice changes
  // nothing more; case changes keep the length and touch ASCII letters only.
  const Text trimmed = trim_both(text);
  FUZZ_CHECK(text.find(trimmed) != std::string_view::npos);
  FUZZ_EQ(trim_both(trimmed), trimmed);
  FUZZ_EQ(trim_left(trim_right(text)), trimmed);
  FUZZ_EQ(remove_spaces(remove_spaces(text)), remove_spaces(text));
  FUZZ_EQ(to_upper(text).size(), text.size());
  FUZZ_EQ(to_lower(to_upper(text)), to_lower(text));
  // Full width and back gives printable ASCII back.
  bool printable_ascii = true;
  for (unsigned char c : text) printable_ascii = printable_ascii && c >= 0x20 && c < 0x7F;
  if (printable_ascii) FUZZ_EQ(to_half_width(to_full_width(text)), Text(text));
  return 0;
}
