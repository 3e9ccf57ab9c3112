// Every networked command against the fake services for each way an item can end: a result, an
// empty answer, a failure and a refusal (429). The output and the exit status tell the four
// apart: a failed or refused item is never printed as a result or as an empty answer, its
// status field says what happened, standard error names it and the run ends with status 1.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <functional>
#include <memory>

#include "cli/cli_runner.h"
#include "fakes/aizhan_rank.h"
#include "fakes/baidu_push.h"
#include "fakes/baidu_search.h"
#include "fakes/chinaz.h"
#include "fakes/fake_server.h"
#include "fakes/faults.h"
#include "fakes/ip138.h"
#include "fakes/suggestion_services.h"
#include "fakes/web_pages.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;
using Lines = std::vector<std::string>;

namespace {

const char* const kOutcomes[] = {"result", "empty", "failed", "rate limited"};

// The fakes a command reaches, on one server.
struct Services {
  FakeServer server;
  std::unique_ptr<FakeBaiduSearch> baidu;
  std::unique_ptr<FakeAizhanRank> rank;
  std::unique_ptr<FakeSuggestionServices> suggestions;
  std::unique_ptr<FakeChinaz> chinaz;
  std::unique_ptr<FakeIp138> ip138;
  std::unique_ptr<FakeBaiduPush> push;
};

enum class Answer { Fake, Reset, TooMany };

// One outcome of a command: what the service does, the input line, and what the command prints
// ("{base}" stands for the server's address). No input: the command has no such outcome.
struct Case {
  Answer answer;
  const char* input;
  Lines lines;      // standard output
  int status;       // exit status
  std::string err;  // a text standard error holds ("" for none in particular)
};

struct Command {
  std::vector<std::string> args;
  std::vector<const char*> keys;
  std::function<void(Services&)> serve;  // the fake, with a result for one item and nothing for another
  std::array<Case, 4> cases;             // result, empty, failed, rate limited
};

std::string expand(std::string text, const std::string& base) {
  for (size_t at; (at = text.find("{base}")) != std::string::npos;) text.replace(at, 6, base);
  return text;
}

// A file holding the push command's token (made once for the test program).
const std::string& push_token_file() {
  static TempFolder folder;
  static const std::string path = [] {
    const std::string file = folder.file("token");
    std::FILE* f = std::fopen(file.c_str(), "w");
    std::fputs("token1\n", f);
    std::fclose(f);
    return file;
  }();
  return path;
}

const std::vector<Command>& commands() {
  static const std::string rank_head = "id,domain,keyword,url,volume";
  static const std::string push_head = "id,url,result,message,status";
  static const std::vector<Command> all = {
      {{"inclusion", "--delay", "0"},
       {"BAIDU_WEB_SEARCH"},
       [](Services& s) {
         s.baidu = std::make_unique<FakeBaiduSearch>(s.server);
         s.baidu->set_site("a.com", {"5", "1", "2", "3"});
       },
       {{{Answer::Fake, "a.com", {"id,domain,total,day,week,links,status", "1,a.com,5,1,2,3,ok"}, 0, ""},
         {Answer::Fake,
          "none.cn",
          {"id,domain,total,day,week,links,status", "1,none.cn,0,0,0,0,empty"},
          0,
          ""},
         {Answer::Reset,
          "a.com",
          {"id,domain,total,day,week,links,status", "1,a.com,查询失败,查询失败,查询失败,查询失败,failed"},
          1,
          "1 a.com: failed"},
         {Answer::TooMany,
          "a.com",
          {"id,domain,total,day,week,links,status",
           "1,a.com,频率受限,频率受限,频率受限,频率受限,rate limited"},
          1,
          "1 a.com: rate limited"}}}},
      {{"banned"},
       {"BAIDU_WEB_SEARCH"},
       [](Services& s) { s.baidu = std::make_unique<FakeBaiduSearch>(s.server); },
       {{{Answer::Fake, "词", {"id,keyword,censored,status", "1,词,no,ok"}, 0, ""},
         {Answer::Fake, nullptr, {}, 0, ""},  // a keyword is normal or censored
         {Answer::Reset, "词", {"id,keyword,censored,status", "1,词,,failed"}, 1, "1 词: failed"},
         {Answer::TooMany,
          "词",
          {"id,keyword,censored,status", "1,词,,rate limited"},
          1,
          "1 词: rate limited"}}}},
      {{"rank", "--pages", "1", "--delay", "0"},
       {"AIZHAN_BAIDURANK", "AIZHAN_KEYWORDS"},
       [](Services& s) {
         s.rank = std::make_unique<FakeAizhanRank>(s.server, s.server.base_url() + "/");
         s.rank->set_site("a.com", {.pages = 1, .rows = 1});
       },
       {{{Answer::Fake,
          "a.com",
          {rank_head, "1,a.com," + FakeAizhanRank::keyword("a.com", 1, 1) + "," +
                          FakeAizhanRank::url("a.com", 1, 1) + "," + FakeAizhanRank::volume(1, 1)},
          0,
          ""},
         {Answer::Fake, "none.cn", {rank_head}, 0, ""},
         {Answer::Reset, "a.com", {rank_head}, 1, "1 a.com: failed"},
         {Answer::TooMany, "a.com", {rank_head}, 1, "1 a.com: rate limited"}}}},
      {{"miner", "--sources", "360"},
       {"SO360_SUGGEST"},
       [](Services& s) {
         s.suggestions = std::make_unique<FakeSuggestionServices>(s.server);
         s.suggestions->so360.set("减肥", {"减肥茶"});
       },
       {{{Answer::Fake, "减肥", {"seed,keyword", "减肥,减肥茶"}, 0, ""},
         {Answer::Fake, "瘦身", {"seed,keyword"}, 0, ""},
         {Answer::Reset, "减肥", {"seed,keyword"}, 1, "1 减肥: failed"},
         {Answer::TooMany, "减肥", {"seed,keyword"}, 1, "1 减肥: rate limited"}}}},
      {{"access"},
       {},
       [](Services& s) {
         serve_page(s.server, "/", "首页", "<p>home</p>");
         serve_page(s.server, "/untitled", "", "<p>no title</p>");
       },
       {{{Answer::Fake, "{base}/", {"id,site,reachable,title,status", "1,{base}/,yes,首页,ok"}, 0, ""},
         {Answer::Fake,
          "{base}/untitled",
          {"id,site,reachable,title,status", "1,{base}/untitled,no,,empty"},
          0,
          ""},
         {Answer::Reset,
          "{base}/",
          {"id,site,reachable,title,status", "1,{base}/,no,,failed"},
          1,
          "1 {base}/: failed"},
         {Answer::TooMany,
          "{base}/",
          {"id,site,reachable,title,status", "1,{base}/,,,rate limited"},
          1,
          "1 {base}/: rate limited"}}}},
      {{"whois", "--delay", "0"},
       {"CHINAZ_WHOIS", "CHINAZ_IP"},
       [](Services& s) {
         s.chinaz = std::make_unique<FakeChinaz>(s.server);
         s.chinaz->set_whois("a.com", {.registrar = "R",
                                       .name_servers = "ns",
                                       .dns_servers = "dns",
                                       .updated = "u",
                                       .created = "c",
                                       .expires = "e"});
         s.chinaz->set_whois("odd.com", {.unreadable = true});
       },
       {{{Answer::Fake,
          "a.com",
          {"id,domain,registrar,name_servers,dns_servers,updated,updated_iso,created,created_iso,expires,"
           "expires_iso,registered,status",
           "1,a.com,R,ns,dns,u,,c,,e,,yes,ok"},
          0,
          ""},
         {Answer::Fake,
          "free.cn",
          {"id,domain,registrar,name_servers,dns_servers,updated,updated_iso,created,created_iso,expires,"
           "expires_iso,registered,status",
           "1,free.cn,该域名未被注册,,,,,,,,,no,empty"},
          0,
          ""},
         // A page whose whois block holds no fields (a page without the block, or no answer,
         // is tried again for seconds: the whois tests have it).
         {Answer::Fake,
          "odd.com",
          {"id,domain,registrar,name_servers,dns_servers,updated,updated_iso,created,created_iso,expires,"
           "expires_iso,registered,status",
           "1,odd.com,查询失败,,,,,,,,,,failed"},
          1,
          "1 odd.com: failed"},
         {Answer::TooMany,
          "a.com",
          {"id,domain,registrar,name_servers,dns_servers,updated,updated_iso,created,created_iso,expires,"
           "expires_iso,registered,status",
           "1,a.com,频率受限,,,,,,,,,,rate limited"},
          1,
          "1 a.com: rate limited"}}}},
      {{"ip"},
       {"IP138_LOOKUP"},
       [](Services& s) {
         s.ip138 = std::make_unique<FakeIp138>(s.server);
         s.ip138->set_domain("a.com", "1.2.3.4", "北京");
       },
       {{{Answer::Fake, "a.com", {"id,domain,ip,region,status", "1,a.com,1.2.3.4,北京,ok"}, 0, ""},
         {Answer::Fake, "none.cn", {"id,domain,ip,region,status", "1,none.cn,,,empty"}, 0, ""},
         {Answer::Reset,
          "a.com",
          {"id,domain,ip,region,status", "1,a.com,查询失败,,failed"},
          1,
          "1 a.com: failed"},
         {Answer::TooMany,
          "a.com",
          {"id,domain,ip,region,status", "1,a.com,频率受限,,rate limited"},
          1,
          "1 a.com: rate limited"}}}},
      {{"push", "--site", "www.a.com", "--token-file", push_token_file()},
       {"BAIDU_PUSH_API"},
       [](Services& s) {
         s.push = std::make_unique<FakeBaiduPush>(s.server);
         s.push->add_site("www.a.com", "token1", 10);
       },
       {{{Answer::Fake, "http://www.a.com/1", {push_head, "1,http://www.a.com/1,pushed,,ok"}, 0, ""},
         {Answer::Fake, nullptr, {}, 0, ""},  // the service takes a URL or says why it does not
         {Answer::Reset,
          "http://www.a.com/1",
          {push_head, "1,http://www.a.com/1,failed,,failed"},
          1,
          "1 http://www.a.com/1: failed"},
         {Answer::TooMany,
          "http://www.a.com/1",
          {push_head, "1,http://www.a.com/1,rate limited,,rate limited"},
          1,
          "1 http://www.a.com/1: rate limited"}}}},
  };
  return all;
}

}  // namespace

