#include "fakes/keyword_sites.h"

#include "fakes/web_pages.h"

namespace tessaly::fakes {
namespace {

bool has_cookie(const RecordedRequest& req, const std::string& name) {
  return req.header("Cookie").find(name + "=") != std::string::npos;
}

}  // namespace

std::string keyword_item(const std::string& seed, int page, int k) {
  return seed + "词" + std::to_string(page) + "-" + std::to_string(k);
}

void add_wordlib_site(FakeServer& server, KeywordSiteOptions options) {
  serve_page(
      server, "/", "词库网",
      "<form method=\"post\" action=\"/login\"><input type=\"text\" name=\"user\">"
      "<input type=\"password\" name=\"pass\"><button id=\"login\" type=\"submit\">登录</button></form>");
  server.handle("POST", "/login", [](const RecordedRequest&, Reply& reply) {
    reply.set_cookie("ciku_session=logged-in; Path=/; HttpOnly");
    reply_page(reply, "词库网", "<p id=\"welcome\">欢迎回来</p>");
  });
  server.handle("GET", "/s", [options](const RecordedRequest& req, Reply& reply) {
    bool logged_in = has_cookie(req, "ciku_session");
    std::string seed = req.param("wd");
    int page = std::atoi(req.param("p").c_str());
    std::string body;
    for (int i = 0; logged_in && i < options.pager_links; ++i)
      body += "<a class=\"link \" href=\"/s?wd=x&p=" + std::to_string(i + 2) + "\">" + std::to_string(i + 2) +
              "</a>";
    for (int k = 1; k <= (logged_in ? 3 : 1); ++k) {
      std::string item = keyword_item(seed, page, k);
      body +=
          "<li><a href=\"javascript:;\" onclick=\"getdata(this,'" + item + "')\">" + item + "</a></li>\r\n";
    }
    reply_page(reply, "词库网搜索", body);
  });
}

void add_aizhan_site(FakeServer& server, KeywordSiteOptions options) {
  serve_page(server, "/login.php", "爱站网登录",
             "<p id=\"state\">正在登录</p><script>document.cookie = 'aizhan_session=logged-in; path=/';"
             "document.getElementById('state').textContent = '已登录';</script>");
  server.handle_prefix("GET", "/", [options](const RecordedRequest& req, Reply& reply) {
    // "/<seed>/" or "/<seed>/<n>/"
    std::string path = req.path.substr(1);
    size_t slash = path.find('/');
    std::string seed = percent_decode(path.substr(0, slash));
    std::string rest = slash == std::string::npos ? std::string() : path.substr(slash + 1);
    int page = std::atoi(rest.c_str());
    bool logged_in = has_cookie(req, "aizhan_session");
    std::string body;
    for (int i = 0; logged_in && i < options.pager_links; ++i)
      body += "&nbsp;<a href=\"/x/" + std::to_string(i + 2) + "/\">" + std::to_string(i + 2) + "</a>";
    body += "<table>";
    for (int k = 1; k <= (logged_in ? 3 : 1); ++k) {
      std::string tail = keyword_item("", page, k);
      body += "<tr><td><a href=\"/k\" rel=\"nofollow\"><font color=\"#FF0000\">" + seed + "</font>" + tail +
              "</a></td></tr>\r\n";
    }
    reply_page(reply, "爱站关键词", body + "</table>");
  });
}

}  // namespace tessaly::fakes
