// The 51dns client against the fake 51dns console: login, the batch's paths, bodies and cookie
// jars, reading record IDs from the detail page, the paged domain list.
#include <gtest/gtest.h>

#include "core/text/charset.h"
#include "dns/dns51_client.h"
#include "fakes/dns_consoles.h"
#include "fakes/dns_table_sink.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::fakes;
using tessaly::test::g;

namespace {

class Dns51ClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    site.console.add_account("me@example.com", "a&b=c+d%");
    Dns51Client::instance().set_session(false, {}, {}, {});
  }
  void login() {
    ASSERT_EQ(Dns51Client::instance().login("me@example.com", "a&b=c+d%").result, DnsLogin::Succeeded);
  }

  Dns51Site site;
};

}  // namespace

TEST_F(Dns51ClientTest, LoginKeepsTheSessionFields) {
  login();
  auto posts = site.console.requests_to("/member/login");
  ASSERT_EQ(posts.size(), 2u);  // the page, then the form
  EXPECT_EQ(posts[1].body, "email=me%40example.com&password=a%26b%3Dc%2Bd%25&redirectURL=&captcha=");
  auto& client = Dns51Client::instance();
  EXPECT_TRUE(client.logged_in());
  EXPECT_EQ(client.session_id_pair().rfind("PHPSESSID=", 0), 0u);
  EXPECT_NE(client.login_cookies().find("member_uid="), std::string::npos);
  EXPECT_EQ(client.saved_cookies().back(), ';');
  EXPECT_NE(client.saved_cookies().find(client.session_id_pair()), std::string::npos);
}

TEST_F(Dns51ClientTest, LoginOutcomes) {
  auto& client = Dns51Client::instance();
  EXPECT_EQ(client.login("me@example.com", "wrong").result, DnsLogin::Failed);
  EXPECT_FALSE(client.logged_in());
  EXPECT_FALSE(client.login_cookies().empty());  // the attempt's cookies are kept
  site.console.set_login_silent(true);
  DnsLoginResult silent = client.login("me@example.com", "a&b=c+d%");
  EXPECT_EQ(silent.result, DnsLogin::NoAnswer);
  EXPECT_EQ(silent.problem, g("服务器的回答里没有登录结果"));
  EXPECT_FALSE(client.logged_in());
  site.console.set_login_silent(false);
  login();
  // Each attempt starts logged out again.
  EXPECT_EQ(client.login("me@example.com", "wrong").result, DnsLogin::Failed);
  EXPECT_FALSE(client.logged_in());
  // A console that does not answer ends the attempt at the login page, saying why.
  const size_t requests = site.console.requests_to("/member/login").size();
  site.server.stop();
  DnsLoginResult down = client.login("me@example.com", "a&b=c+d%");
  EXPECT_EQ(down.result, DnsLogin::Failed);
  EXPECT_EQ(down.problem.rfind(g("打开登录页面失败：没有得到回答（"), 0), 0u) << utf8(down.problem);
  EXPECT_FALSE(client.logged_in());
  EXPECT_EQ(site.console.requests_to("/member/login").size(), requests);
}

TEST(Dns51Requests, BodiesAndPaths) {
  EXPECT_EQ(dns51_add_domain_body("a.com"), "domains=a.com&type=A&value=");
  EXPECT_EQ(dns51_record_body(DnsRecord::Www, false, "", "1.2.3.4", "77"),
            "action=addRecord&recordName=www&type=A&viewID=0&recordValue=1.2.3.4&TTL=600&domainID=77");
  EXPECT_EQ(
      dns51_record_body(DnsRecord::At, true, "9", "1.2.3.4", "77"),
      "action=addRecord&recordID=9&recordName=%40&type=A&viewID=0&recordValue=1.2.3.4&TTL=600&domainID=77");
  EXPECT_EQ(
      dns51_record_body(DnsRecord::Star, true, "", "1.2.3.4", "77"),
      "action=addRecord&recordID=&recordName=*&type=A&viewID=0&recordValue=1.2.3.4&TTL=600&domainID=77");
  EXPECT_EQ(dns51_find_domain_path("a.com"), "/member/domain?domain=a.com");
  EXPECT_EQ(dns51_add_record_path("77"), "/member/domain/detail/77?controller=members/operate");
  EXPECT_EQ(dns51_list_path(3), "/member/domain-3-100");
  EXPECT_EQ(dns51_delete_body("77"), "domainsID=77_&action=delete");
  EXPECT_EQ(dns51_added_domain_id(R"({"data":{"result":[{"domain":"a.com","domainID":123}]}})"), "123");
  EXPECT_FALSE(dns51_domain_added(R"({"data":{"result":[{"error":"x"}]}})"));
}

