#pragma once
// Keyword collection: for each seed keyword, the related keywords two keyword-statistics sites
// list on their result pages (the 词库网 keyword library and the Aizhan keyword pages). Both sites
// show more to logged-in users: the requests go without a cookie jar, so they carry the process
// cookie store, which the embedded browsers share (a login made there is sent along).
#include <string>

#include "core/http/http.h"
#include "core/text/text.h"

namespace tessaly {
class PatternMatcher;
}

namespace tessaly::research {

enum class CollectionSource { Wordlib, Aizhan };

// The page that counts a seed's result pages (page 0), or result page n (1-based).
std::string collection_url(CollectionSource source, const Text& seed, int page);
// How many result pages to read, from the count of pager links on the first page: one more
// than the links, at most 4 for 词库网 and unbounded for Aizhan.
int collection_page_count(CollectionSource source, PatternMatcher& matcher, const Text& first_page);
// The keywords a result page lists, in order (Aizhan's red highlighting removed).
TextList collection_items(CollectionSource source, PatternMatcher& matcher, const Text& page);

struct CollectionOptions {
  CollectionSource source = CollectionSource::Wordlib;
  TextList seeds;
  int page_wait_ms = 500;  // after every numbered result page
};

class CollectionSink {
 public:
  virtual ~CollectionSink() = default;
  // The keywords of one result page, each followed by CR LF.
  virtual void lines(const Text& lines) = 0;
  // A page of the seed at `position` (from 1) brought no page (or a reply without markup), or
  // the service kept refusing it; `why` in English.
  virtual void page_problem(int /*position*/, RequestOutcome /*outcome*/, const std::string& /*why*/) {}
  // The seed's pages are done: Result when they listed keywords, Empty when they answered
  // without any, Failed or RateLimited when a page did (the keywords of its other pages stay).
  virtual void seed_done(int /*position*/, ItemOutcome /*outcome*/) {}
};

// The worker's body, one seed after another. Requests and waits are checkpoints of the calling
// thread's job.
void run_collection(const CollectionOptions& options, CollectionSink& sink);

// The closing message for a run that collected `lines` lines, with the pages that brought
// nothing ("，其中N页查询失败") when there were some.
Text collection_closing_message(CollectionSource source, int lines, const OutcomeCounts& failed_pages = {});

}  // namespace tessaly::research
