// tessaly-cli's research commands against the fake services: the inclusion counts in every
// output form, rate-limited items, Ctrl-C, the banned-word check on several threads, rank pages
// and the keyword miner.
#include <gtest/gtest.h>

#include <signal.h>

#include <thread>

#include "cli/cli_runner.h"
#include "fakes/aizhan_rank.h"
#include "fakes/baidu_search.h"
#include "fakes/fake_server.h"
#include "fakes/rate_limiter.h"
#include "fakes/suggestion_services.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;
using Lines = std::vector<std::string>;

namespace {

class CliInclusion : public ::testing::Test {
 protected:
  void SetUp() override {
    baidu.set_site("a.com", {"1,234", "5", "12", "890"});
    baidu.set_site("b.com", {"7", "0", "1", "3"});
  }
  CliResult inclusion(std::vector<std::string> extra, const std::string& input, CliOptions options = {}) {
    std::vector<std::string> args = {"inclusion", "--delay", "0", "--endpoints", endpoints.path()};
    args.insert(args.end(), extra.begin(), extra.end());
    options.input = input;
    return run_cli(args, options);
  }

  FakeServer server;
  FakeBaiduSearch baidu{server};
  FakeRateLimiter limiter{server};
  EndpointsFile endpoints{{"BAIDU_WEB_SEARCH", &server}};
};

}  // namespace

TEST_F(CliInclusion, TheExportLinesInTextAndOneRecordPerDomainInCsvAndJsonLines) {
  CliResult text = inclusion({}, "a.com\r\nnone.cn\r\n");
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(text.lines(),
            (Lines{"1---域名：a.com---总收录：1,234---24小时收录：5---一周收录：12---百度反链：890",
                   "2---域名：none.cn---总收录：0---24小时收录：0---一周收录：0---百度反链：0"}));
  EXPECT_EQ(server.requests("/s").size(), 8u);  // four queries a domain

  CliResult csv = inclusion({"--format", "csv"}, "a.com\n");
  EXPECT_EQ(csv.lines(), (Lines{"id,domain,total,day,week,links,status", "1,a.com,\"1,234\",5,12,890,ok"}));

  CliResult jsonl = inclusion({"--format", "jsonl"}, "b.com\n");
  EXPECT_EQ(
      jsonl.lines(),
      (Lines{R"({"id":"1","domain":"b.com","total":"7","day":"0","week":"1","links":"3","status":"ok"})"}));

  // GBK output for the program's own files: CR LF and GBK bytes.
  CliResult gbk = inclusion({"--encoding", "gbk"}, "a.com\n");
  EXPECT_EQ(
      gbk.out,
      tessaly::gbk("1---域名：a.com---总收录：1,234---24小时收录：5---一周收录：12---百度反链：890\r\n"));
}

TEST_F(CliInclusion, ARefusedItemIsReportedAsRateLimitedNotCounted) {
  limiter.refuse("a.com", 1, 503, "0");   // once: the retry gets the count
  limiter.refuse("b.com", -1, 429, "0");  // always
  CliResult r = inclusion({"--format", "jsonl", "--retries", "2"}, "a.com\nb.com\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(
      r.lines(),
      (Lines{
          R"({"id":"1","domain":"a.com","total":"1,234","day":"5","week":"12","links":"890","status":"ok"})",
          R"({"id":"2","domain":"b.com","total":"频率受限","day":"频率受限","week":"频率受限","links":"频率受限","status":"rate limited"})"}));
  EXPECT_NE(r.err.find("1 of 2 items failed"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("2 b.com: rate limited (HTTP 429)"), std::string::npos) << r.err;
  EXPECT_EQ(limiter.refused(), 1 + 4 * 3);  // b.com: four queries, each tried three times

  // Without retries a 429 is still a refusal, never a count; a 503 is a failure like any other,
  // shown as a failed query rather than as a count of zero.
  limiter.refuse("c.com", -1, 503, "0");
  CliResult plain = inclusion({"--retries", "0"}, "b.com\nc.com\n");
  EXPECT_EQ(plain.status, 1);
  EXPECT_EQ(plain.lines(),
            (Lines{"1---域名：b.com---总收录：频率受限---24小时收录：频率受限---一周收录：频率受限---"
                   "百度反链：频率受限",
                   "2---域名：c.com---总收录：查询失败---24小时收录：查询失败---一周收录：查询失败---"
                   "百度反链：查询失败"}));
  EXPECT_NE(plain.err.find("1 b.com: rate limited (HTTP 429)"), std::string::npos) << plain.err;
  EXPECT_NE(plain.err.find("2 c.com: failed (HTTP 503)"), std::string::npos) << plain.err;
}

TEST_F(CliInclusion, CtrlCStopsAtTheNextCheckpointKeepingWholeLines) {
  server.handle("GET", "/s", [](const RecordedRequest& req, Reply& reply) {
    if (req.param("wd").find("slow.com") != std::string::npos) {
      reply.hang = true;
      return;
    }
    reply.content_type = "text/html; charset=utf-8";
    // Three pages for each of the four queries: the site counts and the back links.
    reply.body = baidu_page(req.param("wd").starts_with("site:") ? "找到相关结果数约3个"
                                                                 : "百度为您找到相关结果约3个");
  });
  CliOptions options;
  options.while_running = [&](int pid) {
    server.wait_for_requests(5, 20'000);  // a.com's four, and the first of slow.com
    ::kill(pid, SIGINT);
  };
  auto start = std::chrono::steady_clock::now();
  CliResult r = inclusion({}, "a.com\nslow.com\nc.com\n", options);
  EXPECT_EQ(r.status, 130);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(r.lines(),
            (Lines{"1---域名：a.com---总收录：约3---24小时收录：约3---一周收录：约3---百度反链：约3"}));
  EXPECT_NE(r.err.find("stopped"), std::string::npos);
  EXPECT_EQ(server.requests("/s").size(), 5u);  // nothing after the stop
}

TEST_F(CliInclusion, BadUsageSaysWhatIsWrongWithStatusTwo) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"inclusion", "--delay", "soon"}, "--delay takes a whole number"},
      {{"inclusion", "--threads", "3"}, "unknown option --threads"},
      {{"inclusion", "--endpoints", "/nonexistent/endpoints.conf"}, "cannot read the endpoints file"},
      {{"inclusion", "--format", "xml"}, "--format takes one of text, csv, jsonl"},
      {{"inclusion", "/nonexistent/domains.txt"}, "cannot read /nonexistent/domains.txt"},
      {{"inclusion", "/"}, "cannot read /: is a directory"},  // not an empty input
      {{"inklusion"}, "unknown command \"inklusion\""},
  };
  for (const Case& c : cases) {
    CliResult r = run_cli(c.args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
  }
}

