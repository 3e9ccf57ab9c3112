#include "research/collection.h"

#include <algorithm>

#include "core/http/endpoints.h"
#include "core/http/http.h"
#include "core/jobs/job.h"
#include "core/patterns/pattern_matcher.h"
#include "core/text/charset.h"

namespace tessaly::research {
namespace {

// Every byte of the UTF-8 form as %XX, letters and digits included.
std::string encoded(const Text& seed) { return url_encode(seed, false, true); }

const std::string& pager_pattern(CollectionSource source) {
  static const std::string wordlib = "<a class=\"link \".*?\">(.*?)</a>";
  static const std::string aizhan = "&nbsp;<a href=\"/.*?/\">(.*?)</a>";
  return source == CollectionSource::Wordlib ? wordlib : aizhan;
}

const std::string& item_pattern(CollectionSource source) {
  static const std::string wordlib = "getdata\\(this,'(.*?)'";
  static const std::string aizhan = "rel=\"nofollow\">(.*?)</a></td>";
  return source == CollectionSource::Wordlib ? wordlib : aizhan;
}

}  // namespace

std::string collection_url(CollectionSource source, const Text& seed, int page) {
  if (source == CollectionSource::Wordlib) {
    std::string url = endpoint_base("WORDLIB_SEARCH") + "/s?wd=" + encoded(seed) + "&citype=0";
    return page > 0 ? url + "&p=" + std::to_string(page) : url;
  }
  std::string url = endpoint_base("AIZHAN_KEYWORDS") + "/" + encoded(seed) + "/";
  return page > 0 ? url + std::to_string(page) + "/" : url;
}

int collection_page_count(CollectionSource source, PatternMatcher& matcher, const Text& first_page) {
  matcher.search(pager_pattern(source), first_page);
  int pages = matcher.match_count() + 1;
  return source == CollectionSource::Wordlib ? std::min(pages, 4) : pages;
}

TextList collection_items(CollectionSource source, PatternMatcher& matcher, const Text& page) {
  matcher.search(item_pattern(source), page);
  TextList items;
  for (int i = 1; i <= matcher.match_count(); ++i) {
    Text item = matcher.group_text(i, 1);
    if (source == CollectionSource::Aizhan)
      item = replace_text(replace_text(item, "<font color=\"#FF0000\">", "", 1, kAll, true), "</font>", "", 1,
                          kAll, true);
    items.push_back(std::move(item));
  }
  return items;
}

void run_collection(const CollectionOptions& options, CollectionSink& sink) {
  PatternMatcher matcher;
  for (size_t k = 0; k < options.seeds.size(); ++k) {
    const Text& seed = options.seeds[k];
    const int position = static_cast<int>(k) + 1;
    ItemOutcome outcome = ItemOutcome::Empty;
    // A page that did not come back reads as an empty one (one page, no keywords).
    auto fetch = [&](int page) -> Text {
      HttpResponse response = http_request(collection_url(options.source, seed, page));
      RequestOutcome request = page_outcome(response);
      if (request == RequestOutcome::Answered) return std::move(response.body);
      sink.page_problem(position, request, page_problem(response));
      outcome = combined_outcome(outcome, item_outcome(request, false));
      return {};
    };
    // The first page is read twice: once to count the pages, once as page 1.
    int pages = collection_page_count(options.source, matcher, fetch(0));
    for (int n = 1; n <= pages; ++n) {
      Text lines;
      for (const Text& item : collection_items(options.source, matcher, fetch(n))) lines += item + "\r\n";
      if (!lines.empty()) {
        outcome = combined_outcome(outcome, ItemOutcome::Result);
        sink.lines(lines);
      }
      sleep_ms(options.page_wait_ms);
    }
    sink.seed_done(position, outcome);
    checkpoint();
  }
}

Text collection_closing_message(CollectionSource source, int lines, const OutcomeCounts& failed_pages) {
  static const Text wordlib = gbk("采集方式为词库网采集：一共采集了");
  static const Text aizhan = gbk("采集方式为爱站网采集：一共采集了");
  static const Text tail = gbk("条数据");
  return (source == CollectionSource::Wordlib ? wordlib : aizhan) + to_text(lines) + tail +
         failures_tail(failed_pages, CountUnit::Pages);
}

}  // namespace tessaly::research
