// Website access test and batch IP lookup, plain parts: page charsets, titles, result lines,
// the flagged-domain pattern and the worker against the fake sites; the IP138 patterns.
#include <gtest/gtest.h>

#include "core/patterns/pattern_matcher.h"
#include "core/patterns/web_text.h"
#include "core/text/charset.h"
#include "domains/access_test.h"
#include "domains/ip_lookup.h"
#include "fakes/fake_server.h"
#include "fakes/sites.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::domains;
using namespace tessaly::fakes;
using tessaly::test::g;

namespace {

TEST(WebPageCharset, Utf8Validity) {
  struct Case {
    std::string bytes;
    bool utf8;
  } cases[] = {
      {"", true},
      {"ascii only", true},
      {"中文", true},
      {"\xF0\x9F\x98\x80", true},
      {convert_charset("中文", "UTF-8", "GBK"), false},
      {"\xC0\xAF", false},          // overlong
      {"\xED\xA0\x80", false},      // surrogate
      {"\xF4\x90\x80\x80", false},  // beyond U+10FFFF
      {"\xE4\xB8", false},          // cut short
  };
  for (const auto& c : cases) EXPECT_EQ(is_utf8(c.bytes), c.utf8) << c.bytes;
}

TEST(WebPageCharset, DeclaredCharsetHeaderFirstThenMeta) {
  struct Case {
    std::string body, head, charset;
  } cases[] = {
      {"", "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=GB2312\r\n", "gb2312"},
      {"<meta charset=\"big5\">", "HTTP/1.1 200 OK\r\ncontent-type: text/html;charset=\"utf-8\"\r\n",
       "utf-8"},
      {"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Big5\">",
       "Content-Type: text/html\r\n", "big5"},
      {"<meta charset = 'gbk' />", "", "gbk"},
      {"<p>charset=utf-8</p>", "", ""},  // outside a meta tag it means nothing
      {std::string(9000, ' ') + "<meta charset=\"utf-8\">", "", ""},
      {"", "X-Note: charset=utf-8\r\n", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(declared_charset(c.body, c.head), c.charset) << c.body << c.head;
}

TEST(WebPageCharset, PagesBecomeGbkFromTheirOwnCharset) {
  const std::string gbk_page = convert_charset("<title>简体</title>", "UTF-8", "GBK");
  const std::string big5_page = convert_charset("<title>繁體</title>", "UTF-8", "BIG5");
  struct Case {
    const char* name;
    std::string body, head, text;
  } cases[] = {
      {"UTF-8 by header", "<title>中文</title>", "Content-Type: text/html; charset=utf-8\r\n",
       g("<title>中文</title>")},
      {"GBK undeclared", gbk_page, "Content-Type: text/html\r\n", g("<title>简体</title>")},
      {"UTF-8 undeclared", "<title>中文</title>", "", g("<title>中文</title>")},
      {"Big5 by header", big5_page, "Content-Type: text/html; charset=big5\r\n", g("<title>繁體</title>")},
      {"GB18030", convert_charset("<title>中</title>", "UTF-8", "GB18030"),
       "Content-Type: text/html; charset=gb18030\r\n", g("<title>中</title>")},
      {"unknown charset: guessed", gbk_page, "Content-Type: text/html; charset=x-nonsense\r\n",
       g("<title>简体</title>")},
      {"cut at a zero byte", std::string("ab\0cd", 5), "", "ab"},
  };
  for (const auto& c : cases) EXPECT_EQ(web_page_text(c.body, c.head), c.text) << c.name;
}

TEST(WebPageCharset, CharacterReferences) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"A &amp; B", "A & B"},
      {"&lt;b&gt; &quot;q&quot; &apos;", "<b> \"q\" '"},
      {"&#20013;&#x6587;&#X6587;", g("中文文")},
      {"&copy; 2024&nbsp;&mdash;", g("© 2024 —")},
      {"&unknown; & &amp", "&unknown; & &amp"},
      {"&#xZZ; &#; &#0;", "&#xZZ; &#; ?"},
      {"&#128512;", "?"},  // no GBK character for it
      {g("中&amp;文"), g("中&文")},
  };
  for (const auto& c : cases) EXPECT_EQ(decode_html_entities(c.in), c.out) << c.in;
}