TEST(CliBanned, RowsInListOrderFromSeveralThreadsAndTheFilter) {
  FakeServer server;
  FakeBaiduSearch baidu(server);
  // Held until a second search runs beside it, so it ends after the rows below it.
  baidu.set_keyword("传奇私服", {.censored = true, .held = true});
  baidu.set_keyword("坏词", {.fails = true});
  EndpointsFile endpoints({{"BAIDU_WEB_SEARCH", &server}});
  const std::string input = "Corvane站群\n传奇私服\n坏词\n天天娱乐城\n";

  std::thread releaser([&baidu] {
    baidu.wait_for_held_keyword_beside(2, 20000);
    baidu.release_keywords();
  });
  CliResult r = run_cli({"banned", "--threads", "3", "--retries", "0", "--endpoints", endpoints.path()},
                        with_input(input));
  releaser.join();
  baidu.set_keyword("传奇私服", {.censored = true});  // the runs below search it without a hold
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.lines(), (Lines{"1---Corvane站群---正常关键词",
                              "2---传奇私服---根据相关法律法规和政策，部分搜索结果未予显示。",
                              "3---坏词---查询失败", "4---天天娱乐城---正常关键词"}));
  EXPECT_NE(r.err.find("3 坏词: failed (HTTP 503)"), std::string::npos) << r.err;
  EXPECT_GE(baidu.peak_keyword_searches(), 2);

  CliResult normal = run_cli({"banned", "--normal-only", "--retries", "0", "--endpoints", endpoints.path()},
                             with_input(input));
  EXPECT_EQ(normal.lines(), (Lines{"Corvane站群", "天天娱乐城"}));
  CliResult csv = run_cli({"banned", "--format", "csv", "--retries", "0", "--endpoints", endpoints.path()},
                          with_input("传奇私服\n坏词\n"));
  EXPECT_EQ(csv.lines(), (Lines{"id,keyword,censored,status", "1,传奇私服,yes,ok", "2,坏词,,failed"}));
}

TEST(CliRank, RowsOfEveryPageWithTheirDomain) {
  FakeServer server;
  FakeAizhanRank rank(server, server.base_url() + "/");
  rank.set_site("a.com", {.pages = 3, .rows = 2});
  EndpointsFile endpoints({{"AIZHAN_BAIDURANK", &server}, {"AIZHAN_KEYWORDS", &server}});
  CliResult r =
      run_cli({"rank", "--pages", "2", "--delay", "0", "--format", "csv", "--endpoints", endpoints.path()},
              with_input("a.com\n"));
  EXPECT_EQ(r.status, 0) << r.err;
  Lines expected = {"id,domain,keyword,url,volume"};
  int id = 0;
  for (int page = 1; page <= 2; ++page)
    for (int i = 1; i <= 2; ++i)
      expected.push_back(std::to_string(++id) + ",a.com," + FakeAizhanRank::keyword("a.com", page, i) + "," +
                         FakeAizhanRank::url("a.com", page, i) + "," + FakeAizhanRank::volume(page, i));
  EXPECT_EQ(r.lines(), expected);
  EXPECT_EQ(server.requests().size(), 2u);
}

TEST(CliMiner, KeywordsOfTheChosenSourcesOncePerSeed) {
  FakeServer server;
  FakeSuggestionServices services(server);
  services.bing.set("减肥", {"减肥方法", "减肥茶", "减肥方法"});
  services.so360.set("减肥", {"减肥茶", "健身"});
  EndpointsFile endpoints({{"BING_HOME", &server}, {"BING_SUGGEST", &server}, {"SO360_SUGGEST", &server}});
  CliResult r = run_cli({"miner", "--seed", "减肥", "--sources", "bing,360", "--must-contain", "--format",
                         "csv", "--endpoints", endpoints.path()});
  EXPECT_EQ(r.status, 0) << r.err;
  Lines lines = r.lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "seed,keyword");
  Lines keywords(lines.begin() + 1, lines.end());
  std::sort(keywords.begin(), keywords.end());
  EXPECT_EQ(keywords, (Lines{"减肥,减肥方法", "减肥,减肥茶"}));
  EXPECT_TRUE(services.word_library.words().empty());  // not a chosen source
}
