// English word tools' plain part: the punctuation class and what it removes, the character
// split, and the translation request and answer (against the fake service).
#include <gtest/gtest.h>

#include "core/http/endpoints.h"
#include "core/text/charset.h"
#include "fakes/fake_server.h"
#include "fakes/sites.h"
#include "fakes/translate.h"
#include "research/word_tools.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::research;
using namespace tessaly::fakes;
using tessaly::test::g;

namespace {

TEST(ResearchWordTools, PunctuationPatternIsOneClassOfTheListWithItsSeparators) {
  EXPECT_EQ(punctuation_pattern(), g("[\\*|。|，|；|：|？|！|……|—|～|〔|〕|《|》|‘|’|“|”|\\.|,|;|:|\\?|!|…|-|"
                                     "~|\\(|\\)|<|>|'|'|\"|、|{|}|_|=|`|~|@|#|$|%|^|&|\r\n]"));
}

TEST(ResearchWordTools, FilterRemovesTheClassAndFullWidthSpaces) {
  struct Case {
    const char* name;
    std::string in, out;
  } cases[] = {
      {"Chinese punctuation and the line break", g("你好，世界！\r\n再见。"), g("你好世界再见")},
      {"letters and digits stay", g("abc 123，XYZ"), g("abc 123XYZ")},
      {"the bar goes, the hyphen stays", "a|b-c", "ab-c"},
      {"ASCII punctuation", "a.b,c;d:e?f!g(h)i<j>k'l\"m{n}o_p=q`r~s@t#u$v%w^x&y*z",
       "abcdefghijklmnopqrstuvwxyz"},
      {"lone CR and LF are members too", "a\rb\nc", "abc"},
      {"full-width space removed, ASCII space kept", g("甲　乙 丙"), g("甲乙 丙")},
      {"characters outside the list stay", g("【标题】「引号」"), g("【标题】「引号」")},
      {"empty", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(filter_punctuation(c.in), c.out) << c.name;
}

TEST(ResearchWordTools, SplitPutsEveryCharacterOnALineOfItsOwn) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {g("ab你"), g("a\r\nb\r\n你\r\n")},
      {g("Ａ１"), "A\r\n1\r\n"},  // full-width forms become half-width first
      {g("中　文"), g("中\r\n \r\n文\r\n")},
      {"a\r\n", "a\r\n\r\r\n\n\r\n"},  // line breaks are characters as well
      {"x\xB0", "x\r\n\xB0\r\n"},      // a lone lead byte at the end stands alone
      {"", ""},
  };
  for (const auto& c : cases) {
    TextOutput out;
    split_characters(c.in, out.out());
    EXPECT_EQ(out.text(), c.out) << c.in;
  }
}

TEST(ResearchWordTools, RequestBodyAndAnswerLines) {
  EXPECT_EQ(translation_request_body(g("你好\r\na-b.c d")),
            "from=zh&to=en&query=%E4%BD%A0%E5%A5%BD%0D%0Aa-b.c%20d&transtype=trans");
  EXPECT_EQ(translation_request_body(""), "from=zh&to=en&query=&transtype=trans");

  int count = -1;
  EXPECT_EQ(
      translation_lines("{\"data\":[{\"dst\":\"Hello\",\"src\":\"x\"},{\"dst\":\"it\\u0027s\"}]}", &count),
      "Hello\r\nit\\u0027s\r\n");  // escapes stay as they stand
  EXPECT_EQ(count, 2);
  EXPECT_EQ(translation_lines("{\"DST\":\"case\"}"), "case\r\n");
  EXPECT_EQ(translation_lines("{\"dst\":\"\"}", &count), "\r\n");
  EXPECT_EQ(count, 1);
  EXPECT_EQ(translation_lines("{\"error\":1}", &count), "");
  EXPECT_EQ(count, 0);
}

class TranslateTest : public ::testing::Test {
 protected:
  void SetUp() override { point_endpoints({{"BAIDU_TRANSLATE", &server}}); }
  void TearDown() override { reset_endpoints(); }
  FakeServer server;
  FakeTranslate translate{server};
};

TEST_F(TranslateTest, OnePostForTheWholeTextAndOneLinePerAnswer) {
  translate.add_word("你", "you");
  translate.add_word("好", "good");
  TranslationResult r = translate_text(g("你\r\n好\r\n"));
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.lines, "you\r\ngood\r\n");
  auto requests = server.requests("/v2transapi");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].body, "from=zh&to=en&query=%E4%BD%A0%0D%0A%E5%A5%BD%0D%0A&transtype=trans");
  EXPECT_FALSE(requests[0].has_header("Cookie"));
}

TEST_F(TranslateTest, FailuresAreReportedNotTurnedIntoAnEmptyResult) {
  translate.set_mode(FakeTranslate::Mode::ServerError);
  TranslationResult r = translate_text(g("你"));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.outcome, ItemOutcome::Failed);
  EXPECT_EQ(r.reason, g("翻译请求失败：服务器回答HTTP 500"));

  translate.set_mode(FakeTranslate::Mode::NoTranslation);
  r = translate_text(g("你"));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.reason, g("翻译服务没有返回译文"));
  // An empty text still goes out, and an answer without translations is then no failure.
  r = translate_text("");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.outcome, ItemOutcome::Empty);
  EXPECT_EQ(r.lines, "");
  EXPECT_EQ(server.requests("/v2transapi").back().body, "from=zh&to=en&query=&transtype=trans");

  set_endpoint_overrides("BAIDU_TRANSLATE = http://127.0.0.1:" + std::to_string(unused_port()));
  r = translate_text(g("你"));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.reason.rfind(g("翻译请求失败："), 0), 0u);
}

}  // namespace
