// The readers of downloaded pages (whois, IP, titles, rank rows, result counts, keyword
// suggestions, translations) on pages a broken or hostile site could send. One reader per input,
// chosen by the first byte; what a reader returns is bounded by the page, and nothing reads
// outside it or runs away.
#include <string>
#include <string_view>

#include "core/patterns/pattern_matcher.h"
#include "core/text/text.h"
#include "domains/access_test.h"
#include "domains/domain_info.h"
#include "domains/ip_lookup.h"
#include "fuzz_support.h"
#include "research/banned_filter.h"
#include "research/collection.h"
#include "research/domain_mining.h"
#include "research/inclusion.h"
#include "research/keyword_sources.h"
#include "research/word_tools.h"

using namespace tessaly;

namespace {

// A list read from a page holds no more text than the page (plus what a reader adds per item).
void bounded(const TextList& items, std::string_view page, size_t per_item = 0) {
  size_t total = 0;
  for (const Text& item : items) total += item.size();
  FUZZ_CHECK(total <= page.size() + per_item * items.size() + 64);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size, 1);
  const Text page(in.text(0));
  const Text other(in.text(1));
  PatternMatcher matcher;
  switch (in.param(0) % 12) {
    case 0: {
      const Text text = info_page_text(page);
      const Text decoded = info_decoded_text(text);
      (void)has_whois_marker(text);
      const WhoisResult whois = read_whois(matcher, decoded);
      for (const Text& field : whois.fields) FUZZ_CHECK(field.size() <= decoded.size() + 64);
      FUZZ_CHECK(read_ip_address(decoded).size() <= decoded.size());
      break;
    }
    case 1: {
      const IpLookupResult found = read_ip_lookup(page);
      FUZZ_CHECK(found.ip.size() + found.region.size() <= page.size());
      break;
    }
    case 2:
      FUZZ_CHECK(page_title(matcher, page).size() <= page.size());
      bounded(flagged_domains(page), page);
      break;
    case 3: {
      const Text text = rank_page_text(page);
      FUZZ_CHECK(text.find('\0') == std::string::npos);
      FUZZ_CHECK(rank_pager_links(text) >= 0);
      for (const RankRow& row : read_rank_rows(text, other))
        FUZZ_CHECK(row.keyword.size() + row.url.size() <= text.size());
      break;
    }
    case 4:
      for (InclusionQuery q :
           {InclusionQuery::Total, InclusionQuery::Day, InclusionQuery::Week, InclusionQuery::Links})
        FUZZ_CHECK(inclusion_count(matcher, page, q).size() <= page.size() + 1);
      FUZZ_CHECK(!banned_page_status(page).empty());
      break;
    case 5:
      for (CollectionSource source : {CollectionSource::Wordlib, CollectionSource::Aizhan}) {
        (void)collection_page_count(source, matcher, page);
        bounded(collection_items(source, matcher, page), page);
      }
      break;
    case 6: {
      const TextList entries = wordlib_entries(page);
      bounded(entries, page);
      Text value1, value5;
      for (const Text& entry : entries)
        if (wordlib_entry_values(entry, value1, value5))
          FUZZ_CHECK(value1.size() + value5.size() <= entry.size());
      bounded(wordlib_keywords(page), page);
      break;
    }
    case 7:
      for (const Text& item : kandianbao_items(page))
        FUZZ_CHECK(taobao_keyword(item, kKandianbaoCut).size() <= item.size());
      for (const Text& item : taobao_items(page))
        FUZZ_CHECK(taobao_keyword(item, kTaobaoCut).size() <= item.size());
      break;
    case 8:
      FUZZ_CHECK(sogou_uuid(page).size() <= page.size());
      bounded(sogou_hints(page), page);
      break;
    case 9:
      FUZZ_CHECK(bing_ig(page).size() <= page.size());
      bounded(bing_suggestions(page), page);
      break;
    case 10:
      bounded(zhidao_suggestions(page), page);
      bounded(so360_suggestions(page), page);
      break;
    default: {
      int count = -1;
      (void)translation_lines(page, &count);
      FUZZ_CHECK(count >= 0);
      break;
    }
  }
  return 0;
}
