// The keyword miner's admission, its three-level expansion and whole runs of the six sources
// against the fake services (no window).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <thread>

#include "core/text/charset.h"
#include "fakes/suggestion_services.h"
#include "research/keyword_miner.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::research;
using tessaly::test::g;
using tessaly::test::gl;

namespace {

TEST(KeywordAdmission, DuplicatesIgnoreLetterCaseAndTheSeedTestReadsTheBoxNow) {
  MinerLive live;
  live.set_seed_box("seo");
  int asked = 0;
  KeywordAdmission admission(live, [&] { ++asked; });
  EXPECT_TRUE(admission.offer("seo"));
  EXPECT_FALSE(admission.offer("SEO"));  // already listed in another letter case
  EXPECT_TRUE(admission.offer(g("SEO优化")));
  EXPECT_FALSE(admission.offer(g("seo优化")));
  EXPECT_FALSE(admission.offer(""));
  EXPECT_EQ(asked, 1);  // once for the whole batch
  EXPECT_EQ(admission.take_pending(), gl({"seo", "SEO优化"}));
  EXPECT_TRUE(admission.take_pending().empty());

  live.set_must_contain(true);
  EXPECT_TRUE(admission.offer(g("seo工具")));
  EXPECT_FALSE(admission.offer(g("SEO教程")));  // the seed test is case-sensitive
  EXPECT_FALSE(admission.offer(g("网站优化")));
  EXPECT_TRUE(admission.admit(g("网站优化")));  // the duplicate test alone
  live.set_seed_box(g("网站"));
  EXPECT_TRUE(admission.offer(g("网站建设")));  // the box as it is now
  EXPECT_FALSE(admission.offer(g("seo推广")));
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(admission.take_pending(), gl({"seo工具", "网站优化", "网站建设"}));
  EXPECT_EQ(admission.admitted(), 5u);
}

TEST(KeywordAdmission, RacingSourcesListEachKeywordOnce) {
  MinerLive live;
  std::atomic<int> asked{0};
  KeywordAdmission admission(live, [&] { ++asked; });
  std::vector<std::thread> sources;
  for (int s = 0; s < 6; ++s) {
    sources.emplace_back([&admission, s] {
      for (int i = 0; i < 5000; ++i) admission.offer((s % 2 ? "Word" : "word") + std::to_string(i));
    });
  }
  for (auto& t : sources) t.join();
  TextList shown = admission.take_pending();
  EXPECT_EQ(shown.size(), 5000u);
  std::set<std::string> lower;
  for (const auto& k : shown) lower.insert(to_lower(k));
  EXPECT_EQ(lower.size(), 5000u);
  EXPECT_GE(asked.load(), 1);
}

// A suggestion graph: fetch(word) answers what the map holds and records the request.
struct Graph {
  std::map<std::string, TextList> answers;
  TextList asked;
  TextList operator()(const Text& word) {
    asked.push_back(word);
    auto it = answers.find(word);
    return it == answers.end() ? TextList{} : it->second;
  }
};

TEST(KeywordExpansion, ThreeLevelsAndTheSeedTests) {
  Graph graph;
  graph.answers = {
      {g("减肥"), gl({"减肥茶", "瘦身", "减肥"})}, {g("减肥茶"), gl({"减肥茶排行", "绿茶"})},
      {g("瘦身"), gl({"瘦身操", "减肥操"})},       {g("减肥茶排行"), gl({"减肥茶排行榜", "排行"})},
      {g("减肥操"), gl({"减肥操视频"})},
  };
  struct Case {
    bool must_contain;
    std::vector<std::string> offered;
    std::vector<std::string> asked;
  };
  const std::vector<Case> cases = {
      // Unticked: 瘦身 lacks the seed but is listed and expanded; of its answers only 减肥操 is.
      // 减肥 answers itself: listed again (the admission drops it) and expanded again.
      {false,
       gl({"减肥茶", "减肥茶排行", "减肥茶排行榜", "瘦身", "减肥操", "减肥操视频", "减肥", "减肥茶",
           "减肥茶排行", "减肥", "减肥茶", "减肥"}),
       gl({"减肥", "减肥茶", "减肥茶排行", "瘦身", "减肥操", "减肥", "减肥茶", "减肥"})},
      // Ticked: 瘦身 is neither listed nor expanded.
      {true,
       gl({"减肥茶", "减肥茶排行", "减肥茶排行榜", "减肥", "减肥茶", "减肥茶排行", "减肥", "减肥茶", "减肥"}),
       gl({"减肥", "减肥茶", "减肥茶排行", "减肥", "减肥茶", "减肥"})},
  };
  for (const auto& c : cases) {
    MinerLive live;
    live.set_seed_box(g("减肥"));
    live.set_must_contain(c.must_contain);
    graph.asked.clear();
    TextList offered;
    expand_suggestions(g("减肥"), std::ref(graph), live, [&](const Text& w) { offered.push_back(w); });
    EXPECT_EQ(offered, c.offered) << c.must_contain;
    EXPECT_EQ(graph.asked, c.asked) << c.must_contain;
  }
}

// A whole run of the given sources against the fakes; returns the admitted keywords in order.
struct MinerRun {
  MinerLive live;
  KeywordAdmission admission{live, {}};
  MinerRunResult result;
  JobOutcome outcome;
  std::vector<std::string> ended;
  bool word_library_empty = false;

