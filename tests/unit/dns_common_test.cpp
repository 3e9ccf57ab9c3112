// Cookie helpers, form encoding and the domain/IP pairing shared by both DNS clients.
#include <gtest/gtest.h>

#include "core/http/cookie_store.h"
#include "core/http/endpoints.h"
#include "dns/dns_common.h"
#include "support/test_support.h"

using namespace tessaly;

TEST(DnsCookieValue, FindsTrimsAndTerminatesTheJar) {
  struct Case {
    std::string jar, name;
    bool value_only;
    std::string result, jar_after;
  };
  const Case cases[] = {
      {"", "_xsrf", false, "", ";"},
      {"  a=1; b=2  ", "b", false, "b=2", "a=1; b=2;"},
      {"a=1; b=2;", "a", true, "1", "a=1; b=2;"},
      {"a=1", "c", false, "", "a=1;"},
      // The first "name=" anywhere counts, also inside a longer cookie name.
      {"x_xsrf=5; _xsrf=7", "_xsrf", true, "5", "x_xsrf=5; _xsrf=7;"},
      // Names compare with their case.
      {"PHPSESSID=abc", "phpsessid", false, "", "PHPSESSID=abc;"},
      {"a=; b=2", "a", false, "", "a=; b=2;"},
  };
  for (const auto& c : cases) {
    std::string jar = c.jar;
    EXPECT_EQ(cookie_value(jar, c.name, c.value_only), c.result) << c.jar;
    EXPECT_EQ(jar, c.jar_after) << c.jar;
  }
}

TEST(DnsCookieValue, AddCookieAppendsOnePiece) {
  std::string jar = "a=1; b=2;";
  add_cookie(jar, "PHPSESSID=x");
  EXPECT_EQ(jar, "a=1; b=2; PHPSESSID=x");
  std::string empty;
  add_cookie(empty, "PHPSESSID=x");
  EXPECT_EQ(empty, "PHPSESSID=x");
}

TEST(DnsSiteCookies, ReadAndClearTheStoreForOneDomainOnly) {
  cookie_store_clear_all();
  cookie_store_set("http://console.test/", "a=1; path=/");
  cookie_store_set("http://console.test/", "s=2; path=/; HttpOnly");
  cookie_store_set("https://console.test/", "t=3; path=/member; secure");
  cookie_store_set("http://other.test/", "keep=1; path=/");

  std::string all = read_site_cookies("console.test");
  EXPECT_NE(all.find("a=1"), std::string::npos);
  EXPECT_NE(all.find("s=2"), std::string::npos);  // HttpOnly cookies are read as well
  EXPECT_EQ(read_site_cookies("console.test", "s"), "s=2");
  EXPECT_EQ(read_site_cookies("console.test", "missing"), "");

  clear_site_cookies("console.test");
  EXPECT_EQ(read_site_cookies("console.test"), "");
  for (const auto& c : cookie_store_list()) EXPECT_NE(c.domain, "console.test") << c.name;
  EXPECT_EQ(read_site_cookies("other.test"), "keep=1");
  cookie_store_clear_all();
}

TEST(DnsCookieDomain, RegistrableDomainOfTheEndpointHost) {
  struct Case {
    const char* host;
    const char* domain;
  };
  const Case cases[] = {{"www.dnspod.cn", "dnspod.cn"},
                        {"WWW.51dns.com:8443", "51dns.com"},
                        {"127.0.0.1:4431", "127.0.0.1"},
                        {"localhost:80", "localhost"}};
  for (const auto& c : cases) {
    set_endpoint_overrides(std::string("DNSPOD_WEB = https://") + c.host);
    EXPECT_EQ(service_cookie_domain("DNSPOD_WEB"), c.domain) << c.host;
  }
  set_endpoint_overrides("");
}

TEST(DnsFormValues, PercentEncoding) {
  // Values can neither cut the form nor add fields; letters, digits, "-" and "." stay readable.
  EXPECT_EQ(form_value("p&ss=1+2%3 x"), "p%26ss%3D1%2B2%253%20x");
  EXPECT_EQ(form_value("www.a-b.com"), "www.a-b.com");
  EXPECT_EQ(form_value(gbk("中")), "%E4%B8%AD");  // UTF-8 on the wire
}

TEST(DnsImportPairs, PairsLinesAndRefusesDifferentCounts) {
  EXPECT_FALSE(import_domain_ip_pairs("a.com\r\nb.com\r\nc.com", "1.1.1.1\r\n2.2.2.2").has_value());
  EXPECT_EQ(import_count_message(), gbk("请输入数量相同的域名和IP"));

  // A final line break adds no line; an empty line in the middle is a pair with an empty value.
  auto pairs = import_domain_ip_pairs("a.com\r\n\r\nc.com\r\n", "1.1.1.1\r\n2.2.2.2\r\n3.3.3.3");
  ASSERT_TRUE(pairs.has_value());
  ASSERT_EQ(pairs->size(), 3u);
  EXPECT_EQ((*pairs)[1].domain, "");
  EXPECT_EQ((*pairs)[1].ip, "2.2.2.2");
  EXPECT_EQ((*pairs)[2].domain, "c.com");
  // Nothing is trimmed.
  auto raw = import_domain_ip_pairs(" a.com ", "1.1.1.1 ");
  ASSERT_TRUE(raw.has_value());
  EXPECT_EQ((*raw)[0].domain, " a.com ");
  EXPECT_TRUE(import_domain_ip_pairs("", "")->empty());
}

TEST(DnsTimeText, NowTextHasTheDateTimeForm) {
  std::string t = now_text();
  EXPECT_NE(t.find(gbk("年")), std::string::npos);
  EXPECT_NE(t.find(gbk("日")), std::string::npos);
}
