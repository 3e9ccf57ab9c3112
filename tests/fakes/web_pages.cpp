#include "fakes/web_pages.h"

namespace tessaly::fakes {

std::string html_page(const std::string& title, const std::string& body) {
  return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title + "</title></head><body>" +
         body + "</body></html>";
}

void reply_page(Reply& reply, const std::string& title, const std::string& body) {
  reply.content_type = "text/html; charset=utf-8";
  reply.header("Cache-Control", "no-store");
  reply.body = html_page(title, body);
}

void serve_page(FakeServer& server, const std::string& path, const std::string& title,
                const std::string& body) {
  server.handle("GET", path,
                [title, body](const RecordedRequest&, Reply& reply) { reply_page(reply, title, body); });
}

}  // namespace tessaly::fakes
