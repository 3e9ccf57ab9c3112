// Every request face against every fault a remote service can show: each request ends by
// itself as a failure (or, for 429, 503 and a body of stray bytes, as a response the tool can
// tell from a page it wants), within the time-outs, never with more than the body limit; and a
// stop ends it within a second whatever the service does.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

#include "core/http/http.h"
#include "core/http/transport_settings.h"
#include "core/jobs/job.h"
#include "fakes/faults.h"

using namespace tessaly;
using namespace tessaly::fakes;
using Clock = std::chrono::steady_clock;

namespace {

using Request = std::function<HttpResponse(const std::string&)>;

struct Face {
  const char* name;
  Request request;
};

const std::vector<Face>& faces() {
  static const std::vector<Face> all = {
      {"http_request", [](const std::string& u) { return http_request(u); }},
      {"http_request_bytes", [](const std::string& u) { return http_request_bytes(u); }},
      {"session_request", [](const std::string& u) { return session_request(u); }},
      {"http_download", [](const std::string& u) { return http_download(u, "agent"); }},
  };
  return all;
}

class HttpFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TransportSettings s;
    s.http_stall_timeout_ms = 1500;
    s.session_timeout_ms = 1500;
    s.max_body_bytes = huge_body_from_environment() ? s.max_body_bytes : 1024 * 1024;
    set_transport_settings(s);
  }
  void TearDown() override { reset_transport_settings(); }
};

TEST_F(HttpFaultsTest, EveryFaultEndsTheRequestWithoutASuccess) {
  const long long limit = transport_settings().max_body_bytes;
  for (Fault fault : all_faults()) {
    if (fault == Fault::Hang) continue;  // ends only by its time-out or a stop: below
    FakeServer server(fault_scheme(fault));
    answer_with_fault(server, fault);
    for (const Face& face : faces()) {
      SCOPED_TRACE(std::string(fault_name(fault)) + " / " + face.name);
      const auto started = Clock::now();
      HttpResponse r = face.request(server.base_url() + "/page?q=1");
      EXPECT_LT(Clock::now() - started, std::chrono::seconds(20));
      EXPECT_LE(static_cast<long long>(r.body.size()), limit);
      switch (fault) {
        case Fault::TooManyRequests:
        case Fault::Unavailable:
          // Arrives whole; the status tells it from a page (retries are the pacing's business).
          EXPECT_EQ(r.status, fault == Fault::TooManyRequests ? 429 : 503);
          EXPECT_EQ(r.body.find("<html"), std::string::npos);
          break;
        case Fault::BadBytes:
          // Arrives whole and stays bytes; the text face reads up to the first zero byte.
          EXPECT_TRUE(r.ok()) << r.error;
          EXPECT_EQ(r.body.find('\0'), face.name == std::string("http_request") ? std::string::npos : 2u);
          break;
        default:
          EXPECT_FALSE(r.ok());
          EXPECT_EQ(r.body, "");  // half a page is no page
          // The trickle and the body are cut by their own limits, not by something else.
          EXPECT_TRUE(fault != Fault::Trickle || r.error.find("bytes a second") != std::string::npos)
              << r.error;
          EXPECT_TRUE(fault != Fault::HugeBody || r.error == "body over the size limit") << r.error;
          if (fault == Fault::UntrustedCertificate) {
            EXPECT_EQ(server.request_count(), 0u);
          }
      }
    }
  }
}

// Starts a request in a job, waits until the service holds it, stops the job and measures how
// long the request takes to end after the stop.
TEST_F(HttpFaultsTest, AStopEndsEveryFaultedRequestWithinASecond) {
  TransportSettings s = transport_settings();
  s.http_stall_timeout_ms = s.session_timeout_ms = 60'000;  // only the stop can end it
  set_transport_settings(s);
  for (Fault fault : {Fault::Hang, Fault::Trickle, Fault::HugeBody}) {
    FakeServer server;
    answer_with_fault(server, fault);
    for (const Face& face : faces()) {
      SCOPED_TRACE(std::string(fault_name(fault)) + " / " + face.name);
      Job job;
      const size_t before = server.request_count();
      auto ended = std::async(std::launch::async, [&] {
        Job::Scope scope(&job);
        try {
          face.request(server.base_url() + "/page");
        } catch (const JobStopped&) {
          return true;
        }
        return false;
      });
      ASSERT_TRUE(server.wait_for_requests(before + 1));
      // The huge body may already have hit the limit; the others are still under way.
      const auto stop = Clock::now();
      job.request_stop();
      ASSERT_EQ(ended.wait_for(std::chrono::seconds(5)), std::future_status::ready);
      EXPECT_LT(Clock::now() - stop, std::chrono::seconds(1));
      if (fault != Fault::HugeBody) {
        EXPECT_TRUE(ended.get());
      }
      server.release_hanging();
    }
  }
}

TEST_F(HttpFaultsTest, AHangEndsAtTheStallTimeOut) {
  FakeServer server;
  answer_with_fault(server, Fault::Hang);
  for (const Face& face : faces()) {
    SCOPED_TRACE(face.name);
    const auto started = Clock::now();
    EXPECT_FALSE(face.request(server.base_url() + "/page").ok());
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(15));
  }
  server.release_hanging();
}

}  // namespace
