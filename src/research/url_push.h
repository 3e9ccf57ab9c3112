#pragma once
// Active URL push: a site's URLs handed to the search engine's URL-submission API, up to 2,000
// in one POST ("/urls?site=SITE&token=TOKEN", the URLs one per line as plain text), each answer
// telling how many were taken, which were refused as not of the site or not valid, and how much
// of the day's quota is left. The list is cleaned first (blank lines, repeats and lines that are
// not http(s) URLs are left out and counted); a run stops when the quota is used up or the
// service refuses the site or the token, leaving the rest unsent.
//
// The token is a secret: it goes into the request and nowhere else. Every text this part hands
// out (a failure's reason, the service's message) has it masked.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/http/http.h"
#include "core/jobs/job.h"
#include "core/text/text.h"

namespace tessaly {

// The most URLs the service takes in one request.
inline constexpr int kPushBatchLimit = 2000;

// --- input -------------------------------------------------------------------------------------

// The site as the service knows it: a host name ("www.example.com"), with "http://" or
// "https://" in front for a site registered with its scheme, and a port at most. Spaces around
// it and a final "/" are dropped (an address copied from the browser); "" when it is no such site.
std::string push_site(std::string_view typed);
// The token with spaces and line breaks around it dropped; "" when it is empty or holds anything
// but ASCII letters, digits, "-" and "_" (it goes into the query as it is).
std::string push_token(std::string_view typed);

// True for a line that is an http or https URL: the scheme (any case), a host of letters, digits,
// "-", "_", "." or non-ASCII characters with a port at most, and no space or control character
// anywhere.
bool is_push_url(std::string_view line);

// The URL list as it is pushed: each URL once, in the order of its first line.
struct PushList {
  TextList urls;
  std::vector<int> lines;  // the 1-based line number of each URL
  int blank = 0;           // empty lines, or lines of spaces
  int duplicate =
      0;            // repeats of a URL listed before (spaces around it, the case of scheme and host ignored)
  int not_url = 0;  // lines that are not http(s) URLs
  // The lines that are not URLs: their 1-based line number and text.
  std::vector<std::pair<int, Text>> rejected;
  int left_out() const { return blank + duplicate + not_url; }
};
PushList clean_push_urls(const TextList& lines);

// --- the service's answers ---------------------------------------------------------------------

// The request URL: endpoint BAIDU_PUSH_API + "/urls?site=" + site + "&token=" + token.
std::string push_request_url(std::string_view site, std::string_view token);

// An answer of the service: {"remain":N,"success":M,"not_same_site":[...],"not_valid":[...]} or
// {"error":CODE,"message":"..."}. Fields it does not know are skipped.
struct PushAnswer {
  bool object = false;    // the body was a whole JSON object
  long long remain = -1;  // -1 when absent
  long long success = -1;
  long long error = 0;     // 0 when absent
  Text message;            // GBK
  TextList not_same_site;  // GBK
  TextList not_valid;      // GBK
  bool accepted() const { return object && error == 0 && success >= 0; }
};
PushAnswer read_push_answer(std::string_view body);

// `text` with every occurrence of `secret` replaced by "******" (nothing when secret is empty).
std::string mask_secret(std::string_view text, std::string_view secret);

// --- a run -------------------------------------------------------------------------------------

enum class PushStatus { Pushed, NotSameSite, NotValid, Failed, RateLimited, QuotaUsedUp };

// The 状态 texts (GBK): "推送成功", "非本站链接", "链接不合法", query_failed_text(),
// rate_limited_text(), "配额已用完".
const Text& push_status_text(PushStatus status);
// The command line's status words: "pushed", "not same site", "not valid", "failed",
// "rate limited", "quota used up".
const char* push_status_key(PushStatus status);

// What became of one URL.
struct PushedUrl {
  int position = 0;  // 1-based among the cleaned URLs
  Text url;
  PushStatus status = PushStatus::Pushed;
  // Result: the service said what became of the URL (pushed, not of the site, not valid);
  // Failed: no answer, a refusal, or the quota was used up before it; RateLimited: refused to
  // the end as too many requests.
  ItemOutcome outcome = ItemOutcome::Result;
  Text message;     // the service's message of a refused push (GBK), "" otherwise
  std::string why;  // why it was not pushed (English), "" when pushed
};

// The 状态 cell of a URL: its status text, for a refused push followed by "：" and the service's
// message.
Text push_status_cell(const PushedUrl& url);

// A result line of the export file and of the command line's text output (without a line
// break): position "---" URL "---" 状态 cell.
Text push_result_line(int position, const Text& url, const Text& status_cell);

// The numbers of the summary line: URLs pushed in this run so far, the day's quota left as the
// last answer said (-1 before any answer), and the lines the cleaning left out.
struct PushTotals {
  long long pushed = 0;
  long long remain = -1;
  int blank = 0, duplicate = 0, not_url = 0;
};
// "成功N条，今日剩余M条" (the remaining quota "未知" before any answer), followed by
// "，已剔除K行（空行a，重复b，非网址c）" when the cleaning left lines out.
Text push_summary_text(const PushTotals& totals);

class PushSink {
 public:
  virtual ~PushSink() = default;
  // Every URL once, when its batch has been answered (or has failed, or stays unsent).
  virtual void url_done(const PushedUrl& url) = 0;
  // After each batch.
  virtual void batch_done(const PushTotals& /*totals*/) {}
};

enum class PushEnd {
  Done,         // every batch was sent
  QuotaUsedUp,  // the day's quota ran out; the URLs after it stay unsent
  Refused,      // the service refused the site or the token; the URLs after it stay unsent
};

struct PushResult {
  PushEnd end = PushEnd::Done;
  PushTotals totals;
  long long unsent = 0;  // URLs left unsent when the run stopped early
  OutcomeCounts counts;  // the URLs by outcome
  int not_accepted = 0;  // URLs the service refused as not of the site or not valid
  Text message;          // the refusal's message (GBK, the token masked)
};

struct PushOptions {
  std::string site;                  // push_site()
  std::string token;                 // push_token(); a secret
  PushList list;                     // clean_push_urls()
  int batch_size = kPushBatchLimit;  // URLs a request, at most kPushBatchLimit
};

// Pushes the list batch by batch on the calling thread, which works for `job`: a stop ends a
// request in flight at once (its URLs get no status) and unwinds with JobStopped. A batch the
// service could not answer, answered with a server error or kept refusing as too many requests
// is marked so and the run goes on; a refusal of the site or token (an HTTP 4xx error answer)
// or a used-up quota marks the rest and ends the run.
PushResult run_url_push(Job& job, const PushOptions& options, PushSink& sink);

// The message a window shows at a run's end (GBK): "推送完毕：" and the summary, followed by the
// failures (failures_tail) and "，另有K条未被接受（非本站链接或链接不合法）" when there were such;
// the quota note with how many stay unsent; or the refusal with the service's message.
Text push_end_message(const PushResult& result);

}  // namespace tessaly
