#include "domains/ip_lookup.h"

#include "core/http/endpoints.h"
#include "core/http/http.h"
#include "core/patterns/pattern_matcher.h"
#include "core/text/charset.h"

namespace tessaly::domains {

std::string ip_lookup_url(const Text& domain) {
  return endpoint_base("IP138_LOOKUP") + "/ips1388.asp?ip=" + domain + "&action=2";
}

IpLookupResult read_ip_lookup(const Text& page) {
  static const std::string region_pattern = gbk("<li>本站主数据：(.*?)</li>");
  PatternMatcher matcher;
  IpLookupResult out;
  matcher.search(">> (.*?)</font></h1>", page);
  out.ip = matcher.group_text(1, 1);
  matcher.search(region_pattern, page);
  out.region = matcher.group_text(1, 1);
  return out;
}

void run_ip_lookup(const TextList& domains, IpLookupSink& sink) {
  for (size_t k = 0; k < domains.size(); ++k) {
    const int position = static_cast<int>(k) + 1;
    int row = sink.row_added(position, domains[k]);
    HttpResponse response = http_request(ip_lookup_url(domains[k]));
    RequestOutcome request = page_outcome(response);
    if (request != RequestOutcome::Answered) sink.request_problem(position, request, page_problem(response));
    IpLookupResult found =
        request == RequestOutcome::Answered ? read_ip_lookup(response.body) : IpLookupResult{};
    ItemOutcome outcome = item_outcome(request, !found.ip.empty());
    if (outcome == ItemOutcome::Failed || outcome == ItemOutcome::RateLimited)
      found = {failure_text(outcome), {}};
    sink.result(row, found, outcome);
  }
}

}  // namespace tessaly::domains
