#include <gtest/gtest.h>

#include <regex>

#include "core/text/line_output.h"
#include "core/text/text.h"
#include "domains/label_generators.h"
#include "support/test_support.h"

namespace tessaly {
namespace {

TextList random_lines(const RandomLabelOptions& o) {
  TextOutput out;
  generate_random_labels(o, out.out());
  return split_lines(out.text());
}

TextList pinyin_lines(const PinyinLabelOptions& o) {
  TextOutput out;
  generate_pinyin_labels(o, out.out());
  return split_lines(out.text());
}

TEST(RandomLabels, SequentialAndMixedModes) {
  RandomLabelOptions o;
  o.domains = {"d1.com", "d2.net"};
  o.count = 2;
  o.length = 5;
  o.affix = "bbs";
  o.kind = LabelKind::Letters;
  const std::regex sub("bbs[a-z]{5}\\.(d1\\.com|d2\\.net)");

  o.mode = GenerationMode::Sequential;
  TextList seq = random_lines(o);
  ASSERT_EQ(seq.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_TRUE(std::regex_match(seq[i], sub)) << seq[i];
    EXPECT_EQ(seq[i].substr(8), i < 2 ? ".d1.com" : ".d2.net");  // grouped by domain
  }

  o.mode = GenerationMode::Mixed;
  TextList mixed = random_lines(o);
  ASSERT_EQ(mixed.size(), 4u);
  const char* domains[] = {".d1.com", ".d2.net", ".d1.com", ".d2.net"};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_TRUE(std::regex_match(mixed[i], sub)) << mixed[i];
    EXPECT_EQ(mixed[i].substr(8), domains[i]);
  }
  // Each round applies one label to every domain.
  EXPECT_EQ(mixed[0].substr(0, 8), mixed[1].substr(0, 8));
  EXPECT_EQ(mixed[2].substr(0, 8), mixed[3].substr(0, 8));
}

TEST(RandomLabels, DirectoryLinesCarryTheSuffixAfterTheLabel) {
  RandomLabelOptions o;
  o.domains = {"d1.com", "d2.net"};
  o.count = 3;
  o.length = 3;
  o.affix = ".html";
  o.kind = LabelKind::Digits;
  o.form = UrlForm::Directory;
  TextList lines = random_lines(o);
  ASSERT_EQ(lines.size(), 6u);
  for (size_t i = 0; i < 6; ++i)
    EXPECT_TRUE(std::regex_match(lines[i],
                                 std::regex(i < 3 ? "d1\\.com/[0-9]{3}\\.html" : "d2\\.net/[0-9]{3}\\.html")))
        << lines[i];
}

TEST(RandomLabels, KindsLengthsAndCounts) {
  struct Case {
    LabelKind kind;
    const char* alphabet;
  };
  const Case cases[] = {
      {LabelKind::LettersAndDigits, "[0-9a-z]"}, {LabelKind::Letters, "[a-z]"}, {LabelKind::Digits, "[0-9]"}};
  for (const auto& c : cases) {
    for (int length : {1, 8, 40}) {
      std::regex shape(std::string(c.alphabet) + "{" + std::to_string(length) + "}");
      for (int i = 0; i < 50; ++i) {
        std::string label = random_label(c.kind, length);
        ASSERT_TRUE(std::regex_match(label, shape)) << label;
      }
    }
  }
  // Mixed labels hold both letters and digits across many draws.
  std::string many;
  for (int i = 0; i < 200; ++i) many += random_label(LabelKind::LettersAndDigits, 5);
  EXPECT_NE(many.find_first_of("0123456789"), std::string::npos);
  EXPECT_NE(many.find_first_of("abcdefghijklmnopqrstuvwxyz"), std::string::npos);

  RandomLabelOptions o;
  o.domains = {"d1.com"};
  o.affix = "bbs";
  o.length = 0;  // empty or non-numeric length: empty labels
  o.count = 2;
  EXPECT_EQ(random_lines(o), (TextList{"bbs.d1.com", "bbs.d1.com"}));
  o.count = 0;  // non-numeric count: no lines
  EXPECT_TRUE(random_lines(o).empty());
  o.count = 5;
  o.domains.clear();
  o.mode = GenerationMode::Mixed;
  EXPECT_TRUE(random_lines(o).empty());
}

TEST(PinyinLabels, FirstLettersWalkBytePairs) {
  struct Case {
    const char* text;
    const char* initials;
  };
  const Case cases[] = {
      {"站群软件", "zqrj"}, {"泛解析站群", "fjxzq"}, {"泛站推广", "fztg"},
      {"安", "a"},       // no initial consonant: the first vowel
      {"a站群", "j"},    // one ASCII byte shifts the walk: D5BE C8BA read as BEC8 ("救")
      {"ab站群", "zq"},  // an even number of ASCII bytes keeps it aligned
      {"Corvane站群", "j"}, {"站群2014", "zq"},      {"", ""},
      {"abc", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(pinyin_initials(gbk(c.text)), c.initials) << c.text;
}

TEST(PinyinLabels, FullPinyin) {
  struct Case {
    const char* text;
    const char* label;
  };
  const Case cases[] = {
      {"站群软件", "zhanqunruanjian"},
      {"站群2014", "zhanqun2014"},
      {"SEO站群", "SEOzhanqun"},  // letters keep their case
      {"Ａ站１", "Azhan1"},       // full-width letters and digits come out in half width
      {"绿 女", "lv nv"},         // a space stays a space; u-umlaut is v
  };
  for (const auto& c : cases) EXPECT_EQ(full_pinyin_label(gbk(c.text)), c.label) << c.text;
}

TEST(PinyinLabels, OrderOfModesAndForms) {
  PinyinLabelOptions o;
  o.keywords = {gbk("泛站推广"), gbk("站群")};
  o.domains = {"d1.com", "d2.net"};
  o.mode = GenerationMode::Sequential;
  EXPECT_EQ(pinyin_lines(o), (TextList{"fztg.d1.com", "zq.d1.com", "fztg.d2.net", "zq.d2.net"}));
  o.mode = GenerationMode::Mixed;
  EXPECT_EQ(pinyin_lines(o), (TextList{"fztg.d1.com", "fztg.d2.net", "zq.d1.com", "zq.d2.net"}));
  o.form = UrlForm::Directory;
  o.full_pinyin = true;
  EXPECT_EQ(pinyin_lines(o), (TextList{"d1.com/fanzhantuiguang", "d2.net/fanzhantuiguang", "d1.com/zhanqun",
                                       "d2.net/zhanqun"}));
  o.keywords.clear();
  EXPECT_TRUE(pinyin_lines(o).empty());
}

TEST(PinyinLabels, DefaultKeywords) {
  const TextList& k = default_pinyin_keywords();
  ASSERT_EQ(k.size(), 23u);
  EXPECT_EQ(k.front(), gbk("Corvane站群"));
  EXPECT_EQ(k[3], gbk("泛站群推广"));
  EXPECT_EQ(k.back(), gbk("站群教程"));
}

}  // namespace
}  // namespace tessaly
