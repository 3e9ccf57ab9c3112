// The DNSPod client against the fake DNSPod console: login, the batch's requests and statuses,
// the domain list and removal.
#include <gtest/gtest.h>

#include "core/text/charset.h"
#include "core/text/files.h"
#include "dns/dnspod_client.h"
#include "fakes/dns_consoles.h"
#include "fakes/dns_table_sink.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::fakes;
using tessaly::test::g;
using tessaly::test::TempFolder;

namespace {

class DnspodClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    site.console.add_account("user@example.com", "p&ss=1+2%3");
    DnspodClient::instance().set_session({}, {});
  }
  void login() {
    ASSERT_EQ(DnspodClient::instance().login("user%40example.com", "  p&ss=1+2%3 ").result,
              DnsLogin::Succeeded);
  }

  DnspodSite site;
  TempFolder folder;
};

}  // namespace

TEST_F(DnspodClientTest, LoginDecodesTheEmailTrimsAndEncodesThePassword) {
  login();
  auto posts = site.console.requests_to("/Auth/Login");
  ASSERT_EQ(posts.size(), 1u);
  EXPECT_EQ(posts[0].body, "email=user%40example.com&password=p%26ss%3D1%2B2%253&multilogin=f");
  // The login page's cookies went along with the login form.
  EXPECT_NE(posts[0].cookie_header.find("_xsrf="), std::string::npos);

  std::string cookies = DnspodClient::instance().session_cookies();
  std::string xsrf = DnspodClient::instance().xsrf_pair();
  EXPECT_EQ(xsrf.rfind("_xsrf=", 0), 0u);
  EXPECT_NE(cookies.find(xsrf), std::string::npos);
  EXPECT_NE(cookies.find(std::string(DnspodConsole::kSessionCookie) + "="), std::string::npos);
}

TEST_F(DnspodClientTest, LoginFailures) {
  // A wrong password, and the success text with a plain slash, are both failures; the token pair
  // is refreshed either way.
  EXPECT_EQ(DnspodClient::instance().login("user@example.com", "wrong").result, DnsLogin::Failed);
  EXPECT_FALSE(DnspodClient::instance().xsrf_pair().empty());
  site.console.set_plain_slash_marker(true);
  DnsLoginResult refused = DnspodClient::instance().login("user@example.com", "p&ss=1+2%3");
  EXPECT_EQ(refused.result, DnsLogin::Failed);
  EXPECT_EQ(refused.problem, "");  // an answer: the service's own refusal, nothing to add
  // A page instead of the console's answer holds no verdict.
  site.server.handle("POST", "/Auth/Login",
                     [](const RecordedRequest&, Reply& reply) { reply.body = "<html>maintenance</html>"; });
  DnsLoginResult silent = DnspodClient::instance().login("user@example.com", "p&ss=1+2%3");
  EXPECT_EQ(silent.result, DnsLogin::NoAnswer);
  EXPECT_EQ(silent.problem, g("服务器的回答里没有登录结果"));
  // A console that does not answer ends the attempt at the login page (the form is not sent),
  // saying why.
  const size_t posts = site.console.requests_to("/Auth/Login").size();
  site.server.stop();
  DnsLoginResult down = DnspodClient::instance().login("user@example.com", "p&ss=1+2%3");
  EXPECT_EQ(down.result, DnsLogin::Failed);
  EXPECT_EQ(down.problem.rfind(g("打开登录页面失败：没有得到回答（"), 0), 0u) << utf8(down.problem);
  EXPECT_EQ(site.console.requests_to("/Auth/Login").size(), posts);
}

TEST_F(DnspodClientTest, SecondLoginSendsTheCookiesOfTheFirst) {
  login();
  std::string first = DnspodClient::instance().session_cookies();
  login();
  auto gets = site.console.requests_to("/Login");
  ASSERT_EQ(gets.size(), 2u);
  std::string sid = std::string(DnspodConsole::kSessionCookie) + "=";
  EXPECT_NE(gets[1].cookie_header.find(sid), std::string::npos);
}

