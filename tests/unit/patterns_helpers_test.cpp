#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <set>
#include <string>
#include <vector>

#include "core/patterns/pinyin.h"
#include "core/patterns/random.h"
#include "core/patterns/web_text.h"
#include "support/test_support.h"

namespace tessaly {
namespace {

TEST(WebText, TextBetween) {
  struct Case {
    const char* text;
    const char* left;
    const char* right;
    int start;
    bool fold;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"<b>一</b><b>二</b>", "<b>", "</b>", 1, false, "一"},
      {"<b>一</b><b>二</b>", "<b>", "</b>", 5, false, "二"},
      {"<B>一</B>", "<b>", "</b>", 1, false, ""},
      {"<B>一</B>", "<b>", "</b>", 1, true, "一"},
      {"ab", "a", "x", 1, false, ""},
      {"ab", "x", "b", 1, false, ""},
      {"a=1;", "a=", ";", 1, false, "1"},
      {"a=;", "a=", ";", 1, false, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(text_between(gbk(c.text), gbk(c.left), gbk(c.right), c.start, c.fold), gbk(c.expected))
        << c.text << " " << c.left << " " << c.right;
}

TEST(WebText, ExtractAllBetween) {
  struct Case {
    const char* text;
    const char* left;
    const char* right;
    std::vector<const char*> expected;
    bool case_sensitive = false;
    int max_length = 0;
    const char* prefix = "";
    const char* suffix = "";
    bool with_left = false, with_right = false;
    int start = 1;
  };
  const std::vector<Case> cases = {
      {"'a','b'", "'", "'", {"a", ",", "b"}},
      // Three quoted words give the words and the separators between them.
      {"'一','二','三'", "'", "'", {"一", ",", "二", ",", "三"}},
      {"<i>x</i><i> y </i><i>　z　</i>", "<i>", "</i>", {"x", "y", "z"}},  // ASCII and full-width spaces
      {"<I>x</I><i>y</i>", "<i>", "</i>", {"x", "y"}},                     // ASCII letters folded
      {"<I>x</I><i>y</i>", "<i>", "</i>", {"y"}, true},
      // An empty value ends the extraction: later values are not looked at.
      {"<i>x</i><i> </i><i>z</i>", "<i>", "</i>", {"x"}},
      {"<i> </i><i>z</i>", "<i>", "</i>", {}},
      {"<i>x</i><i>toolong</i><i>z</i>", "<i>", "</i>", {"x"}, false, 3},
      {"<i>x</i><i>y", "<i>", "</i>", {"x"}},  // a missing right marker ends it
      {"kw:\"a\",kw:\"b\"", "kw:\"", "\"", {"a", "b"}},
      {"<i>x</i>", "<i>", "</i>", {"<i>[x]</i>"}, false, 0, "[", "]", true, true},
      {"<i>x</i>", "<i>", "</i>", {"[x]</i>"}, false, 0, "[", "]", false, true},
      {"<i>x</i><i>y</i>", "<i>", "</i>", {"y"}, false, 0, "", "", false, false, 5},
      {"a<b>c", "", ">", {}},  // empty markers find nothing
      {"a<b>c", "<", "", {}},
      // A trail byte that looks like the marker is no match: 旸 is 95 44 ("D" as its second byte).
      {"旸x旸Dy", "D", "D", {}},
      {"旸Dy旸D", "D", "D", {"y旸"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> out{"stale"};
    int n = extract_all_between(gbk(c.text), gbk(c.left), gbk(c.right), out, c.case_sensitive, c.max_length,
                                gbk(c.prefix), gbk(c.suffix), c.with_left, c.with_right, c.start);
    std::vector<std::string> expected;
    for (const char* e : c.expected) expected.push_back(gbk(e));
    EXPECT_EQ(out, expected) << c.text << " " << c.left << " " << c.right;
    EXPECT_EQ(n, static_cast<int>(expected.size())) << c.text;
  }
}

TEST(WebText, UnixTimeIsRealEpochMilliseconds) {
  long long before = static_cast<long long>(std::time(nullptr)) * 1000;
  std::string ms = unix_time_text();
  long long after = static_cast<long long>(std::time(nullptr)) * 1000 + 1000;
  ASSERT_EQ(ms.size(), 13u);
  ASSERT_TRUE(
      std::all_of(ms.begin(), ms.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }));
  long long value = std::stoll(ms);
  EXPECT_GE(value, before);
  EXPECT_LE(value, after);
  std::string seconds = unix_time_text(true);
  EXPECT_EQ(seconds.size(), 10u);
  EXPECT_NEAR(std::stoll(seconds), value / 1000, 1);
}

TEST(WebText, DateTexts) {
  EXPECT_EQ(date_text({2024, 3, 7}), "2024-03-07");
  EXPECT_EQ(date_text({999, 12, 31}), "0999-12-31");
  struct Case {
    DateParts date;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {{2024, 3, 7, 9, 5, 6}, "2024年3月7日9时5分6秒"}, {{2024, 3, 7, 9, 5, 0}, "2024年3月7日9时5分"},
      {{2024, 3, 7, 9, 0, 0}, "2024年3月7日9时"},       {{2024, 3, 7, 9, 0, 6}, "2024年3月7日9时0分6秒"},
      {{2024, 3, 7, 0, 0, 0}, "2024年3月7日"},          {{2024, 12, 31, 0, 30, 0}, "2024年12月31日0时30分"},
  };
  for (const auto& c : cases) EXPECT_EQ(date_time_text(c.date), gbk(c.expected)) << c.expected;
  DateParts now = local_now();
  EXPECT_GE(now.year, 2024);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12 && now.day >= 1 && now.day <= 31);
}

TEST(Random, Between) {
  EXPECT_EQ(random_between(5, 4), 0);
  EXPECT_EQ(random_between(3, 3), 3);
  std::set<int> seen;
  for (int i = 0; i < 2000; ++i) {
    int v = random_between(-2, 2);
    ASSERT_TRUE(v >= -2 && v <= 2) << v;
    seen.insert(v);
  }
  EXPECT_EQ(seen.size(), 5u);
  // Every digit turns up in a tight loop (the raw counter's low bits can be stuck).
  std::set<int> digits;
  for (int i = 0; i < 2000; ++i) digits.insert(random_between(0, 9));
  EXPECT_EQ(digits.size(), 10u);
  // The widest range does not overflow.
  for (int i = 0; i < 100; ++i) (void)random_between(-2147483647 - 1, 2147483647);
}

TEST(Random, Strings) {
  std::string digits = random_digits(200);
  EXPECT_EQ(digits.size(), 200u);
  EXPECT_TRUE(std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }));
  std::string odd = random_digits(200, Digits::Odd), even = random_digits(200, Digits::Even);
  EXPECT_TRUE(std::all_of(odd.begin(), odd.end(), [](char c) { return (c - '0') % 2 == 1; })) << odd;
  EXPECT_TRUE(std::all_of(even.begin(), even.end(), [](char c) { return (c - '0') % 2 == 0; })) << even;
  std::string alnum = random_alnum(300);
  EXPECT_EQ(alnum.size(), 300u);
  EXPECT_TRUE(std::all_of(alnum.begin(), alnum.end(),
                          [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }));
  std::string lower = random_letters(100), upper = random_letters(100, LetterCase::Upper),
              mixed = random_letters(300, LetterCase::Mixed);
  EXPECT_TRUE(std::all_of(lower.begin(), lower.end(), [](char c) { return c >= 'a' && c <= 'z'; }));
  EXPECT_TRUE(std::all_of(upper.begin(), upper.end(), [](char c) { return c >= 'A' && c <= 'Z'; }));
  EXPECT_TRUE(std::all_of(mixed.begin(), mixed.end(),
                          [](char c) { return std::isalpha(static_cast<unsigned char>(c)); }));
  EXPECT_TRUE(std::any_of(mixed.begin(), mixed.end(), [](char c) { return c >= 'A' && c <= 'Z'; }));
  EXPECT_TRUE(std::any_of(mixed.begin(), mixed.end(), [](char c) { return c >= 'a' && c <= 'z'; }));
  EXPECT_EQ(random_digits(0), "");
  EXPECT_EQ(random_letters(-3), "");
}

TEST(Random, IntBoundsAndSequence) {
  struct Case {
    int min, max, low, high;
  };
  const std::vector<Case> cases = {
      {1, 100000, 1, 32768},  // 15-bit generator: never above min + 32767
      {-5, 3, 0, 3},          // negative bounds count as 0
      {10, 2, 2, 10},         // reversed bounds are swapped
      {-7, -9, 0, 0},        {0, 2147483647, 0, 32767},
  };
  for (const auto& c : cases) {
    for (int i = 0; i < 20000; ++i) {
      int v = random_int(c.min, c.max);
      ASSERT_TRUE(v >= c.low && v <= c.high) << c.min << ".." << c.max << " gave " << v;
    }
  }
  EXPECT_EQ(random_int(7, 7), 7);
  // A seeded generator repeats its sequence; the 15-bit outputs of seed 1 are well known.
  reseed_random(1u);
  std::vector<int> first;
  for (int i = 0; i < 3; ++i) first.push_back(random_int(0, 32767));
  EXPECT_EQ(first, (std::vector<int>{41, 18467, 6334}));
  // Reseeds from the clock within one millisecond still differ.
  std::set<std::vector<int>> sequences;
  for (int k = 0; k < 5; ++k) {
    reseed_random();
    std::vector<int> s;
    for (int i = 0; i < 4; ++i) s.push_back(random_int(0, 32767));
    sequences.insert(s);
  }
  EXPECT_EQ(sequences.size(), 5u);
}

TEST(Pinyin, IsChinese) {
  struct Case {
    const char* text;
    bool expected;
  };
  const std::vector<Case> cases = {
      {"　中", true}, {"a中", false},  {"中", true},  {" 中a", true}, {"", false},
      {"　", false},  {"。中", false}, {"Ａ", false}, {"齄", true},
  };
  for (const auto& c : cases) EXPECT_EQ(is_chinese(gbk(c.text)), c.expected) << c.text;
  EXPECT_FALSE(is_chinese("\xB0"));  // a lone lead byte
}

TEST(Pinyin, WellKnownReadings) {
  struct Case {
    const char* ch;
    const char* full;
    const char* initial;
  };
  const std::vector<Case> cases = {
      {"啊", "a", "a"},     {"安", "an", "an"},     {"爱", "ai", "ai"},    {"二", "er", "er"},
      {"欧", "ou", "ou"},   {"女", "nv", "n"},      {"绿", "lv", "l"},     {"中", "zhong", "zh"},
      {"国", "guo", "g"},   {"吃", "chi", "ch"},    {"上", "shang", "sh"}, {"海", "hai", "h"},
      {"北", "bei", "b"},   {"京", "jing", "j"},    {"广", "guang", "g"},  {"州", "zhou", "zh"},
      {"深", "shen", "sh"}, {"圳", "zhen", "zh"},   {"网", "wang", "w"},   {"站", "zhan", "zh"},
      {"群", "qun", "q"},   {"优", "you", "y"},     {"化", "hua", "h"},    {"词", "ci", "c"},
      {"库", "ku", "k"},    {"热", "re", "r"},      {"笑", "xiao", "x"},   {"怕", "pa", "p"},
      {"门", "men", "m"},   {"饭", "fan", "f"},     {"大", "da", "d"},     {"天", "tian", "t"},
      {"做", "zuo", "z"},   {"双", "shuang", "sh"}, {"齄", "zha", "zh"},   {"鑫", "xin", "x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(pinyin_of(gbk(c.ch)), c.full) << c.ch;
    EXPECT_EQ(pinyin_initial_of(gbk(c.ch)), c.initial) << c.ch;
  }
  EXPECT_EQ(pinyin_of("a"), "");
  EXPECT_EQ(pinyin_of(gbk("。")), "");
  EXPECT_EQ(pinyin_initial_of(""), "");
}

TEST(Pinyin, EveryGb2312CharacterHasASyllable) {
  int count = 0;
  for (int lead = 0xB0; lead <= 0xF7; ++lead) {
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      if (lead == 0xD7 && trail >= 0xFA) continue;  // unassigned
      std::string ch{static_cast<char>(lead), static_cast<char>(trail)};
      std::string syllable = pinyin_of(ch);
      ASSERT_FALSE(syllable.empty()) << std::hex << lead << trail;
      ASSERT_TRUE(std::all_of(syllable.begin(), syllable.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
          << syllable;
      ++count;
    }
  }
  EXPECT_EQ(count, 6763);
}

TEST(Pinyin, ToPinyin) {
  EXPECT_EQ(to_pinyin(gbk("中国")), "zhongguo");
  EXPECT_EQ(to_pinyin(gbk("中国"), true), "zhong guo ");
  EXPECT_EQ(to_pinyin(gbk("ab 女,1")), "ab nv,1");
  EXPECT_EQ(to_pinyin(gbk("Ａ绿。")), gbk("Alv。"));
  // A single-byte character left after the full-width step does not shift the walk.
  EXPECT_EQ(to_pinyin(gbk("a\t安\r\n北")), "a\tan\r\nbei");
  EXPECT_EQ(to_pinyin(""), "");
}

}  // namespace
}  // namespace tessaly
