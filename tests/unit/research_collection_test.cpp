// The keyword collection's plain part: URLs, page counts, items and the worker's requests,
// against the fake keyword sites.
#include <gtest/gtest.h>

#include "core/http/cookie_store.h"
#include "core/http/endpoints.h"
#include "core/patterns/pattern_matcher.h"
#include "fakes/fake_server.h"
#include "fakes/faults.h"
#include "fakes/keyword_sites.h"
#include "research/collection.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::research;
using namespace tessaly::fakes;
using tessaly::test::g;

namespace {

TEST(ResearchCollection, UrlsEncodeEveryByteOfTheUtf8Seed) {
  set_endpoint_overrides("WORDLIB_SEARCH = http://ciku.test\nAIZHAN_KEYWORDS = http://ci.aizhan.test");
  const Text seed = g("站a 1");  // every byte encoded, letters, digits and the space included
  const std::string e = "%E7%AB%99%61%20%31";
  EXPECT_EQ(collection_url(CollectionSource::Wordlib, seed, 0), "http://ciku.test/s?wd=" + e + "&citype=0");
  EXPECT_EQ(collection_url(CollectionSource::Wordlib, seed, 3),
            "http://ciku.test/s?wd=" + e + "&citype=0&p=3");
  EXPECT_EQ(collection_url(CollectionSource::Aizhan, seed, 0), "http://ci.aizhan.test/" + e + "/");
  EXPECT_EQ(collection_url(CollectionSource::Aizhan, seed, 12), "http://ci.aizhan.test/" + e + "/12/");
  set_endpoint_overrides("");
}

TEST(ResearchCollection, PageCountsAndItems) {
  PatternMatcher m;
  auto wordlib_pager = [](int links) {
    Text page;
    for (int i = 0; i < links; ++i)
      page += "<a class=\"link \" href=\"/s?p=" + to_text(i) + "\">" + to_text(i) + "</a>";
    return page;
  };
  auto aizhan_pager = [](int links) {
    Text page;
    for (int i = 0; i < links; ++i) page += "&nbsp;<a href=\"/x/" + to_text(i) + "/\">" + to_text(i) + "</a>";
    return page;
  };
  struct Case {
    CollectionSource source;
    Text page;
    int pages;
  };
  const Case cases[] = {{CollectionSource::Wordlib, "", 1},
                        {CollectionSource::Wordlib, wordlib_pager(2), 3},
                        {CollectionSource::Wordlib, wordlib_pager(10), 4},
                        {CollectionSource::Aizhan, "", 1},
                        {CollectionSource::Aizhan, aizhan_pager(12), 13}};
  for (const Case& c : cases) EXPECT_EQ(collection_page_count(c.source, m, c.page), c.pages) << c.page;

  EXPECT_EQ(collection_items(
                CollectionSource::Wordlib, m,
                "<a onclick=\"getdata(this,'" + g("站群") + "')\"></a><a onclick=\"GETDATA(this,'b')\">"),
            (TextList{g("站群"), "b"}));
  // Aizhan's red font is removed in its exact spelling only.
  EXPECT_EQ(collection_items(
                CollectionSource::Aizhan, m,
                "<td><a rel=\"nofollow\"><font color=\"#FF0000\">" + g("站群") +
                    "</font>x</a></td>\r\n<td><a rel=\"nofollow\"><FONT color=\"#ff0000\">y</FONT></a></td>"),
            (TextList{g("站群") + "x", "<FONT color=\"#ff0000\">y</FONT>"}));
}

TEST(ResearchCollection, RunReadsTheCountedPagesOfEverySeedWithTheStoreCookies) {
  FakeServer server;
  add_wordlib_site(server, {.pager_links = 9});
  point_endpoints({{"WORDLIB_SEARCH", &server}});
  cookie_store_clear_all();
  // A login made elsewhere (the browser) is in the process store.
  ASSERT_TRUE(cookie_store_set(server.base_url() + "/", "ciku_session=logged-in; Path=/"));

  CollectionOptions options;
  options.seeds = split_lines(g("站群\r\n推广\r\n"));
  options.page_wait_ms = 0;
  struct Collected : CollectionSink {
    Text text;
    std::vector<ItemOutcome> seeds;
    void lines(const Text& lines) override { text += lines; }
    void seed_done(int, ItemOutcome outcome) override { seeds.push_back(outcome); }
  } sink;
  run_collection(options, sink);
  const Text& collected = sink.text;
  EXPECT_EQ(sink.seeds, (std::vector<ItemOutcome>{ItemOutcome::Result, ItemOutcome::Result}));

  Text expected;
  for (const char* seed : {"站群", "推广"})
    for (int page = 1; page <= 4; ++page)
      for (int k = 1; k <= 3; ++k) expected += g(keyword_item(seed, page, k)) + "\r\n";
  EXPECT_EQ(collected, expected);
  // Per seed: the counting request without a page number, then pages 1 to 4; all with the login.
  auto requests = server.requests("/s");
  ASSERT_EQ(requests.size(), 10u);
  EXPECT_EQ(requests[0].query, "wd=%E7%AB%99%E7%BE%A4&citype=0");
  EXPECT_EQ(requests[1].query, "wd=%E7%AB%99%E7%BE%A4&citype=0&p=1");
  EXPECT_EQ(requests[4].query, "wd=%E7%AB%99%E7%BE%A4&citype=0&p=4");
  EXPECT_EQ(requests[5].param("wd"), "推广");
  for (const auto& r : requests) EXPECT_EQ(r.header("Cookie"), "ciku_session=logged-in");

  EXPECT_EQ(collection_closing_message(CollectionSource::Aizhan, 24),
            g("采集方式为爱站网采集：一共采集了24条数据"));
  EXPECT_EQ(collection_closing_message(CollectionSource::Wordlib, 0, {.failed = 2, .rate_limited = 1}),
            g("采集方式为词库网采集：一共采集了0条数据，其中2页查询失败，1页频率受限"));
  cookie_store_clear_all();
  reset_endpoints();
}

// A seed whose pages come back as results pages without keywords is empty; one whose pages do
// not come back at all is failed, and each such page is told (it is not an empty page).
TEST(ResearchCollection, PagesThatBringNothingBackAreToldAndFailTheirSeed) {
  FakeServer server;
  server.handle("GET", "/s", [](const RecordedRequest& req, Reply& reply) {
    if (req.param("wd") == "down") return fault_handler(Fault::Unavailable)(req, reply);
    reply.body = "<html><body><p>no keywords</p></body></html>";
  });
  point_endpoints({{"WORDLIB_SEARCH", &server}});
  struct Outcomes : CollectionSink {
    Text text;
    std::vector<std::pair<int, ItemOutcome>> seeds, pages;
    void lines(const Text& lines) override { text += lines; }
    void page_problem(int position, RequestOutcome outcome, const std::string&) override {
      pages.emplace_back(position, item_outcome(outcome, false));
    }
    void seed_done(int position, ItemOutcome outcome) override { seeds.emplace_back(position, outcome); }
  } sink;
  run_collection({.seeds = {"none", "down"}, .page_wait_ms = 0}, sink);
  EXPECT_EQ(sink.text, "");
  using P = std::pair<int, ItemOutcome>;
  EXPECT_EQ(sink.seeds, (std::vector<P>{{1, ItemOutcome::Empty}, {2, ItemOutcome::Failed}}));
  // The counting request and page 1 of the second seed.
  EXPECT_EQ(sink.pages, (std::vector<P>{{2, ItemOutcome::Failed}, {2, ItemOutcome::Failed}}));
  reset_endpoints();
}

}  // namespace
