// Pacing of a job's requests: the spacing per host, retries of 429 and 503 after the wait that
// Retry-After asks for, giving up as "rate limited", and the unpaced default that never retries.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <future>
#include <thread>

#include "core/http/http.h"
#include "core/http/pacing.h"
#include "core/jobs/job.h"
#include "core/jobs/pool.h"
#include "fakes/fake_server.h"
#include "fakes/rate_limiter.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace std::chrono_literals;

namespace {

long long ms_between(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(b - a).count();
}

class PacingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_host_schedule();
    server.handle("GET", "/page", [](const RecordedRequest&, Reply& r) { r.body = "<title>page</title>"; });
  }
  void TearDown() override { reset_host_schedule(); }

  // One request on a job with this pacing.
  HttpResponse paced(const RequestPacing& pacing, const std::string& path = "/page") {
    Job job;
    job.set_pacing(pacing);
    HttpResponse response;
    run_job(job, [&] { response = http_request(server.base_url() + path); });
    return response;
  }

  FakeServer server;
  FakeRateLimiter limiter{server};
};

}  // namespace

TEST(RetryAfter, DeltaSecondsAndHttpDates) {
  const std::time_t now = 1'700'000'000;  // Tue, 14 Nov 2023 22:13:20 GMT
  struct Case {
    const char* head;
    long long ms;
  } cases[] = {
      {"HTTP/1.1 429 Too Many Requests\r\nRetry-After: 2\r\n\r\n", 2000},
      {"HTTP/1.1 503 x\r\nretry-after:0\r\n", 0},
      {"HTTP/1.1 503 x\r\nRetry-After: Tue, 14 Nov 2023 22:13:50 GMT\r\n", 30'000},
      {"HTTP/1.1 503 x\r\nRetry-After: Tue, 14 Nov 2023 22:00:00 GMT\r\n", 0},  // already past
      {"HTTP/1.1 429 x\r\nRetry-After: soon\r\n", -1},
      {"HTTP/1.1 429 x\r\nRetry-After: -5\r\n", -1},
      {"HTTP/1.1 429 x\r\nContent-Type: text/html\r\n", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(retry_after_ms(c.head, now), c.ms) << c.head;
}

TEST(RequestsConf, SettingsOverTheBase) {
  RequestPacing p =
      parse_pacing("# pooled tools\r\nrate = 2.5\nretries=4 # after 429\nmax_wait = 30\nbogus = 1\n",
                   RequestPacing{.retries = 3});
  EXPECT_DOUBLE_EQ(p.per_second, 2.5);
  EXPECT_EQ(p.retries, 4);
  EXPECT_EQ(p.max_wait_ms, 30'000);
  RequestPacing kept = parse_pacing("rate = fast\nretries = -1\n", RequestPacing{.retries = 3});
  EXPECT_EQ(kept.per_second, 0);
  EXPECT_EQ(kept.retries, 3);
  EXPECT_FALSE(parse_pacing("").active());
}

TEST_F(PacingTest, WithoutPacingNothingIsRetriedAndOnlyA429IsRateLimited) {
  struct Case {
    int status;
    RequestOutcome outcome;
  } cases[] = {{429, RequestOutcome::RateLimited}, {503, RequestOutcome::Failed}};
  for (const Case& c : cases) {
    server.clear_log();
    limiter.refuse("/page", 1, c.status, "0");
    HttpResponse r = paced(RequestPacing{});
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(request_outcome(r), c.outcome) << c.status;
    EXPECT_EQ(server.requests("/page").size(), 1u) << c.status;
  }
}

TEST_F(PacingTest, ARefusalIsTriedAgainAfterTheWaitItAsksFor) {
  limiter.refuse("/page", 1, 429, "1");
  HttpResponse r = paced(RequestPacing{.retries = 3});
  EXPECT_EQ(r.status, 200);
  EXPECT_FALSE(r.rate_limited);
  EXPECT_EQ(request_outcome(r), RequestOutcome::Answered);
  auto arrivals = limiter.arrivals();
  ASSERT_EQ(arrivals.size(), 2u);
  EXPECT_GE(ms_between(arrivals[0].at, arrivals[1].at), 1000);
}

TEST_F(PacingTest, WithoutRetryAfterTheWaitsDoubleUntilTheRetriesAreUsedUp) {
  limiter.refuse("/page", -1, 503, "");
  HttpResponse r = paced(RequestPacing{.retries = 2, .backoff_ms = 100});
  EXPECT_EQ(r.status, 503);
  EXPECT_TRUE(r.rate_limited);
  EXPECT_EQ(request_outcome(r), RequestOutcome::RateLimited);
  auto arrivals = limiter.arrivals();
  ASSERT_EQ(arrivals.size(), 3u);  // the request and two retries
  EXPECT_GE(ms_between(arrivals[0].at, arrivals[1].at), 100);
  EXPECT_GE(ms_between(arrivals[1].at, arrivals[2].at), 200);
}

TEST_F(PacingTest, AWaitBeyondTheLimitGivesUpAtOnceAndHoldsTheHostBack) {
  limiter.refuse("/page", 1, 429, "3600");
  auto start = std::chrono::steady_clock::now();
  HttpResponse r = paced(RequestPacing{.retries = 3, .max_wait_ms = 300});
  EXPECT_TRUE(r.rate_limited);
  EXPECT_EQ(limiter.arrivals().size(), 1u);
  // The next paced request to the host waits out the longest wait the job allows.
  HttpResponse next = paced(RequestPacing{.retries = 3, .max_wait_ms = 300});
  EXPECT_EQ(next.status, 200);
  EXPECT_GE(ms_between(start, limiter.arrivals().back().at), 300);
}

TEST_F(PacingTest, RequestsToOneHostAreSpacedAcrossTheWorkersOfAPool) {
  Job job;
  job.set_pacing(RequestPacing{.per_second = 20});
  run_job(job, [&] {
    PoolPlan plan{.rows = 6, .limit = [] { return 3; }};
    PoolWork work{
        .announce = {}, .work = [&](int, int) { http_request(server.base_url() + "/page"); }, .progress = {}};
    run_pooled(job, plan, work);
  });
  auto arrivals = limiter.arrivals();
  ASSERT_EQ(arrivals.size(), 6u);
  // Six requests at 20 a second span at least five intervals of 50 ms.
  EXPECT_GE(ms_between(arrivals.front().at, arrivals.back().at), 5 * 50 - 10);
}

TEST_F(PacingTest, AStopEndsABackOffAtOnce) {
  limiter.refuse("/page", -1, 429, "30");
  Job job;
  job.set_pacing(RequestPacing{.retries = 3});
  auto run = std::async(std::launch::async,
                        [&] { return run_job(job, [&] { http_request(server.base_url() + "/page"); }); });
  ASSERT_TRUE(server.wait_for_requests(1));
  job.request_stop();
  ASSERT_EQ(run.wait_for(5s), std::future_status::ready);  // not the 30 s the service asked for
  EXPECT_EQ(run.get().end, JobEnd::Stopped);
}

TEST_F(PacingTest, BothFacesAndTheDownloadArePaced) {
  limiter.refuse("", -1, 429, "0");
  Job job;
  job.set_pacing(RequestPacing{.retries = 1});
  std::vector<HttpResponse> responses;
  run_job(job, [&] {
    responses.push_back(http_request_bytes(server.base_url() + "/page"));
    responses.push_back(session_request(server.base_url() + "/page"));
    responses.push_back(http_download(server.base_url() + "/page", "agent"));
  });
  for (const HttpResponse& r : responses) EXPECT_TRUE(r.rate_limited);
  EXPECT_EQ(limiter.arrivals().size(), 6u);  // each face: the request and one retry
}
