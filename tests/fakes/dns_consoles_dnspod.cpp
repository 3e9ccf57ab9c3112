#include <algorithm>

#include "fakes/dns_consoles.h"

namespace tessaly::fakes {
using namespace detail;
namespace {

std::string dnspod_status(const std::string& code, const std::string& message) {
  return R"({"status":{"code":")" + code + R"(","message":")" + json_escape(message) +
         R"(","created_at":"2024-05-01 10:00:00"})";
}

}  // namespace

// --- DnspodConsole ---

void DnspodConsole::add_account(const std::string& email, const std::string& password) {
  std::lock_guard lock(mutex_);
  accounts_[email] = Account{password};
}

std::string DnspodConsole::add_domain(const std::string& email, const std::string& name,
                                      const std::string& ext_status, const std::string& remark,
                                      int extra_records) {
  std::lock_guard lock(mutex_);
  Domain d;
  d.id = std::to_string(next_domain_id_++);
  d.name = lower(name);
  d.owner = email;
  d.ext_status = ext_status;
  d.remark = remark;
  for (int i = 0; i < extra_records; ++i)
    d.records.push_back(
        {std::to_string(next_record_id_++), "r" + std::to_string(i), "A", "默认", "10.0.0.1"});
  domains_.push_back(d);
  return d.id;
}

std::vector<DnspodConsole::Domain> DnspodConsole::domains(const std::string& email) const {
  std::lock_guard lock(mutex_);
  std::vector<Domain> out;
  for (const auto& d : domains_)
    if (d.owner == email) out.push_back(d);
  return out;
}

DnspodConsole::Domain DnspodConsole::domain(const std::string& name) const {
  std::lock_guard lock(mutex_);
  for (const auto& d : domains_)
    if (iequal(d.name, name)) return d;
  return {};
}

void DnspodConsole::set_plain_slash_marker(bool on) {
  std::lock_guard lock(mutex_);
  plain_slash_ = on;
}

void DnspodConsole::set_send_xsrf(bool on) {
  std::lock_guard lock(mutex_);
  send_xsrf_ = on;
}

std::string DnspodConsole::session_email(const FakeRequest& request,
                                         const std::map<std::string, std::string>& query) const {
  auto cookies = parse_cookies(request.cookie_header);
  auto it = sessions_.find(get(cookies, kSessionCookie));
  if (it == sessions_.end()) return {};
  if (send_xsrf_) {
    // The token must come back both as the cookie and in the query.
    std::string token = get(cookies, kXsrfCookie);
    if (token.empty() || get(query, kXsrfCookie) != token) return {};
  }
  return it->second;
}

FakeResponse DnspodConsole::answer(const FakeRequest& request) {
  std::lock_guard lock(mutex_);
  auto query = parse_form(request.query);
  if (request.path == "/Login") {
    FakeResponse r = html(
        "<html><head><title>登录</title></head><body><form action=\"/Auth/Login\"></form></body></html>");
    if (send_xsrf_) {
      std::string token = next_token();
      xsrf_tokens_.push_back(token);
      r.set_cookies.push_back(std::string(kXsrfCookie) + "=" + token + "; Path=/");
    }
    return r;
  }
  if (request.path == "/Auth/Login") {
    if (request.method != "POST") return json(R"({"status":"error","string":"method"})");
    auto cookies = parse_cookies(request.cookie_header);
    if (send_xsrf_ &&
        std::find(xsrf_tokens_.begin(), xsrf_tokens_.end(), get(cookies, kXsrfCookie)) == xsrf_tokens_.end())
      return json(R"({"status":"error","string":"xsrf"})");
    auto form = parse_form(request.body);
    auto account = accounts_.find(get(form, "email"));
    if (account == accounts_.end() || account->second.password != get(form, "password") ||
        get(form, "multilogin") != "f")
      return json(R"({"status":"error","string":"帐号或密码错误"})");
    std::string token = next_token();
    sessions_[token] = account->first;
    FakeResponse r = json(plain_slash_ ? R"({"status":"success","string":"/Domain"})"
                                       : R"({"status":"success","string":"\/Domain"})");
    r.set_cookies.push_back(std::string(kSessionCookie) + "=" + token + "; Path=/; HttpOnly");
    return r;
  }
  if (request.path.rfind("/Api/", 0) == 0) {
    std::string email = session_email(request, query);
    bool list = request.path == "/Api/Domain.List";
    if (email.empty() || request.method != "POST") {
      if (list)
        return html(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<dnspod>\r\n<status>\r\n<code>-1</code>\r\n"
            "<message>登录已失效</message>\r\n</status>\r\n</dnspod>");
      return json(dnspod_status("-1", "登录已失效") + "}");
    }
    auto form = parse_form(request.body);
    if (request.path == "/Api/Domain.Create") return create_domain(email, form);
    if (request.path == "/Api/Record.Create") return create_record(email, form);
    if (list) return list_domains(email);
    if (request.path == "/Api/Domain.Remove") return remove_domain(email, form);
  }
  FakeResponse missing = html("<html><body>404</body></html>");
  missing.status = 404;
  return missing;
}

