#include "domains/access_test.h"

#include "core/http/http.h"
#include "core/patterns/pattern_matcher.h"
#include "core/patterns/web_text.h"
#include "core/text/charset.h"

namespace tessaly::domains {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Each run of blanks that holds a line break becomes one space; the ends lose their blanks.
Text fold_line_breaks(const Text& title) {
  if (title.find_first_of("\r\n") == Text::npos) return title;
  Text out;
  out.reserve(title.size());
  for (size_t i = 0; i < title.size();) {
    if (!is_blank(title[i])) {
      out += title[i++];  // CR, LF, space and tab are never the trail byte of a GBK character
      continue;
    }
    size_t end = i;
    bool line_break = false;
    for (; end < title.size() && is_blank(title[end]); ++end)
      line_break |= title[end] == '\r' || title[end] == '\n';
    if (line_break)
      out += ' ';
    else
      out.append(title, i, end - i);
    i = end;
  }
  return trim_both(out);
}

}  // namespace

Text page_title(PatternMatcher& matcher, const Text& page) {
  matcher.search("<title>([\\s\\S]*?)</title>", page);
  Text title = fold_line_breaks(matcher.group_text(1, 1));
  if (title.empty()) return title;
  title = decode_html_entities(title);
  // A reference to a line break or another control character must not break the result line.
  for (char& c : title)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return title;
}

Text access_result_line(int k, const Text& site, const Text& title) {
  static const std::string ok = gbk("状态:OK---标题：");
  static const std::string flagged = gbk("★---");
  static const std::string no = gbk("状态:NO---标题：此域名可能不能访问。★★\r\n");
  if (title.empty()) return to_text(k) + flagged + site + no;
  return to_text(k) + "---" + site + ok + title + "\r\n";
}

Text access_failed_line(int k, const Text& site) {
  static const std::string flagged = gbk("★---");
  static const std::string state = gbk("状态:NO---标题：");
  static const std::string tail = gbk("★★\r\n");
  return to_text(k) + flagged + site + state + query_failed_text() + tail;
}

Text access_rate_limited_line(int k, const Text& site) {
  static const std::string state = gbk("状态:");
  return to_text(k) + "---" + site + state + rate_limited_text() + "\r\n";
}

TextList flagged_domains(const Text& results) {
  PatternMatcher matcher;
  matcher.search(gbk("★---(.*?)状态:NO"), results);
  TextList out;
  out.reserve(static_cast<size_t>(matcher.match_count()));
  for (int i = 1; i <= matcher.match_count(); ++i) out.push_back(matcher.group_text(i, 1));
  return out;
}

Text access_summary(int flagged) {
  return gbk("查询完毕不能访问的域名一共有") + to_text(flagged) + gbk("个");
}

void run_access_test(const TextList& sites, AccessSink& sink) {
  HttpOptions options;
  options.raw_body = true;  // decoded below in the page's own charset
  PatternMatcher matcher;
  for (size_t k = 0; k < sites.size(); ++k) {
    const int position = static_cast<int>(k) + 1;
    HttpResponse response = http_request(sites[k], options);
    RequestOutcome request = page_outcome(response);
    if (request != RequestOutcome::Answered) sink.request_problem(position, request, page_problem(response));
    Text title = request == RequestOutcome::Answered
                     ? page_title(matcher, web_page_text(response.body, response.head))
                     : Text();
    ItemOutcome outcome = item_outcome(request, !title.empty());
    sink.site_checked(position, sites[k], title, outcome);
    switch (outcome) {
      case ItemOutcome::Result:
      case ItemOutcome::Empty:
        sink.result_line(access_result_line(position, sites[k], title));
        break;
      case ItemOutcome::Failed:
        sink.result_line(access_failed_line(position, sites[k]));
        break;
      case ItemOutcome::RateLimited:
        sink.result_line(access_rate_limited_line(position, sites[k]));
        break;
    }
  }
}

}  // namespace tessaly::domains
