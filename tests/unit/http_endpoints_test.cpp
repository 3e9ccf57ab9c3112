// The endpoint table and its override.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/http/endpoints.h"
#include "core/text/files.h"
#include "support/test_support.h"

using namespace tessaly;

namespace {

TEST(HttpEndpoints, EveryKeyHasASchemeAndADefaultHost) {
  const char* keys[] = {"DNSPOD_WEB",       "DNS51_WEB",        "BAIDU_WEB_SEARCH", "BAIDU_HOME",
                        "BAIDU_SUGGEST",    "BAIDU_PING",       "BAIDU_TRANSLATE",  "WORDLIB_HOME",
                        "WORDLIB_SEARCH",   "WORDLIB_DATA",     "AIZHAN_LOGIN",     "AIZHAN_KEYWORDS",
                        "AIZHAN_BAIDURANK", "KANDIANBAO_WAJUE", "TAOBAO_SUGGEST",   "SOGOU_INDEX_SEARCH",
                        "SOGOU_INDEX_HINT", "BING_HOME",        "BING_SUGGEST",     "SO360_SUGGEST",
                        "CHINAZ_WHOIS",     "CHINAZ_IP",        "IP138_LOOKUP",     "PRODUCT_HOME",
                        "PRODUCT_HOME_ALT", "MINER_HELP",       "BAIDU_PUSH_API"};
  set_endpoint_overrides("");
  EXPECT_EQ(default_endpoints().size(), std::size(keys));
  for (const char* key : keys) {
    RemoteEndpoint e = endpoint(key);
    EXPECT_FALSE(e.host.empty()) << key;
    std::string expected_scheme = std::string(key).rfind("DNS", 0) == 0 ? "https" : "http";
    EXPECT_EQ(e.scheme, expected_scheme) << key;
  }
  EXPECT_EQ(endpoint_base("BAIDU_WEB_SEARCH"), "http://www.baidu.com");
}

TEST(HttpEndpoints, OverridesFromTextAndFromTheNamedFile) {
  set_endpoint_overrides(
      "# test services\r\n"
      "BAIDU_WEB_SEARCH = http://127.0.0.1:8080/   # trailing slash dropped\r\n"
      "DNSPOD_WEB=HTTPS://dns.example.net\n"
      "BING_HOME = ftp://elsewhere\n"
      "nonsense line\n");
  EXPECT_EQ(endpoint_base("BAIDU_WEB_SEARCH"), "http://127.0.0.1:8080");
  EXPECT_EQ(endpoint_base("DNSPOD_WEB"), "https://dns.example.net");
  EXPECT_EQ(endpoint_base("BING_HOME"), "http://cn.bing.com");  // not http(s): the default stays
  EXPECT_EQ(endpoint_base("BAIDU_HOME"), "http://www.baidu.com");

  test::TempFolder folder;
  std::string file = folder.file("endpoints.txt");
  write_file(file, "BAIDU_HOME = http://localhost:9000\r\n");
  ::setenv("TESSALY_ENDPOINTS", file.c_str(), 1);
  reload_endpoint_overrides();
  EXPECT_EQ(endpoint_base("BAIDU_HOME"), "http://localhost:9000");
  EXPECT_EQ(endpoint_base("BAIDU_WEB_SEARCH"), "http://www.baidu.com");
  ::unsetenv("TESSALY_ENDPOINTS");
  set_endpoint_overrides("");
}

}  // namespace
