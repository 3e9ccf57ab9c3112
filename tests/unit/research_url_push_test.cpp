// The active URL push's plain part: cleaning the list, site and token, reading the service's
// JSON, and runs against the stateful fake service (batches, statuses, refusals, quota, the
// request as it goes out, the token kept out of every text handed on).
#include <gtest/gtest.h>

#include <map>

#include "core/http/endpoints.h"
#include "core/jobs/job.h"
#include "fakes/baidu_push.h"
#include "fakes/fake_server.h"
#include "research/url_push.h"
#include "support/test_support.h"

using namespace tessaly;
using tessaly::test::gbk_list;

namespace {

const std::string kToken = "T0kenAbc123";

TEST(UrlPush, CleaningKeepsEachHttpUrlOnceAndCountsWhatItLeftOut) {
  const TextList lines = gbk_list({"http://a.com/1", "", "  https://A.com/2\t", "http://a.com/1",
                                   "www.a.com/3", "ftp://a.com/4", "http://", "http:// a.com/5",
                                   "http://a.com:80/6", "http://a.com:8o/7", "HTTP://a.com/中文页面.html",
                                   "http://user@a.com/8", "　", "https://a.com/2", "http://中文.com/9"});
  const PushList list = clean_push_urls(lines);
  EXPECT_EQ(list.urls, gbk_list({"http://a.com/1", "https://A.com/2", "http://a.com:80/6",
                                 "HTTP://a.com/中文页面.html", "http://中文.com/9"}));
  EXPECT_EQ(list.lines, (std::vector<int>{1, 3, 9, 11, 15}));
  EXPECT_EQ(list.blank, 2);  // an empty line and a full-width space
  EXPECT_EQ(list.duplicate, 2);
  EXPECT_EQ(list.not_url, 6);
  EXPECT_EQ(list.left_out(), 10);
  ASSERT_EQ(list.rejected.size(), 6u);
  EXPECT_EQ(list.rejected[0], std::make_pair(5, gbk("www.a.com/3")));
  EXPECT_EQ(list.rejected[3].second, gbk("http:// a.com/5"));
}

TEST(UrlPush, SiteAndTokenAsTheServiceTakesThem) {
  const std::map<std::string, std::string> sites = {
      {"www.example.com", "www.example.com"},
      {" https://www.example.com/ ", "https://www.example.com"},
      {"HTTP://Example.com:8080", "http://Example.com:8080"},
      {"www.example.com/blog", ""},
      {"www.exa mple.com", ""},
      {"https://", ""},
      {"example.com:x", ""},
      {"a.com&token=x", ""},
      {"", ""},
  };
  for (const auto& [typed, site] : sites) EXPECT_EQ(push_site(typed), site) << typed;
  EXPECT_EQ(push_token("  AbC-12_x\r\n"), "AbC-12_x");
  for (const char* bad : {"", "ab cd", "abc&site=x", "tök"}) EXPECT_EQ(push_token(bad), "") << bad;
}

TEST(UrlPush, AnswersOfTheService) {
  const PushAnswer ok = read_push_answer(
      R"( {"remain":4999,"success":2,"not_same_site":["http:\/\/b.com\/x"],)"
      R"("not_valid":["http:\/\/a.com\/\u4e2d\ud83d\ude00",7],"extra":{"deep":[1,{"x":null}]}} )");
  EXPECT_TRUE(ok.accepted());
  EXPECT_EQ(ok.remain, 4999);
  EXPECT_EQ(ok.success, 2);
  EXPECT_EQ(ok.not_same_site, gbk_list({"http://b.com/x"}));
  // U+1F600 has no GBK form: it comes out as "?", and the rest stays readable.
  EXPECT_EQ(ok.not_valid, gbk_list({"http://a.com/中?"}));

  const PushAnswer refused = read_push_answer(R"({"error":401,"message":"token is not valid"})");
  EXPECT_TRUE(refused.object);
  EXPECT_FALSE(refused.accepted());
  EXPECT_EQ(refused.error, 401);
  EXPECT_EQ(refused.message, "token is not valid");

  for (const char* junk : {"", "<html>502 Bad Gateway</html>", R"({"remain":5,"success":)", R"({"a":"\x"})",
                           "[1,2]", R"({"remain":99999999999999999999})"}) {
    const PushAnswer answer = read_push_answer(junk);
    EXPECT_FALSE(answer.object) << junk;
    EXPECT_FALSE(answer.accepted()) << junk;
  }
  EXPECT_FALSE(read_push_answer(R"({"remain":5})").accepted());  // no "success": no verdict
}

TEST(UrlPush, TextsOfTheWindowAndTheCommandLine) {
  EXPECT_EQ(push_summary_text({.pushed = 4000, .remain = 1000}), gbk("成功4000条，今日剩余1000条"));
  EXPECT_EQ(push_summary_text({.pushed = 0, .remain = -1, .blank = 1, .duplicate = 2, .not_url = 3}),
            gbk("成功0条，今日剩余未知，已剔除6行（空行1，重复2，非网址3）"));
  PushedUrl refused{.position = 3,
                    .url = "http://a.com/",
                    .status = PushStatus::Failed,
                    .message = "site error",
                    .why = "HTTP 400: site error"};
  EXPECT_EQ(push_status_cell(refused), gbk("查询失败：site error"));
  EXPECT_EQ(push_result_line(3, refused.url, push_status_cell(refused)),
            gbk("3---http://a.com/---查询失败：site error"));
  EXPECT_EQ(mask_secret("a T0kenAbc123 b T0kenAbc123", kToken), "a ****** b ******");
  EXPECT_EQ(mask_secret("nothing", ""), "nothing");
}

// Records what a run tells its sink.
struct Recorded : PushSink {
  std::vector<PushedUrl> urls;
  std::vector<PushTotals> batches;
  void url_done(const PushedUrl& url) override { urls.push_back(url); }
  void batch_done(const PushTotals& totals) override { batches.push_back(totals); }
  std::string statuses() const {
    std::string out;
    for (const PushedUrl& u : urls) out += std::string(out.empty() ? "" : " ") + push_status_key(u.status);
    return out;
  }
};

class UrlPushRun : public ::testing::Test {
 protected:
  void SetUp() override {
    push.add_site("www.a.com", kToken, 100);
    fakes::point_endpoints({{"BAIDU_PUSH_API", &server}});
  }
  void TearDown() override { fakes::reset_endpoints(); }

