// The banned-word filter's plain part: the search URL, the notice test, one check against the
// fake Baidu search (normal, censored, failed), and the filter with its label.
#include <gtest/gtest.h>

#include "core/http/endpoints.h"
#include "fakes/baidu_search.h"
#include "fakes/fake_server.h"
#include "fakes/faults.h"
#include "research/banned_filter.h"
#include "support/test_support.h"

using namespace tessaly;

namespace {

TEST(ResearchBannedFilter, SearchUrlEncodesTheKeywordAsUtf8) {
  set_endpoint_overrides("BAIDU_WEB_SEARCH = http://search.test:81");
  EXPECT_EQ(banned_search_url(gbk("传奇私服")),
            "http://search.test:81/s?wd=%E4%BC%A0%E5%A5%87%E7%A7%81%E6%9C%8D");
  EXPECT_EQ(banned_search_url("a-b.c d_e"), "http://search.test:81/s?wd=a-b.c%20d%5Fe");
  EXPECT_EQ(banned_search_url(""), "http://search.test:81/s?wd=");
  set_endpoint_overrides("");
}

TEST(ResearchBannedFilter, ThePageIsCensoredWhenItCarriesTheNoticeWithoutItsFullStop) {
  struct Case {
    const char* page;
    bool censored;
  };
  const Case cases[] = {
      {"<div>根据相关法律法规和政策，部分搜索结果未予显示。</div>", true},
      {"根据相关法律法规和政策，部分搜索结果未予显示", true},  // the full stop is not looked for
      {"根据相关法律法规和政策，部分搜索结果", false},
      {"根据相关法律法规和政策,部分搜索结果未予显示", false},  // an ASCII comma is another text
      {"", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(banned_page_status(gbk(c.page)),
              c.censored ? gbk("根据相关法律法规和政策，部分搜索结果未予显示。") : gbk("正常关键词"))
        << c.page;
}

TEST(ResearchBannedFilter, CheckTellsNormalCensoredAndFailedApart) {
  fakes::FakeServer server;
  fakes::FakeBaiduSearch baidu(server);
  baidu.set_keyword("传奇私服", {.censored = true});
  baidu.set_keyword("坏词", {.fails = true});
  fakes::point_endpoints({{"BAIDU_WEB_SEARCH", &server}});
  EXPECT_EQ(check_keyword_banned(gbk("Corvane站群")).status, gbk("正常关键词"));
  EXPECT_EQ(check_keyword_banned(gbk("传奇私服")).status,
            gbk("根据相关法律法规和政策，部分搜索结果未予显示。"));
  EXPECT_EQ(check_keyword_banned(gbk("坏词")).status, gbk("查询失败"));  // an error reply is no results page

  auto requests = server.requests("/s");
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1].target, "/s?wd=%E4%BC%A0%E5%A5%87%E7%A7%81%E6%9C%8D");
  EXPECT_EQ(requests[1].method, "GET");
  EXPECT_FALSE(requests[1].has_header("Cookie"));

  // Nothing listening: the request fails and the keyword could not be checked.
  server.stop();
  EXPECT_EQ(check_keyword_banned("a").status, gbk("查询失败"));
  // Nor is a reply of stray bytes a results page without the notice.
  fakes::FakeServer garbage;
  fakes::answer_with_fault(garbage, fakes::Fault::BadBytes);
  fakes::point_endpoints({{"BAIDU_WEB_SEARCH", &garbage}});
  EXPECT_EQ(check_keyword_banned("a").status, gbk("查询失败"));
  fakes::reset_endpoints();
}

TEST(ResearchBannedFilter, FilterKeepsTheNormalRowsAndCountsTheFailedOnes) {
  const Text normal = gbk("正常关键词"), censored = gbk("根据相关法律法规和政策，部分搜索结果未予显示。"),
             failed = gbk("查询失败");
  struct Case {
    const char* name;
    TextList statuses;
    Text keywords;
    int normal, failed;
    const char* label;
  };
  const TextList keywords = {"a", gbk("天天娱乐城"), "c", "", "e"};
  const Case cases[] = {
      {"complete run",
       {normal, censored, normal, normal, censored},
       "a\r\nc\r\n\r\n",
       3,
       0,
       "一共有5关键词，替换完毕还有3个词"},
      {"during a run", {normal, {}, {}, {}, {}}, "a\r\n", 1, 0, "一共有5关键词，替换完毕还有1个词"},
      {"a failed search",
       {normal, failed, censored, failed, normal},
       "a\r\ne\r\n",
       2,
       2,
       "一共有5关键词，替换完毕还有2个词，查询失败2个"},
      {"nothing checked", {}, "", 0, 0, "一共有5关键词，替换完毕还有0个词"},
  };
  for (const Case& c : cases) {
    BannedFilterResult r = filter_normal_keywords(keywords, c.statuses);
    EXPECT_EQ(r.keywords, c.keywords) << c.name;
    EXPECT_EQ(r.rows, 5) << c.name;
    EXPECT_EQ(r.normal, c.normal) << c.name;
    EXPECT_EQ(r.failed, c.failed) << c.name;
    EXPECT_EQ(banned_filter_label(r), gbk(c.label)) << c.name;
  }
  EXPECT_EQ(banned_filter_label(filter_normal_keywords({}, {})), gbk("一共有0关键词，替换完毕还有0个词"));
}

}  // namespace
