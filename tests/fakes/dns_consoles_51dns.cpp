#include <algorithm>
#include <cctype>
#include <sstream>

#include "fakes/dns_consoles.h"

namespace tessaly::fakes {
using namespace detail;
namespace {

std::string html_escape(const std::string& s) {
  std::string out = xml_escape(s);
  std::string quoted;
  for (char c : out) quoted += c == '"' ? std::string("&quot;") : std::string(1, c);
  return quoted;
}

std::string percent_encode_all(const std::string& s) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (std::isalnum(c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

}  // namespace

// --- Dns51Console ---

void Dns51Console::add_account(const std::string& email, const std::string& password) {
  std::lock_guard lock(mutex_);
  accounts_[email] = password;
}

std::string Dns51Console::add_domain(const std::string& email, const std::string& name) {
  std::lock_guard lock(mutex_);
  Domain d{std::to_string(next_domain_id_++), lower(name), email, {}};
  d.records.push_back({std::to_string(next_record_id_++), "@", "NS", "ns1.51dns.com"});
  d.records.push_back({std::to_string(next_record_id_++), "@", "NS", "ns2.51dns.com"});
  domains_.push_back(d);
  return d.id;
}

std::string Dns51Console::add_record(const std::string& domain_name, const std::string& name,
                                     const std::string& type, const std::string& value) {
  std::lock_guard lock(mutex_);
  for (auto& d : domains_) {
    if (d.name != lower(domain_name)) continue;
    d.records.push_back({std::to_string(next_record_id_++), name, type, value});
    return d.records.back().id;
  }
  return {};
}

std::vector<Dns51Console::Domain> Dns51Console::domains(const std::string& email) const {
  std::lock_guard lock(mutex_);
  std::vector<Domain> out;
  for (const auto& d : domains_)
    if (d.owner == email) out.push_back(d);
  return out;
}

Dns51Console::Domain Dns51Console::domain(const std::string& name) const {
  std::lock_guard lock(mutex_);
  for (const auto& d : domains_)
    if (iequal(d.name, name)) return d;
  return {};
}

void Dns51Console::set_login_silent(bool on) {
  std::lock_guard lock(mutex_);
  login_silent_ = on;
}

void Dns51Console::set_claimed_total(long total) {
  std::lock_guard lock(mutex_);
  claimed_total_ = total;
}

std::string Dns51Console::logged_in_email(const FakeRequest& request) const {
  auto it = sessions_.find(get(parse_cookies(request.cookie_header), "PHPSESSID"));
  return it == sessions_.end() ? std::string() : it->second;
}

Dns51Console::Domain* Dns51Console::find(const std::string& email, const std::string& id) {
  for (auto& d : domains_)
    if (d.owner == email && d.id == id) return &d;
  return nullptr;
}

FakeResponse Dns51Console::answer(const FakeRequest& request) {
  std::lock_guard lock(mutex_);
  if (request.path == "/member/login") return request.method == "POST" ? login(request) : login_page(request);

  std::string email = logged_in_email(request);
  auto query = parse_form(request.query);
  auto form = parse_form(request.body);
  if (request.path == "/" && request.method == "POST" && get(query, "controller") == "members/operate") {
    if (email.empty()) return json(R"({"status":"failed","msg":"请先登录"})");
    return delete_domains(email, form);
  }
  if (request.path.rfind("/member", 0) == 0 && email.empty()) {
    FakeResponse r;  // a member page without a session goes back to the login page
    r.status = 302;
    r.location = "/member/login";
    return r;
  }
  if (request.path == "/member/addDomain" && request.method == "POST" &&
      get(query, "controller") == "operate/checkDomain")
    return add_domain_request(email, form);
  if (request.path == "/member/domain" && request.method == "GET") return find_domain(email, query);
  const std::string detail_prefix = "/member/domain/detail/";
  if (request.path.rfind(detail_prefix, 0) == 0) {
    std::string id = request.path.substr(detail_prefix.size());
    if (request.method == "POST" && get(query, "controller") == "members/operate")
      return add_record_request(email, id, form);
    if (request.method == "GET") return detail(email, id);
  }
  const std::string list_prefix = "/member/domain-";
  if (request.path.rfind(list_prefix, 0) == 0 && request.path.size() > 4 &&
      request.path.compare(request.path.size() - 4, 4, "-100") == 0) {
    std::string page = request.path.substr(list_prefix.size(), request.path.size() - 4 - list_prefix.size());
    if (all_digits(page)) return list_page(email, std::stoi(page));
  }
  FakeResponse missing = html("<html><body>404</body></html>");
  missing.status = 404;
  return missing;
}

FakeResponse Dns51Console::failure_answer(const FakeRequest& request) {
  if (request.method == "GET") return html("<html><body>系统繁忙</body></html>");
  return json(R"({"status":"failed","msg":"injected failure"})");
}

FakeResponse Dns51Console::login_page(const FakeRequest& request) {
  FakeResponse r = html(
      "<html><head><title>会员登录</title></head><body><form method=\"post\" action=\"/member/login\">"
      "<input name=\"email\"><input name=\"password\" type=\"password\"></form></body></html>");
  std::string sid = get(parse_cookies(request.cookie_header), "PHPSESSID");
  if (!sessions_.count(sid)) {
    sid = next_token();
    sessions_[sid] = "";
    r.set_cookies.push_back("PHPSESSID=" + sid + "; path=/");
  }
  return r;
}

FakeResponse Dns51Console::login(const FakeRequest& request) {
  std::string sid = get(parse_cookies(request.cookie_header), "PHPSESSID");
  if (!sessions_.count(sid)) return json(R"({"status":"failed","msg":"会话已过期，请刷新页面"})");
  auto form = parse_form(request.body);
  auto account = accounts_.find(get(form, "email"));
  if (account == accounts_.end() || account->second != get(form, "password") || form.count("captcha") == 0)
    return json(R"({"status":"failed","msg":"邮箱或密码错误"})");
  if (login_silent_) return json(R"({"status":"pending","msg":"请输入验证码"})");
  sessions_[sid] = account->first;
  FakeResponse r = json(R"({"status":"successful","url":"/member/"})");
  r.set_cookies.push_back("member_uid=" + std::to_string(std::distance(accounts_.begin(), account) + 1) +
                          "; path=/");
  return r;
}

FakeResponse Dns51Console::add_domain_request(const std::string& email,
                                              const std::map<std::string, std::string>& form) {
  std::string name = lower(get(form, "domains"));
  bool taken = std::any_of(domains_.begin(), domains_.end(), [&](const Domain& d) { return d.name == name; });
  if (!valid_domain_name(name) || taken || get(form, "type") != "A")
    return json(R"({"code":1,"msg":"ok","data":{"result":[{"domain":")" + json_escape(name) +
                R"(","error":")" + (taken ? "域名已存在" : "域名格式错误") + R"("}]}})");
  Domain d{std::to_string(next_domain_id_++), name, email, {}};
  d.records.push_back({std::to_string(next_record_id_++), "@", "NS", "ns1.51dns.com"});
  d.records.push_back({std::to_string(next_record_id_++), "@", "NS", "ns2.51dns.com"});
  domains_.push_back(d);
  return json(R"({"code":0,"msg":"ok","data":{"result":[{"domain":")" + name + R"(","domainID":)" + d.id +
              "}]}}");
}