  PushResult run(const TextList& lines, int batch_size, std::string token = kToken) {
    PushOptions options{.site = "www.a.com",
                        .token = std::move(token),
                        .list = clean_push_urls(lines),
                        .batch_size = batch_size};
    Job job;
    PushResult result;
    run_job(job, [&] { result = run_url_push(job, options, sink); });
    return result;
  }
  std::string dumps() const {
    std::string out;
    for (const auto& r : server.requests()) out += fakes::FakeBaiduPush::describe(r, kToken) + "\n----\n";
    return out;
  }

  fakes::FakeServer server;
  fakes::FakeBaiduPush push{server};
  Recorded sink;
};

TEST_F(UrlPushRun, BatchesGoOutAsPlainTextPostsAndEachUrlGetsTheServicesVerdict) {
  const PushResult result = run(gbk_list({"http://www.a.com/1", "http://www.b.com/2", "http://intranet/3",
                                          "http://www.a.com/中文", "http://www.a.com/5"}),
                                2);
  EXPECT_EQ(result.end, PushEnd::Done);
  EXPECT_EQ(sink.statuses(), "pushed not same site not valid pushed pushed");
  // The service gave its verdict on every URL, also on those it refused.
  for (const PushedUrl& u : sink.urls) EXPECT_EQ(u.outcome, ItemOutcome::Result) << u.url;
  EXPECT_EQ(result.totals.pushed, 3);
  EXPECT_EQ(result.totals.remain, 97);
  ASSERT_EQ(sink.batches.size(), 3u);
  EXPECT_EQ(sink.batches[0].pushed, 1);
  EXPECT_EQ(sink.batches[0].remain, 99);

  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u) << dumps();
  for (const auto& r : requests) {
    EXPECT_EQ(r.method, "POST") << dumps();
    EXPECT_EQ(r.target, "/urls?site=www.a.com&token=" + kToken) << dumps();
    EXPECT_EQ(r.header("Content-Type"), "text/plain") << dumps();
    EXPECT_FALSE(r.has_header("Cookie")) << dumps();
    EXPECT_FALSE(r.has_header("Referer")) << dumps();
  }
  EXPECT_EQ(requests[0].body, "http://www.a.com/1\nhttp://www.b.com/2");
  EXPECT_EQ(requests[1].body, "http://intranet/3\nhttp://www.a.com/中文");  // UTF-8 on the wire
  EXPECT_EQ(push.pushed("www.a.com"),
            (std::vector<std::string>{"http://www.a.com/1", "http://www.a.com/中文", "http://www.a.com/5"}));
}

