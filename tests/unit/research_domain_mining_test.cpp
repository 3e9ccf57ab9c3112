// Domain keyword mining's plain part: rank-page URLs, the download as it goes on the wire, the
// page text, the row and pager patterns, and the worker loop in both depth modes.
#include <gtest/gtest.h>

#include "core/http/cookie_store.h"
#include "core/http/endpoints.h"
#include "core/http/http.h"
#include "core/jobs/job.h"
#include "fakes/aizhan_rank.h"
#include "fakes/fake_server.h"
#include "fakes/sites.h"
#include "research/domain_mining.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::fakes;

namespace {

TEST(ResearchDomainMining, RankPageUrlsNumberEveryPageButTheUnnumberedFirst) {
  set_endpoint_overrides("AIZHAN_BAIDURANK = http://rank.test:82");
  EXPECT_EQ(rank_page_url("a.com", 0), "http://rank.test:82/baidu/a.com/position/");
  EXPECT_EQ(rank_page_url("a.com", 1), "http://rank.test:82/baidu/a.com/1/position/");
  EXPECT_EQ(rank_page_url("www.a.com", 12), "http://rank.test:82/baidu/www.a.com/12/position/");
  EXPECT_EQ(rank_page_url(gbk("中文.com"), 2),
            "http://rank.test:82/baidu/" + gbk("中文.com") + "/2/position/");
  set_endpoint_overrides("");
}

TEST(ResearchDomainMining, DownloadIsAPlainHttp10GetWithTheStoreCookies) {
  cookie_store_clear_all();
  FakeServer server;
  server.handle("GET", "/p", [](const RecordedRequest&, Reply& r) {
    r.body = std::string("a\0b", 3);
    r.set_cookie("seen=1; Path=/");
  });
  ASSERT_TRUE(cookie_store_set(server.base_url(), "login=abc; Path=/"));
  HttpResponse response = http_download(server.base_url() + "/p", kRankPageAgent);
  EXPECT_TRUE(response.ok());
  EXPECT_EQ(response.body, std::string("a\0b", 3));  // the bytes as they came
  auto requests = server.requests("/p");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].header_block, "GET /p HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(server.port()) +
                                          "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"
                                          "\r\nCookie: login=abc\r\nAccept: */*\r\n");
  // The answer's cookie went into the store and travels with the next download.
  http_download(server.base_url() + "/p", kRankPageAgent);
  std::string cookie = server.requests("/p").back().header("Cookie");
  EXPECT_NE(cookie.find("seen=1"), std::string::npos);
  EXPECT_NE(cookie.find("login=abc"), std::string::npos);
  cookie_store_clear_all();
}

TEST(ResearchDomainMining, PageTextIsGbkWithZeroAndSubstituteBytesReplaced) {
  struct Case {
    std::string body, text;
  } cases[] = {
      {"", ""},
      {"plain", "plain"},
      {"中文页面", gbk("中文页面")},
      {std::string("a\0b\x1A"
                   "c",
                   5),
       "a" + gbk("替换") + "b" + gbk("替换") + "c"},
      {std::string("\0\0", 2), gbk("替换替换")},
      {"\xEF\xBB\xBF"
       "bom",
       "bom"},
  };
  for (const auto& c : cases) EXPECT_EQ(rank_page_text(c.body), c.text) << c.body;
}

std::string row(const std::string& url, const std::string& keyword) {
  return "<td class=\"blue t_l word\">\r\n<a rel=\"nofollow\" target=\"_blank\" href=\"" + url + "\">" +
         keyword + "</a></td>";
}
std::string volume(const std::string& base, const std::string& n) {
  return "<a target=\"_blank\" class=\"zhishu\" href=\"" + base + "k/x/\">" + n + "</a>";
}

TEST(ResearchDomainMining, RowsPairKeywordsAndVolumesByPosition) {
  const std::string base = "http://ci.test/";
  struct Case {
    const char* name;
    std::string page;
    std::vector<std::vector<std::string>> rows;  // keyword, url, volume
  } cases[] = {
      {"two rows, two volumes",
       row("http://a.com/1", gbk("词一")) + volume(base, "12") + row("http://a.com/2", gbk("词二")) +
           volume(base, "7"),
       {{gbk("词一"), "http://a.com/1", "12"}, {gbk("词二"), "http://a.com/2", "7"}}},
      {"more rows than volumes",
       row("u1", "k1") + volume(base, "5") + row("u2", "k2") + row("u3", "k3"),
       {{"k1", "u1", "5"}, {"k2", "u2", ""}, {"k3", "u3", ""}}},
      {"a row without its CR LF is no row",
       "<td class=\"blue t_l word\"><a rel=\"nofollow\" target=\"_blank\" href=\"u\">k</a>",
       {}},
      {"tags in any case",
       "<TD CLASS=\"blue t_l word\">\r\n<A REL=\"nofollow\" TARGET=\"_blank\" HREF=\"u\">K</A>",
       {{"K", "u", ""}}},
      {"volume links of another base do not count",
       row("u", "k") + volume("http://other.test/", "9"),
       {{"k", "u", ""}}},
      {"the base's dots match any character",
       row("u", "k") + volume("http://ci-test/", "3"),
       {{"k", "u", "3"}}},
  };
  for (const auto& c : cases) {
    auto found = read_rank_rows(c.page, base);
    ASSERT_EQ(found.size(), c.rows.size()) << c.name;
    for (size_t i = 0; i < found.size(); ++i) {
      EXPECT_EQ(found[i].keyword, c.rows[i][0]) << c.name;
      EXPECT_EQ(found[i].url, c.rows[i][1]) << c.name;
      EXPECT_EQ(found[i].volume, c.rows[i][2]) << c.name;
    }
  }
}

