#include "research/banned_filter.h"

#include "core/http/endpoints.h"
#include "core/http/http.h"
#include "core/text/charset.h"

namespace tessaly::research {
namespace {

const char* const kNotice = "根据相关法律法规和政策，部分搜索结果未予显示";

}  // namespace

const Text& banned_status_normal() {
  static const Text text = gbk("正常关键词");
  return text;
}

const Text& banned_status_censored() {
  static const Text text = gbk(std::string(kNotice) + "。");
  return text;
}

std::string banned_search_url(const Text& keyword) {
  return endpoint_base("BAIDU_WEB_SEARCH") + "/s?wd=" + url_encode(keyword, true, true);
}

Text banned_page_status(const Text& page) {
  static const Text notice = gbk(kNotice);
  return find_text(page, notice) != kNotFound ? banned_status_censored() : banned_status_normal();
}

BannedCheck check_keyword_banned(const Text& keyword) {
  HttpResponse response = http_request(banned_search_url(keyword));
  BannedCheck check;
  // A reply that is no results page says nothing by the notice's absence.
  check.outcome = item_outcome(page_outcome(response), true);
  if (check.outcome == ItemOutcome::Result) {
    check.status = banned_page_status(response.body);
    return check;
  }
  check.status = failure_text(check.outcome);
  check.problem = page_problem(response);
  return check;
}

BannedFilterResult filter_normal_keywords(const TextList& keywords, const TextList& statuses) {
  BannedFilterResult result;
  result.rows = static_cast<int>(keywords.size());
  for (size_t i = 0; i < keywords.size(); ++i) {
    const Text& status = i < statuses.size() ? statuses[i] : Text();
    if (status == banned_status_normal()) {
      result.keywords += keywords[i] + "\r\n";
      ++result.normal;
    } else if (status == query_failed_text()) {
      ++result.failed;
    } else if (status == rate_limited_text()) {
      ++result.rate_limited;
    }
  }
  return result;
}

Text banned_filter_label(const BannedFilterResult& result) {
  Text label = gbk("一共有") + to_text(result.rows) + gbk("关键词，替换完毕还有") + to_text(result.normal) +
               gbk("个词");
  if (result.failed > 0) label += gbk("，查询失败") + to_text(result.failed) + gbk("个");
  if (result.rate_limited > 0) label += gbk("，频率受限") + to_text(result.rate_limited) + gbk("个");
  return label;
}

}  // namespace tessaly::research
