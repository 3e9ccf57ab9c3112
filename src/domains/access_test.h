#pragma once
// Website access test: requests each site's home page and reports its title, or flags the site
// as possibly unreachable when no title can be read. Pages are read in their own charset, so
// GBK, Big5 and UTF-8 sites all show readable titles.
#include <string>

#include "core/http/http.h"
#include "core/text/text.h"

namespace tessaly {
class PatternMatcher;
}

namespace tessaly::domains {

// The page's title: the text of its first title element (any case) with its character
// references decoded (control characters as spaces); a title over several lines has each line
// break, with the blanks around it, folded into one space and no blanks at its ends; "" when
// there is none or it is empty. The matcher keeps the compiled pattern from one page to the next.
Text page_title(PatternMatcher& matcher, const Text& page);

// The result line of the site on line k (from 1), ending in CR LF: the title line when a title
// was found, the no-title line (starting k "★---") otherwise.
Text access_result_line(int k, const Text& site, const Text& title);
// The line of a site that brought no answer (or a reply without markup): the no-title line with
// "查询失败" where the title would stand; it is flagged like the no-title line.
Text access_failed_line(int k, const Text& site);
// The line of a site the service kept refusing: k "---" site "状态:频率受限". It
// is not flagged as unreachable.
Text access_rate_limited_line(int k, const Text& site);

// The flagged domains of a result text: group 1 of every "★---(.*?)状态:NO".
TextList flagged_domains(const Text& results);

// The final message: "查询完毕不能访问的域名一共有N个".
Text access_summary(int flagged);

class AccessSink {
 public:
  virtual ~AccessSink() = default;
  virtual void result_line(const Text& line) = 0;
  // Before each result line: the site on line `position`, the title found ("" for none) and how
  // its request went: Result (a title), Empty (a page without one), Failed (no answer, an error
  // status or a reply without markup) or RateLimited.
  virtual void site_checked(int /*position*/, const Text& /*site*/, const Text& /*title*/,
                            ItemOutcome /*outcome*/) {}
  // Before that, when the request for the site brought no answer or was rate limited; `why` in
  // English.
  virtual void request_problem(int /*position*/, RequestOutcome /*outcome*/, const std::string& /*why*/) {}
};

// The worker: every line of the site list in order, without pauses. A line is requested as it
// was typed (http and path "/" when it has no scheme).
void run_access_test(const TextList& sites, AccessSink& sink);

}  // namespace tessaly::domains