TEST_F(DnspodClientTest, WithoutXsrfCookieTheQueryIsBare) {
  site.console.set_send_xsrf(false);
  login();
  EXPECT_EQ(DnspodClient::instance().xsrf_pair(), "");
  DnspodClient::instance().api_post("/Api/Domain.List", {});
  auto lists = site.console.requests_to("/Api/Domain.List");
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0].query, "");
}

TEST(DnspodRequests, BodiesCarryEncodedValues) {
  EXPECT_EQ(dnspod_create_domain_body("a.com"),
            "format=json&lang=cn&error_on_empty=no&use_session=yes&domain=a.com&group_id=1&is_mark=no");
  EXPECT_EQ(dnspod_create_record_body(DnsRecord::At, "10001", "a.com", "1.2.3.4"),
            "domain_id=10001&domain_grade=DP_Free&domain=a.com&ttl=600&sub_domain=%40&record_type=A"
            "&record_line=%E9%BB%98%E8%AE%A4&value=1.2.3.4&mx=-&format=json&lang=cn&error_on_empty=no&use_"
            "session=yes");
  EXPECT_NE(dnspod_create_record_body(DnsRecord::Www, "", "a.com", "1.2.3.4").find("&sub_domain=www&"),
            std::string::npos);
  EXPECT_NE(dnspod_create_record_body(DnsRecord::Star, "", "a.com", "1.2.3.4").find("&sub_domain=*&"),
            std::string::npos);
  // A crafted list line cannot add a field.
  EXPECT_EQ(dnspod_create_domain_body("a.com&group_id=9"),
            "format=json&lang=cn&error_on_empty=no&use_session=yes&domain=a.com%26group%5Fid%3D9&group_id=1&"
            "is_mark=no");
  EXPECT_EQ(dnspod_remove_body("7"), "format=json&lang=cn&error_on_empty=no&use_session=yes&domain_id=7");
}

TEST(DnspodRequests, AnswerMarkers) {
  EXPECT_TRUE(dnspod_succeeded(R"({"status":{"code":"1","message":"ok"}})"));
  EXPECT_FALSE(dnspod_succeeded(R"({"status":{"code":"10","message":"x"}})"));
  EXPECT_EQ(dnspod_domain_id(R"({"status":{"code":"1"},"domain":{"id":"42","punycode":"a.com"}})"), "42");
  EXPECT_EQ(dnspod_domain_id(R"({"domain":{"id":"42"}})"), "");
  EXPECT_TRUE(dnspod_removed(R"({"status":{"code":"1","message":"Action completed successful"}})"));
  EXPECT_FALSE(dnspod_removed(R"({"status":{"code":"1"}})"));
  EXPECT_EQ(dnspod_login_marker(), "{\"status\":\"success\",\"string\":\"\\/Domain\"}");
}

TEST_F(DnspodClientTest, BatchCreatesDomainsAndRecordsWithStatusesInOrder) {
  login();
  TableSink sink({{"a.com", "1.2.3.4"}, {"b.com", "5.6.7.8"}});
  run_dnspod_batch(DnspodClient::instance(), sink, {folder.file("log.txt")});

  const std::vector<std::string> row_statuses = {
      "正在添加域名>>>",        "添加域名成功>>>",    "正在添加域名记录@>>>", "添加记录@成功>>>",
      "正在添加域名记录www>>>", "添加记录www成功>>>", "正在添加域名记录*>>>", "添加记录*成功>>>"};
  std::vector<std::string> expected = row_statuses;
  expected.insert(expected.end(), row_statuses.begin(), row_statuses.end());
  EXPECT_EQ(sink.history, expected);
  EXPECT_EQ(sink.shown, (std::vector<int>{0, 1}));
  EXPECT_EQ(sink.outcomes, (std::vector<ItemOutcome>{ItemOutcome::Result, ItemOutcome::Result}));
  EXPECT_FALSE(sink.time[1].empty());
  EXPECT_FALSE(file_exists(folder.file("log.txt")));

  for (const char* name : {"a.com", "b.com"}) {
    auto d = site.console.domain(name);
    ASSERT_EQ(d.records.size(), 3u) << name;
    EXPECT_EQ(d.records[0].name, "@");
    EXPECT_EQ(d.records[1].name, "www");
    EXPECT_EQ(d.records[2].name, "*");
    EXPECT_EQ(d.records[2].line, "默认");
  }
  EXPECT_EQ(site.console.domain("b.com").records[0].value, "5.6.7.8");
  // Every API call carried the token pair of the session.
  for (const auto& r : site.console.requests_to("/Api/Record.Create"))
    EXPECT_EQ("_xsrf=" + r.query.substr(6), DnspodClient::instance().xsrf_pair());
}