FakeResponse DnspodConsole::failure_answer(const FakeRequest& request) {
  if (request.path == "/Auth/Login") return json(R"({"status":"error","string":"injected"})");
  if (request.path == "/Api/Domain.List")
    return html(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<dnspod>\r\n<status>\r\n<code>-99</code>\r\n"
        "</status>\r\n</dnspod>");
  return json(dnspod_status("-99", "injected failure") + "}");
}

FakeResponse DnspodConsole::create_domain(const std::string& email,
                                          const std::map<std::string, std::string>& form) {
  std::string name = lower(get(form, "domain"));
  if (!valid_domain_name(name)) return json(dnspod_status("6", "域名无效") + "}");
  for (const auto& d : domains_)
    if (d.name == name) return json(dnspod_status("7", "域名已经存在") + "}");
  Domain d;
  d.id = std::to_string(next_domain_id_++);
  d.name = name;
  d.owner = email;
  domains_.push_back(d);
  return json(dnspod_status("1", "Action completed successful") + R"(,"domain":{"id":")" + d.id +
              R"(","punycode":")" + d.name + R"(","domain":")" + d.name + R"("}})");
}

FakeResponse DnspodConsole::create_record(const std::string& email,
                                          const std::map<std::string, std::string>& form) {
  auto it = std::find_if(domains_.begin(), domains_.end(),
                         [&](const Domain& d) { return d.owner == email && d.id == get(form, "domain_id"); });
  if (it == domains_.end() || !iequal(it->name, get(form, "domain")))
    return json(dnspod_status("6", "域名ID错误") + "}");
  std::string name = lower(get(form, "sub_domain"));
  if (!valid_record_name(name)) return json(dnspod_status("21", "子域名不正确") + "}");
  if (get(form, "record_type") != "A") return json(dnspod_status("22", "记录类型错误") + "}");
  if (get(form, "record_line") != "默认") return json(dnspod_status("24", "记录线路错误") + "}");
  std::string value = get(form, "value");
  if (!valid_ipv4(value)) return json(dnspod_status("23", "记录值错误") + "}");
  if (!all_digits(get(form, "ttl"))) return json(dnspod_status("25", "TTL错误") + "}");
  for (const auto& r : it->records)
    if (r.name == name && r.type == "A" && r.value == value)
      return json(dnspod_status("104", "记录已经存在") + "}");
  Record r{std::to_string(next_record_id_++), name, "A", "默认", value};
  it->records.push_back(r);
  return json(dnspod_status("1", "Action completed successful") + R"(,"record":{"id":")" + r.id +
              R"(","name":")" + json_escape(r.name) + R"(","status":"enable"}})");
}

FakeResponse DnspodConsole::list_domains(const std::string& email) const {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<dnspod>\r\n<status>\r\n<code>1</code>\r\n"
      "<message>Action completed successful</message>\r\n<created_at>2024-05-01 10:00:00</created_at>\r\n"
      "</status>\r\n<info>\r\n<domain_total>";
  int total = 0;
  for (const auto& d : domains_) total += d.owner == email;
  xml += std::to_string(total) + "</domain_total>\r\n</info>\r\n<domains>\r\n";
  for (const auto& d : domains_) {
    if (d.owner != email) continue;
    xml += "<item>\r\n<id>" + d.id +
           "</id>\r\n<status>enable</status>\r\n<grade>DP_Free</grade>\r\n"
           "<group_id>1</group_id>\r\n<searchengine_push>yes</searchengine_push>\r\n<is_mark>no</is_mark>\r\n"
           "<ttl>600</ttl>\r\n<cname_speedup>disable</cname_speedup>\r\n<remark>" +
           xml_escape(d.remark) +
           "</remark>\r\n<created_on>2024-05-01 10:00:00</created_on>\r\n<updated_on>2024-05-01 10:00:00"
           "</updated_on>\r\n<punycode>" +
           xml_escape(d.name) + "</punycode>\r\n<ext_status>" + d.ext_status + "</ext_status>\r\n<name>" +
           xml_escape(d.name) +
           "</name>\r\n<grade_title>免费套餐</grade_title>\r\n"
           "<is_vip>no</is_vip>\r\n<owner>" +
           xml_escape(d.owner) + "</owner>\r\n<records>" + std::to_string(d.records.size() + 2) +
           "</records>\r\n</item>\r\n";
  }
  xml += "</domains>\r\n</dnspod>";
  FakeResponse r = html(xml);
  r.content_type = "text/xml; charset=utf-8";
  return r;
}

FakeResponse DnspodConsole::remove_domain(const std::string& email,
                                          const std::map<std::string, std::string>& form) {
  auto it = std::find_if(domains_.begin(), domains_.end(),
                         [&](const Domain& d) { return d.owner == email && d.id == get(form, "domain_id"); });
  if (it == domains_.end()) return json(dnspod_status("6", "域名ID错误") + "}");
  domains_.erase(it);
  return json(dnspod_status("1", "Action completed successful") + "}");
}

}  // namespace tessaly::fakes
