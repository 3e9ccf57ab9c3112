// tessaly-cli's domain tools against the fake services: the access test, whois and the IP lookup.
#include <gtest/gtest.h>

#include "cli/cli_runner.h"
#include "fakes/chinaz.h"
#include "fakes/fake_server.h"
#include "fakes/ip138.h"
#include "fakes/sites.h"

using namespace tessaly;
using namespace tessaly::fakes;
using namespace tessaly::test;
using Lines = std::vector<std::string>;

TEST(CliAccess, TitleLinesFlaggedSitesAndUnansweredRequests) {
  FakeServer server;
  FakeSites sites(server);
  const std::string dead = "http://127.0.0.1:" + std::to_string(unused_port()) + "/";
  const std::string input = server.base_url() + "/gbk\n" + server.base_url() + "/none\n" + dead + "\n";
  CliResult r = run_cli({"access"}, with_input(input));
  EXPECT_EQ(r.status, 1);  // the dead site brought no answer
  EXPECT_EQ(r.lines(), (Lines{"1---" + server.base_url() + "/gbk状态:OK---标题：简体中文站点",
                              "2★---" + server.base_url() + "/none状态:NO---标题：此域名可能不能访问。★★",
                              "3★---" + dead + "状态:NO---标题：查询失败★★"}));
  EXPECT_NE(r.err.find("1 of 3 items failed"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("3 " + dead + ": failed"), std::string::npos) << r.err;

  CliResult csv = run_cli({"access", "--format", "csv"}, with_input(server.base_url() + "/entities\n"));
  EXPECT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(csv.lines(), (Lines{"id,site,reachable,title,status",
                                "1," + server.base_url() + "/entities,yes,A & B 中文 <ok>,ok"}));
}

TEST(CliWhois, RegisteredUnregisteredAndFailedDomains) {
  FakeServer server;
  FakeChinaz chinaz(server);
  chinaz.set_whois("a.com", {.registrar = "Reg Inc",
                             .name_servers = "ns1.a.com",
                             .dns_servers = "dns.a.com",
                             .updated = "2024年01月02日",
                             .created = "2001-05-06 10:20:30",
                             .expires = "2030-07-08"});
  chinaz.set_whois("broken.com", {.missing = -1});
  EndpointsFile endpoints({{"CHINAZ_WHOIS", &server}, {"CHINAZ_IP", &server}});
  CliResult r = run_cli({"whois", "--delay", "0", "--format", "jsonl", "--endpoints", endpoints.path()},
                        with_input("a.com\nfree.cn\n"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(
      r.lines(),
      (Lines{
          R"({"id":"1","domain":"a.com","registrar":"Reg Inc","name_servers":"ns1.a.com","dns_servers":"dns.a.com","updated":"2024年01月02日","updated_iso":"2024-01-02","created":"2001-05-06 10:20:30","created_iso":"2001-05-06","expires":"2030-07-08","expires_iso":"2030-07-08","registered":"yes","status":"ok"})",
          R"({"id":"2","domain":"free.cn","registrar":"该域名未被注册","name_servers":"","dns_servers":"","updated":"","updated_iso":"","created":"","created_iso":"","expires":"","expires_iso":"","registered":"no","status":"empty"})"}));

  CliResult text =
      run_cli({"whois", "--delay", "0", "--endpoints", endpoints.path()}, with_input("broken.com\n"));
  EXPECT_EQ(text.status, 1);
  EXPECT_EQ(
      text.lines(),
      (Lines{"1-域名-broken.com-注册商-查询失败-域名服务器--DNS服务器--更新时间--创建时间--过期时间-"}));
  EXPECT_NE(text.err.find("1 broken.com: failed (no whois block in the page)"), std::string::npos)
      << text.err;
}

TEST(CliIp, AddressAndRegionPerDomain) {
  FakeServer server;
  FakeIp138 ip138(server);
  ip138.set_domain("a.com", "1.2.3.4", "北京市 电信");
  EndpointsFile endpoints({{"IP138_LOOKUP", &server}});
  CliResult r = run_cli({"ip", "--endpoints", endpoints.path()}, with_input("a.com\nunknown.cn\n"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.lines(), (Lines{"1---a.com---1.2.3.4---北京市 电信", "2---unknown.cn------"}));
}
