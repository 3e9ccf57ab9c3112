// tessaly-cli push against the fake URL-submission API: every URL pushed (status 0), some not
// (status 1, listed), bad usage (status 2); the token from a file or the environment and never
// in anything the program writes.
#include <gtest/gtest.h>

#include <fstream>

#include "cli/cli_runner.h"
#include "fakes/baidu_push.h"
#include "fakes/fake_server.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;
using Lines = std::vector<std::string>;

namespace {

const std::string kToken = "Zq81hTokenXy";

class CliPush : public ::testing::Test {
 protected:
  void SetUp() override {
    push.add_site("www.push.cn", kToken, 100);
    std::ofstream(token_file) << kToken << "\n";
  }
  CliResult run(std::vector<std::string> extra, const std::string& input, CliOptions options = {}) {
    std::vector<std::string> args = {"push", "--site", "www.push.cn", "--endpoints", endpoints.path()};
    args.insert(args.end(), extra.begin(), extra.end());
    options.input = input;
    CliResult r = run_cli(args, options);
    // The token stays out of everything the program writes.
    EXPECT_EQ(r.out.find(kToken), std::string::npos) << r.out;
    EXPECT_EQ(r.err.find(kToken), std::string::npos) << r.err;
    return r;
  }
  std::string dumps() const {
    std::string out;
    for (const auto& r : server.requests()) out += FakeBaiduPush::describe(r, kToken) + "\n----\n";
    return out;
  }

  FakeServer server;
  FakeBaiduPush push{server};
  EndpointsFile endpoints{{"BAIDU_PUSH_API", &server}};
  TempFolder folder;
  std::string token_file = folder.file("token.txt");
};

}  // namespace

TEST_F(CliPush, EveryUrlPushedExitsZeroInEachOutputForm) {
  const std::string input = "http://www.push.cn/1\n\nhttp://www.push.cn/2\nhttp://www.push.cn/1\n";
  CliResult text = run({"--token-file", token_file}, input);
  EXPECT_EQ(text.status, 0) << text.err;
  // A URL's id is its line in the input; the blank line and the repeat are left out.
  EXPECT_EQ(text.lines(),
            (Lines{"1---http://www.push.cn/1---推送成功", "3---http://www.push.cn/2---推送成功"}));
  ASSERT_EQ(server.requests().size(), 1u) << dumps();
  const RecordedRequest r = server.requests().front();
  EXPECT_EQ(r.method, "POST") << dumps();
  EXPECT_EQ(r.target, "/urls?site=www.push.cn&token=" + kToken) << dumps();
  EXPECT_EQ(r.header("Content-Type"), "text/plain") << dumps();
  EXPECT_EQ(r.body, "http://www.push.cn/1\nhttp://www.push.cn/2") << dumps();

  // The token from the environment; CSV and JSON lines with the status words.
  CliOptions from_env;
  from_env.environment = {"TESSALY_PUSH_TOKEN=" + kToken};
  CliResult csv = run({"--format", "csv"}, "http://www.push.cn/3\n", from_env);
  EXPECT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(csv.lines(), (Lines{"id,url,result,message,status", "1,http://www.push.cn/3,pushed,,ok"}));
  CliResult jsonl = run({"--format", "jsonl", "--token-file", token_file}, "http://www.push.cn/4\n");
  EXPECT_EQ(
      jsonl.lines(),
      (Lines{R"({"id":"1","url":"http://www.push.cn/4","result":"pushed","message":"","status":"ok"})"}));
  EXPECT_EQ(push.remain("www.push.cn"), 96);
}

TEST_F(CliPush, UrlsNotPushedExitOneAndAreListed) {
  push.add_site("www.push.cn", kToken, 2);
  CliResult r = run({"--token-file", token_file, "--format", "csv"},
                    "http://www.push.cn/1\nhttp://www.other.cn/2\nnot a url\nhttp://www.push.cn/3\n"
                    "http://www.push.cn/4\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.lines(),
            (Lines{"id,url,result,message,status", "1,http://www.push.cn/1,pushed,,ok",
                   "2,http://www.other.cn/2,not same site,,ok", "4,http://www.push.cn/3,pushed,,ok",
                   "5,http://www.push.cn/4,quota used up,,failed"}));
  EXPECT_NE(r.err.find("3 of 5 items failed"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("2 http://www.other.cn/2: failed (not of the site)"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("3 not a url: failed (not an http(s) URL, left out)"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("5 http://www.push.cn/4: failed (the day's quota is used up)"), std::string::npos)
      << r.err;

  // A wrong token: one request, every URL failed with the service's message, in the text form.
  server.clear_log();
  CliOptions wrong;
  wrong.environment = {"TESSALY_PUSH_TOKEN=WrongTok3n"};
  CliResult refused = run({}, "http://www.push.cn/5\nhttp://www.push.cn/6\n", wrong);
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.lines(), (Lines{"1---http://www.push.cn/5---查询失败：token is not valid",
                                    "2---http://www.push.cn/6---查询失败：token is not valid"}));
  EXPECT_NE(refused.err.find("1 http://www.push.cn/5: failed (HTTP 401: token is not valid)"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(server.requests().size(), 1u) << dumps();
}

TEST_F(CliPush, BadUsageSaysWhatIsWrongWithStatusTwoAndSendsNothing) {
  const std::string empty_file = folder.file("empty.txt");
  std::ofstream(empty_file) << " \n";
  const std::string two_lines = folder.file("two.txt");
  std::ofstream(two_lines) << kToken << "\nsecond line\n";
  struct Case {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"push", "--token-file", token_file}, "no site: --site SITE"},
      {{"push", "--site", "www.push.cn/blog", "--token-file", token_file},
       "--site takes the site as registered"},
      {{"push", "--site", "www.push.cn"}, "no token: name a file that holds it with --token-file FILE"},
      {{"push", "--site", "www.push.cn", "--token", kToken}, "unknown option --token"},
      {{"push", "--site", "www.push.cn", "--token-file", "/nonexistent/token"},
       "cannot read /nonexistent/token"},
      {{"push", "--site", "www.push.cn", "--token-file", empty_file}, "holds no token"},
      {{"push", "--site", "www.push.cn", "--token-file", two_lines}, "holds more than a token"},
      {{"push", "--site", "www.push.cn", "--token-file", token_file, "/nonexistent/urls.txt"},
       "cannot read /nonexistent/urls.txt"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--endpoints", endpoints.path()});
    CliResult r = run_cli(args, with_input("http://www.push.cn/1\n"));
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(kToken), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
  }
  EXPECT_EQ(server.request_count(), 0u);
}
