#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/patterns/pattern_matcher.h"
#include "core/patterns/web_text.h"
#include "support/test_support.h"

namespace tessaly {
namespace {

// All matches of a search: for each match, the whole match and its groups (UTF-8 texts).
std::vector<std::vector<std::string>> all_matches(const std::string& pattern_utf8,
                                                  const std::string& subject_utf8) {
  PatternMatcher m;
  EXPECT_TRUE(m.search(gbk(pattern_utf8), gbk(subject_utf8))) << pattern_utf8 << ": " << m.error();
  std::vector<std::vector<std::string>> out;
  for (int i = 1; i <= m.match_count(); ++i) {
    std::vector<std::string> groups;
    for (int j = 0; j <= m.group_count(); ++j) groups.push_back(m.group_text(i, j));
    out.push_back(groups);
  }
  return out;
}

struct MatchCase {
  const char* pattern;
  const char* subject;
  std::vector<std::vector<std::string>> expected;  // UTF-8; converted to GBK for comparison
};

TEST(PatternMatcher, DialectAndFlags) {
  const std::vector<MatchCase> cases = {
      {"(\\d+)", "a1b22", {{"1", "1"}, {"22", "22"}}},
      // Case-insensitive.
      {"<TITLE>(.*?)</TITLE>", "<title>首页</title>", {{"<title>首页</title>", "首页"}}},
      // The lazy dot never crosses a line break; [\s\S]*? does.
      {"<p>(.*?)</p>", "<p>a\r\nb</p>", {}},
      {"<p>([\\s\\S]*?)</p>", "<p>a\r\nb</p>", {{"<p>a\r\nb</p>", "a\r\nb"}}},
      {"a.b", "a\nb a\rb", {}},
      // Multi-line anchors at CR LF line breaks.
      {"^(\\w+)$", "one\r\ntwo\r\n", {{"one", "one"}, {"two", "two"}}},
      // A Chinese character is one character.
      {"[\\u4e00-\\u9fa5]+", "ab中文cd汉字", {{"中文"}, {"汉字"}}},
      {".{1,8}", "一二三四五六七八九十", {{"一二三四五六七八"}, {"九十"}}},
      {"\\u4E2D(.)", "中国", {{"中国", "国"}}},
      // \s takes the full-width space as ECMAScript does; \d and \w stay ASCII.
      {"a\\sb", "a　b", {{"a　b"}}},
      {"\\d+", "１２3", {{"3"}}},
      {"\\w+", "中ab_1文", {{"ab_1"}}},
      {"[^\\s]+", "x　y", {{"x"}, {"y"}}},
      {"[\\S]+", "x　y", {{"x"}, {"y"}}},
      {"[a\\S]+", "x　y", {{"x"}, {"y"}}},
      // Look-ahead; alternation; empty and negated empty classes.
      {"\\w+(?=\\.com)", "a.com b.net c.com", {{"a"}, {"c"}}},
      {"cat|dog", "dog cat", {{"dog"}, {"cat"}}},
      {"a[]", "a", {}},
      {"a[^]b", "a\nb", {{"a\nb"}}},
      // Empty matches advance one character; they are matches too.
      {"x*", "ab", {{""}, {""}, {""}}},
      {"中*", "中a", {{"中"}, {""}, {""}}},
      // Escapes of letters without a meaning stand for the letter; [[:alpha:]] is no POSIX set.
      {"\\q\\A", "qa", {{"qa"}}},
      {"[[:a]+", "[a:", {{"[a:"}}},
      // A back-reference to a missing group is an octal escape; an unset group matches empty.
      {"(a)\\1", "aa", {{"aa", "a"}}},
      {"a\\2", "a\x02", {{"a\x02"}}},
      {"(?:(x)|y)\\1z", "yz", {{"yz", ""}}},
      // Class escape next to a dash: the dash is literal.
      {"[\\d-z]+", "1-z", {{"1-z"}}},
      // Groups before the match start (a look-behind) map back as well.
      {"(?<=(中.))x", "中1x中2x", {{"x", "中1"}, {"x", "中2"}}},
  };
  for (const auto& c : cases) {
    auto got = all_matches(c.pattern, c.subject);
    std::vector<std::vector<std::string>> want;
    for (const auto& m : c.expected) {
      std::vector<std::string> row;
      for (const auto& s : m) row.push_back(gbk(s));
      want.push_back(row);
    }
    // Compare only the groups the case lists.
    ASSERT_EQ(got.size(), want.size()) << c.pattern << " over " << c.subject;
    for (size_t i = 0; i < got.size(); ++i)
      for (size_t j = 0; j < want[i].size(); ++j)
        EXPECT_EQ(got[i].at(j), want[i][j]) << c.pattern << " match " << i + 1 << " group " << j;
  }
}

TEST(PatternMatcher, GroupsOutOfRangeAreEmpty) {
  PatternMatcher m;
  ASSERT_TRUE(m.search("(\\d+)", "a1b22"));
  EXPECT_EQ(m.match_count(), 2);
  EXPECT_EQ(m.group_text(2, 1), "22");
  EXPECT_EQ(m.group_text(3, 1), "");
  EXPECT_EQ(m.group_text(1, 2), "");
  EXPECT_EQ(m.group_text(0, 1), "");
  EXPECT_EQ(m.group_text(-1, -1), "");
}

TEST(PatternMatcher, InvalidPatternHoldsNoMatches) {
  // "[\xFF--\\D]": a byte that does not decode stands for U+FFFD, so the range is reversed.
  for (const char* bad : {"(", "a)", "[z-a]", "*", "a{2,1}", "\\", "(?<=a+)b", "[\xFF--\\D]"}) {
    PatternMatcher m;
    ASSERT_TRUE(m.search("(a)", "a"));
    EXPECT_FALSE(m.search(bad, "aaa")) << bad;
    EXPECT_EQ(m.match_count(), 0) << bad;
    EXPECT_EQ(m.group_text(1, 0), "") << bad;
    EXPECT_FALSE(m.error().empty()) << bad;
    EXPECT_EQ(m.replace_all("x"), "aaa") << bad;
  }
}

TEST(PatternMatcher, ReplaceAllReferences) {
  struct Case {
    const char* pattern;
    const char* subject;
    const char* replacement;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"(\\w+)@(\\w+)", "甲a@b乙c@d", "$2@$1", "甲b@a乙d@c"},
      {"\\d", "a1b2", "[$&]", "a[1]b[2]"},
      {"\\d", "a1", "$$", "a$"},
      {"(\\d)", "a1", "$3$0", "a$3$0"},
      {"(\\d)", "a1", "$10", "a10"},
      {"b", "abc", "$`$'", "aacc"},
      {"x*", "ab", "-", "-a-b-"},
      {"中", "中文中", "", "文"},
      {"nothing", "same", "x", "same"},
  };
  for (const auto& c : cases) {
    PatternMatcher m;
    ASSERT_TRUE(m.search(gbk(c.pattern), gbk(c.subject))) << c.pattern;
    EXPECT_EQ(m.replace_all(gbk(c.replacement)), gbk(c.expected)) << c.pattern << " -> " << c.replacement;
  }
  PatternMatcher twelve;
  ASSERT_TRUE(twelve.search("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)", "abcdefghijkl"));
  EXPECT_EQ(twelve.replace_all("$12$11$1"), "lka");
}

TEST(PatternMatcher, BytesThatDoNotDecodeStayInPlace) {
  // A lone lead byte before ASCII, and a user-defined GBK character: unmatched pieces and
  // groups come back byte for byte.
  std::string subject = std::string("\x81<b>x</b>\xAA\xA1") + gbk("中");
  PatternMatcher m;
  ASSERT_TRUE(m.search("<b>(.*?)</b>(.)", subject));
  ASSERT_EQ(m.match_count(), 1);
  EXPECT_EQ(m.group_text(1, 1), "x");
  EXPECT_EQ(m.group_text(1, 2), "\xAA\xA1");
  EXPECT_EQ(m.replace_all("$1"), std::string("\x81x") + gbk("中"));

  // The single-byte euro sign and a stray 0xFF before the match shift nothing.
  std::string mixed = std::string("\x80\xFF") + gbk("价格") + "\x80" + "12" + gbk("元");
  ASSERT_TRUE(m.search(gbk("€(\\d+)(.)"), mixed));
  ASSERT_EQ(m.match_count(), 1);
  EXPECT_EQ(m.group_text(1, 0),
            "\x80"
            "12" +
                gbk("元"));
  EXPECT_EQ(m.group_text(1, 2), gbk("元"));
  EXPECT_EQ(m.replace_all("[$1]"), std::string("\x80\xFF") + gbk("价格") + "[12]");
}

TEST(PatternMatcher, RunawayBacktrackingEndsTheSearch) {
  std::string subject(40, 'a');
  subject += "!" + std::string("aab");
  PatternMatcher m;
  // The pattern compiled, so search is true; the budget stops the exponential attempt at the
  // first position and the search ends there with a message instead of hanging.
  EXPECT_TRUE(m.search("(a+)+b", subject));
  EXPECT_EQ(m.match_count(), 0);
  EXPECT_FALSE(m.error().empty());
}

TEST(PatternMatcher, AClassWithNonSpaceTakesACharacterOnce) {
  // "\S" inside a class joins the class and the non-space characters; a character both take
  // must not be tried twice, or a repeated class fails a long run in 2^n ways and runs out of
  // budget instead of simply not matching.
  for (bool unicode_form : {false, true}) {
    PatternMatcher m;
    auto search = [&](std::string_view pattern, std::string_view subject) {
      return unicode_form ? detail::search_unicode(m, pattern, subject) : m.search(pattern, subject);
    };
    EXPECT_TRUE(search("[r\\S]+-", "-" + std::string(60, 'r')));  // the "-" only before the run
    EXPECT_EQ(m.match_count(), 0);
    EXPECT_TRUE(m.error().empty()) << m.error();
    ASSERT_TRUE(search("[ \\S]+", "a b\tc"));  // the space from the class, the rest from \S
    ASSERT_EQ(m.match_count(), 2);
    EXPECT_EQ(m.group_text(1, 0), "a b");
    EXPECT_EQ(m.group_text(2, 0), "c");
  }
}

TEST(PatternMatcher, ReusedMatcherAndLargeSubject) {
  std::string subject;
  for (int i = 0; i < 200000; ++i) subject += gbk("第") + std::to_string(i) + gbk("行\r\n");
  PatternMatcher m;
  ASSERT_TRUE(m.search(gbk("第(\\d+)行"), subject));
  ASSERT_EQ(m.match_count(), 200000);
  EXPECT_EQ(m.group_text(123457, 1), "123456");
  ASSERT_TRUE(m.search("^(.+)$", subject));
  ASSERT_EQ(m.match_count(), 200000);
  EXPECT_EQ(m.group_text(200000, 1), gbk("第199999行"));
  ASSERT_TRUE(m.search("nope", "x"));
  EXPECT_EQ(m.match_count(), 0);
}

TEST(PatternMatcher, BorrowedSubjectGivesTheSameResults) {
  const std::string text = gbk("甲a1b22乙\r\nc333");
  PatternMatcher kept, borrowed;
  ASSERT_TRUE(kept.search("(\\d+)", text));
  ASSERT_TRUE(borrowed.search("(x)", "x"));  // a kept subject before is let go
  ASSERT_TRUE(borrowed.search_borrowed("(\\d+)", text));
  ASSERT_EQ(borrowed.match_count(), 3);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(borrowed.group_text(i, 1), kept.group_text(i, 1));
  EXPECT_EQ(borrowed.replace_all("<$1>"), kept.replace_all("<$1>"));
  ASSERT_TRUE(borrowed.search("nothing", "x"));
  EXPECT_EQ(borrowed.replace_all("-"), "x");
  // An empty view without data (an empty mapped file) is an empty subject like any other.
  for (const char* pattern : {"x*", "^$", "@?z*"}) {
    ASSERT_TRUE(borrowed.search_borrowed(pattern, std::string_view())) << pattern;
    EXPECT_EQ(borrowed.match_count(), 1) << pattern;
    EXPECT_EQ(borrowed.error(), "") << pattern;
    EXPECT_EQ(borrowed.replace_all("<$&>"), "<>") << pattern;
  }
}

TEST(WebText, StripHtml) {
  EXPECT_EQ(strip_html(gbk("<p>a&nbsp;b</p><script>x</script>")), "ab");
  EXPECT_EQ(strip_html(gbk("<STYLE>p{}</style>标题<br/>&lt; 正文")), gbk("标题 正文"));
  EXPECT_EQ(strip_html(gbk("<script>\r\nvar a=1;\r\n</script>行")), gbk("行"));
}

}  // namespace
}  // namespace tessaly
