// The byte-search fast paths of the text primitives and the table-driven code-page conversion,
// checked against plain models: the character-by-character walk the primitives are defined by,
// and the system converter.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/text/charset.h"
#include "core/text/gbk_unicode.h"
#include "core/text/text.h"
#include "support/test_support.h"

namespace tessaly {
namespace {

// Pieces that put every kind of byte next to every other: ASCII, CR and LF alone and together,
// GBK characters whose trail byte is an ASCII letter or CR, the full-width space (A1 A1), lone
// high bytes.
std::vector<std::string> pieces() {
  return {"a",
          "A",
          "b",
          "\r",
          "\n",
          "\r\n",
          " ",
          ",",
          gbk("中"),
          gbk("关键词"),
          "\x81"
          "a",
          "\x81"
          "A",
          "\x81\r",
          "\xA1\xA1",
          "\xB0\xA1",
          "\xA1",
          "\xFF",
          "\x80"};
}

std::string random_text(std::mt19937& rng, int max_pieces) {
  static const std::vector<std::string> kPieces = pieces();
  std::string out;
  int n = static_cast<int>(rng() % static_cast<unsigned>(max_pieces + 1));
  for (int k = 0; k < n; ++k) out += kPieces[rng() % kPieces.size()];
  return out;
}

bool same_byte(unsigned char a, unsigned char b, bool ci) {
  auto letter = [](unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  return a == b || (ci && letter(a) && letter(b) && (a | 0x20) == (b | 0x20));
}

// The model: try the needle at every character start from `from`, walking character by character.
size_t model_find(std::string_view text, std::string_view needle, size_t from, bool ci) {
  if (needle.empty()) return std::string_view::npos;
  for (size_t i = from; i < text.size(); i += static_cast<size_t>(char_size(text, i))) {
    if (i + needle.size() > text.size()) continue;
    size_t k = 0;
    while (k < needle.size() &&
           same_byte(static_cast<unsigned char>(text[i + k]), static_cast<unsigned char>(needle[k]), ci))
      ++k;
    if (k == needle.size()) return i;
  }
  return std::string_view::npos;
}

int model_find_reverse(std::string_view text, std::string_view needle, int start, bool ci) {
  size_t limit = start < 1 ? text.size() : static_cast<size_t>(start - 1);
  int last = kNotFound;
  for (size_t i = 0; i < text.size() && i <= limit; i += static_cast<size_t>(char_size(text, i)))
    if (model_find(text, needle, i, ci) == i) last = static_cast<int>(i) + 1;
  return last;
}

TextList model_split(std::string_view text, std::string_view delimiter) {
  TextList out;
  if (text.empty()) return out;
  size_t piece = 0, pos = 0;
  while ((pos = model_find(text, delimiter, pos, false)) != std::string_view::npos) {
    out.emplace_back(text.substr(piece, pos - piece));
    pos = piece = pos + delimiter.size();
  }
  if (piece < text.size()) out.emplace_back(text.substr(piece));
  return out;
}

Text model_replace(std::string_view text, std::string_view find, std::string_view repl, int start, int count,
                   bool ci) {
  if (text.empty() || find.empty()) return Text(text);
  size_t i = 0;
  while (i < text.size() && i < static_cast<size_t>(std::max(start, 1) - 1))
    i += static_cast<size_t>(char_size(text, i));
  Text out(text.substr(0, i));
  size_t copied = i;
  for (int done = 0; i < text.size() && (count < 0 || done < count); ++done) {
    size_t pos = model_find(text, find, i, ci);
    if (pos == std::string_view::npos) break;
    out.append(text.substr(copied, pos - copied)).append(repl);
    i = copied = pos + find.size();
  }
  return out.append(text.substr(copied));
}

TEST(TextFastPaths, AgreeWithTheCharacterWalk) {
  std::mt19937 rng(17);
  for (int round = 0; round < 4000; ++round) {
    const std::string text = random_text(rng, 12);
    // Needles from the pieces, and cut anywhere out of the text (often starting on a trail byte).
    std::string needle = random_text(rng, 2);
    if (!text.empty() && rng() % 2) {
      size_t at = rng() % text.size();
      needle = text.substr(at, 1 + rng() % 4);
    }
    if (needle.empty()) needle = "a";
    const bool ci = rng() % 2;
    const int start = static_cast<int>(rng() % (text.size() + 2));
    SCOPED_TRACE(testing::PrintToString(text) + " / " + testing::PrintToString(needle));
    size_t want = model_find(text, needle, static_cast<size_t>(std::max(start, 1) - 1), ci);
    EXPECT_EQ(find_text(text, needle, start, ci),
              want == std::string_view::npos ? kNotFound : static_cast<int>(want) + 1);
    EXPECT_EQ(find_text_reverse(text, needle, start, ci), model_find_reverse(text, needle, start, ci));
    EXPECT_EQ(find_text_reverse(text, needle, kAll, ci), model_find_reverse(text, needle, kAll, ci));
    EXPECT_EQ(split_text(text, needle), model_split(text, needle));
    const int count = static_cast<int>(rng() % 3) - 1;  // all, none or one
    EXPECT_EQ(replace_text(text, needle, "<>", start, count, !ci),
              model_replace(text, needle, "<>", start, count, ci));
    const TextList lines = model_split(text, "\r\n");
    EXPECT_EQ(split_lines(text), lines);
    EXPECT_EQ(count_lines(text), static_cast<int>(lines.size()));
    EXPECT_EQ(line_views(text).size(), lines.size());
  }
}

TEST(TextFastPaths, LineBreaksOnlyAtCharacterStarts) {
  // A CR that is the trail byte of a character is no line break; a CR without LF is none either.
  EXPECT_EQ(split_lines("a\x81\r\nb"), TextList{"a\x81\r\nb"});
  EXPECT_EQ(count_lines("a\x81\r\nb\r\n"), 1);
  EXPECT_EQ(split_lines("a\rb\r\nc\n"), (TextList{"a\rb", "c\n"}));
  EXPECT_EQ(split_lines("\x81\r\r\n"), TextList{"\x81\r"});
  // Case folding touches ASCII letters only, and never a match that starts on a trail byte.
  EXPECT_EQ(find_text("\x81"
                      "Aa",
                      "A", 1, true),
            3);
  EXPECT_EQ(find_text_reverse("a\x81"
                              "A",
                              "a", kAll, true),
            1);
  EXPECT_EQ(replace_text("\x81"
                         "aA",
                         "a", "-", 1, kAll, false),
            "\x81"
            "a-");
}

// The whole lines of two texts, side by side, up to the first that differs.
void expect_same_lines(const std::string& got, const std::string& want) {
  TextList a = split_text(got, "\n"), b = split_text(want, "\n");
  ASSERT_EQ(a.size(), b.size());
  for (size_t k = 0; k < a.size(); ++k) {
    ASSERT_EQ(a[k], b[k]) << "line " << k;
  }
}

// The system converter, through UTF-16 (a pair the tables do not serve).
std::string system_gbk_to_utf8(std::string_view s) {
  return convert_charset(convert_charset(s, "GBK", "UTF-16LE"), "UTF-16LE", "UTF-8");
}
std::string system_utf8_to_gbk(std::string_view s) {
  return convert_charset(convert_charset(s, "UTF-8", "UTF-16LE"), "UTF-16LE", "GBK");
}

TEST(Charset, TablesAgreeWithTheSystemConverter) {
  // Every byte and every pair of bytes of GBK, each on a line of its own (LF never is a trail
  // byte, so the lines decode apart).
  std::string gbk_all;
  for (int a = 0; a < 256; ++a) {
    gbk_all += static_cast<char>(a);
    gbk_all += '\n';
    for (int b = 0; b < 256; ++b) {
      if (a < 0x81) continue;
      gbk_all += static_cast<char>(a);
      gbk_all += static_cast<char>(b);
      gbk_all += '\n';
    }
  }
  expect_same_lines(utf8(gbk_all), system_gbk_to_utf8(gbk_all));

  // Every code point of the basic plane, a sample of the others with the tag characters the
  // converter drops, and malformed UTF-8.
  std::string utf8_all;
  auto add = [&utf8_all](char32_t c) {
    if (c >= 0xD800 && c <= 0xDFFF) return;
    std::string one = c < 0x80 ? std::string(1, static_cast<char>(c)) : std::string();
    if (c >= 0x80 && c < 0x800)
      one = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    if (c >= 0x800 && c < 0x10000)
      one = {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
             static_cast<char>(0x80 | (c & 0x3F))};
    if (c >= 0x10000)
      one = {static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
             static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    utf8_all += one + "x\n";
  };
  for (char32_t c = 1; c < 0x10000; ++c) add(c);
  for (char32_t c = 0x10000; c < 0x110000; c += 0x3F1) add(c);
  for (char32_t c = 0xE0000 - 2; c < 0xE0082; ++c) add(c);
  for (const char* bad :
       {"\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xF0\x80\x80\x80",
        "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xF8\x88\x80\x80\x80", "\xFE", "\xFF",
        "\x80", "\xBF", "\xE4\xB8", "\xE4\x41", "\xE4\xB8\xC0", "\xF0\x9F\x98", "\xC2"})
    utf8_all += std::string(bad) + "\n";
  std::mt19937 rng(936);
  const unsigned char kBytes[] = {'a',  0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC2,
                                  0xDF, 0xE0, 0xE4, 0xED, 0xEF, 0xF0, 0xF4, 0xF5};
  for (int k = 0; k < 2000; ++k) {
    for (unsigned n = rng() % 9; n > 0; --n) utf8_all += static_cast<char>(kBytes[rng() % sizeof kBytes]);
    utf8_all += '\n';
  }
  expect_same_lines(gbk(utf8_all), system_utf8_to_gbk(utf8_all));
  // A truncated sequence at the very end.
  EXPECT_EQ(gbk("a\xE4\xB8"), "a??");
  EXPECT_EQ(gbk("\xEF\xBB\xBF"
                "\xE4\xB8\xAD"),
            gbk("中"));
}

// UTF-8 as UTF-16 (valid UTF-8 only), for the window-side conversion.
std::u16string utf16(std::string_view utf8_text) {
  std::u16string out;
  for (size_t i = 0; i < utf8_text.size();) {
    const auto c = static_cast<unsigned char>(utf8_text[i]);
    const size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    char32_t cp = n == 1 ? c : c & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) cp = cp << 6 | (static_cast<unsigned char>(utf8_text[i + k]) & 0x3F);
    i += n;
    if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

TEST(Charset, Utf16GivesWhatUtf8Gives) {
  // Every character of the basic plane and a sample beyond it, tag characters included, each
  // on a line of its own; then runs long enough to cross the converter's blocks with a pair or
  // a CR LF right on a block boundary.
  std::string all;
  auto add = [&all](char32_t c) {
    std::string bytes;
    detail::append_utf8(bytes, c);
    all += bytes + "x\n";
  };
  for (char32_t c = 1; c < 0x10000; ++c)
    if (c < 0xD800 || c > 0xDFFF) add(c);
  for (char32_t c = 0x10000; c < 0x110000; c += 0x3F1) add(c);
  for (char32_t c = 0xE0000 - 2; c < 0xE0082; ++c) add(c);
  for (size_t shift = 2040; shift < 2056; ++shift) {
    all += std::string(shift, 'a') + "\xF0\x9F\x98\x80中\r\n";
    all += std::string(shift, 'b') + "关键词\r\n\n\r";
  }
  EXPECT_EQ(gbk(utf16(all)), gbk(all));

  struct Case {
    std::u16string in;
    std::string out;  // with every line break made CR LF (GBK)
  };
  const Case cases[] = {
      {u"a\r\nb\rc\nd\r", "a\r\nb\r\nc\r\nd\r\n"},
      {u"\n\n\r\r\n", "\r\n\r\n\r\n\r\n"},
      {u"中\n文", gbk("中\r\n文")},
      // Half a surrogate pair alone is no character; a pair beyond GBK is "?", a tag character
      // nothing.
      {std::u16string{u'a', char16_t(0xD800), u'b', char16_t(0xDC00)}, "a?b?"},
      {std::u16string{char16_t(0xD83D), char16_t(0xDE00), char16_t(0xDB40), char16_t(0xDC41)}, "?"},
      {std::u16string{u'\0', char16_t(0x20AC)}, std::string("\0\x80", 2)},
  };
  for (const Case& c : cases) EXPECT_EQ(gbk_lines(c.in), c.out);
  // A byte-order mark at the start goes, as it goes from UTF-8; one further on is a character
  // GBK lacks.
  EXPECT_EQ(gbk(u"\uFEFFa\uFEFF"), gbk("\xEF\xBB\xBF"
                                       "a\xEF\xBB\xBF"));
  EXPECT_EQ(gbk_lines(u"\uFEFFa\n"), "a\r\n");
}

}  // namespace
}  // namespace tessaly
