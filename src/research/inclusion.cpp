#include "research/inclusion.h"

#include "core/http/endpoints.h"
#include "core/http/http.h"
#include "core/jobs/job.h"
#include "core/patterns/pattern_matcher.h"
#include "core/text/charset.h"

namespace tessaly::research {

std::string inclusion_query_url(const Text& domain, InclusionQuery query) {
  std::string base = endpoint_base("BAIDU_WEB_SEARCH") + "/s?wd=";
  switch (query) {
    case InclusionQuery::Total:
      return base + url_encode("site:" + domain, true, true);
    case InclusionQuery::Day:
      return base + url_encode("site:" + domain, true, true) + "&pn=0&lm=1";
    case InclusionQuery::Week:
      return base + url_encode("site:" + domain, true, true) + "&pn=0&lm=7";
    case InclusionQuery::Links:
      return base + "\"" + domain + "\"";
  }
  return base;
}

Text inclusion_count(PatternMatcher& matcher, const Text& page, InclusionQuery query) {
  static const std::string site_pattern = gbk("找到相关结果数(.*?)个");
  static const std::string links_pattern = gbk("找到相关结果(.*?)个");
  matcher.search(query == InclusionQuery::Links ? links_pattern : site_pattern, page);
  return matcher.group_text(1, 1);
}

void run_inclusion_query(const InclusionOptions& options, InclusionSink& sink) {
  PatternMatcher matcher;
  const int n = static_cast<int>(options.domains.size());
  for (int i = 1; i <= n; ++i) {
    const Text& domain = options.domains[static_cast<size_t>(i - 1)];
    sink.row_started(i, domain);
    const InclusionQuery queries[] = {InclusionQuery::Total, InclusionQuery::Day, InclusionQuery::Week,
                                      InclusionQuery::Links};
    for (InclusionQuery q : queries) {
      const int column = static_cast<int>(q) + 1;
      HttpResponse response = http_request(inclusion_query_url(domain, q));
      // A reply that is no results page says nothing by a missing count.
      RequestOutcome request = page_outcome(response);
      if (request != RequestOutcome::Answered)
        sink.request_problem(i, column, request, page_problem(response));
      Text count = request == RequestOutcome::Answered ? inclusion_count(matcher, response.body, q) : Text();
      ItemOutcome outcome = item_outcome(request, !count.empty());
      sink.count_found(i, column,
                       outcome == ItemOutcome::Result  ? count
                       : outcome == ItemOutcome::Empty ? Text("0")
                                                       : failure_text(outcome),
                       outcome);
      sleep_ms(q == InclusionQuery::Links ? options.domain_wait_ms : options.query_wait_ms);
    }
  }
}

Text inclusion_export_line(int position, const InclusionRow& row) {
  static const std::string domain_label = gbk("---域名：");
  static const std::string total_label = gbk("---总收录：");
  static const std::string day_label = gbk("---24小时收录：");
  static const std::string week_label = gbk("---一周收录：");
  static const std::string links_label = gbk("---百度反链：");
  return to_text(position) + domain_label + row.domain + total_label + row.total + day_label + row.day +
         week_label + row.week + links_label + row.links;
}

Text inclusion_export_text(const std::vector<InclusionRow>& rows) {
  Text out;
  for (size_t r = 0; r < rows.size(); ++r)
    out += inclusion_export_line(static_cast<int>(r) + 1, rows[r]) + "\r\n";
  return out;
}

}  // namespace tessaly::research
