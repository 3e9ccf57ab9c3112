#include "links/crawler_identity.h"

#include "core/text/charset.h"

namespace tessaly {
namespace {

// The crawlers' published help pages, as their agents name them.
constexpr const char* kBaiduHelp = "http://www.baidu.com/search/spider.htm";
constexpr const char* kGoogleHelp = "http://www.google.com/bot.html";
constexpr const char* kSosoHelp = "http://help.soso.com/webspider.htm";
constexpr const char* kYoudaoHelp = "http://www.yodao.com/help/webmaster/spider/";
constexpr const char* kYahooHelp = "http://misc.yahoo.com.cn/help.html";

}  // namespace

const std::vector<CrawlerIdentity>& crawler_identities() {
  static const std::vector<CrawlerIdentity> table = {
      {gbk("百度蜘蛛"), std::string("Baiduspider+(+") + kBaiduHelp + ")"},
      {gbk("谷歌蜘蛛"), std::string("Mozilla/5.0 (compatible; Googlebot/2.1; +") + kGoogleHelp + ")"},
      {gbk("SOSO蜘蛛"), std::string("Sosospider+(+") + kSosoHelp + ")"},
      {gbk("Sogou蜘蛛"),
       "Sogou Web Sprider(compatible; Mozilla 4.0; MSIE 6.0; Windows NT 5.1; SV1; Avant Browser; "
       "InfoPath.1; .NET CLR 2.0.50727; .NET CLR1.1.4322)"},
      {gbk("有道蜘蛛"), std::string("Mozilla/5.0 (compatible; YodaoBot/1.0; ") + kYoudaoHelp + "; )"},
      {gbk("YAHOO蜘蛛"), std::string("Mozilla/5.0 (compatible; Yahoo! Slurp China; ") + kYahooHelp + ")"},
  };
  return table;
}

std::optional<std::string> crawler_user_agent(std::string_view item) {
  for (const CrawlerIdentity& identity : crawler_identities())
    if (identity.item == item) return identity.user_agent;
  return std::nullopt;
}

}  // namespace tessaly
