// The external link tool's plain part: the template URL, the domain draw, the success test,
// the configuration files and one request against the fake link target.
#include <gtest/gtest.h>

#include <set>

#include "core/text/files.h"
#include "fakes/fake_server.h"
#include "fakes/link_target.h"
#include "links/external_links.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::links;
using tessaly::test::g;

namespace {

TEST(LinksExternal, EveryPlaceholderIsReplacedCaseSensitively) {
  struct Case {
    const char* tmpl;
    const char* url;
  };
  const Case cases[] = {
      {"http://s.cn/?q={$url}", "http://s.cn/?q=a.com"},
      {"http://s.cn/{$url}/x?u={$url}", "http://s.cn/a.com/x?u=a.com"},
      {"http://s.cn/plain", "http://s.cn/plain"},    // requested unchanged
      {"http://s.cn/{$URL}", "http://s.cn/{$URL}"},  // another spelling stays
      {"http://s.cn/{$url", "http://s.cn/{$url"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(link_url(c.tmpl, "a.com"), c.url) << c.tmpl;
  // A "{" that is the trail byte of a GBK character starts no placeholder.
  const Text tmpl = std::string("http://s.cn/\x81{$url}");
  EXPECT_EQ(link_url(tmpl, "a.com"), tmpl);
}

TEST(LinksExternal, TheDomainIsDrawnFromTheListAndTheTestLooksForTitle) {
  EXPECT_EQ(pick_domain({}), "");
  EXPECT_EQ(pick_domain({"only.cn"}), "only.cn");
  const TextList domains = {"a.cn", "b.cn", "c.cn"};
  std::set<Text> drawn;
  for (int i = 0; i < 300; ++i) drawn.insert(pick_domain(domains));
  EXPECT_EQ(drawn, (std::set<Text>{"a.cn", "b.cn", "c.cn"}));
  // One draw covers 32,768 positions; a longer list still has its last domains drawn.
  TextList many;
  for (int i = 0; i < 40000; ++i) many.push_back(std::to_string(i));
  int beyond = 0;
  for (int i = 0; i < 2000; ++i) beyond += std::stoi(pick_domain(many)) >= 32768;
  EXPECT_GT(beyond, 0);

  EXPECT_TRUE(link_succeeded("<html><title>x</title>"));
  EXPECT_TRUE(link_succeeded("subtitles"));
  EXPECT_FALSE(link_succeeded("<TITLE>x</TITLE>"));
  EXPECT_FALSE(link_succeeded(""));
  EXPECT_EQ(totals_text(12, 0), g("成功：12个，失败：0个"));
}

TEST(LinksExternal, DomainsAreSavedWholeAndTemplatesReadAsLines) {
  test::TempFolder folder;
  set_program_folder(folder.path());
  EXPECT_EQ(load_domain_text(), "");  // no files yet
  EXPECT_TRUE(load_templates().empty());

  // The folder is made when it is missing; the file holds the box exactly.
  ASSERT_TRUE(save_domain_text(g("a.cn\r\n中文.cn\r\n")));
  EXPECT_EQ(read_file(folder.path() + "/超级外链工具配置/域名.txt"), g("a.cn\r\n中文.cn\r\n"));
  EXPECT_EQ(load_domain_text(), g("a.cn\r\n中文.cn\r\n"));
  EXPECT_FALSE(file_exists(domain_file() + ".tmp"));

  write_file(template_file(), "http://a/?u={$url}\r\n\r\nhttp://b/\r\n");
  EXPECT_EQ(load_templates(), (TextList{"http://a/?u={$url}", "", "http://b/"}));

  // A file where the folder should be: nothing can be saved, and the save says so.
  set_program_folder(folder.path() + "/超级外链工具配置/域名.txt");
  EXPECT_FALSE(save_domain_text("new.cn"));
  set_program_folder("");
}

TEST(LinksExternal, ARequestCountsInTheProgramTotals) {
  fakes::FakeServer server;
  fakes::FakeLinkTarget target(server);
  target.set_page("/plain", {.title = false});
  LinkTotals& totals = link_totals();
  const long long successes = totals.successes, failures = totals.failures;

  LinkResult ok = request_link(server.base_url() + "/add?site={$url}", {"a.cn"});
  EXPECT_EQ(ok.outcome, ItemOutcome::Result);
  EXPECT_NE(ok.page.find("/add?site=a.cn"), std::string::npos);
  EXPECT_EQ(request_link(server.base_url() + "/plain", {"a.cn"}).outcome, ItemOutcome::Failed);
  EXPECT_EQ(server.requests().back().target, "/plain");
  EXPECT_FALSE(server.requests().front().has_header("Cookie"));
  server.stop();
  LinkResult down = request_link(server.base_url() + "/add?site={$url}", {"a.cn"});
  EXPECT_EQ(down.outcome, ItemOutcome::Failed);
  EXPECT_EQ(down.page, "");
  EXPECT_EQ(totals.successes, successes + 1);
  EXPECT_EQ(totals.failures, failures + 2);
}

}  // namespace
