#pragma once
// The keyword miner: one seed keyword expanded through up to six suggestion services at once.
// Each ticked source runs on its own worker of one job; every candidate it finds goes through
// one admission (KeywordAdmission) that decides in arrival order, drops duplicates (ASCII letter
// case ignored, by a hash lookup) and, when asked, candidates without the seed. The page shows
// what was admitted; this part never touches a window.
#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/http/http.h"
#include "core/jobs/job.h"
#include "core/text/text.h"

namespace tessaly::research {

// The sources in the order a run starts them.
enum class MinerSource { WordLibrary, Taobao, Sogou, Bing, Zhidao, So360 };
inline constexpr int kMinerSourceCount = 6;

// The text of the completion box when this source is the last to end (GBK).
Text completion_text(MinerSource source);

// What the sources read of the page while they run: the seed box, "必需包含关键词" and the source
// boxes as they are now. The window thread writes each change; any thread reads.
class MinerLive {
 public:
  void set_seed_box(Text seed);
  Text seed_box() const;
  void set_must_contain(bool on) { must_contain_.store(on); }
  bool must_contain() const { return must_contain_.load(); }
  void set_ticked(MinerSource source, bool on) { ticked_[static_cast<size_t>(source)].store(on); }
  bool ticked(MinerSource source) const { return ticked_[static_cast<size_t>(source)].load(); }

 private:
  mutable std::mutex mutex_;
  Text seed_;
  std::atomic<bool> must_contain_{false};
  std::array<std::atomic<bool>, kMinerSourceCount> ticked_{};
};

// True when `text` contains `seed` (case-sensitive, whole characters); every text contains "".
bool contains_seed(std::string_view text, std::string_view seed);

// The one place that decides which candidates enter the list, in the order they arrive from any
// source. Admitted keywords wait in a pending list until the window takes them; `on_pending`
// runs (on the offering thread, outside the lock) whenever the pending list was empty before,
// so the window is asked once per batch, not once per keyword.
class KeywordAdmission {
 public:
  KeywordAdmission(const MinerLive& live, std::function<void()> on_pending);

  // The miner's admission: with "必需包含关键词" ticked a candidate must contain the seed box's
  // current text; then it must not be listed yet. True when admitted.
  bool offer(const Text& candidate);
  // Only the duplicate test (the Taobao source tests the raw item itself).
  bool admit(const Text& keyword);
  // Takes what was admitted since the last call, in admission order.
  TextList take_pending();
  // Keywords admitted in this run.
  size_t admitted() const;

 private:
  const MinerLive& live_;
  std::function<void()> on_pending_;
  mutable std::mutex mutex_;
  std::unordered_set<Text> seen_;  // keys with ASCII letters lower-cased
  TextList pending_;
  bool announced_ = false;  // on_pending has been called for the current pending list
};

// Three-level expansion of the Bing, Zhidao and 360 sources. L1 = fetch(seed); each level-1
// word is offered (unless "必需包含关键词" is ticked and it lacks the seed box's text, then it is
// skipped) and expanded; level-2 and level-3 words are offered only when they contain the seed
// box's text, and level-2 words that do are expanded once more. The seed box is read again at
// every test.
void expand_suggestions(const Text& seed, const std::function<TextList(const Text&)>& fetch,
                        const MinerLive& live, const std::function<void(const Text&)>& offer);

struct MinerRunOptions {
  Text seed;                         // the seed box when the run started (the word library's)
  std::vector<MinerSource> sources;  // the ticked sources, in start order
  // Each source remembers the answers it fetched for a word during the run and does not ask
  // for that word again (the results are the same; there are fewer requests).
  bool remember_answers = true;
};

struct MinerEvents {
  // The word library found no entries for the seed (the header then reads "关键词[0]结束").
  std::function<void()> word_library_empty;
  // A source has ended; `ended` sources have ended so far in this run.
  std::function<void(MinerSource source, int ended)> source_ended;
};

struct MinerRunResult {
  bool any_source = false;
  MinerSource last = MinerSource::WordLibrary;  // the source that ended last
  long long requests = 0;                       // requests sent by all sources
  long long failed_requests = 0;                // of those, answered by no page (or an error status)
  long long rate_limited_requests = 0;          // of those, refused to the end
  // The seed's: RateLimited or Failed when some request was, else Result when a keyword was
  // admitted, else Empty.
  ItemOutcome outcome = ItemOutcome::Empty;
  // The requests that brought nothing, for the completion text.
  OutcomeCounts unanswered() const;
};

// Runs the sources side by side on workers of `job` (the calling thread must work for it) and
// returns when every one has ended. A stop ends each source at its next checkpoint (requests
// included) and unwinds with JobStopped; a pause holds all of them. With no source, it waits
// until the job is stopped.
MinerRunResult run_keyword_miner(Job& job, const MinerRunOptions& options, const MinerLive& live,
                                 KeywordAdmission& admission, const MinerEvents& events);

}  // namespace tessaly::research
