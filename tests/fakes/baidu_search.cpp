#include "fakes/baidu_search.h"

namespace tessaly::fakes {

std::string baidu_page(const std::string& body_utf8) {
  return "<!DOCTYPE html><html><head><meta http-equiv=\"content-type\" content=\"text/html;charset=utf-8\">"
         "<title>百度搜索</title></head><body><div id=\"wrapper\"><div class=\"nums\">" +
         body_utf8 + "</div><div id=\"content_left\">...</div></div></body></html>";
}

FakeBaiduSearch::FakeBaiduSearch(FakeServer& server, Handler other) {
  server.handle(
      "GET", "/s",
      [mutex = mutex_, sites = sites_, keywords = keywords_, gate = gate_, other](const RecordedRequest& req,
                                                                                  Reply& reply) {
        std::string wd = req.param("wd");
        std::string lm = req.param("lm");
        reply.content_type = "text/html; charset=utf-8";
        auto lookup = [&](const std::string& domain, BaiduSiteCounts& out) {
          std::lock_guard lock(*mutex);
          auto it = sites->find(domain);
          if (it == sites->end()) return false;
          out = it->second;
          return true;
        };
        BaiduSiteCounts counts;
        if (wd.rfind("site:", 0) == 0) {
          std::string n;
          if (lookup(wd.substr(5), counts))
            n = lm == "1" ? counts.day : lm == "7" ? counts.week : counts.total;
          reply.body = baidu_page(n.empty() ? "抱歉，没有找到与该网站相关的网页。"
                                            : "百度为您找到相关结果数" + n + "个");
          return;
        }
        if (wd.size() >= 2 && wd.front() == '"' && wd.back() == '"') {
          bool known = lookup(wd.substr(1, wd.size() - 2), counts) && !counts.links.empty();
          reply.body =
              baidu_page(known ? "百度为您找到相关结果" + counts.links + "个" : "抱歉，没有找到相关的网页。");
          return;
        }
        BaiduKeyword answer;
        bool known = false;
        {
          std::lock_guard lock(*mutex);
          if (auto it = keywords->find(wd); it != keywords->end()) {
            answer = it->second;
            known = true;
          }
        }
        if (!known && other) {
          other(req, reply);
          return;
        }
        RequestGate::Pass pass(gate);
        if (answer.delay_ms > 0) gate->wait_ms(answer.delay_ms);
        if (answer.held) gate->hold();
        if (answer.fails) {
          reply.status = 503;
          reply.body.clear();
          return;
        }
        if (!known) {
          reply.body = baidu_page("抱歉，没有找到相关的网页。");
          return;
        }
        reply.body = baidu_page(answer.censored ? "百度为您找到相关结果约1,000个</div><div class=\"tip\">"
                                                  "根据相关法律法规和政策，部分搜索结果未予显示。"
                                                : "百度为您找到相关结果约1,000个");
      });
}

FakeBaiduSearch::~FakeBaiduSearch() { gate_->shutdown(); }

void FakeBaiduSearch::set_keyword(const std::string& keyword, BaiduKeyword answer) {
  std::lock_guard lock(*mutex_);
  (*keywords_)[keyword] = answer;
}

void FakeBaiduSearch::set_site(const std::string& domain, BaiduSiteCounts counts) {
  std::lock_guard lock(*mutex_);
  (*sites_)[domain] = std::move(counts);
}

}  // namespace tessaly::fakes
