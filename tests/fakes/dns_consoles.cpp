#include "fakes/dns_consoles.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace tessaly::fakes {
namespace {

std::string lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool iequal(const std::string& a, const std::string& b) { return lower(a) == lower(b); }

std::string get(const std::map<std::string, std::string>& m, const std::string& key) {
  auto it = m.find(key);
  return it == m.end() ? std::string() : it->second;
}

bool all_digits(const std::string& s) {
  return !s.empty() &&
         std::all_of(s.begin(), s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// A record's host name: "@", "*", or dot-separated labels of letters, digits and "-" (a leading
// "*." is allowed).
bool valid_record_name(const std::string& name) {
  if (name == "@" || name == "*") return true;
  std::string rest = name.rfind("*.", 0) == 0 ? name.substr(2) : name;
  if (rest.empty() || rest.front() == '.' || rest.back() == '.' || rest.find("..") != std::string::npos)
    return false;
  return std::all_of(rest.begin(), rest.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.';
  });
}

std::string json_escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

std::string xml_escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

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

FakeResponse json(const std::string& body) {
  FakeResponse r;
  r.content_type = "application/json; charset=utf-8";
  r.body = body;
  return r;
}

FakeResponse html(const std::string& body) {
  FakeResponse r;
  r.body = body;
  return r;
}

std::string dnspod_status(const std::string& code, const std::string& message) {
  return R"({"status":{"code":")" + code + R"(","message":")" + json_escape(message) +
         R"(","created_at":"2024-05-01 10:00:00"})";
}

}  // namespace

std::string form_decode(const std::string& text, bool plus_is_space) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '+' && plus_is_space) {
      out += ' ';
    } else if (c == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
               std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

std::map<std::string, std::string> parse_form(const std::string& text) {
  std::map<std::string, std::string> out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t amp = text.find('&', start);
    std::string piece = text.substr(start, amp == std::string::npos ? std::string::npos : amp - start);
    if (!piece.empty()) {
      size_t eq = piece.find('=');
      std::string key = form_decode(piece.substr(0, eq), true);
      std::string value = eq == std::string::npos ? std::string() : form_decode(piece.substr(eq + 1), true);
      out.emplace(key, value);  // the first of a repeated field counts
    }
    if (amp == std::string::npos) break;
    start = amp + 1;
  }
  return out;
}

std::map<std::string, std::string> parse_cookies(const std::string& header) {
  std::map<std::string, std::string> out;
  std::stringstream in(header);
  std::string piece;
  while (std::getline(in, piece, ';')) {
    size_t b = piece.find_first_not_of(' ');
    if (b == std::string::npos) continue;
    piece = piece.substr(b);
    size_t eq = piece.find('=');
    std::string name = piece.substr(0, eq);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    std::string value = eq == std::string::npos ? std::string() : piece.substr(eq + 1);
    out.emplace(name, value);
  }
  return out;
}

bool valid_domain_name(const std::string& name) {
  if (name.empty() || name.size() > 253 || name.find('.') == std::string::npos) return false;
  if (name.front() == '.' || name.back() == '.' || name.find("..") != std::string::npos) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.';
  });
}

bool valid_ipv4(const std::string& text) {
  int parts = 0;
  size_t start = 0;
  while (true) {
    size_t dot = text.find('.', start);
    std::string part = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    if (!all_digits(part) || part.size() > 3 || std::stoi(part) > 255) return false;
    ++parts;
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return parts == 4;
}

// --- FakeConsole ---

FakeResponse FakeConsole::handle(const FakeRequest& request) {
  auto matches = [&](const std::string& path, const std::string& contains) {
    return request.path == path && (contains.empty() || request.query.find(contains) != std::string::npos ||
                                    request.body.find(contains) != std::string::npos);
  };
  {
    std::unique_lock lock(mutex_);
    log_.push_back(request);
    log_.back().at = std::chrono::steady_clock::now();
    if (holding_ && matches(hold_path_, hold_contains_)) {
      ++held_now_;
      held_changed_.notify_all();
      held_changed_.wait_for(lock, std::chrono::seconds(20), [this] { return !holding_; });
      --held_now_;
    }
    for (auto& rule : fail_rules_) {
      if (rule.times > 0 && matches(rule.path, rule.contains)) {
        --rule.times;
        if (rule.mode == FailMode::EmptyAnswer) {
          FakeResponse empty;
          empty.status = 500;
          return empty;
        }
        return failure_answer(request);
      }
    }
  }
  return answer(request);
}

void FakeConsole::fail(const std::string& path, const std::string& contains, int times, FailMode mode) {
  std::lock_guard lock(mutex_);
  fail_rules_.push_back({path, contains, times, mode});
}

void FakeConsole::hold(const std::string& path, const std::string& contains) {
  std::lock_guard lock(mutex_);
  hold_path_ = path;
  hold_contains_ = contains;
  holding_ = true;
}

void FakeConsole::release() {
  std::lock_guard lock(mutex_);
  holding_ = false;
  held_changed_.notify_all();
}

int FakeConsole::held() const {
  std::lock_guard lock(mutex_);
  return held_now_;
}

std::vector<FakeRequest> FakeConsole::requests() const {
  std::lock_guard lock(mutex_);
  return log_;
}

std::vector<FakeRequest> FakeConsole::requests_to(const std::string& path) const {
  std::lock_guard lock(mutex_);
  std::vector<FakeRequest> out;
  for (const auto& r : log_)
    if (r.path == path) out.push_back(r);
  return out;
}

void FakeConsole::clear_log() {
  std::lock_guard lock(mutex_);
  log_.clear();
}

std::string FakeConsole::next_token() {
  // Called with the lock held.
  static const char* hex = "0123456789abcdef";
  unsigned long v = ++token_counter_ * 2654435761UL + 977;
  std::string out = "t";
  for (int i = 0; i < 16; ++i) {
    out += hex[v & 15];
    v = v * 6364136223846793005ULL + 1442695040888963407ULL;
    v ^= v >> 29;
  }
  return out;
}

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
  std::string total = "共&nbsp;" + std::to_string(mine.size()) + "&nbsp;个域名";
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

// --- mounting ---

void mount_console(FakeServer& server, FakeConsole& console) {
  server.set_fallback([&console](const RecordedRequest& recorded, Reply& reply) {
    FakeRequest request{recorded.method, recorded.path, recorded.query, recorded.body,
                        recorded.header("Cookie")};
    FakeResponse response = console.handle(request);
    reply.status = response.status;
    reply.content_type = response.content_type;
    reply.body = response.body;
    for (const auto& cookie : response.set_cookies) reply.set_cookie(cookie);
    if (!response.location.empty()) reply.redirect(response.location, response.status);
  });
}

DnspodSite::DnspodSite() {
  mount_console(server, console);
  point_endpoints({{"DNSPOD_WEB", &server}});
  trust_test_ca();
}

DnspodSite::~DnspodSite() {
  server.stop();
  reset_endpoints();
}

Dns51Site::Dns51Site() {
  mount_console(server, console);
  point_endpoints({{"DNS51_WEB", &server}});
  trust_test_ca();
}

Dns51Site::~Dns51Site() {
  server.stop();
  reset_endpoints();
}

}  // namespace tessaly::fakes