TEST(CliOutcomes, ResultEmptyFailedAndRateLimitedNeverLookAlike) {
  for (const Command& command : commands()) {
    for (size_t o = 0; o < 4; ++o) {
      const Case& c = command.cases[o];
      if (!c.input) continue;
      const std::string where = command.args.front() + " / " + kOutcomes[o];
      Services s;
      switch (c.answer) {
        case Answer::Fake:
          command.serve(s);
          break;
        case Answer::Reset:
          answer_with_fault(s.server, Fault::Reset);
          break;
        case Answer::TooMany:
          answer_with_fault(s.server, Fault::TooManyRequests);
          break;
      }
      std::vector<std::pair<const char*, const FakeServer*>> keys;
      for (const char* key : command.keys) keys.emplace_back(key, &s.server);
      EndpointsFile endpoints(keys);
      std::vector<std::string> args = command.args;
      // A refusal is reported at once rather than after retries.
      args.insert(args.end(), {"--format", "csv", "--retries", "0", "--endpoints", endpoints.path()});
      const std::string base = s.server.base_url();
      CliResult r = run_cli(args, with_input(expand(c.input, base) + "\n"));
      Lines expected;
      for (const std::string& line : c.lines) expected.push_back(expand(line, base));
      EXPECT_EQ(r.lines(), expected) << where;
      EXPECT_EQ(r.status, c.status) << where << "\n" << r.err;
      if (!c.err.empty()) {
        EXPECT_NE(r.err.find(expand(c.err, base)), std::string::npos) << where << "\n" << r.err;
      }
      if (c.status == 0) {
        EXPECT_EQ(r.err, "") << where;
      }
    }
  }
}
