// Domain information query's plain part: page and decoded texts, the whois and IP patterns, the
// whois worker's retries against the fake Chinaz pages, and the export texts.
#include <gtest/gtest.h>

#include "core/http/endpoints.h"
#include "core/patterns/pattern_matcher.h"
#include "domains/domain_info.h"
#include "fakes/chinaz.h"
#include "fakes/fake_server.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::domains;
using namespace tessaly::fakes;
using tessaly::test::g;

namespace {

TEST(DomainsDomainInfo, UrlsCarryTheDomainAsTyped) {
  set_endpoint_overrides("CHINAZ_WHOIS = http://whois.test\nCHINAZ_IP = http://ip.test:8080");
  EXPECT_EQ(whois_url("a.com"), "http://whois.test/?Domain=a.com&isforceupdate=1");
  EXPECT_EQ(whois_url(g("中文.cn")), "http://whois.test/?Domain=" + g("中文.cn") + "&isforceupdate=1");
  EXPECT_EQ(ip_page_url("a b"), "http://ip.test:8080/?IP=a b");
  set_endpoint_overrides("");
}

TEST(DomainsDomainInfo, PageTextStopsAtZeroAndDecodedTextDecodesPercentsThenUtf8) {
  EXPECT_EQ(info_page_text(std::string("ab\0cd", 5)), "ab");
  struct Case {
    std::string page, decoded;
  } cases[] = {
      {"plain", "plain"},
      {"%E6%B3%A8%E5%86%8C", g("注册")},
      {"注册商：x", g("注册商：x")},  // raw UTF-8 reads as UTF-8 too
      {"a%2Db%2db", "a-b-b"},         // any case of hex digits
      {"100%", "100%"},
      {"%zz%4", "%zz%4"},
  };
  for (const auto& c : cases) EXPECT_EQ(info_decoded_text(c.page), c.decoded) << c.page;
  EXPECT_TRUE(has_whois_marker("x<div class=\"div_whois\">y"));
  EXPECT_FALSE(has_whois_marker("<div id=\"whoisinfo\" class=\"div_whois\">"));
  EXPECT_FALSE(has_whois_marker("<DIV class=\"div_whois\">"));
}

std::string whois_block(const std::string& fields_utf8) {
  return g("<div id=\"whoisinfo\" class=\"div_whois\">" + fields_utf8 + "</div>");
}

TEST(DomainsDomainInfo, WhoisFieldsOrNotRegistered) {
  struct Case {
    const char* name;
    std::string text;
    WhoisOutcome outcome;
    std::array<std::string, 6> fields;
  } cases[] = {
      {"registered",
       whois_block("注册商：Reg Inc.<br/>域名服务器：ns1.x.com<br/>DNS服务器：dns1.x.com<br/>状态：ok<br/>"
                   "更新时间：2024年01月02日<br/>创建时间：2000年03月04日<br/>过期时间：2030年05月06日<br/>"),
       WhoisOutcome::Registered,
       {"Reg Inc.", "ns1.x.com", "dns1.x.com", g("2024年01月02日"), g("2000年03月04日"),
        g("2030年05月06日")}},
      {"empty fields",
       whois_block("注册商：<br/>域名服务器：<br/>DNS服务器：<br/><br/>更新时间：<br/>创建时间：<br/"
                   ">过期时间：<br/>"),
       WhoisOutcome::Registered,
       {}},
      {"a block without the fields cannot be read",
       g("<div class=\"div_whois\">注册商：x</div>"),
       WhoisOutcome::Unreadable,
       {}},
      {"not registered", g("<div class=\"div_whois\">该域名未被注册</div>"), WhoisOutcome::Unregistered, {}},
  };
  PatternMatcher matcher;
  for (const auto& c : cases) {
    WhoisResult r = read_whois(matcher, c.text);
    EXPECT_EQ(r.outcome, c.outcome) << c.name;
    for (size_t j = 0; j < 6; ++j) EXPECT_EQ(r.fields[j], c.fields[j]) << c.name << " field " << j;
  }
}

TEST(DomainsDomainInfo, IpIsTheFirstResult) {
  EXPECT_EQ(read_ip_address(g("查询结果[1]: 1.2.3.4 ==>> 1.2.3.4 查询结果[2]: 5.6.7.8 ==>>")), "1.2.3.4");
  EXPECT_EQ(read_ip_address(g("查询结果[1]:  ==>>")), "");
  EXPECT_EQ(read_ip_address(g("查询结果[2]: 5.6.7.8 ==>>")), "");
  EXPECT_EQ(read_ip_address(""), "");
}

struct Recorder : WhoisSink {
  std::vector<std::string> statuses;
  std::map<int, DomainInfoRow> rows;
  std::map<int, ItemOutcome> outcomes;
  void status(const Text& line) override { statuses.push_back(line); }
  void write_row(int index, const DomainInfoRow& row, ItemOutcome outcome) override {
    rows[index] = row;
    outcomes[index] = outcome;
  }
};

class WhoisRunTest : public ::testing::Test {
 protected:
  void SetUp() override { point_endpoints({{"CHINAZ_WHOIS", &server}, {"CHINAZ_IP", &server}}); }
  void TearDown() override { reset_endpoints(); }
  FakeServer server;
  FakeChinaz chinaz{server};
};

TEST_F(WhoisRunTest, RegisteredUnregisteredAndLatePagesInLineOrder) {
  chinaz.set_whois("a.com", {.registrar = "Reg-A",
                             .name_servers = "ns.a",
                             .dns_servers = "dns.a",
                             .updated = "2024-01-02",
                             .created = "2001-02-03",
                             .expires = "2030-04-05"});
  chinaz.set_whois("late.com", {.registrar = "注册商B", .missing = 2});
  Recorder sink;
  int delays = 0;
  WhoisOptions o{.domains = {"a.com", "free.cn", "late.com"},
                 .delay_ms = [&] { return ++delays, 0; },
                 .retry_pause_ms = 1};
  run_whois_query(o, sink);
  EXPECT_EQ(
      sink.statuses,
      (std::vector<std::string>{
          g("正在访问域名-a.com -正在加载中..请勿关闭。\r\n"), g("域名：a.com访问成功。。。\r\n"),
          g("域名：a.com是注册好的域名哦。\r\n"), g("正在访问域名-free.cn -正在加载中..请勿关闭。\r\n"),
          g("域名：free.cn是未注册的域名。\r\n"), g("正在访问域名-late.com -正在加载中..请勿关闭。\r\n"),
          g("域名：late.com访问成功。。。\r\n"), g("域名：late.com是注册好的域名哦。\r\n")}));
  EXPECT_EQ(sink.rows[0],
            (DomainInfoRow{"a.com", "Reg-A", "ns.a", "dns.a", "2024-01-02", "2001-02-03", "2030-04-05"}));
  EXPECT_EQ(sink.rows[1], (DomainInfoRow{"free.cn", g("该域名未被注册"), "", "", "", "", ""}));
  EXPECT_EQ(sink.rows[2][1], g("注册商B"));
  EXPECT_EQ(sink.outcomes, (std::map<int, ItemOutcome>{
                               {0, ItemOutcome::Result}, {1, ItemOutcome::Empty}, {2, ItemOutcome::Result}}));
  EXPECT_EQ(delays, 3);  // once per domain
  EXPECT_EQ(chinaz.whois_requests("late.com"), 3);
  auto first = server.requests("/").front();
  EXPECT_EQ(first.target, "/?Domain=a.com&isforceupdate=1");
  EXPECT_FALSE(first.has_header("Cookie"));
}

TEST_F(WhoisRunTest, APageThatNeverCompletesIsRetriedThreeTimesWithGrowingPausesThenFails) {
  chinaz.set_whois("stuck.com", {.missing = -1});
  chinaz.set_whois("b.com", {.registrar = "R"});
  Recorder sink;
  WhoisOptions o{.domains = {"stuck.com", "b.com"}, .retry_pause_ms = 40};
  auto t0 = std::chrono::steady_clock::now();
  run_whois_query(o, sink);
  auto waited = std::chrono::steady_clock::now() - t0;
  EXPECT_EQ(chinaz.whois_requests("stuck.com"), 4);  // the first request and three retries
  EXPECT_GE(waited, std::chrono::milliseconds(40 + 80 + 120));
  EXPECT_EQ(sink.rows[0], (DomainInfoRow{"stuck.com", g("查询失败"), "", "", "", "", ""}));
  EXPECT_EQ(sink.statuses[1], g("域名：stuck.com查询失败：whois页面重试3次后仍没有结果。\r\n"));
  EXPECT_EQ(sink.rows[1][1], "R");  // and the run went on
  EXPECT_EQ(sink.outcomes[0], ItemOutcome::Failed);
}

// A whois block that holds none of the fields says nothing about the domain: a failed query,
// not a registered domain with empty cells.
TEST_F(WhoisRunTest, AWhoisBlockWithoutItsFieldsIsAFailedQuery) {
  chinaz.set_whois("odd.com", {.unreadable = true});
  Recorder sink;
  run_whois_query({.domains = {"odd.com"}, .retry_pause_ms = 1}, sink);
  EXPECT_EQ(sink.rows[0], (DomainInfoRow{"odd.com", g("查询失败"), "", "", "", "", ""}));
  EXPECT_EQ(sink.outcomes[0], ItemOutcome::Failed);
  EXPECT_EQ(sink.statuses,
            (std::vector<std::string>{g("正在访问域名-odd.com -正在加载中..请勿关闭。\r\n"),
                                      g("域名：odd.com查询失败：whois页面里读不到注册信息。\r\n")}));
}

TEST_F(WhoisRunTest, IpQueryAddsOneRowPerDomainEmptyWhenUnknown) {
  chinaz.set_ip("a.com", "10.0.0.1");
  struct Rows : IpQuerySink {
    std::vector<std::pair<std::string, std::string>> rows;
    std::vector<ItemOutcome> outcomes;
    void add_row(const Text& d, const Text& ip, ItemOutcome outcome) override {
      rows.emplace_back(d, ip);
      outcomes.push_back(outcome);
    }
  } sink;
  run_ip_query({"a.com", "nowhere.cn"}, sink);
  EXPECT_EQ(sink.rows,
            (std::vector<std::pair<std::string, std::string>>{{"a.com", "10.0.0.1"}, {"nowhere.cn", ""}}));
  EXPECT_EQ(sink.outcomes, (std::vector<ItemOutcome>{ItemOutcome::Result, ItemOutcome::Empty}));
  // A lookup that brought no answer shows the failed text, never the empty address of an
  // unknown domain.
  server.stop();
  run_ip_query({"a.com"}, sink);
  EXPECT_EQ(sink.rows.back(), (std::pair<std::string, std::string>{"a.com", g("查询失败")}));
  EXPECT_EQ(sink.outcomes.back(), ItemOutcome::Failed);
  EXPECT_EQ(server.requests("/").front().target, "/?IP=a.com");
}

TEST(DomainsDomainInfo, ExportTexts) {
  std::vector<DomainInfoRow> rows = {
      {"a.com", "Reg", "ns1", "dns1", "u", "c", "e"},
      {"free.cn", g("该域名未被注册"), "", "", "", "", ""},
      {"my-site.com", "1.2.3.4", "", "", "", "", ""},
      {"half.com", "Reg", "", "dns", "", "", ""},
      {},
  };
  EXPECT_EQ(info_export_text(rows, InfoExport::AllRows),
            g("1-域名-a.com-注册商-Reg-域名服务器-ns1-DNS服务器-dns1-更新时间-u-创建时间-c-过期时间-e\r\n"
              "2-域名-free.cn-注册商-该域名未被注册-域名服务器--DNS服务器--更新时间--创建时间--过期时间-\r\n"
              "3-域名-my-site.com-注册商-1.2.3.4-域名服务器--DNS服务器--更新时间--创建时间--过期时间-\r\n"
              "4-域名-half.com-注册商-Reg-域名服务器--DNS服务器-dns-更新时间--创建时间--过期时间-\r\n"
              "5-域名--注册商--域名服务器--DNS服务器--更新时间--创建时间--过期时间-\r\n"));
  // Rows without name and DNS servers give their domain (up to a hyphen in it), others an
  // empty line.
  EXPECT_EQ(info_export_text(rows, InfoExport::ErrorDomains), "\r\nfree.cn\r\nmy\r\n\r\n\r\n");
  EXPECT_EQ(info_export_text(rows, InfoExport::DomainDns),
            g("1-域名-a.com-DNS服务器-dns1\r\n2-域名-free.cn-DNS服务器-\r\n3-域名-my-site.com-DNS服务器-\r\n"
              "4-域名-half.com-DNS服务器-dns\r\n5-域名--DNS服务器-\r\n"));
  EXPECT_EQ(domain_ip_export_text(rows),
            g("a.com-Reg\r\nfree.cn-该域名未被注册\r\nmy-site.com-1.2.3.4\r\nhalf.com-Reg\r\n-\r\n"));
  EXPECT_EQ(info_export_text({}, InfoExport::AllRows), "");
}

}  // namespace
