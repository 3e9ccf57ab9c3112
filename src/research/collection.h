#pragma once
// Keyword collection: for each seed keyword, the related keywords two keyword-statistics sites
// list on their result pages (the 词库网 keyword library and the Aizhan keyword pages). Both sites
// show more to logged-in users: the requests go without a cookie jar, so they carry the process
// cookie store, which the embedded browsers share (a login made there is sent along).
#include <functional>
#include <string>

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

// The worker's body: the keywords of each result page are handed to `append` as lines, each
// ending in CR LF. Requests and waits are checkpoints of the calling thread's job.
void run_collection(const CollectionOptions& options, const std::function<void(const Text& lines)>& append);

// The closing message for a run that collected `lines` lines.
Text collection_closing_message(CollectionSource source, int lines);

}  // namespace tessaly::research
