#include "research/keyword_miner.h"

#include <chrono>
#include <ctime>
#include <unordered_map>
#include <utility>

#include "core/http/http.h"
#include "core/jobs/pool.h"
#include "core/patterns/web_text.h"
#include "core/text/charset.h"
#include "research/keyword_sources.h"

namespace tessaly::research {

Text completion_text(MinerSource source) {
  static const Text done = gbk("搜索完成");
  static const Text so360_done = gbk("Corvane站群提示您:已经挖掘完成了。");
  return source == MinerSource::So360 ? so360_done : done;
}

void MinerLive::set_seed_box(Text seed) {
  std::lock_guard lock(mutex_);
  seed_ = std::move(seed);
}

Text MinerLive::seed_box() const {
  std::lock_guard lock(mutex_);
  return seed_;
}

bool contains_seed(std::string_view text, std::string_view seed) {
  return seed.empty() || find_text(text, seed) != kNotFound;
}

KeywordAdmission::KeywordAdmission(const MinerLive& live, std::function<void()> on_pending)
    : live_(live), on_pending_(std::move(on_pending)) {}

bool KeywordAdmission::offer(const Text& candidate) {
  if (live_.must_contain() && !contains_seed(candidate, live_.seed_box())) return false;
  return admit(candidate);
}

bool KeywordAdmission::admit(const Text& keyword) {
  // An empty keyword (a Taobao item that was nothing but markup) is no keyword.
  if (keyword.empty()) return false;
  bool announce = false;
  {
    std::lock_guard lock(mutex_);
    if (!seen_.insert(to_lower(keyword)).second) return false;
    pending_.push_back(keyword);
    announce = !std::exchange(announced_, true);
  }
  if (announce && on_pending_) on_pending_();
  return true;
}

TextList KeywordAdmission::take_pending() {
  std::lock_guard lock(mutex_);
  announced_ = false;
  return std::exchange(pending_, {});
}

size_t KeywordAdmission::admitted() const {
  std::lock_guard lock(mutex_);
  return seen_.size();
}

void expand_suggestions(const Text& seed, const std::function<TextList(const Text&)>& fetch,
                        const MinerLive& live, const std::function<void(const Text&)>& offer) {
  auto has_seed = [&live](const Text& word) { return contains_seed(word, live.seed_box()); };
  for (const Text& k1 : fetch(seed)) {
    if (live.must_contain() && !has_seed(k1)) continue;
    offer(k1);
    for (const Text& k2 : fetch(k1)) {
      if (!has_seed(k2)) continue;
      offer(k2);
      for (const Text& k3 : fetch(k2))
        if (has_seed(k3)) offer(k3);
    }
  }
}

namespace {

// One source's view of the run: its requests (counted), its offers (each a checkpoint) and its
// memory of the answers it already has.
class SourceRun {
 public:
  struct Counters {
    std::atomic<long long> requests{0}, failed{0}, rate_limited{0};
  };

  SourceRun(const MinerLive& live, KeywordAdmission& admission, bool remember, Counters& counters)
      : live_(live), admission_(admission), remember_(remember), counters_(counters) {}

  const MinerLive& live() const { return live_; }

  // A failed or refused answer reads as no answer: it is counted, never read for keywords. So is
  // a reply that is no answer at all: every page, JSON or script answer of the services holds a
  // "<", "(" or ":" (bytes that are never the second byte of a GBK character); stray bytes don't.
  Text get(const std::string& url) {
    ++counters_.requests;
    HttpResponse response = http_request(url);
    switch (request_outcome(response)) {
      case RequestOutcome::Answered:
        if (response.body.find_first_of("<(:") != Text::npos) return std::move(response.body);
        ++counters_.failed;
        return {};
      case RequestOutcome::Failed:
        ++counters_.failed;
        return {};
      case RequestOutcome::RateLimited:
        ++counters_.rate_limited;
        return {};
    }
    return {};
  }
  void offer(const Text& keyword) {
    checkpoint();
    admission_.offer(keyword);
  }
  void admit(const Text& keyword) {
    checkpoint();
    admission_.admit(keyword);
  }
  // fetch() once per key and run; later asks for the key get the same answer.
  TextList remembered(const Text& key, const std::function<TextList()>& fetch) {
    if (!remember_) return fetch();
    if (auto it = answers_.find(key); it != answers_.end()) return it->second;
    TextList answer = fetch();
    answers_.emplace(key, answer);
    return answer;
  }

