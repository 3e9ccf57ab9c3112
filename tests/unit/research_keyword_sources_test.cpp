// The keyword miner's requests and answer parsing, checked without a network.
#include <gtest/gtest.h>

#include "core/http/endpoints.h"
#include "research/keyword_sources.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::research;
using tessaly::test::g;
using tessaly::test::gl;

namespace {

TEST(KeywordSources, RequestsOnTheConfiguredHosts) {
  set_endpoint_overrides(
      "WORDLIB_SEARCH = http://w.test\nWORDLIB_DATA = http://wd.test\nKANDIANBAO_WAJUE = http://k.test\n"
      "TAOBAO_SUGGEST = http://t.test\nSOGOU_INDEX_SEARCH = http://s.test\nSOGOU_INDEX_HINT = "
      "http://sh.test:8080\n"
      "BING_HOME = http://b.test\nBING_SUGGEST = http://bs.test\nBAIDU_SUGGEST = http://z.test\n"
      "SO360_SUGGEST = http://q.test\nBAIDU_WEB_SEARCH = http://www.test");
  const Text seed = g("减肥 a-b.c_d");  // U keeps letters, digits, "-" and "."; G encodes every byte
  struct Case {
    std::string url;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {keyword_search_url(seed), "http://www.test/s?wd=%E5%87%8F%E8%82%A5%20a-b.c%5Fd"},
      {wordlib_search_url(seed), "http://w.test/s?wd=%E5%87%8F%E8%82%A5%20a-b.c%5Fd&citype=0"},
      {wordlib_data_url(g("减肥's 茶"), "k5Xy", "1700000000123"),
       "http://wd.test/dataprocess.ashx?action=csearch&callback=jQuery110107156980433501303_1406893219390"
       "&kw=%u51CF%u80A5%u2019s%20%u8336&key=k5Xy&from=&_=1700000000123"},
      {kandianbao_url(seed), "http://k.test/wajue/%E5%87%8F%E8%82%A5%20a-b.c%5Fd/"},
      {taobao_suggest_url(g("连衣裙"), "1700000000123", "4821"),
       "http://t.test/sug?code=utf-8&q=%E8%BF%9E%E8%A1%A3%E8%A3%99&_ksTS=1700000000123_4821"
       "&callback=jsonp450&k=1&area=c2c&bucketid=1"},
      {sogou_search_url(g("减肥a")), "http://s.test/sidx?type=0&query=%BC%F5%B7%CA%61&newstype=-1"},
      {sogou_hint_url(g("减肥a"), "2024-02-05", "2024-03-06", "u1x5"),
       "http://sh.test:8080/trend/idx_hint.jsp?ie=utf8&nosplit=1&type=query&query=%E5%87%8F%E8%82%A5a"
       "&fdate=2024-02-05&tdate=2024-03-06&area=&uuid=u1x5&domain=-1"},
      {bing_home_url(), "http://b.test/?scope=web#"},
      {bing_suggest_url(g("减肥"), "IG0"),
       "http://bs.test/AS/Suggestions?pt=page.home&scope=web&qry=%E5%87%8F%E8%82%A5&cp=2&o=hs&cvid=IG0"},
      {zhidao_suggest_url(g("减肥"), "1700000000123"),
       "http://z.test/su?wd=%E5%87%8F%E8%82%A5&prod=zhidao&_=1700000000123"},
      {so360_suggest_url(g("减肥")),
       "http://q.test/"
       "suggest?callback=suggest_so&encodein=utf-8&encodeout=utf-8&format=json&fields=word,obdata"
       "&word=%E5%87%8F%E8%82%A5"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.url, c.expected);
  set_endpoint_overrides("");
}

TEST(KeywordSources, GeneratedValues) {
  // 2024-03-07 01:30 UTC is 09:30 in China; 2024-03-06 20:00 UTC is already the 7th there.
  const long long morning = 1709775000, evening = 1709755200;
  EXPECT_EQ(days_before_text(morning, 0), "2024-03-07");
  EXPECT_EQ(days_before_text(morning, 1), "2024-03-06");
  EXPECT_EQ(days_before_text(morning, 31), "2024-02-05");  // through a leap February
  EXPECT_EQ(days_before_text(evening, 0), "2024-03-07");
  for (int i = 0; i < 200; ++i) {
    std::string r = taobao_random_digits();
    ASSERT_TRUE(r.size() >= 3 && r.size() <= 6) << r;
    ASSERT_EQ(r.find_first_not_of("0123456789"), std::string::npos) << r;
  }
}

TEST(KeywordSources, AnswersAsTheMarkersReadThem) {
  struct Case {
    const char* what;
    TextList got;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"word library entries",
       wordlib_entries(g("<a onclick=\"getdata(this,'减肥茶','12','k1','')\">x</a>"
                         "<a onclick=\"getdata(this,'减肥药','7','k2','')\">y</a>")),
       gl({"'减肥茶','12','k1',", "'减肥药','7','k2',"})},
      {"word library words", wordlib_keywords(g("jQuery1({data:[{kw:\"减肥茶\",n:1},{kw:\"瘦身\",n:2}]})")),
       gl({"减肥茶", "瘦身"})},
      {"kandianbao rows",
       kandianbao_items(
           g("<tbody id=\"result\"><tr class=\"r\">\n<td><b>减肥</b>茶</td><td>9</td>\n<td class=\"n\">"
             "1</td>\n</tr>\n<tr class=\"r\">\n<td>瘦身</td><td>8</td>\n<td class=\"n\">2</td>\n</tr>\n"
             "</tbody><tr class=\"r\">\n<td>outside</td><td>0</td>\n<td ")),
       gl({"<b>减肥</b>茶</td><td>9", "瘦身</td><td>8"})},
      // The last item of the list is read too (its closing bracket is part of the "]]").
      {"taobao list",
       taobao_items(g("jsonp450({\"result\":[[\"减肥茶\",\"51\"],[\"减肥药\",\"7\"]],\"magic\":[]})")),
       gl({"减肥茶\",\"51", "减肥药\",\"7"})},
      {"taobao one item", taobao_items(g("jsonp450({\"result\":[[\"减肥茶\",\"51\"]]})")),
       gl({"减肥茶\",\"51"})},
      {"taobao no list", taobao_items(g("jsonp450({\"result\":[]})")), {}},
      {"sogou hints",
       sogou_hints(g("{\"code\":0,\"data\":[{\"title\":\"减肥\",\"id\":1},{\"title\":\"瘦身\"}]}")),
       gl({"减肥", "瘦身"})},
      {"bing",
       bing_suggestions(g("<li class=\"sa_sg\" query=\"减肥 方法\"><span>x</span></li><li query=\"b\">")),
       gl({"减肥 方法", "b"})},
      // The separator between two suggestions is not one of them.
      {"zhidao",
       zhidao_suggestions(g("window.baidu.sug({q:\"减肥\",p:false,s:[\"减肥茶\",\"减肥药\",\"减肥\"]});")),
       gl({"减肥茶", "减肥药", "减肥"})},
      {"zhidao empty", zhidao_suggestions(g("window.baidu.sug({q:\"x\",p:false,s:[]});")), {}},
      {"360",
       so360_suggestions(g("suggest_so({\"query\":\"a\",\"result\":[{\"word\":\"减肥\",\"obdata\":\"\"}]})")),
       gl({"减肥"})},
      {"360 blank first", so360_suggestions(g("{\"word\":\"\",\"obdata\":\"\"},{\"word\":\"b\"}")), {}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;

  EXPECT_EQ(sogou_uuid(g("<script>var uuid=\"ab-12\";</script>")), "ab-12");
  EXPECT_EQ(bing_ig(g("_G={ST:1,IG:\"5C8A\",EF:{}}")), "5C8A");
  EXPECT_EQ(bing_ig(""), "");
}

TEST(KeywordSources, WordLibraryEntryValues) {
  struct Case {
    const char* entry;
    bool ok;
    const char* value1;
    const char* value5;
  };
  const std::vector<Case> cases = {
      {"'减肥茶','12','k1',", true, "减肥茶", "k1"},
      {"'减肥茶','12','k1','x',", true, "减肥茶", "k1"},
      {"'减肥茶','12',", false, "", ""},     // fewer than five: no value 5
      {"'减肥茶','','k1',", false, "", ""},  // an empty value ends the list early
      {"", false, "", ""},
  };
  for (const auto& c : cases) {
    Text v1, v5;
    EXPECT_EQ(wordlib_entry_values(g(c.entry), v1, v5), c.ok) << c.entry;
    if (c.ok) {
      EXPECT_EQ(v1, g(c.value1));
      EXPECT_EQ(v5, g(c.value5));
    }
  }
}

TEST(KeywordSources, TaobaoKeywordCleaning) {
  struct Case {
    const char* item;
    std::string_view cut;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"<b>减肥</b>茶</td><td>9", kKandianbaoCut, "减肥茶"},
      {"减肥<span class=\"h\">茶</span>&nbsp;</td><td>9</td><td>1", kKandianbaoCut, "减肥茶"},
      {"a\\/b\",\"51", kTaobaoCut, "ab"},
      {"<em>连衣裙<\\/em>\",\"51", kTaobaoCut, "连衣裙"},
      {"no cut here", kTaobaoCut, "no cut here"},
  };
  for (const auto& c : cases) EXPECT_EQ(taobao_keyword(g(c.item), c.cut), g(c.expected)) << c.item;
}

}  // namespace
