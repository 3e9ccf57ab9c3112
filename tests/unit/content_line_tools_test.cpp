#include <gtest/gtest.h>

#include <map>

#include "content/line_tools.h"
#include "core/text/charset.h"
#include "core/text/text.h"
#include "support/test_support.h"

namespace tessaly {
namespace {

std::string collect(const std::function<void(LineOutput&)>& run) {
  std::string text;
  LineOutput out([&](std::string_view block) { text.append(block); }, 16);
  run(out);
  return text;
}

TEST(LineTools, DedupeKeepsFirstOccurrenceInOrder) {
  DedupeResult r = dedupe_lines(gbk("北京市\r\n北京\r\n北京市"));
  EXPECT_EQ(r.text, gbk("北京市\r\n北京\r\n"));
  EXPECT_EQ(r.before, 3);
  EXPECT_EQ(r.after, 2);
  // Three keywords three times with blank lines between the groups: one blank line survives,
  // where it first appeared. The counts are of data: the three keywords the box shows, not the
  // blank line after them.
  r = dedupe_lines("a\r\nb\r\nc\r\n\r\na\r\nb\r\nc\r\n\r\na\r\nb\r\nc\r\n");
  EXPECT_EQ(r.text, "a\r\nb\r\nc\r\n\r\n");
  EXPECT_EQ(r.before, 9);
  EXPECT_EQ(r.after, 3);
  // Lines of spaces are blank too; each kind of blank line is kept once and counted never.
  r = dedupe_lines(gbk("  \r\nx\r\n　\r\n  \r\nx"));
  EXPECT_EQ(r.text, gbk("  \r\nx\r\n　\r\n"));
  EXPECT_EQ(r.before, 2);
  EXPECT_EQ(r.after, 1);
  EXPECT_EQ(data_lines(gbk("a\r\n\r\n 　 \r\nb\r\n")), 2);
  // Byte-exact: case and trailing spaces make lines different.
  EXPECT_EQ(dedupe_lines("a\r\nA\r\na \r\na").text, "a\r\nA\r\na \r\n");
  EXPECT_EQ(dedupe_lines("").after, 0);
}

TEST(LineTools, DedupeLargeListWithProgress) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += std::to_string(i % 30000) + "\r\n";
  int last_done = -1, total = 0, calls = 0;
  DedupeResult r = dedupe_lines(text, [&](int done, int t) { last_done = done, total = t, ++calls; });
  EXPECT_EQ(r.after, 30000);
  EXPECT_EQ(r.text.substr(0, 6), "0\r\n1\r\n");
  EXPECT_EQ(total, 100000);
  EXPECT_EQ(last_done, 100000);
  EXPECT_GT(calls, 3);
}

TEST(LineTools, Pinyin) {
  struct Case {
    PinyinForm form;
    const char* line;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {PinyinForm::FirstLetters, "泛站推广", "fztg"},
      {PinyinForm::FirstLetters, "站群软件", "zqrj"},
      {PinyinForm::FirstLetters, "安", "a"},
      {PinyinForm::FirstLetters, "ab站群", "zq"},  // an even run of ASCII adds nothing
      {PinyinForm::Full, "泛站推广，SEO", "fanzhantuiguangSEO"},
      {PinyinForm::Full, "站群SEO", "zhanqunSEO"},
      {PinyinForm::Full, "女绿", "nvlv"},
      {PinyinForm::Full, "ａ1", "1"},  // full-width letters have no pinyin
  };
  for (const auto& c : cases) {
    std::string line = gbk(c.line);
    EXPECT_EQ(c.form == PinyinForm::Full ? pinyin_full(line) : pinyin_first_letters(line), c.expected)
        << c.line;
  }
  // The byte-pair walk: after one ASCII byte the pairs straddle characters ("a站群" gives "j").
  EXPECT_EQ(pinyin_first_letters(gbk("a站群")), "j");
  EXPECT_EQ(pinyin_lines(gbk("泛站推广\r\n\r\n站群"), PinyinForm::FirstLetters), "fztg\r\n\r\nzq\r\n");
}

TEST(LineTools, Trim) {
  const std::string sample = gbk("  a b  \r\n\r\n　c　d　");
  EXPECT_EQ(trim_lines(sample), gbk("ab\r\nc　d\r\n"));
  EXPECT_EQ(trim_line(gbk(" 　 ")), "");
  EXPECT_EQ(trim_line("x\t y"), "x\ty");  // a tab is no space
  // A trailing A1 A1 that is the trail of one character and the lead of the next is no space.
  std::string tricky = std::string("\x81\xA1\xA1") + "x";
  EXPECT_EQ(trim_line(tricky), tricky);
}

TEST(LineTools, ShuffleWritesEveryLineOnce) {
  // Repeated lines and more lines than a 15-bit generator reaches.
  std::string text;
  std::multiset<std::string> source;
  for (int i = 0; i < 40000; ++i) {
    std::string line = "k" + std::to_string(i % 35000);
    text += line + "\r\n";
    source.insert(line);
  }
  int last_done = 0, total = 0;
  std::string out = shuffle_lines(text, 12345, [&](int d, int t) { last_done = d, total = t; });
  std::multiset<std::string> shuffled;
  for (auto& l : split_lines(out)) shuffled.insert(l);
  EXPECT_EQ(shuffled, source);
  EXPECT_NE(out, text);
  EXPECT_EQ(last_done, 40000);
  EXPECT_EQ(total, 40000);
  EXPECT_EQ(shuffle_lines("", 1), "");
}

TEST(LineTools, ShuffleIsUniform) {
  // Each of the 6 orders of three lines appears about equally often.
  std::map<std::string, int> seen;
  for (std::uint64_t seed = 0; seed < 6000; ++seed) ++seen[shuffle_lines("a\r\nb\r\nc", seed)];
  ASSERT_EQ(seen.size(), 6u);
  for (auto& [order, n] : seen) {
    EXPECT_GT(n, 850) << order;
    EXPECT_LT(n, 1150) << order;
  }
}

TEST(LineTools, SuffixLeftRight) {
  EXPECT_EQ(collect([](LineOutput& out) { append_suffix("a\r\n\r\nb\r\n", "-x", out); }),
            "a-x\r\n-x\r\nb-x\r\n");
  struct Case {
    const char* text;
    const char* separator;
    const char* left;
    const char* right;
  };
  const std::vector<Case> cases = {
      {"abc_1_2", "_", "abc\r\n", "2\r\n"},
      {"xyz", "_", "\r\n", "\r\n"},
      {"a_b\r\nxyz\r\n_c", "_", "a\r\n\r\n\r\n", "b\r\n\r\nc\r\n"},
      {"aXbxc", "x", "aXb\r\n", "c\r\n"},  // case-sensitive
      {"abc", "", "\r\n", "\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(take_left(c.text, c.separator), c.left) << c.text;
    EXPECT_EQ(take_right(c.text, c.separator), c.right) << c.text;
  }
  // Never inside a double-byte character: "\x81_" is one character whose trail byte is "_".
  const std::string hidden = std::string("\x81_") + "a_b";
  EXPECT_EQ(take_left(hidden, "_"), std::string("\x81_") + "a\r\n");
}

TEST(LineTools, JoinStopsAtTheShorterList) {
  struct Case {
    const char* first;
    const char* second;
    const char* expected;
    int written;
  };
  const std::vector<Case> cases = {
      {"a.com\r\nb.com\r\nc.com", "百度\r\n搜搜\r\n网易", "a.com-百度\r\nb.com-搜搜\r\nc.com-网易\r\n", 3},
      {"a\r\nb", "1\r\n2\r\n3", "a-1\r\nb-2\r\n", 2},
      {"a\r\nb\r\nc", "1\r\n2", "a-1\r\nb-2\r\n", 2},
      {"a", "", "", 0},
  };
  for (const auto& c : cases) {
    JoinResult r;
    std::string out = collect([&](LineOutput& w) { r = join_pairs(gbk(c.first), gbk(c.second), "-", w); });
    EXPECT_EQ(out, gbk(c.expected)) << c.first;
    EXPECT_EQ(r.written, c.written) << c.first;
  }
}

}  // namespace
}  // namespace tessaly
