#include "fakes/sites.h"

#include "core/text/charset.h"

namespace tessaly::fakes {
namespace {

std::string html(const std::string& head, const std::string& body = "<p>welcome</p>") {
  return "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n" + head + "\r\n</head>\r\n<body>" + body +
         "</body>\r\n</html>\r\n";
}

void page(FakeServer& server, const char* path, std::string body, std::string content_type = "text/html") {
  server.handle(
      "GET", path,
      [body = std::move(body), content_type = std::move(content_type)](const RecordedRequest&, Reply& r) {
        r.content_type = content_type;
        r.body = body;
      });
}

}  // namespace

const std::vector<SitePage>& FakeSites::pages() {
  static const std::vector<SitePage> all = {
      {"/", "首页"},
      {"/utf8", "中文标题 UTF-8"},
      {"/gbk", "简体中文站点"},
      {"/big5", "繁體中文網站"},
      {"/upper", "Upper Case"},
      {"/entities", "A & B 中文 <ok>"},
      {"/redirect", "中文标题 UTF-8"},
      {"/empty", ""},
      {"/multiline", "多行标题"},
      {"/none", ""},
  };
  return all;
}

FakeSites::FakeSites(FakeServer& server) {
  page(server, "/", html("<meta charset=\"utf-8\"><title>首页</title>"));
  page(server, "/utf8", html("<title>中文标题 UTF-8</title>"), "text/html; charset=UTF-8");
  page(server, "/gbk",
       convert_charset(html("<title>简体中文站点</title>", "<p>欢迎光临</p>"), "UTF-8", "GBK"));
  page(server, "/big5",
       convert_charset(html("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=big5\">\r\n"
                            "<title>繁體中文網站</title>"),
                       "UTF-8", "BIG5"));
  page(server, "/upper", html("<TITLE>Upper Case</TITLE>"));
  page(server, "/entities", html("<title>A &amp; B &#20013;&#x6587; &lt;ok&gt;</title>"));
  page(server, "/empty", html("<title></title>"));
  page(server, "/multiline", html("<title>\r\n  多行标题\r\n</title>"), "text/html; charset=utf-8");
  page(server, "/none", html("<meta charset=\"utf-8\">", "<p>没有标题</p>"));
  server.handle("GET", "/redirect", [](const RecordedRequest&, Reply& r) { r.redirect("/utf8"); });
  server.handle("GET", "/hang", [](const RecordedRequest&, Reply& r) { r.hang = true; });
}

int unused_port() {
  FakeServer server;
  int port = server.port();
  server.stop();
  return port;
}

}  // namespace tessaly::fakes