TEST(DomainsAccessTest, TitlesAndResultLines) {
  struct Case {
    std::string page, title;
  } cases[] = {
      {"<title>Home</title>", "Home"},
      {"<TITLE>Upper</Title>", "Upper"},
      {"<title></title>", ""},
      // A title over several lines: each break with its blanks is one space, none at the ends.
      {"<title>\r\nTwo lines\r\n</title>", "Two lines"},
      {"<title>  one \r\n\t two\nthree </title>", "one two three"},
      {"<title>\r\n \r\n</title>", ""},
      {"<title> single </title>", " single "},  // one line stays as it is
      {"<title>first</title><title>second</title>", "first"},
      {"<title>A &amp; B</title>", "A & B"},
      {"<title>one&#13;&#10;two&#9;</title>", "one  two "},
      {"no title", ""},
  };
  PatternMatcher matcher;
  for (const auto& c : cases) EXPECT_EQ(page_title(matcher, c.page), c.title) << c.page;

  EXPECT_EQ(access_result_line(1, "a.com", g("首页")), g("1---a.com状态:OK---标题：首页\r\n"));
  EXPECT_EQ(access_result_line(12, "b.cn", ""), g("12★---b.cn状态:NO---标题：此域名可能不能访问。★★\r\n"));
  EXPECT_EQ(access_failed_line(3, "c.cn"), g("3★---c.cn状态:NO---标题：查询失败★★\r\n"));
  EXPECT_EQ(access_rate_limited_line(4, "d.cn"), g("4---d.cn状态:频率受限\r\n"));
  EXPECT_EQ(
      flagged_domains(g("1---a.com状态:OK---标题：x\r\n2★---b.cn状态:NO---标题：此域名可能不能访问。★★\r\n"
                        "3★---状态:NO---标题：此域名可能不能访问。★★\r\n")),
      (TextList{"b.cn", ""}));
  // A site that brought no answer is flagged too.
  EXPECT_EQ(flagged_domains(access_failed_line(3, "c.cn")), TextList{"c.cn"});
  EXPECT_EQ(access_summary(3), g("查询完毕不能访问的域名一共有3个"));
}

TEST(DomainsAccessTest, EverySiteIsRequestedAsTypedAndShowsItsTitle) {
  FakeServer server;
  FakeSites sites(server);
  struct Lines : AccessSink {
    std::vector<std::string> lines;
    void result_line(const Text& line) override { lines.push_back(line); }
  } sink;
  TextList list;
  std::vector<std::string> expected;
  int k = 0;
  for (const SitePage& page : FakeSites::pages()) {
    std::string site = server.base_url() + page.path;
    list.push_back(site);
    expected.push_back(access_result_line(++k, site, g(page.title)));
  }
  const std::string bare = "127.0.0.1:" + std::to_string(server.port());  // no scheme, no path
  const std::string dead = "http://127.0.0.1:" + std::to_string(unused_port()) + "/";
  list.insert(list.end(), {bare, dead, ""});
  expected.push_back(access_result_line(++k, bare, g("首页")));
  expected.push_back(access_failed_line(++k, dead));
  expected.push_back(access_failed_line(++k, ""));
  run_access_test(list, sink);
  EXPECT_EQ(sink.lines, expected);
  auto first = server.requests("/").front();
  EXPECT_EQ(first.header("Referer"), server.base_url() + "/");  // the text face's headers
}

TEST(DomainsIpLookup, UrlAndPatterns) {
  EXPECT_NE(ip_lookup_url("a.com").find("/ips1388.asp?ip=a.com&action=2"), std::string::npos);
  IpLookupResult r = read_ip_lookup(
      g("<h1><font color=\"blue\">a.com >> 1.2.3.4</font></h1><ul><li>本站主数据：广东 电信</li>"));
  EXPECT_EQ(r.ip, "1.2.3.4");
  EXPECT_EQ(r.region, g("广东 电信"));
  r = read_ip_lookup(g("<h1><font color=\"blue\">x.cn</font></h1><p>没有</p>"));
  EXPECT_EQ(r.ip, "");
  EXPECT_EQ(r.region, "");
}

}  // namespace
