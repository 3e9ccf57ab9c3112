#pragma once
// Baidu inclusion query: for each domain, how many of its pages Baidu has indexed in total, in
// the last 24 hours and in the last week, and how many pages mention it (its back links). Four
// searches per domain, one after another, with short pauses between them.
#include <string>
#include <vector>

#include "core/http/http.h"
#include "core/text/text.h"

namespace tessaly {
class PatternMatcher;
}

namespace tessaly::research {

enum class InclusionQuery { Total = 1, Day = 2, Week = 3, Links = 4 };

// The search URL of one query for a domain (GBK): queries 1 to 3 search for "site:" + domain,
// percent-encoded as UTF-8 (2 and 3 restricted to the last day or week); query 4 searches for
// the domain between double quotes, appended to the URL as it is.
std::string inclusion_query_url(const Text& domain, InclusionQuery query);

// The count a results page shows for the query: the text between the result-count marker and
// "个" exactly as the page has it, or "" when the page has none (shown as "0").
Text inclusion_count(PatternMatcher& matcher, const Text& page, InclusionQuery query);

struct InclusionOptions {
  TextList domains;          // one item per line of the domain box, empty lines included
  int query_wait_ms = 100;   // after each of the first three queries of a domain
  int domain_wait_ms = 500;  // after the last query of a domain
};

class InclusionSink {
 public:
  virtual ~InclusionSink() = default;
  // A row for the domain at 1-based position `position` of the list.
  virtual void row_started(int position, const Text& domain) = 0;
  // A count of that row: column 2 total, 3 last 24 hours, 4 last week, 5 back links. Result: a
  // count the page showed; Empty: a results page without one ("0"); Failed: no answer, an error
  // status or a reply without markup (query_failed_text()); RateLimited: the service kept
  // refusing (rate_limited_text()).
  virtual void count_found(int position, int column, const Text& count, ItemOutcome outcome) = 0;
  // A query of that row brought no answer or was rate limited; told just
  // before that query's count, `why` in English.
  virtual void request_problem(int /*position*/, int /*column*/, RequestOutcome /*outcome*/,
                               const std::string& /*why*/) {}
};

// The worker's body. Requests go through http_request; waits are checkpoints, so a stopped job
// unwinds wherever it stands and a paused one holds still.
void run_inclusion_query(const InclusionOptions& options, InclusionSink& sink);

struct InclusionRow {
  Text domain, total, day, week, links;
};

// The export line of the row at 1-based `position` (without a line break).
Text inclusion_export_line(int position, const InclusionRow& row);
// The export file's content: one line per row, numbered from 1, each ending in CR LF.
Text inclusion_export_text(const std::vector<InclusionRow>& rows);

}  // namespace tessaly::research
