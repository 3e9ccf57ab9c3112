#include <gtest/gtest.h>

#include "core/text/charset.h"
#include "core/text/files.h"
#include "core/text/text.h"
#include "support/test_support.h"

namespace tessaly {
namespace {

TEST(Text, NeedleNeverMatchesAtTrailByte) {
  // "啊" is B0 A1; "A1B0" would be found straddling two characters by a byte scan.
  std::string two = gbk("啊啊");
  EXPECT_EQ(find_text(two, "\xA1\xB0"), -1);
  EXPECT_EQ(find_text(gbk("阿a"), "a"), 3);
  // "盃" is B1 5C? use a character whose trail byte is an ASCII letter: "癅" is AF 40 in GBK? Use
  // a constructed case: lead 0x81 with trail 'a' (0x61) is one character in GBK.
  std::string with_trail_a = std::string(
                                 "\x81"
                                 "a") +
                             "a";
  EXPECT_EQ(find_text(with_trail_a, "a"), 3);
  EXPECT_EQ(split_text(with_trail_a, "a").size(), 1u);
  EXPECT_EQ(replace_text(with_trail_a, "a", "b", 1, kAll, true), std::string("\x81"
                                                                             "a") +
                                                                     "b");
}

struct SplitCase {
  const char* text;
  const char* delimiter;
  int max_pieces;
  std::vector<std::string> pieces;
};

TEST(Text, SplitRules) {
  const std::vector<SplitCase> cases = {
      {"", ",", kAll, {}},
      {"a,b", ",", kAll, {"a", "b"}},
      {"a,b,", ",", kAll, {"a", "b"}},
      {",a", ",", kAll, {"", "a"}},
      {"a,,b", ",", kAll, {"a", "", "b"}},
      {",", ",", kAll, {""}},
      {"abc", "", kAll, {"abc"}},
      {"a,b,c", ",", 2, {"a", "b"}},
      {"a,b", ",", 0, {}},
      {"\r\n", "\r\n", kAll, {""}},
      {"a\r\n\r\nb\r\n", "\r\n", kAll, {"a", "", "b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(split_text(c.text, c.delimiter, c.max_pieces), c.pieces) << c.text;
  EXPECT_EQ(count_lines("\r\n"), 1);
  EXPECT_EQ(count_lines("a\r\nb\r\n"), 2);
  EXPECT_EQ(count_lines("a\r\n\r\nb"), 3);
  EXPECT_EQ(count_lines(""), 0);
}

TEST(Text, TrimAndNumbers) {
  EXPECT_EQ(trim_both(gbk("　a b\t")), "a b\t");
  EXPECT_EQ(trim_both(gbk("  甲  ")), gbk("甲"));
  EXPECT_EQ(remove_spaces(gbk("a　b c")), "abc");
  EXPECT_EQ(to_int(gbk("１２３")), 123);
  EXPECT_EQ(to_int("12abc"), 12);
  EXPECT_EQ(to_int("abc"), 0);
  EXPECT_EQ(to_int(gbk("　－４２")), -42);
  EXPECT_DOUBLE_EQ(to_double("3.5e2x"), 350.0);
  EXPECT_EQ(to_full_width("a ~"), gbk("ａ　～"));
  EXPECT_EQ(to_half_width(gbk("ａ　～")), "a ~");
  EXPECT_EQ(to_half_width(gbk("￣☆★。")), "~**" + gbk("。"));  // the whole row, the stars; 。 stays
}

TEST(Text, WholeNumberTakesNothingButANumber) {
  const std::vector<std::pair<std::string, std::optional<int>>> cases = {
      {"10", 10},
      {" 7 ", 7},
      {gbk("　１２　"), 12},
      {"0", 0},
      {"2147483647", std::numeric_limits<int>::max()},
      {"2147483648", std::nullopt},
      {"99999999999", std::nullopt},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"abc", std::nullopt},
      {"10abc", std::nullopt},
      {"-3", std::nullopt},
      {"+3", std::nullopt},
      {"1.5", std::nullopt},
      {"1 0", std::nullopt},
  };
  for (const auto& [text, number] : cases) EXPECT_EQ(whole_number(text), number) << text;
}

TEST(Files, MissingFileAndMissingFolder) {
  test::TempFolder dir;
  EXPECT_EQ(read_file(dir.file("missing.txt")), "");
  EXPECT_FALSE(write_file(dir.file("no/such/folder.txt"), "x"));
  EXPECT_TRUE(write_file(dir.file("a.txt"), {"ab", "cd"}));
  EXPECT_EQ(read_file(dir.file("a.txt")), "abcd");
  EXPECT_TRUE(make_dir(dir.file("sub")));
  EXPECT_FALSE(make_dir(dir.file("sub")));
}

TEST(Files, EnsureEmptyFilesMakesWhatIsMissingAndKeepsWhatIsThere) {
  test::TempFolder dir;
  const std::string folder = dir.file("conf");
  EXPECT_TRUE(ensure_empty_files(folder, {"a.txt", "b.txt"}));
  EXPECT_TRUE(file_exists(folder + "/a.txt"));
  EXPECT_TRUE(file_is_empty(folder + "/b.txt"));
  ASSERT_TRUE(write_file(folder + "/a.txt", "mine"));
  EXPECT_TRUE(ensure_empty_files(folder, {"a.txt", "b.txt", "c.txt"}));  // again, one more
  EXPECT_EQ(read_file(folder + "/a.txt"), "mine");
  EXPECT_FALSE(file_is_empty(folder + "/a.txt"));
  EXPECT_TRUE(file_exists(folder + "/c.txt"));
  EXPECT_TRUE(file_is_empty(folder + "/missing.txt"));
  EXPECT_FALSE(ensure_empty_files(dir.file("no/such"), {"a.txt"}));  // the parent is missing
}

TEST(Charset, ConversionRules) {
  EXPECT_EQ(convert_charset("\xEF\xBB\xBF"
                            "abc",
                            "UTF-8", "GBK"),
            "abc");
  EXPECT_EQ(utf8(gbk("中文")), "中文");
  EXPECT_EQ(gbk("a😀b"), "a?b");  // not in GBK
}

TEST(Charset, CodePagesThatGrowTheText) {
  // A page may name any code page; in TSCII one byte 8C is four characters (க்ஷ்), so the
  // decoded text outgrows one unit per byte. Nothing is cut off, and rejected bytes stay "?".
  std::string tamil;
  for (int k = 0; k < 1000; ++k) tamil += "க்ஷ்";
  EXPECT_EQ(convert_charset(std::string(1000, '\x8C'), "TSCII", "UTF-8"), tamil);
  EXPECT_EQ(convert_charset(std::string(300, '\x8C'), "TSCII", "GBK"), std::string(1200, '?'));
  EXPECT_EQ(convert_charset("\xFF"
                            "ab",
                            "UTF-8", "UTF-16LE"),
            std::string("?\0a\0b\0", 6));
}

}  // namespace
}  // namespace tessaly
