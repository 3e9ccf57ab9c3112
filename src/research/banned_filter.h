#pragma once
// Banned-word filter: which keywords Baidu censors. A keyword's results page that carries
// Baidu's notice that some results are withheld under the law marks it as censored, a page
// without it as normal; a search that brought no page back could not be checked and says so
// (it is neither kept as normal nor marked as censored).
#include <string>
#include <vector>

#include "core/http/http.h"
#include "core/text/text.h"

namespace tessaly::research {

// The "状态" texts of a checked row (GBK).
const Text& banned_status_normal();    // "正常关键词"
const Text& banned_status_censored();  // the notice with its final "。"
// A failed check's status is query_failed_text().

// The Baidu search of a keyword: "/s?wd=" + the keyword percent-encoded as UTF-8, letters,
// digits, "-" and "." kept.
std::string banned_search_url(const Text& keyword);

// The status a results page gives: censored when it carries the notice (without its final
// "。"), normal otherwise.
Text banned_page_status(const Text& page);

struct BannedCheck {
  Text status;  // normal, censored, failed, or rate_limited_text() (refused to the end)
  // Result (normal or censored), Failed or RateLimited: a keyword has no empty answer.
  ItemOutcome outcome = ItemOutcome::Result;
  std::string problem;  // why the search brought no page (English); "" when it brought one
};

// Searches the keyword and gives its status; failed when the request brought no page (it
// failed, or the server answered with an error status).
BannedCheck check_keyword_banned(const Text& keyword);

struct BannedFilterResult {
  Text keywords;         // the normal keywords, each followed by CR LF
  int rows = 0;          // rows looked at
  int normal = 0;        // keywords kept
  int failed = 0;        // rows whose search failed
  int rate_limited = 0;  // rows the service kept refusing
};

// The filter over the list's rows: keywords[i] with statuses[i] (empty while not checked yet).
BannedFilterResult filter_normal_keywords(const TextList& keywords, const TextList& statuses);

// "一共有R关键词，替换完毕还有M个词", followed by "，查询失败F个" when some searches failed and
// "，频率受限L个" when the service refused some.
Text banned_filter_label(const BannedFilterResult& result);

}  // namespace tessaly::research
