// URL, header, percent-encoding and cookie-text helpers.
#include <gtest/gtest.h>

#include "core/http/http.h"
#include "support/test_support.h"

using namespace tessaly;

namespace {

struct HostCase {
  const char* url;
  bool root_only, keep_port;
  const char* host;
};

TEST(HttpUrl, HostTable) {
  const HostCase cases[] = {
      {"HTTPS://WWW.Example.COM:8080/Path?q=1", false, false, "www.example.com"},
      {"HTTPS://WWW.Example.COM:8080/Path?q=1", false, true, "www.example.com:8080"},
      {"HTTPS://WWW.Example.COM:8080/Path?q=1", true, false, "example.com"},
      {"http://a.b.c.example.cn/x", true, false, "example.cn"},
      {"example.com", false, false, "example.com"},
      {"Example.com/dir/file.html", false, false, "example.com"},
      {"localhost:81", true, true, "localhost:81"},
      {"http://127.0.0.1:9000", false, false, "127.0.0.1"},
      {"", false, false, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(url_host(c.url, c.root_only, c.keep_port), c.host)
        << c.url << " " << c.root_only << c.keep_port;
}

TEST(HttpUrl, PortTable) {
  const std::pair<const char*, int> cases[] = {
      {"HTTPS://WWW.Example.COM:8080/Path", 8080},
      {"https://example.com/", 443},
      {"HTTPS://example.com", 443},
      {"http://example.com", 80},
      {"example.com:81/x", 81},
      {"example.com", 80},
  };
  for (const auto& [url, port] : cases) EXPECT_EQ(url_port(url), port) << url;
}

TEST(HttpUrl, PathTable) {
  const std::pair<const char*, const char*> cases[] = {
      {"http://example.com", "/"},
      {"example.com", "/"},
      {"http://Example.COM/A/b.html?x=1&y=%3A", "/A/b.html?x=1&y=%3A"},
      {"https://example.com:8443/s?wd=\"a.com\"", "/s?wd=\"a.com\""},
      {"example.com/x", "/x"},
  };
  for (const auto& [url, path] : cases) EXPECT_EQ(url_path(url), path) << url;
}

TEST(HttpUrl, HeaderNameAndValue) {
  EXPECT_EQ(header_name("Content-Type: text/html"), "Content-Type");
  EXPECT_EQ(header_value("Content-Type: text/html"), "text/html");
  EXPECT_EQ(header_name("  X-Id :  a:b  "), "X-Id");
  EXPECT_EQ(header_value("  X-Id :  a:b  "), "a:b");
  EXPECT_EQ(header_name("no colon"), "");
  EXPECT_EQ(header_value("no colon"), "");
}

TEST(HttpUrl, EncodeTable) {
  struct Case {
    std::string text;
    bool keep_safe, utf8;
    const char* encoded;
  };
  const Case cases[] = {
      {gbk("中"), true, true, "%E4%B8%AD"},
      {gbk("中"), true, false, "%D6%D0"},
      {"site:a-b.com/x y", true, true, "site%3Aa-b.com%2Fx%20y"},
      {"Az09-.", true, false, "Az09-."},
      {"ab", false, false, "%61%62"},
      {"a+b", true, false, "a%2Bb"},
      {"", true, true, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(url_encode(c.text, {c.keep_safe, c.utf8}), c.encoded) << c.encoded;
}

TEST(HttpUrl, DecodeTable) {
  EXPECT_EQ(url_decode("%E4%B8%AD", true), gbk("中"));
  EXPECT_EQ(url_decode("%d6%D0"), gbk("中"));
  EXPECT_EQ(url_decode("a%20b+c"), "a b+c");
  EXPECT_EQ(url_decode("100%"), "100%");
  EXPECT_EQ(url_decode("%zz%4"), "%zz%4");
  EXPECT_EQ(url_decode(url_encode(gbk("收录 查询/x"), {.keep_safe = true, .utf8 = true}), true),
            gbk("收录 查询/x"));
}

TEST(HttpUrl, MergeCookiesTable) {
  struct Case {
    const char* jar;
    const char* fresh;
    const char* merged;
  };
  const Case cases[] = {
      {"a=1; b=2", "b=3; x=deleted", "b=3; a=1"},  // new values first, deleted dropped
      {"a=1; b=2", "a=deleted", "b=2"},            // deleting an old cookie
      {"a=1; b=2", "", "a=1; b=2"},
      {"", "a=1", "a=1"},
      {"a = 1;a=1; ", "", "a=1"},                     // spaces removed, repeated pieces once
      {"x=1", "y=hello world", "y=helloworld; x=1"},  // values lose their spaces
      {"sid=1; flag", "flag", "flag; sid=1"},         // a piece without "=" is its own name
      {"A=1", "a=2", "a=2; A=1"},                     // names compare exactly
  };
  for (const auto& c : cases) {
    std::string jar = c.jar;
    merge_cookies(jar, c.fresh);
    EXPECT_EQ(jar, c.merged) << c.jar << " + " << c.fresh;
  }
}

}  // namespace
