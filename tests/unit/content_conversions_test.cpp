#include <gtest/gtest.h>

#include "content/conversions.h"
#include "core/text/charset.h"
#include "support/test_support.h"

namespace tessaly {
namespace {

struct ConversionCase {
  Conversion conversion;
  std::string input;   // GBK
  std::string output;  // GBK
};

TEST(Conversions, CharacterTables) {
  const std::vector<ConversionCase> cases = {
      {Conversion::ToFullWidth, "Ab 1~", gbk("Ａｂ　１～")},
      {Conversion::ToHalfWidth, gbk("Ａｂ　１～"), "Ab 1~"},
      {Conversion::ToFullWidth, "$}", gbk("￥｝")},
      // The whole full-width row comes back, including "￥" and "￣", and both stars become "*".
      {Conversion::ToHalfWidth, gbk("￥￣☆★"), "$~**"},
      // Only "，" (A3 AC) is a full-width ASCII form; "。" (A1 A3) stays.
      {Conversion::ToHalfWidth, gbk("，。"), gbk(",。")},
      {Conversion::ToFullWidth, std::string("\x7F\x01", 2), std::string("\x7F\x01", 2)},
      {Conversion::ToUpper, gbk("abc中文ａ"), gbk("ABC中文ａ")},
      {Conversion::ToLower, gbk("ABC中文Ａ"), gbk("abc中文Ａ")},
      // A lead byte 0x81 with the trail byte "a" is one character: the trail byte never changes.
      {Conversion::ToUpper,
       std::string("\x81"
                   "aa"),
       std::string("\x81"
                   "aA")},
      {Conversion::ToTraditional, gbk("简体中文"), gbk("簡體中文")},
      {Conversion::ToSimplified, gbk("簡體中文"), gbk("简体中文")},
      {Conversion::ToTraditional, gbk("站群软件SEO优化"), gbk("站羣軟件SEO優化")},
      {Conversion::ToTraditional, "abc 123", "abc 123"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(convert_line(c.input, c.conversion), c.output)
        << static_cast<int>(c.conversion) << " " << utf8(c.input);
}

TEST(Conversions, ChineseKeepsByteLengthOfEveryLine) {
  ASSERT_TRUE(chinese_tables_loaded());
  // Every GB2312 Chinese character once: each converts to a character of the same width, and
  // the conversion never changes a character into something GBK cannot hold ("?").
  std::string all;
  for (int lead = 0xB0; lead <= 0xF7; ++lead)
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      all += static_cast<char>(lead);
      all += static_cast<char>(trail);
    }
  for (Conversion c : {Conversion::ToTraditional, Conversion::ToSimplified}) {
    std::string out = convert_line(all, c);
    ASSERT_EQ(out.size(), all.size());
    EXPECT_EQ(out.find('?'), std::string::npos);
    for (size_t i = 0; i < out.size(); i += 2) ASSERT_GE(static_cast<unsigned char>(out[i]), 0x81u) << i;
  }
  // Mixed widths: ASCII and double-byte characters keep their places.
  std::string mixed = gbk("a简b体1");
  std::string out = convert_line(mixed, Conversion::ToTraditional);
  EXPECT_EQ(out, gbk("a簡b體1"));
}

TEST(Conversions, LinesAndLineBreaks) {
  // A final CR LF adds no line; a blank line inside stays a blank line.
  EXPECT_EQ(convert_text("ab\r\n\r\ncd\r\n", Conversion::ToUpper), "AB\r\n\r\nCD\r\n");
  EXPECT_EQ(convert_text("ab", Conversion::ToUpper), "AB\r\n");
  EXPECT_EQ(convert_text("", Conversion::ToUpper), "");
  // Blocks are handed on as they fill; together they are the whole result.
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "line\r\n";
  int blocks = 0;
  std::string joined;
  convert_lines(
      text, Conversion::ToUpper, [&](std::string_view b) { ++blocks, joined.append(b); }, 100);
  EXPECT_GT(blocks, 10);
  EXPECT_EQ(joined.size(), text.size());
  EXPECT_EQ(joined.substr(0, 6), "LINE\r\n");
}

}  // namespace
}  // namespace tessaly
