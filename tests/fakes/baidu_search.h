#pragma once
// Baidu web search ("/s?wd=...") as the research tools see it: UTF-8 result pages that carry
// the result-count texts. A "site:" search answers "找到相关结果数约N个" with the domain's total,
// 24-hour ("lm=1") or one-week ("lm=7") count; a search for the quoted domain answers
// "百度为您找到相关结果约N个" with its back links. Unknown domains get a page without a count.
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "fakes/fake_server.h"

namespace tessaly::fakes {

struct BaiduSiteCounts {
  // Texts placed between the marker and "个" (UTF-8), "" for a page without the count text.
  std::string total, day, week, links;
};

class FakeBaiduSearch {
 public:
  // Registers "/s" on the server. Searches that are neither "site:" nor quoted go to `other`
  // when set (other tools' pages), else get a page without any count.
  explicit FakeBaiduSearch(FakeServer& server, Handler other = {});

  // Counts of a domain (as it appears after "site:" or between the quotes, UTF-8).
  void set_site(const std::string& domain, BaiduSiteCounts counts);

 private:
  std::shared_ptr<std::mutex> mutex_ = std::make_shared<std::mutex>();
  std::shared_ptr<std::map<std::string, BaiduSiteCounts>> sites_ =
      std::make_shared<std::map<std::string, BaiduSiteCounts>>();
};

// A Baidu-like UTF-8 results page around the given body text (charset declared in the page's
// first bytes and in the Content-Type of the reply it is used with).
std::string baidu_page(const std::string& body_utf8);

}  // namespace tessaly::fakes
