#include "fakes/ip138.h"

#include "core/text/charset.h"

namespace tessaly::fakes {

FakeIp138::FakeIp138(FakeServer& server) {
  server.handle("GET", "/ips1388.asp", [state = state_](const RecordedRequest& req, Reply& reply) {
    std::string domain = req.param("ip");
    std::lock_guard lock(state->mutex);
    if (!state->held.empty() && domain == state->held) {
      reply.hang = true;
      return;
    }
    std::string body =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
        "<title>IP查询</title></head><body><table><tr><td align=\"center\">";
    auto it = state->domains.find(domain);
    if (it == state->domains.end()) {
      body += "<h1><font color=\"blue\">" + domain + "</font></h1><p>没有查到这个域名</p>";
    } else {
      body += "<h1><font color=\"blue\">" + domain + " >> " + it->second.ip +
              "</font></h1>"
              "<ul class=\"ul1\"><li>本站主数据：" +
              it->second.region + "</li><li>参考数据一：未知</li></ul>";
    }
    body += "</td></tr></table></body></html>";
    reply.content_type = "text/html";
    reply.body = tessaly::convert_charset(body, "UTF-8", "GBK");
  });
}

void FakeIp138::set_domain(const std::string& domain, const std::string& ip, const std::string& region) {
  std::lock_guard lock(state_->mutex);
  state_->domains[domain] = {ip, region};
}

void FakeIp138::hold(const std::string& domain) {
  std::lock_guard lock(state_->mutex);
  state_->held = domain;
}

}  // namespace tessaly::fakes