  MinerRun(const std::string& seed_utf8, std::vector<MinerSource> sources, bool remember = true) {
    live.set_seed_box(g(seed_utf8));
    for (MinerSource s : sources) live.set_ticked(s, true);
    MinerRunOptions options{g(seed_utf8), sources, remember};
    MinerEvents events;
    std::mutex mutex;
    events.word_library_empty = [this] { word_library_empty = true; };
    events.source_ended = [&](MinerSource s, int n) {
      std::lock_guard lock(mutex);
      ended.push_back(std::to_string(static_cast<int>(s)) + "@" + std::to_string(n));
    };
    Job job;
    outcome = run_job(job, [&] { result = run_keyword_miner(job, options, live, admission, events); });
  }
  std::vector<std::string> keywords() {
    std::vector<std::string> out;
    for (const auto& k : admission.take_pending()) out.push_back(utf8(k));
    return out;
  }
};

// Suggestions that come back again and again, as real services give them: every answer is the
// word itself and a window of a small vocabulary around the seed.
std::vector<std::string> overlapping(const std::string& word) {
  static const char* const tails[] = {"方法", "食谱", "茶", "药", "运动", "瑜伽", "快速", "产品"};
  size_t h = std::hash<std::string>{}(word);
  std::vector<std::string> out{word};
  for (size_t i = 0; i < 3; ++i) out.push_back(std::string("减肥") + tails[(h + i) % std::size(tails)]);
  return out;
}

TEST(KeywordMinerRun, EachSourceAloneAgainstTheFakes) {
  fakes::FakeServer server;
  fakes::FakeSuggestionServices services(server);
  services.point_endpoints();
  services.word_library.add_entry("减肥", "减肥茶", "K1", {"减肥茶排行", "减肥茶副作用"});
  services.word_library.add_raw_entry("减肥", "'short','1',");  // no value 5: skipped
  services.word_library.add_entry("减肥", "减肥药", "K2", {"减肥药"});
  services.kandianbao.set("减肥", {"<b>减肥</b>餐", "减肥\\/餐", "瘦身汤"});
  services.taobao.set("减肥", {"减肥餐", "减肥汤", "减肥裤"});
  services.sogou.set("减肥", {"减肥方法", "瘦腿"});
  services.sogou.set("瘦腿", {"瘦腿操"});
  services.bing.set("减肥", {"减肥 Bing"});
  services.zhidao.set("减肥", {"减肥知道", "减肥问答"});
  services.so360.set("减肥", {"减肥360"});
  services.so360.set("减肥360", {"减肥360搜索"});

  struct Case {
    MinerSource source;
    std::vector<std::string> keywords;
    long long requests;
  };
  const std::vector<Case> cases = {
      {MinerSource::WordLibrary, {"减肥茶排行", "减肥茶副作用", "减肥药"}, 3},
      {MinerSource::Taobao, {"减肥餐", "瘦身汤", "减肥汤", "减肥裤"}, 2},
      {MinerSource::Sogou, {"减肥方法", "瘦腿", "瘦腿操"}, 6},
      {MinerSource::Bing, {"减肥 Bing"}, 3},
      // Zhidao's separator between two suggestions is no suggestion.
      {MinerSource::Zhidao, {"减肥知道", "减肥问答"}, 3},
      {MinerSource::So360, {"减肥360", "减肥360搜索"}, 3},
  };
  for (const auto& c : cases) {
    MinerRun run("减肥", {c.source});
    EXPECT_EQ(run.outcome.end, JobEnd::Done);
    EXPECT_EQ(run.keywords(), c.keywords) << static_cast<int>(c.source);
    EXPECT_EQ(run.result.requests, c.requests) << static_cast<int>(c.source);
    EXPECT_EQ(run.result.last, c.source);
    EXPECT_EQ(run.result.outcome, ItemOutcome::Result);
    EXPECT_EQ(run.ended, std::vector<std::string>{std::to_string(static_cast<int>(c.source)) + "@1"});
  }
  EXPECT_EQ(services.sogou.foreign_uuids(), 0);  // every hint request carried its page's uuid
}

TEST(KeywordMinerRun, FailedEmptyAndUntickedSourcesStillEnd) {
  fakes::FakeServer server;
  fakes::FakeSuggestionServices services(server);
  services.point_endpoints();
  services.word_library.add_entry("减肥", "减肥茶", "K1", {"减肥茶排行"});
  services.bing.set("减肥", {"减肥方法"});
  services.so360.set("减肥", {"减肥方法"});

  services.word_library.set_mode(fakes::SuggestMode::Empty);
  services.bing.set_mode(fakes::SuggestMode::Fail);
  services.so360.set_mode(fakes::SuggestMode::Empty);
  MinerRun run("减肥",
               {MinerSource::WordLibrary, MinerSource::Bing, MinerSource::So360, MinerSource::Zhidao});
  EXPECT_EQ(run.outcome.end, JobEnd::Done);
  EXPECT_TRUE(run.keywords().empty());
  EXPECT_TRUE(run.word_library_empty);
  EXPECT_EQ(run.ended.size(), 4u);
  // Bing's two requests (the home page and its first suggestions) brought nothing: a failed
  // run, not an empty one.
  EXPECT_EQ(run.result.failed_requests, 2);
  EXPECT_EQ(run.result.outcome, ItemOutcome::Failed);
  services.bing.set_mode(fakes::SuggestMode::Normal);
  MinerRun empty("减肥", {MinerSource::WordLibrary, MinerSource::So360});
  EXPECT_EQ(empty.result.failed_requests, 0);
  EXPECT_EQ(empty.result.outcome, ItemOutcome::Empty);

  // A source whose box was unticked before it started asks for nothing.
  services.word_library.set_mode(fakes::SuggestMode::Normal);
  size_t before = services.request_count();
  MinerRunOptions options{g("减肥"), {MinerSource::WordLibrary, MinerSource::Bing}, true};
  MinerLive live;  // nothing ticked
  KeywordAdmission admission(live, {});
  Job job;
  MinerRunResult result;
  EXPECT_EQ(run_job(job, [&] { result = run_keyword_miner(job, options, live, admission, {}); }).end,
            JobEnd::Done);
  EXPECT_EQ(services.request_count(), before);
  EXPECT_EQ(result.requests, 0);
}

TEST(KeywordMinerRun, RememberedAnswersGiveTheSameListWithFewerRequests) {
  fakes::FakeServer server;
  fakes::FakeSuggestionServices services(server);
  services.point_endpoints();
  for (fakes::SuggestionFake* f : std::initializer_list<fakes::SuggestionFake*>{
           &services.sogou, &services.bing, &services.zhidao, &services.so360})
    f->set_generator(overlapping);
  const std::vector<MinerSource> all = {MinerSource::WordLibrary, MinerSource::Taobao, MinerSource::Sogou,
                                        MinerSource::Bing,        MinerSource::Zhidao, MinerSource::So360};
  std::map<MinerSource, std::pair<long long, long long>> requests;  // without, with
  for (MinerSource s : all) {
    MinerRun forgetful("减肥", {s}, false);
    MinerRun remembering("减肥", {s}, true);
    std::vector<std::string> a = forgetful.keywords(), b = remembering.keywords();
    EXPECT_EQ(a, b) << static_cast<int>(s);
    requests[s] = {forgetful.result.requests, remembering.result.requests};
  }
  // Three-level sources without memory: 1 + |L1| + the level-2 words that contain the seed (all
  // of them here), plus Bing's home page; 4 suggestions per answer.
  EXPECT_EQ(requests[MinerSource::Bing].first, 1 + 1 + 4 + 16);
  EXPECT_EQ(requests[MinerSource::So360].first, 1 + 4 + 16);
  EXPECT_EQ(requests[MinerSource::Zhidao].first, 1 + 4 + 16);
  EXPECT_EQ(requests[MinerSource::Sogou].first, 2 * (1 + 4));
  for (MinerSource s : {MinerSource::Sogou, MinerSource::Bing, MinerSource::Zhidao, MinerSource::So360})
    EXPECT_LT(requests[s].second, requests[s].first) << static_cast<int>(s);
}

TEST(KeywordMinerRun, StopEndsEverySourceInTheMiddleOfARequest) {
  fakes::FakeServer server;
  fakes::FakeSuggestionServices services(server);
  services.point_endpoints();
  services.bing.set_mode(fakes::SuggestMode::Hang);
  services.so360.set_mode(fakes::SuggestMode::Hang);
  MinerLive live;
  live.set_ticked(MinerSource::Bing, true);
  live.set_ticked(MinerSource::So360, true);
  KeywordAdmission admission(live, {});
  Job job;
  JobOutcome outcome;
  std::thread runner([&] {
    outcome = run_job(job, [&] {
      run_keyword_miner(job, {g("减肥"), {MinerSource::Bing, MinerSource::So360}, true}, live, admission, {});
    });
  });
  ASSERT_TRUE(server.wait_for_requests(2));
  for (int i = 0; i < 5000 && server.hanging() < 2; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_EQ(server.hanging(), 2);
  job.request_stop();
  runner.join();
  EXPECT_EQ(outcome.end, JobEnd::Stopped);
  EXPECT_EQ(server.hanging(), 2);  // the requests were abandoned, not answered
}

}  // namespace