// How each kind of answer ends a run of five URLs sent two at a time.
TEST_F(UrlPushRun, RefusalsFailuresAndTheQuota) {
  struct Case {
    const char* name;
    std::function<void(fakes::FakeBaiduPush&)> setup;
    std::string token;
    PushEnd end;
    const char* statuses;
    size_t requests;
    long long unsent;  // the URLs the end message counts as not pushed
    int batch = 2;
  };
  const Case cases[] = {
      {"quota runs out inside the second batch", [](auto& p) { p.add_site("www.a.com", kToken, 3); }, kToken,
       PushEnd::QuotaUsedUp, "pushed pushed pushed quota used up quota used up", 2, 2},
      // Sent three at a time: the last batch is answered, but not all of it is taken.
      {"quota runs out inside the last batch", [](auto& p) { p.add_site("www.a.com", kToken, 4); }, kToken,
       PushEnd::QuotaUsedUp, "pushed pushed pushed pushed quota used up", 2, 1, 3},
      {"quota already used up", [](auto& p) { p.add_site("www.a.com", kToken, 0); }, kToken,
       PushEnd::QuotaUsedUp, "quota used up quota used up quota used up quota used up quota used up", 1, 5},
      {"wrong token", [](auto&) {}, "WrongToken9", PushEnd::Refused, "failed failed failed failed failed", 1,
       5},
      {"server error once, then answers", [](auto& p) { p.refuse_next(1, 500, "internal error"); }, kToken,
       PushEnd::Done, "failed failed pushed pushed pushed", 3, 0},
      {"too many requests every time", [](auto& p) { p.refuse_next(-1, 429, "too many requests"); }, kToken,
       PushEnd::Done, "rate limited rate limited rate limited rate limited rate limited", 3, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    push.add_site("www.a.com", kToken, 100);
    push.refuse_next(0, 0, "");
    c.setup(push);
    server.clear_log();
    sink = Recorded();
    const PushResult result = run(gbk_list({"http://www.a.com/1", "http://www.a.com/2", "http://www.a.com/3",
                                            "http://www.a.com/4", "http://www.a.com/5"}),
                                  c.batch, c.token);
    EXPECT_EQ(result.end, c.end);
    EXPECT_EQ(sink.statuses(), c.statuses);
    EXPECT_EQ(server.request_count(), c.requests) << dumps();
    EXPECT_EQ(result.unsent, c.unsent);
    for (const PushedUrl& u : sink.urls) {
      EXPECT_EQ(u.outcome, u.status == PushStatus::Pushed        ? ItemOutcome::Result
                           : u.status == PushStatus::RateLimited ? ItemOutcome::RateLimited
                                                                 : ItemOutcome::Failed);
      EXPECT_EQ(u.why.find(kToken), std::string::npos);
    }
  }
  // The refusal's message reaches every URL it left unpushed, and the run's end message.
  push.refuse_next(0, 0, "");
  sink = Recorded();
  const PushResult refused =
      run(gbk_list({"http://www.a.com/1", "http://www.a.com/2", "http://www.a.com/3"}), 2, "WrongToken9");
  EXPECT_EQ(refused.unsent, 3);
  EXPECT_EQ(push_status_cell(sink.urls[2]), gbk("查询失败：token is not valid"));
  EXPECT_EQ(sink.urls[2].why, "HTTP 401: token is not valid");
  EXPECT_EQ(push_end_message(refused),
            gbk("推送被拒绝（token is not valid），请检查站点和准入密钥。还有3条网址未推送。"));
}

TEST_F(UrlPushRun, NoAnswerOrAnUnreadableOneFailsTheBatchAndNoTextShowsTheToken) {
  // A service whose messages and pages repeat the request back.
  server.handle("*", "/urls", [](const fakes::RecordedRequest& req, fakes::Reply& reply) {
    reply.content_type = "application/json";
    if (req.body.find("/echo") != std::string::npos) {
      reply.status = 503;
      reply.body = "{\"error\":503,\"message\":\"busy: " + req.target + "\"}";
    } else {
      reply.body = "<html>" + req.target + "</html>";
    }
  });
  run(gbk_list({"http://www.a.com/echo", "http://www.a.com/page"}), 1);
  ASSERT_EQ(sink.urls.size(), 2u);
  EXPECT_EQ(sink.statuses(), "failed failed");
  EXPECT_EQ(sink.urls[0].message, "busy: /urls?site=www.a.com&token=******");
  EXPECT_EQ(sink.urls[1].why, "unreadable answer (HTTP 200)");

  // A request that cannot be made: the reason names the URL, masked.
  set_endpoint_overrides("BAIDU_PUSH_API = http://bad^host");
  sink = Recorded();
  run(gbk_list({"http://www.a.com/1"}), 1);
  ASSERT_EQ(sink.urls.size(), 1u);
  EXPECT_EQ(sink.urls[0].status, PushStatus::Failed);
  EXPECT_EQ(sink.urls[0].why, "unusable URL: http://bad^host/urls?site=www.a.com&token=******");
}

}  // namespace
