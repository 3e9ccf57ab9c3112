#include "fakes/aizhan_rank.h"

namespace tessaly::fakes {
namespace {

std::string page_html(const std::string& domain, int page, const RankSite& site,
                      const std::string& keyword_base) {
  std::string html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + domain +
                     " 百度关键词排名</title></head><body><table class=\"table\">\r\n";
  const int volumes = site.volumes < 0 ? site.rows : site.volumes;
  if (page <= site.pages) {
    for (int i = 1; i <= site.rows; ++i) {
      html += "<tr><td class=\"blue t_l word\">\r\n<a rel=\"nofollow\" target=\"_blank\" href=\"" +
              FakeAizhanRank::url(domain, page, i) + "\">" + FakeAizhanRank::keyword(domain, page, i) +
              "</a></td>\r\n";
      if (i <= volumes)
        html += "<td><a target=\"_blank\" class=\"zhishu\" href=\"" + keyword_base + "k" + std::to_string(i) +
                "/\">" + FakeAizhanRank::volume(page, i) + "</a></td>";
      html += "</tr>\r\n";
    }
  }
  html += "</table>" + site.extra + "<div class=\"page\">";
  for (int p = 2; p <= site.pages; ++p)
    html +=
        "<a href=\"/baidu/" + domain + "/" + std::to_string(p) + "/position/\">" + std::to_string(p) + "</a>";
  html += "</div></body></html>";
  return html;
}

}  // namespace

FakeAizhanRank::FakeAizhanRank(FakeServer& server, std::string keyword_base) {
  server.handle_prefix(
      "GET", "/baidu/",
      [mutex = mutex_, sites = sites_, keyword_base](const RecordedRequest& req, Reply& reply) {
        // "/baidu/<domain>/position/" or "/baidu/<domain>/<n>/position/"
        std::string rest = req.path.substr(7);
        size_t slash = rest.find('/');
        std::string domain = rest.substr(0, slash);
        std::string tail = slash == std::string::npos ? "" : rest.substr(slash + 1);
        int page = 1;
        if (tail != "position/") {
          size_t next = tail.find('/');
          if (next == std::string::npos || tail.substr(next + 1) != "position/") {
            reply.status = 404;
            reply.body = "not found";
            return;
          }
          page = std::stoi(tail.substr(0, next));
        }
        RankSite site{.pages = 0, .rows = 0};
        {
          std::lock_guard lock(*mutex);
          if (auto it = sites->find(domain); it != sites->end()) site = it->second;
        }
        if (site.hang_page == page) {
          reply.hang = true;
          return;
        }
        reply.content_type = "text/html; charset=utf-8";
        reply.body = page_html(domain, page, site, keyword_base);
      });
}

void FakeAizhanRank::set_site(const std::string& domain, RankSite site) {
  std::lock_guard lock(*mutex_);
  (*sites_)[domain] = std::move(site);
}

std::string FakeAizhanRank::keyword(const std::string& domain, int page, int i) {
  return domain + "关键词" + std::to_string(page) + "-" + std::to_string(i);
}

std::string FakeAizhanRank::url(const std::string& domain, int page, int i) {
  return "http://" + domain + "/p" + std::to_string(page) + "/" + std::to_string(i) + ".html";
}

std::string FakeAizhanRank::volume(int page, int i) { return std::to_string(page * 100 + i); }

}  // namespace tessaly::fakes
