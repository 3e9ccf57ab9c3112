// Both request functions against the loopback fake server: what goes on the wire, what comes
// back, cookies, redirects, charsets, certificates, time-outs and stopping.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "core/http/cookie_store.h"
#include "core/http/http.h"
#include "core/http/transport_settings.h"
#include "core/jobs/job.h"
#include "core/text/charset.h"
#include "fakes/fake_server.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::fakes;
using tessaly::test::g;

namespace {

constexpr const char* kForm = "application/x-www-form-urlencoded";

template <class Pred>
bool wait_for(Pred pred, int timeout_ms) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

class HttpRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_transport_settings();
    cookie_store_clear_all();
    server.handle("*", "/page", [](const RecordedRequest&, Reply& r) { r.body = "hello"; });
  }
  void TearDown() override {
    reset_transport_settings();
    cookie_store_clear_all();
  }
  std::string url(const std::string& path) const { return server.base_url() + path; }
  RecordedRequest last() const {
    auto all = server.requests();
    return all.empty() ? RecordedRequest{} : all.back();
  }

  FakeServer server;
};

std::vector<Header> without_host(const RecordedRequest& r) {
  std::vector<Header> out;
  for (const auto& h : r.headers)
    if (h.name != "Host") out.push_back(h);
  return out;
}

TEST_F(HttpRequestTest, GetWithoutHeadersSendsExactlyTheDefaultBlock) {
  HttpResponse response = http_request(url("/page"));
  EXPECT_EQ(response.body, "hello");
  EXPECT_EQ(response.status, 200);
  EXPECT_EQ(response.final_url, url("/page"));
  EXPECT_TRUE(response.ok());
  RecordedRequest r = last();
  std::string expected_block = "GET /page HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) +
                               "\r\nUser-Agent: " + kHttpRequestAgent + "\r\nReferer: " + url("/page") +
                               "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: " + kForm + "\r\n";
  EXPECT_EQ(r.header_block, expected_block);
  EXPECT_EQ(response.sent_headers, "Referer: " + url("/page") +
                                       "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: " + kForm);
}