TEST(Dns51DetailPage, RecordIdsFromDifferentRowShapes) {
  // The console's own shape: NS rows for "@" come first and are not A records.
  const std::string page =
      "<table>\n<tr><th>主机记录</th><th>类型</th></tr>\n"
      "<tr class=\"record\" data-record-id=\"11\">\n  <td class=\"record-name\">@</td>\n"
      "  <td class=\"record-type\">NS</td></tr>\n"
      "<tr class=\"record\" data-record-id=\"12\">\n  <td class=\"record-name\">@</td>\n"
      "  <td class=\"record-type\">A</td></tr>\n"
      // Upper-case tags, single quotes, the full name and attributes in another order.
      "<TR data-record-id='13' class=record><TD CLASS='rec-name'><span>WWW.Example.com.</span></TD>"
      "<td class='rec-type'>a</td></TR>\n"
      // An id="record_N" row with the name in the first cell and the type in the second.
      "<tr id=\"record_14\"><td>*</td><td>A</td><td>1.1.1.1</td></tr>\n"
      // A second "www" does not replace the first.
      "<tr data-record-id=\"15\"><td class=\"name\">www</td><td class=\"type\">A</td></tr>\n"
      "</table>";
  Dns51RecordIds ids = parse_51dns_record_ids(page, "example.com");
  EXPECT_EQ(ids.at, "12");
  EXPECT_EQ(ids.www, "13");
  EXPECT_EQ(ids.star, "14");

  Dns51RecordIds none = parse_51dns_record_ids("<p>域名不存在</p>", "example.com");
  EXPECT_EQ(none.www + none.at + none.star, "");
  // A row without an ID attribute, or a broken tag at the end, gives nothing and no crash.
  Dns51RecordIds broken =
      parse_51dns_record_ids("<tr><td>www</td><td>A</td></tr><tr data-record-id=\"5\"", "a.com");
  EXPECT_EQ(broken.www, "");
  // Blanks and &nbsp; around an ID, a name or a type are trimmed; tags inside a cell do not count.
  Dns51RecordIds padded = parse_51dns_record_ids(
      "<tr data-record-id=\" 21 \"><td class=\"name\">&nbsp;<b>www</b>\n</td><td class=\"type\"> A "
      "</td></tr>",
      "a.com");
  EXPECT_EQ(padded.www, "21");
}

TEST_F(Dns51ClientTest, BatchNewDomainsAndTheRecordJar) {
  login();
  std::string session = Dns51Client::instance().session_id_pair();
  TableSink sink({{"new1.com", "1.1.1.1"}, {"new2.com", "2.2.2.2"}});
  run_51dns_batch(Dns51Client::instance(), sink, {true, true, true});

  EXPECT_EQ(utf8(sink.status[0]), "添加www成功@成功*成功");
  EXPECT_EQ(utf8(sink.status[1]), "添加www成功@成功*成功");
  EXPECT_EQ(std::vector<std::string>(sink.history.begin(), sink.history.begin() + 7),
            (std::vector<std::string>{"正在初始化>>>", "正在添加www>>>", "添加www成功", "正在添加@>>>",
                                      "添加www成功@成功", "正在添加*>>>", "添加www成功@成功*成功"}));
  for (const char* name : {"new1.com", "new2.com"}) {
    auto d = site.console.domain(name);
    ASSERT_EQ(d.records.size(), 5u) << name;  // two NS records and the three A records
  }
  // New domains get the bodies without a record ID; every record request carried the session.
  for (const auto& r : site.console.requests()) {
    if (r.query != "controller=members/operate") continue;
    EXPECT_EQ(r.body.find("recordID"), std::string::npos);
    EXPECT_NE(r.cookie_header.find(session), std::string::npos);
  }
  EXPECT_NE(Dns51Client::instance().saved_cookies().find(session), std::string::npos);
}

TEST_F(Dns51ClientTest, BatchPresentDomainUsesTheExistingRecordIds) {
  login();
  site.console.add_domain("me@example.com", "old.com");
  std::string www_id = site.console.add_record("old.com", "www", "A", "9.9.9.9");
  TableSink sink({{"old.com", "3.3.3.3"}, {"fresh.com", "4.4.4.4"}});
  run_51dns_batch(Dns51Client::instance(), sink, {true, true, false});

  std::vector<std::string> bodies;
  for (const auto& r : site.console.requests())
    if (r.query == "controller=members/operate") bodies.push_back(r.body);
  ASSERT_EQ(bodies.size(), 4u);
  std::string id = site.console.domain("old.com").id;
  EXPECT_EQ(bodies[0], "action=addRecord&recordID=" + www_id +
                           "&recordName=www&type=A&viewID=0&recordValue=3.3.3.3&TTL=600&domainID=" + id);
  EXPECT_EQ(
      bodies[1],
      "action=addRecord&recordID=&recordName=%40&type=A&viewID=0&recordValue=3.3.3.3&TTL=600&domainID=" + id);
  // The next domain is judged afresh: it is new.
  EXPECT_EQ(bodies[2].find("recordID"), std::string::npos);
  EXPECT_EQ(utf8(sink.status[0]), "添加www成功@成功");
  auto old = site.console.domain("old.com");
  EXPECT_EQ(old.records[2].value, "3.3.3.3");  // the www record now points at the row's IP
  EXPECT_EQ(old.records.size(), 4u);

  // The lookups of the present domain: find, then detail, both with the row's cookies.
  auto finds = site.console.requests_to("/member/domain");
  ASSERT_EQ(finds.size(), 1u);
  EXPECT_EQ(finds[0].query, "domain=old.com");
  EXPECT_EQ(site.console.requests_to("/member/domain/detail/" + id).size(), 3u);  // detail GET + 2 records
}

