// The inclusion query's plain part: URLs, count capture, the worker loop and the export text.
#include <gtest/gtest.h>

#include "core/http/endpoints.h"
#include "core/patterns/pattern_matcher.h"
#include "fakes/baidu_search.h"
#include "fakes/fake_server.h"
#include "research/inclusion.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::research;
using tessaly::test::g;

namespace {

TEST(ResearchInclusion, QueryUrlsEncodeSiteSearchesAndSendTheQuotedDomainRaw) {
  set_endpoint_overrides("BAIDU_WEB_SEARCH = http://search.test:81");
  const std::string domain = g("中文站.com");  // GBK D6 D0 CE C4 D5 BE
  EXPECT_EQ(inclusion_query_url(domain, InclusionQuery::Total),
            "http://search.test:81/s?wd=site%3A%E4%B8%AD%E6%96%87%E7%AB%99.com");
  EXPECT_EQ(inclusion_query_url("www.a-b.cn", InclusionQuery::Day),
            "http://search.test:81/s?wd=site%3Awww.a-b.cn&pn=0&lm=1");
  EXPECT_EQ(inclusion_query_url("a_b.cn", InclusionQuery::Week),
            "http://search.test:81/s?wd=site%3Aa%5Fb.cn&pn=0&lm=7");
  EXPECT_EQ(inclusion_query_url(domain, InclusionQuery::Links),
            "http://search.test:81/s?wd=\"" + domain + "\"");
  set_endpoint_overrides("");
}

TEST(ResearchInclusion, CountIsTheCapturedTextOrNothing) {
  PatternMatcher m;
  const std::string site_page = g("<div>百度为您找到相关结果数约1,230个</div>");
  const std::string links_page = g("<div>百度为您找到相关结果约 98 个</div>");
  EXPECT_EQ(inclusion_count(m, site_page, InclusionQuery::Total), g("约1,230"));
  EXPECT_EQ(inclusion_count(m, site_page, InclusionQuery::Links),
            g("数约1,230"));  // the back-link pattern has no 数
  EXPECT_EQ(inclusion_count(m, links_page, InclusionQuery::Week), "");
  EXPECT_EQ(inclusion_count(m, links_page, InclusionQuery::Links), g("约 98 "));
  EXPECT_EQ(inclusion_count(m, "", InclusionQuery::Day), "");
  EXPECT_EQ(inclusion_count(m, g("找到相关结果数个"), InclusionQuery::Total), "");  // an empty capture
}

struct RecordingSink : InclusionSink {
  std::vector<std::string> events;
  void row_started(int position, const Text& domain) override {
    events.push_back(std::to_string(position) + " " + domain);
  }
  void count_found(int position, int column, const Text& count, ItemOutcome outcome) override {
    events.push_back(std::to_string(position) + ":" + std::to_string(column) + "=" + count +
                     (outcome == ItemOutcome::Result  ? ""
                      : outcome == ItemOutcome::Empty ? " empty"
                                                      : " ?"));
  }
};

TEST(ResearchInclusion, RunQueriesEveryDomainInOrder) {
  fakes::FakeServer server;
  fakes::FakeBaiduSearch baidu(server);
  baidu.set_site("a.com", {"1", "2", "3", "4"});
  fakes::point_endpoints({{"BAIDU_WEB_SEARCH", &server}});
  RecordingSink sink;
  run_inclusion_query({.domains = {"a.com", "none.cn"}, .query_wait_ms = 0, .domain_wait_ms = 0}, sink);
  std::vector<std::string> expected = {"1 a.com",     "1:2=1",      "1:3=2",       "1:4=3",
                                       "1:5=4",       "2 none.cn",  "2:2=0 empty", "2:3=0 empty",
                                       "2:4=0 empty", "2:5=0 empty"};
  EXPECT_EQ(sink.events, expected);
  EXPECT_EQ(server.request_count(), 8u);
  fakes::reset_endpoints();
}

TEST(ResearchInclusion, ExportLinesAreNumberedFromOne) {
  EXPECT_EQ(inclusion_export_text({}), "");
  std::vector<InclusionRow> rows = {{"a.com", "1", "2", "3", "4"}, {"", "0", "0", "0", "0"}};
  EXPECT_EQ(inclusion_export_text(rows),
            g("1---域名：a.com---总收录：1---24小时收录：2---一周收录：3---百度反链：4\r\n"
              "2---域名：---总收录：0---24小时收录：0---一周收录：0---百度反链：0\r\n"));
}

}  // namespace
