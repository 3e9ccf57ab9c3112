#pragma once
// Domain keyword mining: the keywords a domain ranks for in Baidu, read from the Baidu-rank
// pages of a domain, one page after another with a pause after each request. Either a fixed
// number of pages per domain ("/1/" for the first) or every page the first page's pager shows
// (the first page then without a number).
#include <functional>
#include <string>
#include <vector>

#include "core/http/http.h"
#include "core/text/text.h"

namespace tessaly::research {

// The user agent of the rank-page download.
extern const char* const kRankPageAgent;

// The rank page of a domain: page 0 is the first page without a number ("/baidu/d/position/"),
// page n >= 1 is "/baidu/d/n/position/". The domain goes in as typed.
std::string rank_page_url(const Text& domain, int page);

// A downloaded page as text: the bytes converted from UTF-8 to GBK, every 0x00 and 0x1A byte
// replaced by "替换".
Text rank_page_text(const Bytes& body);

// Number of page links in the pager block of a first page (0 when there is no pager).
int rank_pager_links(const Text& page);

struct RankRow {
  Text keyword;
  Text url;
  Text volume;  // empty when the page has fewer volume links than keyword rows
};

// The keyword rows of a rank page, paired by position with its search-volume links.
// volume_base is the address of the keyword pages ("http://" host "/"), put into the volume
// pattern unescaped.
std::vector<RankRow> read_rank_rows(const Text& page, const std::string& volume_base);

// The program-wide running number of keyword rows: never reset while the program runs.
long long next_rank_row_id();

struct DomainMiningOptions {
  TextList domains{};
  bool all_pages = false;             // every page of the pager, else page_count() pages
  std::function<int()> page_count{};  // read again for every domain
  std::function<int()> delay_ms{};    // read again for every page
};

class DomainMiningSink {
 public:
  virtual ~DomainMiningSink() = default;
  // Rows of one page, each with its RankRowId (of the domain last started).
  virtual void rows_found(const std::vector<std::pair<long long, RankRow>>& rows) = 0;
  // The pages of the domain on line `position` (from 1) come next.
  virtual void domain_started(int /*position*/, const Text& /*domain*/) {}
  // A page of that domain could not be downloaded (or came back without markup), or was rate
  // limited; `why` in English.
  virtual void request_problem(int /*position*/, RequestOutcome /*outcome*/, const std::string& /*why*/) {}
  // The domain's pages are done: Result when they listed rows, Empty when they answered without
  // any, Failed or RateLimited when a page did (rows of its other pages stay).
  virtual void domain_done(int /*position*/, ItemOutcome /*outcome*/) {}
};

// The worker's body: downloads and reads every page. Requests and waits are checkpoints.
void mine_domain_keywords(const DomainMiningOptions& options, DomainMiningSink& sink);

}  // namespace tessaly::research