TEST_F(Dns51ClientTest, FailedRecordsShowInTheStatus) {
  login();
  site.console.fail("/member/domain/detail/5001", "recordName=www", 1);
  TableSink sink({{"x.com", "1.1.1.1"}});
  run_51dns_batch(Dns51Client::instance(), sink, {true, true, false});
  EXPECT_EQ(utf8(sink.status[0]), "添加www失败@成功");
  EXPECT_EQ(sink.outcomes, std::vector<ItemOutcome>{ItemOutcome::Failed});
  // A domain the console refuses counts as present; its lookups find nothing.
  TableSink bad({{"not a domain", "1.1.1.1"}});
  run_51dns_batch(Dns51Client::instance(), bad, {true, false, false});
  EXPECT_EQ(utf8(bad.status[0]), "添加@失败");
  EXPECT_EQ(bad.outcomes, std::vector<ItemOutcome>{ItemOutcome::Failed});
}

TEST(Dns51DomainList, TotalAndPages) {
  EXPECT_EQ(parse_51dns_total("<span class=\"strip\">%E5%85%B1%26nbsp%3B250%26nbsp%3B%E4%B8%AA</span>"), 250);
  EXPECT_EQ(parse_51dns_total("<span class=\"strip\">%E5%85%B1&nbsp;7&nbsp;</span>"), 7);
  EXPECT_EQ(parse_51dns_total("<html>no block</html>"), 0);
  EXPECT_EQ(dns51_page_count(0), 1);
  EXPECT_EQ(dns51_page_count(100), 2);
  EXPECT_EQ(dns51_page_count(200), 3);
  EXPECT_EQ(dns51_page_count(250), 3);
  auto rows = parse_51dns_page(
      "<a href=\"/member/domain/detail/5\">a.com</a>&nbsp;x<a "
      "href=\"/member/domain/detail/6\">b.com</a>&nbsp;",
      2);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].number, 102);
  EXPECT_EQ(rows[1].name, "b.com");
  EXPECT_EQ(rows[1].id, "6");
}

TEST_F(Dns51ClientTest, ListingFetchesEveryPage) {
  login();
  for (int i = 1; i <= 250; ++i) site.console.add_domain("me@example.com", "d" + std::to_string(i) + ".com");
  std::vector<Dns51DomainRow> all;
  run_51dns_domain_list(Dns51Client::instance(), [&](std::vector<Dns51DomainRow> rows) {
    all.insert(all.end(), rows.begin(), rows.end());
  });
  ASSERT_EQ(all.size(), 250u);
  EXPECT_EQ(all[249].number, 250);
  EXPECT_EQ(all[249].name, "d250.com");
  std::vector<std::string> paths;
  for (const auto& r : site.console.requests())
    if (r.path.rfind("/member/domain-", 0) == 0) paths.push_back(r.path);
  EXPECT_EQ(paths, (std::vector<std::string>{"/member/domain-1-100", "/member/domain-1-100",
                                             "/member/domain-2-100", "/member/domain-3-100"}));
}

TEST_F(Dns51ClientTest, ListingEndsAtTheFirstPageWithoutDomainsWhateverTheTotalClaims) {
  login();
  for (int i = 1; i <= 150; ++i) site.console.add_domain("me@example.com", "d" + std::to_string(i) + ".com");
  site.console.set_claimed_total(2000000000);
  size_t listed = 0;
  run_51dns_domain_list(Dns51Client::instance(),
                        [&](std::vector<Dns51DomainRow> rows) { listed += rows.size(); });
  EXPECT_EQ(listed, 150u);
  int list_requests = 0;
  for (const auto& r : site.console.requests()) list_requests += r.path.rfind("/member/domain-", 0) == 0;
  EXPECT_EQ(list_requests, 4);  // the total, pages 1 and 2, and the empty page 3
}

TEST_F(Dns51ClientTest, WithoutLoginTheConsoleSendsTheLoginPage) {
  std::string jar;
  Text answer = Dns51Client::instance().request("/member/addDomain?controller=operate/checkDomain",
                                                HttpMethod::Post, dns51_add_domain_body("a.com"), jar);
  EXPECT_FALSE(dns51_domain_added(answer));
  EXPECT_EQ(site.console.domain("a.com").id, "");
}