TEST_F(DnspodClientTest, RefusedDomainAndFailedRecordAreLoggedWhole) {
  login();
  site.console.add_domain("user@example.com", "taken.com");
  site.console.fail("/Api/Record.Create", "sub_domain=www", 1);
  TableSink sink({{"taken.com", "1.1.1.1"}, {"b.com", "2.2.2.2"}});
  sink.ticks_value = {true, true, false};
  run_dnspod_batch(DnspodClient::instance(), sink, {folder.file("log.txt")});

  // The refused domain still tries its records, with an empty domain ID.
  auto records = site.console.requests_to("/Api/Record.Create");
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0].body.rfind("domain_id=&domain_grade=DP_Free&domain=taken.com&", 0), 0u);
  EXPECT_EQ(utf8(sink.status[0]), "添加记录www失败>>>");
  EXPECT_EQ(utf8(sink.status[1]), "添加记录www成功>>>");
  // A row with any failed step is a failed row, whatever its last status says.
  site.console.fail("/Api/Record.Create", "sub_domain=%40", 1);
  TableSink at_failed({{"c.com", "3.3.3.3"}});
  at_failed.ticks_value = {true, true, false};
  run_dnspod_batch(DnspodClient::instance(), at_failed, {folder.file("log2.txt")});
  EXPECT_EQ(utf8(at_failed.status[0]), "添加记录www成功>>>");
  EXPECT_EQ(at_failed.outcomes, std::vector<ItemOutcome>{ItemOutcome::Failed});
  EXPECT_EQ(sink.outcomes, (std::vector<ItemOutcome>{ItemOutcome::Failed, ItemOutcome::Result}));
  EXPECT_EQ(site.console.domain("b.com").records.size(), 2u);
  EXPECT_EQ(utf8(read_file(folder.file("log.txt"))),
            "域名：taken.com 添加失败！\r\n域名：taken.com @解析失败\r\n域名：taken.com www解析失败\r\n");
}

TEST_F(DnspodClientTest, NoTicksSendsOnlyCreateDomain) {
  login();
  TableSink sink({{"a.com", "1.1.1.1"}});
  sink.ticks_value = {false, false, false};
  run_dnspod_batch(DnspodClient::instance(), sink, {folder.file("log.txt")});
  EXPECT_EQ(site.console.requests_to("/Api/Domain.Create").size(), 1u);
  EXPECT_TRUE(site.console.requests_to("/Api/Record.Create").empty());
  EXPECT_EQ(utf8(sink.status[0]), "添加域名成功>>>");
}

TEST_F(DnspodClientTest, CraftedLineCannotInjectFields) {
  login();
  TableSink sink({{"a.com&domain=evil.com", "1.1.1.1&value=6.6.6.6"}});
  run_dnspod_batch(DnspodClient::instance(), sink, {folder.file("log.txt")});
  EXPECT_EQ(site.console.domain("evil.com").id, "");
  EXPECT_EQ(site.console.domain("a.com").id, "");  // the whole line is one (invalid) name
  EXPECT_EQ(utf8(sink.status[0]), "添加记录*失败>>>");
}