TEST(ResearchDomainMining, PagerLinksAreCountedInTheFirstPagerBlockOnly) {
  struct Case {
    std::string page;
    int links;
  } cases[] = {
      {"", 0},
      {"<div class=\"page\"></div>", 0},
      {"<div class=\"page\"><a href=\"/baidu/a/2/position/\">2</a><a "
       "href=\"/baidu/a/3/position/\">3</a></div>",
       2},
      {"<div class=\"page\"><a href=\"x/position/\">" + gbk("下一页") + "</a></div>",
       1},  // whatever the link says
      {"<a href=\"/position/\">9</a><div class=\"page\"><a href=\"/2/position/\">2</a></div>", 1},
      {"<div class=\"page\">\r\n<a href=\"/2/position/\">2</a></div>", 0},  // the block stays on one line
  };
  for (const auto& c : cases) EXPECT_EQ(rank_pager_links(c.page), c.links) << c.page;
}

struct Collect : DomainMiningSink {
  std::vector<std::pair<long long, RankRow>> rows;
  void rows_found(const std::vector<std::pair<long long, RankRow>>& found) override {
    rows.insert(rows.end(), found.begin(), found.end());
  }
};

class DomainMiningRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    point_endpoints({{"AIZHAN_BAIDURANK", &server}, {"AIZHAN_KEYWORDS", &server}});
    rank.set_site("a.com", {.pages = 5, .rows = 2});
    rank.set_site("b.cn", {.pages = 1, .rows = 3, .volumes = 1});
  }
  void TearDown() override { reset_endpoints(); }
  std::vector<std::string> targets() const {
    std::vector<std::string> out;
    for (const auto& r : server.requests()) out.push_back(r.target);
    return out;
  }

  FakeServer server;
  FakeAizhanRank rank{server, server.base_url() + "/"};
};

TEST_F(DomainMiningRunTest, FixedCountFetchesNumberedPagesAndReadsTheCountForEveryDomain) {
  Collect sink;
  int delays = 0, counts = 0;
  DomainMiningOptions o{.domains = {"a.com", "b.cn"},
                        .all_pages = false,
                        .page_count = [&] { return ++counts == 1 ? 3 : 1; },
                        .delay_ms = [&] { return ++delays, 0; }};
  long long before = next_rank_row_id();
  mine_domain_keywords(o, sink);
  EXPECT_EQ(targets(), (std::vector<std::string>{"/baidu/a.com/1/position/", "/baidu/a.com/2/position/",
                                                 "/baidu/a.com/3/position/", "/baidu/b.cn/1/position/"}));
  EXPECT_EQ(counts, 2);
  EXPECT_EQ(delays, 4);  // once per page
  ASSERT_EQ(sink.rows.size(), 9u);
  for (size_t i = 0; i < sink.rows.size(); ++i)
    EXPECT_EQ(sink.rows[i].first, before + 1 + static_cast<long long>(i));
  EXPECT_EQ(sink.rows[0].second.keyword, gbk(FakeAizhanRank::keyword("a.com", 1, 1)));
  EXPECT_EQ(sink.rows[0].second.url, FakeAizhanRank::url("a.com", 1, 1));
  EXPECT_EQ(sink.rows[5].second.volume, FakeAizhanRank::volume(3, 2));
  EXPECT_EQ(sink.rows[6].second.volume, FakeAizhanRank::volume(1, 1));
  EXPECT_EQ(sink.rows[7].second.volume, "");  // b.cn shows one volume link for three rows
}

TEST_F(DomainMiningRunTest, AllPagesFetchesTheUnnumberedFirstPageAndOneMoreThanThePagerLinks) {
  Collect sink;
  DomainMiningOptions o{
      .domains = {"a.com", "b.cn", "unknown.org"}, .all_pages = true, .delay_ms = [] { return 0; }};
  mine_domain_keywords(o, sink);
  EXPECT_EQ(targets(), (std::vector<std::string>{"/baidu/a.com/position/", "/baidu/a.com/2/position/",
                                                 "/baidu/a.com/3/position/", "/baidu/a.com/4/position/",
                                                 "/baidu/a.com/5/position/", "/baidu/b.cn/position/",
                                                 "/baidu/unknown.org/position/"}));
  EXPECT_EQ(sink.rows.size(), 5u * 2 + 3);
}

TEST_F(DomainMiningRunTest, ZeroPagesOrAFailedDownloadGiveNoRowsAndTheRunGoesOn) {
  Collect sink;
  DomainMiningOptions o{.domains = {"a.com"}, .page_count = [] { return 0; }};
  mine_domain_keywords(o, sink);
  EXPECT_EQ(server.request_count(), 0u);
  set_endpoint_overrides("AIZHAN_BAIDURANK = http://127.0.0.1:" + std::to_string(unused_port()) +
                         "\nAIZHAN_KEYWORDS = " + server.base_url());
  o.all_pages = true;
  o.domains = {"a.com", "b.cn"};
  mine_domain_keywords(o, sink);
  EXPECT_TRUE(sink.rows.empty());
}

}  // namespace
