// tessaly-cli's text tools: input in GBK or UTF-8, output in each form, the vocabulary from the
// program's own lists, and the rewriter's three steps in a program folder.
#include <gtest/gtest.h>

#include "cli/cli_runner.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::test;
using Lines = std::vector<std::string>;

TEST(CliText, GbkAndUtf8InputGiveTheSameLines) {
  const std::string utf8_input = "北京市\n北京\r\n北京市\n\nabc\n";
  for (const std::string& input :
       {utf8_input, convert_charset(utf8_input, "UTF-8", "GBK"), "\xEF\xBB\xBF" + utf8_input}) {
    CliResult r = run_cli({"dedupe"}, with_input(input));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.lines(), (Lines{"北京市", "北京", "", "abc"}));
  }
  CliResult utf16 = run_cli({"dedupe"}, with_input("\xFF\xFE"
                                                   "a\0b\0"));
  EXPECT_EQ(utf16.status, 2);
  EXPECT_NE(utf16.err.find("UTF-16"), std::string::npos);
}

TEST(CliText, EachToolOnItsOwnInput) {
  struct Case {
    std::vector<std::string> args;
    std::string input;
    Lines out;
  } cases[] = {
      {{"trim"}, "  a b  \n\n　c　d　\n", {"ab", "c　d"}},
      {{"pinyin"}, "泛站推广，SEO\n", {"fanzhantuiguangSEO"}},
      {{"pinyin", "--form", "initials"}, "泛站推广\n", {"fztg"}},
      {{"convert", "--to", "full"}, "Ab 1~\n", {"Ａｂ　１～"}},
      {{"convert", "--to", "traditional"}, "简体中文\n", {"簡體中文"}},
      {{"convert", "--to", "upper"}, "abc中文ａ\n", {"ABC中文ａ"}},
      {{"take", "--left", "_"}, "abc_1_2\nxyz\n", {"abc", ""}},
      {{"take", "--right", "_"}, "abc_1_2\n", {"2"}},
      {{"suffix", "--suffix", "-站群"}, "a\nb\n", {"a-站群", "b-站群"}},
      {{"dedupe", "--format", "jsonl"}, "a\"b\na\"b\n", {R"({"line":"a\"b"})"}},
      {{"trim", "--format", "csv"}, "a,b\n", {"line", "\"a,b\""}},
  };
  for (const Case& c : cases) {
    CliResult r = run_cli(c.args, with_input(c.input));
    EXPECT_EQ(r.status, 0) << c.args[0] << ": " << r.err;
    EXPECT_EQ(r.lines(), c.out) << c.args[0];
  }
}

TEST(CliText, ShuffleKeepsEveryLineAndJoinPairsTwoFiles) {
  CliResult shuffled = run_cli({"shuffle"}, with_input("a\nb\nc\nd\n"));
  Lines lines = shuffled.lines();
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(run_cli({"shuffle", "--seed", "7"}, with_input("a\nb\nc\nd\n")).out,
            run_cli({"shuffle", "--seed", "7"}, with_input("a\nb\nc\nd\n")).out);

  TempFolder folder;
  write_file(folder.file("first.txt"), "www.a.com\r\nwww.b.com\r\n");
  write_file(folder.file("second.txt"), gbk("百度\r\n搜搜\r\n网易\r\n"));  // GBK
  CliResult joined =
      run_cli({"join", "--separator", "+", folder.file("first.txt"), folder.file("second.txt")});
  EXPECT_EQ(joined.status, 0) << joined.err;
  EXPECT_EQ(joined.lines(), (Lines{"www.a.com+百度", "www.b.com+搜搜"}));
  EXPECT_EQ(run_cli({"join", folder.file("first.txt")}).status, 2);
}

TEST(CliVocabulary, ThePagesListsByDefaultAndFilesWhenGiven) {
  CliResult all = run_cli({"vocabulary"});
  EXPECT_EQ(all.status, 0) << all.err;
  Lines lines = all.lines();
  ASSERT_EQ(lines.size(), 782u);  // F1 510, F3 170, F4 102
  EXPECT_EQ(lines.front(), "北京代建站群");
  EXPECT_EQ(lines[510], "北京代建");
  EXPECT_EQ(lines.back(), "澳门软件");

  TempFolder folder;
  write_file(folder.file("middles.txt"), "x\r\ny\r\n");
  CliResult cities =
      run_cli({"vocabulary", "--use", "cities,middles", "--middles", folder.file("middles.txt")});
  EXPECT_EQ(cities.lines().size(), 2393u * 2);
  EXPECT_EQ(cities.lines().front(), "北京市x");
  CliResult random = run_cli({"vocabulary", "--random", "5", "--use", "provinces,endings"});
  EXPECT_EQ(random.lines().size(), 5u);
  EXPECT_EQ(run_cli({"vocabulary", "--use", "towns"}).status, 2);
}

TEST(CliRewriter, TheThreeStepsInTheProgramFolder) {
  TempFolder program;
  const std::string folder = join_path(program.path(), "伪原创生成配置");
  CliResult missing = run_cli({"rewrite-process"}, in_folder(program.path()));
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("伪原创生成配置"), std::string::npos) << missing.err;

  ASSERT_TRUE(make_dir(folder));
  write_file(join_path(folder, "伪原创词表.txt"), gbk("美丽||漂亮\r\n坏行\r\n快乐||高兴\r\n"));
  write_file(join_path(folder, "替换表.txt"), gbk("。||。换行符\r\n"));
  std::string source;
  for (int i = 0; i < 60; ++i) source += gbk("美丽的花。快乐的人。\r\n");
  write_file(join_path(folder, "原文本.txt"), source);

  CliResult replaced = run_cli({"rewrite-replace"}, in_folder(program.path()));
  EXPECT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_EQ(replaced.lines(),
            (Lines{"1---美丽---漂亮---共替换60次", "3---快乐---高兴---共替换60次", "替换完毕"}));

  CliResult processed = run_cli({"rewrite-process", "--format", "csv"}, in_folder(program.path()));
  EXPECT_EQ(processed.status, 0) << processed.err;
  ASSERT_EQ(processed.lines().size(), 2u);
  EXPECT_EQ(processed.lines()[0], "chunks,elapsed_ms");
  EXPECT_TRUE(utf8(read_file(join_path(folder, "生成文本.txt"))).starts_with("漂亮的花。\r\n高兴的人。\r\n"));

  CliResult split = run_cli({"rewrite-split", "--lines", "50"}, in_folder(program.path()));
  EXPECT_EQ(split.status, 0) << split.err;
  EXPECT_EQ(split.lines(), (Lines{"已全部完成"}));
  EXPECT_TRUE(file_exists(join_path(folder, "yuanchuangku/3.txt")));  // 120 lines, 50 a file
  EXPECT_FALSE(file_exists(join_path(folder, "yuanchuangku/4.txt")));
}