FakeResponse Dns51Console::find_domain(const std::string& email,
                                       const std::map<std::string, std::string>& query) const {
  std::string page =
      "<html><body><form><table class=\"domains\">\n<tr><th></th><th>域名</th><th>状态</th></tr>\n";
  for (const auto& d : domains_) {
    if (d.owner != email || !iequal(d.name, get(query, "domain"))) continue;
    page += "<tr><td><input type=\"checkbox\" name=\"domainsID[]\" value=\"" + d.id +
            "\" /></td><td><a href=\"/member/domain/detail/" + d.id + "\">" + html_escape(d.name) +
            "</a>&nbsp;</td><td>正常</td></tr>\n";
  }
  return html(page + "</table></form></body></html>");
}

FakeResponse Dns51Console::detail(const std::string& email, const std::string& id) const {
  const Domain* d = nullptr;
  for (const auto& x : domains_)
    if (x.owner == email && x.id == id) d = &x;
  if (!d) return html("<html><body><p class=\"error\">域名不存在</p></body></html>");
  std::string page =
      "<html><body><h2>" + html_escape(d->name) +
      "</h2>\n<table class=\"records\">\n<tr><th>主机记录</th><th>类型</th><th>线路</th><th>记录值</th>"
      "<th>TTL</th><th>操作</th></tr>\n";
  for (const auto& r : d->records) {
    page += "<tr class=\"record\" data-record-id=\"" + r.id + "\">\n  <td class=\"record-name\">" +
            html_escape(r.name) + "</td>\n  <td class=\"record-type\">" + r.type +
            "</td>\n  <td class=\"record-view\">默认</td>\n"
            "  <td class=\"record-value\">" +
            html_escape(r.value) +
            "</td>\n  <td class=\"record-ttl\">600</td>\n"
            "  <td><a href=\"javascript:;\" onclick=\"editRecord(" +
            r.id + ")\">修改</a></td>\n</tr>\n";
  }
  return html(page + "</table></body></html>");
}