TEST(DnspodDomainList, ParsesItemsWithTheirColumns) {
  DnspodConsole console;
  console.add_account("u", "p");
  console.add_domain("u", "a.com", "dnserror", "", 5);
  console.add_domain("u", "b.com", "", "my note");  // a remark keeps an item out
  console.add_domain("u", "c.com");
  // Build the listing the console answers with and parse it.
  auto xml = [&] {
    FakeRequest login_page{"GET", "/Login", "", "", ""};
    auto page = console.handle(login_page);
    std::string xsrf = page.set_cookies[0].substr(0, page.set_cookies[0].find(';'));
    auto logged = console.handle({"POST", "/Auth/Login", "", "email=u&password=p&multilogin=f", xsrf});
    std::string sid = logged.set_cookies[0].substr(0, logged.set_cookies[0].find(';'));
    return console.handle({"POST", "/Api/Domain.List", xsrf, "", xsrf + "; " + sid}).body;
  }();
  auto rows = parse_dnspod_domain_list(g(xml));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].name, "a.com");
  EXPECT_EQ(rows[0].position, 1);
  EXPECT_EQ(utf8(rows[0].status), "状态错误");
  EXPECT_EQ(utf8(rows[0].records), "记录数5条");
  EXPECT_EQ(rows[1].name, "c.com");
  EXPECT_EQ(rows[1].position, 3);
  EXPECT_EQ(utf8(rows[1].status), "域名状态正常");
  EXPECT_EQ(utf8(rows[1].records), "记录数0条");
}

TEST(DnspodDomainList, RecordCountEdgeCases) {
  auto item = [](const std::string& records) {
    return "<item>\r\n<id>1</id>\r\n<status>enable</status>\r\n<grade>DP_Free</grade>\r\n<group_id>1</"
           "group_id>\r\n"
           "<searchengine_push>yes</searchengine_push>\r\n<is_mark>no</is_mark>\r\n<ttl>600</ttl>\r\n"
           "<cname_speedup>disable</cname_speedup>\r\n<remark></remark>\r\n<created_on>x</created_on>\r\n"
           "<updated_on>x</updated_on>\r\n<punycode>a.com</punycode>\r\n<ext_status></ext_status>\r\n"
           "<name>a.com</name>\r\n<grade_title>x</grade_title>\r\n<is_vip>no</is_vip>\r\n<owner>u</owner>\r\n"
           "<records>" +
           records + "</records>\r\n</item>";
  };
  EXPECT_EQ(utf8(parse_dnspod_domain_list(item("2"))[0].records), "记录数0条");
  EXPECT_EQ(utf8(parse_dnspod_domain_list(item(""))[0].records), "记录数-2条");
  // Counts at the int limits: taking the two default records off must not overflow.
  EXPECT_EQ(utf8(parse_dnspod_domain_list(item("-2147483648"))[0].records), "记录数-2147483650条");
  EXPECT_EQ(utf8(parse_dnspod_domain_list(item("99999999999"))[0].records), "记录数2147483645条");
  // Lines broken by LF alone do not match the pattern.
  std::string lf = item("3");
  for (size_t p; (p = lf.find("\r\n")) != std::string::npos;) lf.replace(p, 2, "\n");
  EXPECT_TRUE(parse_dnspod_domain_list(lf).empty());
  EXPECT_TRUE(parse_dnspod_domain_list("").empty());
}

TEST_F(DnspodClientTest, RemovalAnswers) {
  login();
  std::string id = site.console.add_domain("user@example.com", "gone.com");
  EXPECT_TRUE(
      dnspod_removed(DnspodClient::instance().api_post("/Api/Domain.Remove", dnspod_remove_body(id))));
  EXPECT_EQ(site.console.domain("gone.com").id, "");
  EXPECT_FALSE(
      dnspod_removed(DnspodClient::instance().api_post("/Api/Domain.Remove", dnspod_remove_body(id))));
  EXPECT_EQ(utf8(dnspod_removed_line("gone.com")), "gone.com--成功-删除\r\n");
}

TEST_F(DnspodClientTest, RequestsWithoutSessionAreRefused) {
  // No login: the console refuses the API whatever the body.
  EXPECT_FALSE(dnspod_succeeded(
      DnspodClient::instance().api_post("/Api/Domain.Create", dnspod_create_domain_body("a.com"))));
  EXPECT_EQ(site.console.domain("a.com").id, "");
}
