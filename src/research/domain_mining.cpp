#include "research/domain_mining.h"

#include <atomic>

#include "core/http/endpoints.h"
#include "core/http/http.h"
#include "core/jobs/job.h"
#include "core/patterns/pattern_matcher.h"
#include "core/text/charset.h"

namespace tessaly::research {

const char* const kRankPageAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

namespace {

std::atomic<long long> rank_row_id{0};

const char* const kPagerPattern = "<div class=\"page\">(.*?)</div>";
const char* const kPageLinkPattern = "position/\">(.*?)</a>";
const char* const kKeywordRowPattern =
    "<td class=\"blue t_l word\">\r\n<a rel=\"nofollow\" target=\"_blank\" href=\"(.*?)\">(.*?)</a>";

struct RankPage {
  Text text;
  ItemOutcome outcome = ItemOutcome::Empty;  // Empty for a page answered (its rows decide), or its failure
};

// The Baidu-rank page text of a URL, after the configured pause; a failed or refused download (or
// one that is no page) is told to the sink and reads as an empty page.
RankPage fetch_rank_page(const std::string& url, const std::function<int()>& delay_ms, int position,
                         DomainMiningSink& sink) {
  HttpResponse response = http_download(url, kRankPageAgent);
  RequestOutcome request = page_outcome(response);
  if (request != RequestOutcome::Answered) sink.request_problem(position, request, page_problem(response));
  sleep_ms(delay_ms ? delay_ms() : 0);
  if (request != RequestOutcome::Answered) return {{}, item_outcome(request, false)};
  return {rank_page_text(response.body), ItemOutcome::Empty};
}

}  // namespace

std::string rank_page_url(const Text& domain, int page) {
  std::string base = endpoint_base("AIZHAN_BAIDURANK") + "/baidu/" + domain + "/";
  return page <= 0 ? base + "position/" : base + std::to_string(page) + "/position/";
}

Text rank_page_text(const Bytes& body) {
  static const std::string replacement = gbk("替换");
  Text converted = convert_charset(body, "UTF-8", "GBK");
  Text out;
  out.reserve(converted.size());
  for (char c : converted) {
    if (c == '\0' || c == '\x1A')
      out += replacement;
    else
      out.push_back(c);
  }
  return out;
}

int rank_pager_links(const Text& page) {
  PatternMatcher matcher;
  matcher.search(kPagerPattern, page);
  Text pager = matcher.group_text(1, 1);
  matcher.search(kPageLinkPattern, pager);
  return matcher.match_count();
}

std::vector<RankRow> read_rank_rows(const Text& page, const std::string& volume_base) {
  PatternMatcher rows, volumes;
  rows.search(kKeywordRowPattern, page);
  volumes.search("<a target=\"_blank\" class=\"zhishu\" href=\"" + volume_base + ".*?/\">(.*?)</a>", page);
  std::vector<RankRow> out;
  out.reserve(static_cast<size_t>(rows.match_count()));
  for (int k = 1; k <= rows.match_count(); ++k)
    out.push_back({rows.group_text(k, 2), rows.group_text(k, 1), volumes.group_text(k, 1)});
  return out;
}

long long next_rank_row_id() { return ++rank_row_id; }

void mine_domain_keywords(const DomainMiningOptions& options, DomainMiningSink& sink) {
  const std::string volume_base = endpoint_base("AIZHAN_KEYWORDS") + "/";
  ItemOutcome outcome = ItemOutcome::Empty;  // of the current domain's pages so far
  auto read_rows = [&](const RankPage& page) {
    std::vector<std::pair<long long, RankRow>> found;
    for (RankRow& row : read_rank_rows(page.text, volume_base))
      found.emplace_back(next_rank_row_id(), std::move(row));
    outcome = combined_outcome(outcome, found.empty() ? page.outcome : ItemOutcome::Result);
    if (!found.empty()) sink.rows_found(found);
  };
  for (size_t k = 0; k < options.domains.size(); ++k) {
    const Text& domain = options.domains[k];
    const int position = static_cast<int>(k) + 1;
    sink.domain_started(position, domain);
    outcome = ItemOutcome::Empty;
    auto fetch = [&](int page) {
      return fetch_rank_page(rank_page_url(domain, page), options.delay_ms, position, sink);
    };
    if (options.all_pages) {
      RankPage first = fetch(0);
      int links = rank_pager_links(first.text);
      read_rows(first);
      for (int p = 1; p <= links; ++p) read_rows(fetch(p + 1));
    } else {
      int pages = options.page_count ? options.page_count() : 0;
      for (int p = 1; p <= pages; ++p) read_rows(fetch(p));
    }
    sink.domain_done(position, outcome);
    checkpoint();
  }
}

}  // namespace tessaly::research
