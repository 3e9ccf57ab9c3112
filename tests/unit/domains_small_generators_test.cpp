#include <gtest/gtest.h>

#include "core/text/line_output.h"
#include "core/text/text.h"
#include "domains/small_generators.h"
#include "support/test_support.h"

namespace tessaly {
namespace {

template <class F>
std::string run(F f) {
  TextOutput out;
  f(out.out());
  return out.text();
}

const TextList kDomains = {"a.com", "b.net", "c.org"};

TEST(SmallGenerators, UrlForms) {
  struct Case {
    bool www, slash;
    const char* first;
  };
  const Case cases[] = {{true, true, "http://www.a.com/"},
                        {true, false, "http://www.a.com"},
                        {false, true, "http://a.com/"},
                        {false, false, nullptr}};
  for (const auto& c : cases) {
    TextList lines = split_lines(run([&](LineOutput& o) { url_form_lines(kDomains, c.www, c.slash, o); }));
    if (!c.first) {
      EXPECT_TRUE(lines.empty());
      continue;
    }
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], c.first);
  }
  // An empty item gives the added parts alone.
  EXPECT_EQ(run([](LineOutput& o) { url_form_lines({""}, true, true, o); }), "http://www./\r\n");
}

TEST(SmallGenerators, LinksAreNumberedAndTakePrecedence) {
  TextList lines = split_lines(run([](LineOutput& o) { www_or_link_lines(kDomains, true, true, o); }));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "<p>1--------<a href=\"http://a.com\" target=\"_blank\">a.com</a></p>");
  EXPECT_EQ(lines[1].substr(0, 4), "<p>2");
  EXPECT_EQ(lines[2].substr(0, 4), "<p>3");
  EXPECT_EQ(run([](LineOutput& o) { www_or_link_lines(kDomains, false, true, o); }),
            "www.a.com\r\nwww.b.net\r\nwww.c.org\r\n");
  EXPECT_EQ(run([](LineOutput& o) { www_or_link_lines(kDomains, false, false, o); }), "");
}

TEST(SmallGenerators, PrefixAndSuffix) {
  EXPECT_EQ(run([](LineOutput& o) {
              prefixed_lines({"a.com", "b.net"}, "gov.cn.", o);
            }),
            "gov.cn.a.com\r\ngov.cn.b.net\r\n");
  EXPECT_EQ(run([](LineOutput& o) {
              suffixed_lines({"7wndw", "z1931"}, ".pw", o);
            }),
            "7wndw.pw\r\nz1931.pw\r\n");
}

TEST(SmallGenerators, CutBeforeSeparator) {
  struct Case {
    std::string text, separator, expected;
  };
  const std::vector<Case> cases = {
      {"a.b.c\r\nxyz", ".", "a\r\n"},
      {"ab.cd.ef\r\n.lead\r\ntrail.", ".", "ab\r\n\r\ntrail\r\n"},
      {"aXb\r\ncxd", "X", "a\r\nc\r\n"},   // ASCII letters without case
      {"a1d2\r\n12", "d", "a1\r\n"},       // a letter is itself, never a pattern class
      {"a.b--c\r\nx-y", "--", "a.b\r\n"},  // several characters, taken literally
      {"a+b*c", "*", "a+b\r\n"},
      {gbk("北京.市\r\n上海"), ".", gbk("北京\r\n")},
      {gbk("北京市区\r\n上海市"), gbk("市"), gbk("北京\r\n上海\r\n")},
      {"a.b", "", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(run([&](LineOutput& o) { cut_before_lines(c.text, c.separator, o); }), c.expected) << c.text;
  // The separator is never found across two characters: "啊" is B0 A1, "A1B0" straddles "啊啊".
  EXPECT_EQ(run([](LineOutput& o) { cut_before_lines(gbk("啊啊"), "\xA1\xB0", o); }), "");
}

TEST(SmallGenerators, IpRun) {
  struct Case {
    const char* first;
    const char* last;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"250", "252", {"127.0.0.250", "127.0.0.251", "127.0.0.252"}},
      {"9", "3", {"127.0.0.9"}},
      {"007", "9", {"127.0.0.007", "127.0.0.8", "127.0.0.9"}},  // the first number as typed
      {"x", "1", {"127.0.0.x", "127.0.0.1"}},                   // not a number: 0
  };
  for (const auto& c : cases)
    EXPECT_EQ(split_lines(run([&](LineOutput& o) { ip_run_lines("127.0.0.", c.first, c.last, o); })), c.lines)
        << c.first << "-" << c.last;
  TextList defaults = split_lines(run([](LineOutput& o) { ip_run_lines("127.0.0.", "1", "258", o); }));
  ASSERT_EQ(defaults.size(), 258u);
  EXPECT_EQ(defaults.front(), "127.0.0.1");
  EXPECT_EQ(defaults.back(), "127.0.0.258");
}

TEST(SmallGenerators, RuleLinksAndDefaultRules) {
  EXPECT_EQ(run([](LineOutput& o) { rule_link_lines({"http://x.cn/s?wd=1"}, "kw", o); }),
            "<a href=\"http://x.cn/s?wd=1\" target=\"_blank\">kw</a>\r\n");
  TextList rules = split_lines(default_outreach_rules_text());
  const char* paths[] = {"/tag/",
                         "/index/s?wd=",
                         "/sch/sis.html?_nkw=",
                         "/s/ref=nb_sb_noss?field-keywords=",
                         "/search?word=",
                         "/i?tn=baiduimage&ie=utf-8&word=",
                         "/search?word=",
                         "/s?wd=",
                         "/do/s?word=",
                         "/news/k/",
                         "/search?searchquery=",
                         "/s?wd=",
                         "/search/?f=baicai&q=",
                         "/album/",
                         "/s?wd=",
                         "/third.cgi?w=",
                         "/s?wd="};
  ASSERT_EQ(rules.size(), 17u);
  const std::string utf8_marks = gbk("{关键字_UTF8}{号码_UTF8}");
  const std::string gbk_marks = gbk("{关键字_GBK}{号码_GBK}");
  for (size_t i = 0; i < rules.size(); ++i) {
    const std::string& rule = rules[i];
    ASSERT_EQ(rule.rfind("http://", 0), 0u) << i;
    size_t path_at = rule.find('/', 7);
    bool gbk_rule = i == 8 || i == 15;
    std::string expected_tail =
        std::string(paths[i]) + (gbk_rule ? gbk_marks : utf8_marks) + (i == 8 ? "&ct=21" : "");
    EXPECT_EQ(rule.substr(path_at), expected_tail) << i;
  }
  EXPECT_EQ(default_link_text(), gbk_marks);
  EXPECT_EQ(split_lines(default_suffix_samples()).size(), 20u);
}

}  // namespace
}  // namespace tessaly