 private:
  const MinerLive& live_;
  KeywordAdmission& admission_;
  bool remember_;
  Counters& counters_;
  std::unordered_map<Text, TextList> answers_;
};

long long unix_seconds() { return static_cast<long long>(std::time(nullptr)); }

void mine_word_library(SourceRun& run, const Text& seed, const MinerEvents& events) {
  if (!run.live().ticked(MinerSource::WordLibrary)) return;
  TextList entries = wordlib_entries(run.get(wordlib_search_url(seed)));
  if (entries.empty() && events.word_library_empty) events.word_library_empty();
  for (const Text& entry : entries) {
    Text value1, value5;
    if (!wordlib_entry_values(entry, value1, value5)) continue;  // no value 5: nothing to ask for
    TextList words = run.remembered(value1 + "\n" + value5, [&] {
      return wordlib_keywords(run.get(wordlib_data_url(value1, value5, unix_time_text())));
    });
    for (const Text& word : words) run.offer(word);
  }
}

void mine_taobao(SourceRun& run) {
  if (!run.live().ticked(MinerSource::Taobao)) return;
  auto take = [&run](const TextList& items, std::string_view cut) {
    for (const Text& item : items) {
      if (run.live().must_contain() && !contains_seed(item, run.live().seed_box())) continue;
      run.admit(taobao_keyword(item, cut));
    }
  };
  take(kandianbao_items(run.get(kandianbao_url(run.live().seed_box()))), kKandianbaoCut);
  take(taobao_items(
           run.get(taobao_suggest_url(run.live().seed_box(), unix_time_text(), taobao_random_digits()))),
       kTaobaoCut);
}

void mine_sogou(SourceRun& run) {
  if (!run.live().ticked(MinerSource::Sogou)) return;
  auto hints = [&run](const Text& word) {
    return run.remembered(word, [&] {
      std::string uuid = sogou_uuid(run.get(sogou_search_url(word)));
      long long now = unix_seconds();
      return sogou_hints(
          run.get(sogou_hint_url(word, days_before_text(now, 31), days_before_text(now, 1), uuid)));
    });
  };
  TextList first = hints(run.live().seed_box());
  for (const Text& t : first) run.offer(t);
  // Every level-1 hint is expanded, also those the admission dropped.
  for (const Text& t : first)
    for (const Text& hint : hints(t)) run.offer(hint);
}

void expand(SourceRun& run, const std::function<TextList(const Text&)>& fetch) {
  expand_suggestions(
      run.live().seed_box(),
      [&run, &fetch](const Text& word) { return run.remembered(word, [&] { return fetch(word); }); },
      run.live(), [&run](const Text& word) { run.offer(word); });
}

void mine_bing(SourceRun& run) {
  if (!run.live().ticked(MinerSource::Bing)) return;
  std::string ig = bing_ig(run.get(bing_home_url()));
  expand(run, [&](const Text& word) { return bing_suggestions(run.get(bing_suggest_url(word, ig))); });
}

void mine_zhidao(SourceRun& run) {
  if (!run.live().ticked(MinerSource::Zhidao)) return;
  expand(run, [&](const Text& word) {
    return zhidao_suggestions(run.get(zhidao_suggest_url(word, unix_time_text())));
  });
}

void mine_so360(SourceRun& run) {
  if (!run.live().ticked(MinerSource::So360)) return;
  expand(run, [&](const Text& word) { return so360_suggestions(run.get(so360_suggest_url(word))); });
}

void mine(MinerSource source, SourceRun& run, const MinerRunOptions& options, const MinerEvents& events) {
  switch (source) {
    case MinerSource::WordLibrary:
      return mine_word_library(run, options.seed, events);
    case MinerSource::Taobao:
      return mine_taobao(run);
    case MinerSource::Sogou:
      return mine_sogou(run);
    case MinerSource::Bing:
      return mine_bing(run);
    case MinerSource::Zhidao:
      return mine_zhidao(run);
    case MinerSource::So360:
      return mine_so360(run);
  }
}

}  // namespace

MinerRunResult run_keyword_miner(Job& job, const MinerRunOptions& options, const MinerLive& live,
                                 KeywordAdmission& admission, const MinerEvents& events) {
  MinerRunResult result;
  const int n = static_cast<int>(options.sources.size());
  if (n == 0) {
    // Nothing to run: the run lasts until it is stopped.
    while (true) job.sleep_for(std::chrono::hours(1));
  }
  SourceRun::Counters counters;
  std::mutex end_mutex;
  int ended = 0;
  PoolPlan plan;
  plan.rows = n;
  plan.limit = [n] { return n; };  // every source on a worker of its own, all at once
  PoolWork work;
  work.work = [&](int row, int) {
    MinerSource source = options.sources[static_cast<size_t>(row)];
    SourceRun run(live, admission, options.remember_answers, counters);
    mine(source, run, options, events);
    int now_ended;
    {
      std::lock_guard lock(end_mutex);
      now_ended = ++ended;
      result.last = source;
    }
    if (events.source_ended) events.source_ended(source, now_ended);
  };
  run_pooled(job, plan, work);
  result.any_source = true;
  result.requests = counters.requests.load();
  result.failed_requests = counters.failed.load();
  result.rate_limited_requests = counters.rate_limited.load();
  result.outcome = result.rate_limited_requests > 0 ? ItemOutcome::RateLimited
                   : result.failed_requests > 0     ? ItemOutcome::Failed
                   : admission.admitted() > 0       ? ItemOutcome::Result
                                                    : ItemOutcome::Empty;
  return result;
}

OutcomeCounts MinerRunResult::unanswered() const {
  OutcomeCounts counts;
  counts.failed = static_cast<int>(failed_requests);
  counts.rate_limited = static_cast<int>(rate_limited_requests);
  return counts;
}

}  // namespace tessaly::research
