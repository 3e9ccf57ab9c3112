#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "content/pattern_tools.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "support/test_support.h"

namespace tessaly {
namespace {
using test::TempFolder;

const char* const kPattern = "---(.*?)状态:OK---标题：(.*?)_";

std::string report_line(int n, const char* domain, const char* title) {
  return std::to_string(n) + "---" + domain + gbk("状态:OK---标题：") + gbk(title);
}

TEST(PatternTools, GroupsFollowTheMatches) {
  const std::string three = report_line(1, "a.com", "甲站_首页") + "\r\n" +
                            report_line(2, "b.com", "乙站_首页") + "\r\n" +
                            report_line(3, "c.com", "丙站_首页") + "\r\n";
  struct Case {
    std::string source;
    int group;
    std::string expected;
  };
  const std::string second_broken =
      report_line(1, "a.com", "甲站_x") + "\r\n2---b.com nothing\r\n" + report_line(3, "c.com", "丙站_x");
  const std::vector<Case> cases = {
      {three, 1, "a.com\r\nb.com\r\nc.com\r\n"},
      {three, 2, gbk("甲站\r\n乙站\r\n丙站\r\n")},
      {three, 3, "\r\n\r\n\r\n"},
      {second_broken, 1, "a.com\r\nc.com\r\n\r\n"},
  };
  for (const auto& c : cases) {
    GroupMatchResult r = match_groups(gbk(kPattern), c.source, c.group);
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(r.text, c.expected) << c.group;
    EXPECT_EQ(r.lines, 3);
  }
  // Matches beyond the last line are dropped: two matches on one line, one line.
  EXPECT_EQ(match_groups("(\\d)", "1 2", 1).text, "1\r\n");
}

TEST(PatternTools, InvalidPatternGivesNothing) {
  GroupMatchResult r = match_groups("(abc", "abc\r\nabc", 1);
  EXPECT_FALSE(r.valid);
  EXPECT_FALSE(r.error.empty());
  EXPECT_EQ(r.text, "");
}

TEST(PatternTools, SeparateKeywords) {
  EXPECT_EQ(default_keyword_separators(), gbk("，|,|。| |  |    |     |      |        "));
  KeywordResult r = separate_keywords(gbk("A，B, C。A"), default_keyword_separators());
  EXPECT_EQ(r.text, "A\r\nB\r\n\r\nC\r\n");
  EXPECT_EQ(r.kept, 4);
  // Empty separators (a doubled or trailing "|") are ignored; separators never cut a character.
  r = separate_keywords(std::string("x\x81,y,x"), ",||");
  EXPECT_EQ(r.text, std::string("x\x81,y\r\nx\r\n"));
}

TEST(PatternTools, RenameNeverReplacesAFile) {
  TempFolder dir;
  write_file(dir.file("a.txt"), "A");
  write_file(dir.file("b.png"), "B");
  std::filesystem::create_directory(dir.file("sub"));
  write_file(dir.file("sub/c.txt"), "C");
  int last = 0;
  RenameResult r = rename_files({dir.path(), 8, ".jpg"}, [&](int done, int) { last = done; });
  EXPECT_EQ(r.total, 2);
  EXPECT_EQ(r.renamed, 2);
  EXPECT_EQ(last, 2);
  std::set<std::string> contents;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) {
    if (e.is_directory()) continue;
    std::string name = e.path().filename().string();
    EXPECT_TRUE(std::regex_match(name, std::regex("[0-9A-Za-z]{8}\\.jpg"))) << name;
    contents.insert(read_file(e.path().string()));
  }
  EXPECT_EQ(contents, (std::set<std::string>{"A", "B"}));
  EXPECT_TRUE(file_exists(dir.file("sub/c.txt")));  // folders are not entered

  // Names of length 0: every file would become ".jpg"; the first takes it, the rest stay put.
  TempFolder two;
  write_file(two.file("x"), "X");
  write_file(two.file("y"), "Y");
  write_file(two.file(".jpg"), "existing");
  r = rename_files({two.path(), 0, ".jpg"});
  EXPECT_EQ(r.total, 3);
  EXPECT_EQ(r.renamed, 0);
  EXPECT_EQ(read_file(two.file(".jpg")), "existing");
  EXPECT_TRUE(file_exists(two.file("x")));
  EXPECT_TRUE(file_exists(two.file("y")));
}

TEST(PatternTools, RenameRefusesUnusableOptions) {
  TempFolder dir;
  EXPECT_FALSE(rename_options_problem({"", 8, ".jpg"}).empty());
  EXPECT_FALSE(rename_options_problem({dir.file("missing"), 8, ".jpg"}).empty());
  EXPECT_FALSE(rename_options_problem({dir.path(), 8, "/../x"}).empty());
  EXPECT_TRUE(rename_options_problem({dir.path(), 8, ".jpg"}).empty());
}

}  // namespace
}  // namespace tessaly