TEST_F(HttpRequestTest, AgentNamesAndHeaderCompletionOfEachFace) {
  struct Case {
    const char* name;
    std::function<HttpResponse(const std::string&, const HttpOptions&)> request;
    std::string given_headers;
    std::vector<Header> sent;  // after Host
  };
  std::string u = url("/page");
  const Case cases[] = {
      {"bytes, no headers",
       http_request_bytes,
       "",
       {{"User-Agent", kHttpBytesAgent},
        {"Accept", "*/*"},
        {"Accept-Language", "zh-cn"},
        {"Content-Type", kForm}}},
      {"text, own agent and referer",
       http_request,
       "Referer: http://from/\r\nuser-agent:  Spider/2.0 ",
       {{"Referer", "http://from/"},
        {"user-agent", "Spider/2.0"},
        {"Accept", "*/*"},
        {"Accept-Language", "zh-cn"},
        {"Content-Type", kForm}}},
      {"bytes, own accept",
       http_request_bytes,
       "Accept: text/html",
       {{"User-Agent", kHttpBytesAgent},
        {"Accept", "text/html"},
        {"Accept-Language", "zh-cn"},
        {"Content-Type", kForm}}},
      {"winhttp, no headers",
       winhttp_request,
       "",
       {{"Accept", "*/*"},
        {"Accept-Language", "zh-cn"},
        {"User-Agent", kHttpBytesAgent},
        {"Content-Type", kForm}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.request(u, {.headers = c.given_headers}).body, "hello") << c.name;
    EXPECT_EQ(without_host(last()), c.sent) << c.name;
  }
}

TEST_F(HttpRequestTest, WinhttpPutsTheJarFirstAndHandsBackTheCompletedHeaders) {
  std::string jar = "a=1; b=2";
  HttpResponse response = winhttp_request(url("/page"), {.cookie_jar = &jar});
  EXPECT_EQ(response.body, "hello");
  std::vector<Header> sent = {{"Cookie", "a=1; b=2"},
                              {"Accept", "*/*"},
                              {"Accept-Language", "zh-cn"},
                              {"User-Agent", kHttpBytesAgent},
                              {"Content-Type", kForm}};
  EXPECT_EQ(without_host(last()), sent);
  EXPECT_EQ(response.sent_headers, std::string("Accept: */*\r\nAccept-Language: zh-cn\r\nUser-Agent: ") +
                                       kHttpBytesAgent + "\r\nContent-Type: " + kForm);
}

TEST_F(HttpRequestTest, PostSendsTheBytesOrTheText) {
  server.handle("POST", "/form",
                [](const RecordedRequest& r, Reply& reply) { reply.body = "got " + r.body; });
  EXPECT_EQ(http_request(url("/form"), {.method = HttpMethod::Post, .post_text = g("名=值")}).body,
            "got " + g("名=值"));
  EXPECT_EQ(last().method, "POST");
  EXPECT_EQ(last().header("Content-Length"), std::to_string(g("名=值").size()));
  EXPECT_EQ(http_request_bytes(
                url("/form"),
                {.method = HttpMethod::Post, .post_text = "ignored", .post_bytes = std::string("a\0b", 3)})
                .body,
            std::string("got a\0b", 7));
  EXPECT_EQ(winhttp_request(url("/form"), {.method = HttpMethod::Post, .post_text = "x=1"}).body, "got x=1");
  // A GET carries no body.
  EXPECT_EQ(http_request(url("/page"), {.method = HttpMethod::Get, .post_text = "x=1"}).body, "hello");
  EXPECT_EQ(last().method, "GET");
  EXPECT_EQ(last().body, "");
}

TEST_F(HttpRequestTest, Utf8IsConvertedOnlyWhenDeclaredEarlyOrInTheHead) {
  const std::string chinese = "\xE6\x94\xB6\xE5\xBD\x95";  // 收录 in UTF-8
  const std::string early = "<html><head><meta charset=\"utf-8\"></head><body>" + chinese + "</body></html>";
  const std::string late =
      "<html><head>" + std::string(600, ' ') + "<meta charset=\"utf-8\"></head><body>" + chinese + "</body>";
  server.handle("GET", "/early", [&](const RecordedRequest&, Reply& r) { r.body = early; });
  server.handle("GET", "/late", [&](const RecordedRequest&, Reply& r) {
    r.content_type = "text/html";
    r.body = late;
  });
  server.handle("GET", "/head", [&](const RecordedRequest&, Reply& r) {
    r.content_type = "text/html; charset=UTF-8";
    r.body = chinese;
  });
  server.handle("GET", "/zero",
                [&](const RecordedRequest&, Reply& r) { r.body = std::string("abc\0def", 7); });
  EXPECT_EQ(http_request(url("/early")).body, convert_charset(early));
  EXPECT_NE(http_request(url("/early")).body.find(g("收录")), std::string::npos);
  EXPECT_EQ(http_request(url("/late")).body, late);
  EXPECT_EQ(http_request(url("/head")).body, g("收录"));
  EXPECT_EQ(http_request_bytes(url("/head")).body, chinese);  // the bytes face never converts
  EXPECT_EQ(http_request(url("/zero")).body, "abc");
  EXPECT_EQ(http_request_bytes(url("/zero")).body, std::string("abc\0def", 7));
}

TEST_F(HttpRequestTest, RedirectsFollowedUnlessDisabled) {
  server.handle("GET", "/old", [](const RecordedRequest&, Reply& r) {
    r.redirect("/new");
    r.body = "moved";
  });
  server.handle("GET", "/new", [](const RecordedRequest&, Reply& r) { r.body = "new page"; });
  HttpResponse followed = http_request(url("/old"));
  EXPECT_EQ(followed.body, "new page");
  EXPECT_EQ(followed.final_url, url("/new"));
  // No Location in the final answer: the whole head comes back instead.
  EXPECT_EQ(followed.location.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << followed.location;
  EXPECT_EQ(server.requests("/new").size(), 1u);

  server.clear_log();
  HttpResponse moved = http_request(url("/old"), {.no_redirect = true});
  EXPECT_EQ(moved.body, "moved");
  EXPECT_EQ(moved.status, 302);
  EXPECT_EQ(moved.location, "/new");
  EXPECT_EQ(server.requests("/new").size(), 0u);

  HttpResponse head_only = winhttp_request(url("/old"), {.no_redirect = true});
  EXPECT_EQ(head_only.body, "moved");
  EXPECT_NE(head_only.head.find("Location: /new\r\n"), std::string::npos);
  EXPECT_EQ(head_only.head.find("HTTP/1.1"), std::string::npos);  // header lines only
  EXPECT_EQ(winhttp_request(url("/old")).body, "new page");
}

TEST_F(HttpRequestTest, JarsAreSentAndMerged) {
  server.handle("GET", "/login", [](const RecordedRequest&, Reply& r) {
    r.set_cookie("b=3; path=/");
    r.set_cookie("x=deleted; expires=Thu, 01-Jan-1970 00:00:01 GMT");
    r.body = "ok";
  });
  struct Case {
    const char* name;
    std::function<HttpResponse(const std::string&, const HttpOptions&)> request;
  };
  const Case cases[] = {{"text", http_request}, {"bytes", http_request_bytes}, {"winhttp", winhttp_request}};
  for (const auto& c : cases) {
    std::string jar = "a=1; b=2";
    HttpResponse response = c.request(url("/login"), {.cookie_jar = &jar});
    EXPECT_EQ(response.body, "ok") << c.name;
    EXPECT_EQ(last().header("Cookie"), "a=1; b=2") << c.name;
    EXPECT_EQ(response.cookies, "b=3; x=deleted") << c.name;
    EXPECT_EQ(jar, "b=3; a=1") << c.name;
  }
}

TEST_F(HttpRequestTest, SetCookieInAnySpellingAndWithoutAttributes) {
  server.handle("GET", "/lower", [](const RecordedRequest&, Reply& r) {
    r.set_cookie("a=1; path=/", "set-cookie");
    r.set_cookie("c=5", "SET-COOKIE");
    r.body = "ok";
  });
  for (auto request : {winhttp_request, http_request_bytes}) {
    std::string jar = "z=0";
    EXPECT_EQ(request(url("/lower"), {.cookie_jar = &jar}).cookies, "a=1; c=5");
    EXPECT_EQ(jar, "a=1; c=5; z=0");
  }
}

TEST_F(HttpRequestTest, WithoutAJarTheProcessCookieStoreIsUsed) {
  server.handle("GET", "/set", [](const RecordedRequest&, Reply& r) {
    r.set_cookie("sid=abc; path=/; HttpOnly");
    r.body = "set";
  });
  int changes = 0;
  set_cookie_store_listener([&] { ++changes; });
  EXPECT_EQ(http_request(url("/set")).body, "set");
  EXPECT_GE(changes, 1);
  set_cookie_store_listener({});
  http_request_bytes(url("/page"));
  EXPECT_EQ(last().header("Cookie"), "sid=abc");
  EXPECT_EQ(cookie_store_get(url("/any")), "sid=abc");
  EXPECT_EQ(cookie_store_get("127.0.0.1"), "sid=abc");

  // A jar bypasses the store, and winhttp_request never uses it.
  std::string jar;
  http_request(url("/page"), {.cookie_jar = &jar});
  EXPECT_FALSE(last().has_header("Cookie"));
  winhttp_request(url("/page"));
  EXPECT_FALSE(last().has_header("Cookie"));

  // Cookies put into the store go out with the next request; clearing the host removes them.
  EXPECT_TRUE(cookie_store_set(url("/"), "k=v; Path=/"));
  http_request(url("/page"));
  EXPECT_EQ(last().header("Cookie"), "sid=abc; k=v");
  cookie_store_clear("127.0.0.1");
  http_request(url("/page"));
  EXPECT_FALSE(last().has_header("Cookie"));
}

TEST(HttpCookieStore, DomainsPathsExpiryAndClearing) {
  cookie_store_clear_all();
  EXPECT_TRUE(cookie_store_set("http://www.example.com/a/b", "s=1"));
  EXPECT_TRUE(cookie_store_set("http://www.example.com/", "d=2; Domain=.example.com; Max-Age=3600"));
  EXPECT_TRUE(cookie_store_set("http://www.example.com/", "p=3; Path=/admin"));
  EXPECT_TRUE(cookie_store_set("https://www.example.com/", "t=4; Secure"));
  EXPECT_FALSE(cookie_store_set("http://www.example.com/", "e=5; Domain=other.com"));
  EXPECT_FALSE(cookie_store_set("http://www.example.com/", "novalue"));
  EXPECT_TRUE(cookie_store_set("http://other.com/", "o=6"));

  EXPECT_EQ(cookie_store_get("http://www.example.com/"), "s=1; d=2");
  EXPECT_EQ(cookie_store_get("http://mail.example.com/"), "d=2");
  EXPECT_EQ(cookie_store_get("https://www.example.com/admin/x"), "p=3; s=1; d=2; t=4");
  EXPECT_EQ(cookie_store_list().size(), 5u);

  EXPECT_TRUE(cookie_store_set("http://www.example.com/", "s=gone; Expires=Thu, 01 Jan 1970 00:00:01 GMT"));
  EXPECT_EQ(cookie_store_get("www.example.com"), "d=2");

  cookie_store_clear("www.example.com");  // its own cookies and the domain cookie sent to it
  EXPECT_EQ(cookie_store_get("https://www.example.com/admin/"), "");
  EXPECT_EQ(cookie_store_get("other.com"), "o=6");
  cookie_store_clear_all();
  EXPECT_TRUE(cookie_store_list().empty());
}

TEST_F(HttpRequestTest, FailuresGiveEmptyResults) {
  int closed_port;
  {
    FakeServer gone;
    closed_port = gone.port();
  }
  std::string jar = "a=1;  b=2";
  HttpResponse refused =
      http_request("http://127.0.0.1:" + std::to_string(closed_port) + "/x", {.cookie_jar = &jar});
  EXPECT_EQ(refused.body, "");
  EXPECT_FALSE(refused.ok());
  EXPECT_EQ(refused.status, 0);
  EXPECT_EQ(refused.cookies, "");
  EXPECT_EQ(jar, "a=1; b=2");  // merged with nothing: only tidied
  EXPECT_NE(refused.sent_headers.find("Accept-Language: zh-cn"), std::string::npos);

  // URLs no connection can be made for fail before anything is sent.
  for (const char* bad : {"http://bad host/x", ""}) {
    HttpResponse r = http_request(bad);
    EXPECT_EQ(r.body, "") << bad;
    EXPECT_NE(r.error.find("unusable URL"), std::string::npos) << bad;
  }
  EXPECT_FALSE(winhttp_request("ftp://127.0.0.1/").ok());
  EXPECT_EQ(server.request_count(), 0u);

  // The status code is not examined: a 404 page is a body like any other.
  HttpResponse missing = http_request(url("/missing"));
  EXPECT_EQ(missing.body, "not found");
  EXPECT_EQ(missing.status, 404);
  EXPECT_TRUE(missing.ok());
}

TEST_F(HttpRequestTest, BodyLimitAndTimeOuts) {
  server.handle("GET", "/big", [](const RecordedRequest&, Reply& r) { r.body = std::string(5000, 'x'); });
  server.handle("GET", "/hang", [](const RecordedRequest&, Reply& r) { r.hang = true; });
  TransportSettings s;
  s.max_body_bytes = 1000;
  s.winhttp_timeout_ms = 300;
  s.http_stall_timeout_ms = 300;
  set_transport_settings(s);
  HttpResponse big = http_request_bytes(url("/big"));
  EXPECT_LE(big.body.size(), 1000u);
  EXPECT_EQ(big.error, "body over the size limit");
  EXPECT_EQ(winhttp_request(url("/big")).body, "");

  for (auto request : {winhttp_request, http_request}) {
    auto started = std::chrono::steady_clock::now();
    HttpResponse hung = request(url("/hang"), {});
    EXPECT_EQ(hung.body, "");
    EXPECT_FALSE(hung.ok());
    // The shortened time-out ended it, not the 15 or 60 seconds of the defaults.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  }
  server.release_hanging();
}

TEST_F(HttpRequestTest, StoppingTheJobEndsARequestThatNeverGetsAnAnswer) {
  server.handle("GET", "/hang", [](const RecordedRequest&, Reply& r) { r.hang = true; });
  for (auto request : {http_request, winhttp_request}) {
    Job job;
    auto finished = std::async(std::launch::async, [&] {
      Job::Scope scope(&job);
      try {
        request(url("/hang"), {.headers = "X-A: 1"});
      } catch (const JobStopped&) {
        return true;
      }
      return false;
    });
    ASSERT_TRUE(wait_for([&] { return server.hanging() == 1; }, 5000));
    job.request_stop();
    ASSERT_EQ(finished.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_TRUE(finished.get());  // the job unwound
    server.release_hanging();
    ASSERT_TRUE(wait_for([&] { return server.hanging() == 0; }, 5000));
  }
}

TEST(HttpsRequest, CertificatesAreVerified) {
  reset_transport_settings();
  FakeServer server(FakeServer::Scheme::Https);
  server.handle("*", "/secure", [](const RecordedRequest&, Reply& r) { r.body = "secret"; });
  EXPECT_EQ(winhttp_request(server.base_url() + "/secure").body, "");
  EXPECT_EQ(http_request(server.base_url() + "/secure").body, "");
  EXPECT_EQ(server.request_count(), 0u);  // the password never left

  trust_test_ca();
  EXPECT_EQ(winhttp_request(server.base_url() + "/secure").body, "secret");
  EXPECT_EQ(winhttp_request(server.localhost_url() + "/secure").body, "secret");
  // TLS is chosen by the URL's first five characters.
  std::string upper = "HTTPS://127.0.0.1:" + std::to_string(server.port()) + "/secure";
  EXPECT_EQ(http_request(upper).body, "secret");
  EXPECT_TRUE(server.requests().back().https);
  untrust_test_ca();
  EXPECT_EQ(winhttp_request(server.base_url() + "/secure").body, "");
  reset_transport_settings();
}

TEST_F(HttpRequestTest, PathAndQueryGoOutAsGiven) {
  server.handle("GET", "/s", [](const RecordedRequest&, Reply& r) { r.body = "s"; });
  std::string raw = "/s?wd=\"" + g("中文") + ".com\"&x=%3A";
  EXPECT_EQ(http_request(url(raw)).body, "s");
  EXPECT_EQ(last().target, raw);
  http_request(url("/s?wd=a b"));
  EXPECT_EQ(last().target, "/s?wd=a%20b");
}

// The four outcomes of an item: how one request and several combine, what stands where a
// failed item's result would, and the tail a closing message gets.
TEST(ItemOutcomes, CombineShowAndCount) {
  EXPECT_EQ(item_outcome(RequestOutcome::Answered, true), ItemOutcome::Result);
  EXPECT_EQ(item_outcome(RequestOutcome::Answered, false), ItemOutcome::Empty);
  EXPECT_EQ(item_outcome(RequestOutcome::Failed, true), ItemOutcome::Failed);
  EXPECT_EQ(item_outcome(RequestOutcome::RateLimited, true), ItemOutcome::RateLimited);
  struct Case {
    ItemOutcome a, b, combined;
  } cases[] = {
      {ItemOutcome::Empty, ItemOutcome::Empty, ItemOutcome::Empty},
      {ItemOutcome::Empty, ItemOutcome::Result, ItemOutcome::Result},
      {ItemOutcome::Result, ItemOutcome::Failed, ItemOutcome::Failed},
      {ItemOutcome::RateLimited, ItemOutcome::Failed, ItemOutcome::RateLimited},
      {ItemOutcome::Failed, ItemOutcome::Empty, ItemOutcome::Failed},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(combined_outcome(c.a, c.b), c.combined);
    EXPECT_EQ(combined_outcome(c.b, c.a), c.combined);
  }
  EXPECT_EQ(failure_text(ItemOutcome::Failed), g("查询失败"));
  EXPECT_EQ(failure_text(ItemOutcome::RateLimited), g("频率受限"));
  EXPECT_EQ(failure_text(ItemOutcome::Empty), "");

  OutcomeCounts counts;
  for (ItemOutcome o : {ItemOutcome::Result, ItemOutcome::Empty}) counts.add(o);
  EXPECT_TRUE(counts.all_answered());
  EXPECT_EQ(failures_tail(counts), "");
  counts.add(ItemOutcome::Failed);
  counts.add(ItemOutcome::Failed);
  EXPECT_EQ(failures_tail(counts), g("，其中2个查询失败"));
  counts.add(ItemOutcome::RateLimited);
  EXPECT_FALSE(counts.all_answered());
  EXPECT_EQ(failures_tail(counts, CountUnit::Pages), g("，其中2页查询失败，1页频率受限"));
  EXPECT_EQ(failures_tail({.rate_limited = 3}, CountUnit::Requests), g("，其中3次频率受限"));

  HttpResponse refused;
  refused.rate_limited = true;
  HttpResponse error_status;
  error_status.status = 503;
  HttpResponse no_answer;
  no_answer.error = "no data for 1000 ms";
  EXPECT_EQ(request_problem_text(refused), g("频率受限"));
  EXPECT_EQ(request_problem_text(error_status), g("服务器回答HTTP 503"));
  EXPECT_EQ(request_problem_text(no_answer), g("没有得到回答（no data for 1000 ms）"));

  // A page request answered without any markup brought no page.
  HttpResponse page, junk, empty;
  page.status = junk.status = empty.status = 200;
  page.body = "<p>nothing found</p>";
  junk.body = "\x80\xff garbage";
  EXPECT_EQ(page_outcome(page), RequestOutcome::Answered);
  EXPECT_EQ(page_outcome(junk), RequestOutcome::Failed);
  EXPECT_EQ(page_outcome(empty), RequestOutcome::Failed);
  EXPECT_EQ(page_problem(junk), "no page");
  EXPECT_EQ(page_outcome(refused), RequestOutcome::RateLimited);
  EXPECT_EQ(page_problem(error_status), "HTTP 503");
}

}  // namespace
