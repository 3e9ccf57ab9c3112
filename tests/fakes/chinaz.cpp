#include "fakes/chinaz.h"

namespace tessaly::fakes {
namespace {

std::string page(const std::string& body) {
  return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>站长工具</title></head><body>" + body +
         "</body></html>";
}

}  // namespace

std::string chinaz_whois_page(const WhoisRecord& r) {
  std::string block;
  if (!r.registered) {
    block = percent_encode_high("该域名未被注册，可以立即注册！");
  } else if (r.unreadable) {
    block = "<div id=\"whoisinfo\" class=\"div_whois\">" + percent_encode_high("信息暂时无法显示") + "</div>";
  } else {
    block = "<div id=\"whoisinfo\" class=\"div_whois\">" +
            percent_encode_high("注册商：" + r.registrar + "<br/>域名服务器：" + r.name_servers +
                                "<br/>DNS服务器：" + r.dns_servers +
                                "<br/>状态：clientTransferProhibited<br/>更新时间：" + r.updated +
                                "<br/>创建时间：" + r.created + "<br/>过期时间：" + r.expires + "<br/>") +
            "</div>";
  }
  return page("<div class=\"div_whois\">\r\n" + block + "\r\n</div>");
}

std::string percent_encode_high(const std::string& text) {
  static const char* const hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(hex[c >> 4]);
      out.push_back(hex[c & 15]);
    }
  }
  return out;
}

FakeChinaz::FakeChinaz(FakeServer& server) {
  server.handle("GET", "/", [state = state_](const RecordedRequest& req, Reply& reply) {
    reply.content_type = "text/html; charset=utf-8";
    std::lock_guard lock(state->mutex);
    if (req.query.rfind("Domain=", 0) == 0) {
      std::string domain = req.param("Domain");
      int seen = state->requests[domain]++;
      WhoisRecord record{.registered = false};
      if (auto it = state->whois.find(domain); it != state->whois.end()) record = it->second;
      if (record.missing < 0 || seen < record.missing) {
        reply.body = page("<div class=\"loading\">正在查询，请稍候...</div>");
        return;
      }
      reply.body = chinaz_whois_page(record);
      return;
    }
    if (req.query.rfind("IP=", 0) == 0) {
      auto it = state->ips.find(req.param("IP"));
      std::string result = it == state->ips.end()
                               ? percent_encode_high("查询失败，请检查域名")
                               : percent_encode_high("查询结果[1]: ") + it->second + " ==>> " + it->second +
                                     percent_encode_high(" ==>> 中国");
      reply.body = page("<p class=\"WhwtdWrap\">" + result + "</p>");
      return;
    }
    reply.status = 404;
    reply.body = page("not found");
  });
}

void FakeChinaz::set_whois(const std::string& domain, WhoisRecord record) {
  std::lock_guard lock(state_->mutex);
  state_->whois[domain] = std::move(record);
}

void FakeChinaz::set_ip(const std::string& domain, const std::string& ip) {
  std::lock_guard lock(state_->mutex);
  state_->ips[domain] = ip;
}

int FakeChinaz::whois_requests(const std::string& domain) const {
  std::lock_guard lock(state_->mutex);
  auto it = state_->requests.find(domain);
  return it == state_->requests.end() ? 0 : it->second;
}

}  // namespace tessaly::fakes