FakeResponse Dns51Console::add_record_request(const std::string& email, const std::string& id,
                                              const std::map<std::string, std::string>& form) {
  Domain* d = find(email, id);
  auto failed = [](const std::string& why) { return json(R"({"status":"failed","msg":")" + why + R"("})"); };
  if (!d || get(form, "domainID") != id || get(form, "action") != "addRecord") return failed("域名不存在");
  std::string name = lower(get(form, "recordName"));
  std::string value = get(form, "recordValue");
  if (!valid_record_name(name)) return failed("主机记录错误");
  if (get(form, "type") != "A" || get(form, "viewID") != "0") return failed("记录类型错误");
  if (!valid_ipv4(value)) return failed("记录值错误");
  if (!all_digits(get(form, "TTL"))) return failed("TTL错误");
  std::string record_id = get(form, "recordID");
  if (!record_id.empty()) {
    // The record named by its ID is set to the new value.
    for (auto& r : d->records) {
      if (r.id != record_id) continue;
      if (r.type != "A" || r.name != name) return failed("记录不匹配");
      r.value = value;
      return json(R"({"status":"successful","msg":"修改成功","recordID":)" + r.id + "}");
    }
    return failed("记录不存在");
  }
  for (const auto& r : d->records)
    if (r.name == name && r.type == "A") return failed("记录已存在");
  d->records.push_back({std::to_string(next_record_id_++), name, "A", value});
  return json(R"({"status":"successful","msg":"添加成功","recordID":)" + d->records.back().id + "}");
}

FakeResponse Dns51Console::list_page(const std::string& email, int page) const {
  std::vector<const Domain*> mine;
  for (const auto& d : domains_)
    if (d.owner == email) mine.push_back(&d);
  const long count = claimed_total_ ? claimed_total_ : static_cast<long>(mine.size());
  std::string total = "共&nbsp;" + std::to_string(count) + "&nbsp;个域名";
  std::string body = "<html><body><div class=\"pager\"><span class=\"strip\">" + percent_encode_all(total) +
                     "</span></div>\n<table class=\"domains\">\n";
  for (size_t i = static_cast<size_t>(std::max(page - 1, 0)) * 100;
       i < mine.size() && i < static_cast<size_t>(page) * 100; ++i) {
    const Domain& d = *mine[i];
    body += "<tr><td><input type=\"checkbox\" name=\"domainsID[]\" value=\"" + d.id +
            "\" /></td><td><a href=\"/member/domain/detail/" + d.id + "\">" + html_escape(d.name) +
            "</a>&nbsp;<span class=\"ok\">正常</span></td></tr>\n";
  }
  return html(body + "</table></body></html>");
}

FakeResponse Dns51Console::delete_domains(const std::string& email,
                                          const std::map<std::string, std::string>& form) {
  if (get(form, "action") != "delete") return json(R"({"status":"failed","msg":"参数错误"})");
  std::stringstream ids(get(form, "domainsID"));
  std::string id;
  int removed = 0;
  while (std::getline(ids, id, '_')) {
    auto it = std::find_if(domains_.begin(), domains_.end(),
                           [&](const Domain& d) { return d.owner == email && d.id == id; });
    if (it != domains_.end()) {
      domains_.erase(it);
      ++removed;
    }
  }
  if (removed == 0) return json(R"({"status":"failed","msg":"域名不存在"})");
  return json(R"({"status":"successful","msg":"删除成功"})");
}

}  // namespace tessaly::fakes
