// The byte search (patterns matched on the GBK bytes themselves) against the search of the
// subject's Unicode form: the same matches, groups and replacements on subjects full of the bytes
// where the two could part (trail bytes that are ASCII letters or CR, the full-width space, lone
// high bytes, CR without LF).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/patterns/pattern_matcher.h"
#include "core/patterns/pattern_translator.h"
#include "core/text/charset.h"
#include "support/test_support.h"

namespace tessaly {
namespace {

// Everything a search gives: per match each group, then a replacement with every kind of
// reference (which also pins the positions).
std::vector<std::string> outcome(bool unicode, const std::string& pattern, const std::string& subject) {
  PatternMatcher m;
  bool ok = unicode ? detail::search_unicode(m, pattern, subject) : m.search(pattern, subject);
  std::vector<std::string> out = {ok ? "ok" : "invalid", m.error().empty() ? "" : "stopped"};
  for (int i = 1; i <= m.match_count(); ++i)
    for (int j = 0; j <= m.group_count(); ++j) out.push_back(m.group_text(i, j));
  out.push_back(m.replace_all("<$&|$1|$2>"));
  return out;
}

// Patterns the byte search takes, then ones left to the Unicode form.
const char* const kBytePatterns[] = {
    "a", "A+", "[a-z]+", "\\w+", "\\d+", ".", ".+", ".*?a", "<b>(.*?)</b>", "(.*?)A", "\\D+", "\\W", "[^<]+",
    "[^a]", "\\s", "\\S+", "[\\s>/]+", "[^\\s>]+", "[\\s\\S]*?b", "[^\\S]", "[\\S\\d]+", "^(.+)$", "^", "$",
    "^$", "x*", ".{1,3}", "&.{1,8};", "中", "中+", "关键词", "\\u4e2d(.)", "[^]", "[]a", "a|b|", "(?:a.)+",
    "(a)|(b)", "(?=a)", "a(?!a)", "\\x41", "\\101", "\\r\\n|\\r|\\n", "http://([\\w.]+)/",
    "<title>(.*?)</title>", "<script[\\s\\S]*?</script>|<[^>]+>|&.{1,8};", "\\s*([\\s\\S]*?)\\s*(?![\\s\\S])",
    "　", "\\u3000+", "。|，", "[\\d-z]+",
    "乤+",  // 乤 is 81 61: its trail byte is "a"
    // Dot-runs up to a literal that is never a trail byte, taken
    // byte by byte; then runs where that shortcut must not apply.
    "href=\"(.*?)\"", "(.+?)<", "(?:(.*))\\.x", ".*-(\\d+)", "(?<n>.*?)=|\\r", "(?=.*?\")", "(.+?)+\"",
    ".*?\"?a", "(.*?)a"};
const char* const kUnicodePatterns[] = {
    "\\bA", "a\\B", "(a)\\1", "(?<=a)b", "[中文]", "[\\u4e00-\\u9fa5]+", "[^\\u4e00-\\u9fa5]+", "ａ", "Α",
    "€", "[a-\\u00ff]", "[\\s\\u4e00]", "(*UCP)\\w",
    // Ranges with a non-ASCII end, also beside a set that takes every non-ASCII character (the
    // first is reversed and must fail to compile in both forms).
    "[中--\\D]", "[à-é\\W]+",
    // A surrogate escape beside \\S: the Unicode form refuses the pattern.
    "[\\udd02\\S]"};

TEST(PatternByteSearch, TakesThePatternsItCan) {
  for (const char* p : kBytePatterns)
    EXPECT_TRUE(detail::translate_pattern_for_bytes(utf8(gbk(p))).has_value()) << p;
  for (const char* p : kUnicodePatterns)
    EXPECT_FALSE(detail::translate_pattern_for_bytes(utf8(gbk(p))).has_value()) << p;
}

TEST(PatternByteSearch, SameMatchesAsTheUnicodeForm) {
  const std::vector<std::string> kPieces = {"a",
                                            "A",
                                            "b",
                                            "x",
                                            "1",
                                            " ",
                                            "\t",
                                            "\r",
                                            "\n",
                                            "\r\n",
                                            "<",
                                            ">",
                                            "/",
                                            "&",
                                            ";",
                                            ".",
                                            "_",
                                            "-",
                                            gbk("中"),
                                            gbk("文"),
                                            gbk("关键词"),
                                            gbk("　"),
                                            gbk("。"),
                                            "\x81"
                                            "a",
                                            "\x81"
                                            "A",
                                            "\x81\r",
                                            "\x81"
                                            "b",
                                            "\xB0\xA1",
                                            "\xA1",
                                            "\x80",
                                            "\xFF",
                                            "\x81",
                                            "\xAA\xA1",
                                            "<b>",
                                            "</b>",
                                            "http://",
                                            "<title>",
                                            "</title>",
                                            "&nbsp;",
                                            "\"",
                                            "=",
                                            "-",
                                            "\x81\"",
                                            "\xB0\xA1\"",
                                            "href=\""};
  std::mt19937 rng(1717);
  std::vector<std::string> subjects = {"",
                                       "\x81",
                                       "a\x81",
                                       "\x81"
                                       "a",
                                       "\xA1\xA1\xA1",
                                       "\xA1\xA1\xA1\xA1\x81",
                                       "a\rb\r\nc\n"};
  for (int k = 0; k < 300; ++k) {
    std::string s;
    for (unsigned n = rng() % 16; n > 0; --n) s += kPieces[rng() % kPieces.size()];
    subjects.push_back(s);
  }
  for (const char* p : kBytePatterns) {
    const std::string pattern = gbk(p);
    for (const auto& s : subjects)
      ASSERT_EQ(outcome(false, pattern, s), outcome(true, pattern, s))
          << p << " over " << testing::PrintToString(s);
  }
}

TEST(PatternByteSearch, MatchesNeverSplitACharacter) {
  // "\x81" "a" is one character whose trail byte is "a": neither the letter nor a dot-run may
  // take its half, with or without case.
  PatternMatcher m;
  ASSERT_TRUE(m.search("a",
                       "\x81"
                       "a"
                       "\x81"
                       "A"));
  EXPECT_EQ(m.match_count(), 0);
  ASSERT_TRUE(m.search("(.)a",
                       "\x81"
                       "aa"));
  ASSERT_EQ(m.match_count(), 1);
  EXPECT_EQ(m.group_text(1, 1),
            "\x81"
            "a");
  // A Chinese literal is both its bytes with their case: "\x81" "A" is another character.
  ASSERT_TRUE(
      m.search("\x81"
               "a",
               "\x81"
               "A"
               "\x81"
               "a"));
  ASSERT_EQ(m.match_count(), 1);
  EXPECT_EQ(m.replace_all("-"),
            "\x81"
            "A-");
  // The full-width space is \s; the bytes A1 A1 across two characters are not.
  ASSERT_TRUE(m.search("\\s", gbk("a　b") + "\xB0\xA1\xA1"
                                            "b"));
  EXPECT_EQ(m.match_count(), 1);
}

}  // namespace
}  // namespace tessaly
