#pragma once
// Baidu web search ("/s?wd=...") as the research tools see it: UTF-8 result pages that carry
// the result-count texts. A "site:" search answers "找到相关结果数约N个" with the domain's total,
// 24-hour ("lm=1") or one-week ("lm=7") count; a search for the quoted domain answers
// "百度为您找到相关结果约N个" with its back links. Unknown domains get a page without a count.
// A plain keyword search answers a results page, with Baidu's censorship notice for a keyword
// set censored; a keyword can also fail (an empty 503), wait before answering, or be held
// until the test releases it. Plain keyword searches in flight are counted.
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "fakes/fake_server.h"
#include "fakes/request_gate.h"

namespace tessaly::fakes {

struct BaiduSiteCounts {
  // Texts placed between the marker and "个" (UTF-8), "" for a page without the count text.
  std::string total, day, week, links;
};

struct BaiduKeyword {
  bool censored = false;  // the page carries "根据相关法律法规和政策，部分搜索结果未予显示"
  bool fails = false;  // an empty 503 instead of a page
  int delay_ms = 0;    // waits this long before answering
  bool held = false;   // waits for release_keywords() before answering
};

class FakeBaiduSearch {
 public:
  // Registers "/s" on the server. Searches that are neither "site:" nor quoted go to `other`
  // when set (other tools' pages), else get a page without any count.
  explicit FakeBaiduSearch(FakeServer& server, Handler other = {});

  // Counts of a domain (as it appears after "site:" or between the quotes, UTF-8).
  void set_site(const std::string& domain, BaiduSiteCounts counts);
  // How the search for a keyword (UTF-8) answers: a results page, with the censorship notice
  // when censored. Other keywords get a page without results (and no notice).
  void set_keyword(const std::string& keyword, BaiduKeyword answer);
  // Lets the held keyword searches answer.
  void release_keywords() { gate_->release(); }
  // Plain keyword searches being answered now, the most at once, and how many are held.
  int keyword_searches_in_flight() const { return gate_->in_flight(); }
  int peak_keyword_searches() const { return gate_->peak(); }
  int held_keyword_searches() const { return gate_->held(); }
  // Waits until a keyword search is held while `peak` run at once; false on time-out.
  bool wait_for_held_keyword_beside(int peak, int timeout_ms) {
    return gate_->wait_for_held_and_peak(peak, timeout_ms);
  }

  ~FakeBaiduSearch();
  FakeBaiduSearch(const FakeBaiduSearch&) = delete;
  FakeBaiduSearch& operator=(const FakeBaiduSearch&) = delete;

 private:
  std::shared_ptr<std::mutex> mutex_ = std::make_shared<std::mutex>();
  std::shared_ptr<std::map<std::string, BaiduSiteCounts>> sites_ =
      std::make_shared<std::map<std::string, BaiduSiteCounts>>();
  std::shared_ptr<std::map<std::string, BaiduKeyword>> keywords_ =
      std::make_shared<std::map<std::string, BaiduKeyword>>();
  std::shared_ptr<RequestGate> gate_ = std::make_shared<RequestGate>();
};

// A Baidu-like UTF-8 results page around the given body text (charset declared in the page's
// first bytes and in the Content-Type of the reply it is used with).
std::string baidu_page(const std::string& body_utf8);

}  // namespace tessaly::fakes
