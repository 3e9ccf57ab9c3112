#include "dns/dns51_client.h"

#include "core/http/endpoints.h"
#include "core/http/http.h"
#include "core/patterns/pattern_matcher.h"
#include "core/patterns/web_text.h"
#include "core/text/charset.h"
#include "core/jobs/job.h"

namespace tessaly {
namespace {

constexpr std::string_view kEndpoint = "DNS51_WEB";

std::string url_of(std::string_view path_and_query) {
  return endpoint_base(kEndpoint) + std::string(path_and_query);
}

bool is_html_space(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string trim_html_spaces(std::string text) {
  size_t b = 0, e = text.size();
  while (b < e && is_html_space(text[b])) ++b;
  while (e > b && is_html_space(text[e - 1])) --e;
  return text.substr(b, e - b);
}

// The value of attribute `name` in a lower-cased open tag (quoted with " or ', or bare).
std::string attribute(std::string_view tag, std::string_view name) {
  size_t from = 0;
  while (true) {
    size_t at = tag.find(name, from);
    if (at == std::string_view::npos) return {};
    from = at + name.size();
    // The name must stand alone: preceded by a blank and followed by blanks and "=".
    if (at == 0 || !is_html_space(tag[at - 1])) continue;
    size_t i = at + name.size();
    while (i < tag.size() && is_html_space(tag[i])) ++i;
    if (i >= tag.size() || tag[i] != '=') continue;
    ++i;
    while (i < tag.size() && is_html_space(tag[i])) ++i;
    if (i >= tag.size()) return {};
    if (tag[i] == '"' || tag[i] == '\'') {
      size_t close = tag.find(tag[i], i + 1);
      if (close == std::string_view::npos) return {};
      return std::string(tag.substr(i + 1, close - i - 1));
    }
    size_t end = i;
    while (end < tag.size() && !is_html_space(tag[end]) && tag[end] != '>' && tag[end] != '/') ++end;
    return std::string(tag.substr(i, end - i));
  }
}

// Finds "<tag" followed by a blank, ">" or "/" at or after `from` in a lower-cased text.
size_t find_tag(std::string_view low, std::string_view tag, size_t from, size_t limit) {
  std::string open = "<" + std::string(tag);
  while (true) {
    size_t at = low.find(open, from);
    if (at == std::string_view::npos || at >= limit) return std::string_view::npos;
    size_t after = at + open.size();
    if (after < low.size() && (is_html_space(low[after]) || low[after] == '>' || low[after] == '/'))
      return at;
    from = after;
  }
}

struct Cell {
  std::string cls;
  std::string text;
};

// The plain text of a cell: tags removed, &nbsp; as a blank, trimmed.
std::string cell_text(std::string_view html) {
  std::string out;
  for (size_t i = 0; i < html.size(); ++i) {
    if (html[i] == '<') {
      size_t close = html.find('>', i);
      if (close == std::string_view::npos) break;
      i = close;
      continue;
    }
    out += html[i];
  }
  size_t nbsp;
  while ((nbsp = out.find("&nbsp;")) != std::string::npos) out.replace(nbsp, 6, " ");
  return trim_html_spaces(out);
}

std::string relative_name(std::string name, const std::string& domain) {
  name = to_lower(name);
  while (!name.empty() && name.back() == '.') name.pop_back();
  if (name.empty()) return name;
  if (!domain.empty()) {
    if (name == domain) return "@";
    std::string suffix = "." + domain;
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      name.resize(name.size() - suffix.size());
  }
  return name;
}

struct RecordStep {
  Dns51Record record;
  const char* name;  // status and result name
};

constexpr RecordStep kSteps[] = {{Dns51Record::Www, "www"}, {Dns51Record::At, "@"}, {Dns51Record::Star, "*"}};

bool ticked(const RecordTicks& ticks, Dns51Record record) {
  switch (record) {
    case Dns51Record::Www:
      return ticks.www;
    case Dns51Record::At:
      return ticks.at;
    case Dns51Record::Star:
      return ticks.star;
  }
  return false;
}

const Text& record_id_of(const Dns51RecordIds& ids, Dns51Record record) {
  switch (record) {
    case Dns51Record::Www:
      return ids.www;
    case Dns51Record::At:
      return ids.at;
    case Dns51Record::Star:
      return ids.star;
  }
  return ids.www;
}

}  // namespace

Dns51Client& Dns51Client::instance() {
  static Dns51Client client;
  return client;
}

Text Dns51Client::request(std::string_view path_and_query, HttpMethod method, std::string_view body,
                          std::string& jar) {
  HttpOptions options;
  options.method = method;
  options.post_text = std::string(body);
  options.cookie_jar = &jar;
  HttpResponse reply = winhttp_request(url_of(path_and_query), options);
  checkpoint();
  return response_text(reply.body);
}

Text Dns51Client::manager_request(std::string_view path_and_query, HttpMethod method, std::string_view body) {
  return response_text(session_request(mutex_, login_cookies_, url_of(path_and_query), method, body));
}

Dns51Login Dns51Client::login(std::string_view email, std::string_view password) {
  {
    std::lock_guard lock(mutex_);
    logged_in_ = false;
  }
  // The login page's own cookies start a fresh jar; nothing of an earlier session is sent.
  std::string empty;
  HttpOptions page;
  page.cookie_jar = &empty;
  std::string jar = winhttp_request(url_of("/member/login"), page).cookies;
  checkpoint();
  Text answer = request("/member/login", HttpMethod::Post, dns51_login_body(email, password), jar);

  std::lock_guard lock(mutex_);
  login_cookies_ = jar;
  if (answer.find("failed") != std::string::npos) return Dns51Login::Failed;
  if (answer.find("successful") == std::string::npos) return Dns51Login::NoAnswer;
  session_id_pair_ = cookie_value(jar, "PHPSESSID", false);
  saved_cookies_ = jar;
  logged_in_ = true;
  return Dns51Login::Succeeded;
}

bool Dns51Client::logged_in() const {
  std::lock_guard lock(mutex_);
  return logged_in_;
}

std::string Dns51Client::login_cookies() const {
  std::lock_guard lock(mutex_);
  return login_cookies_;
}

std::string Dns51Client::saved_cookies() const {
  std::lock_guard lock(mutex_);
  return saved_cookies_;
}

std::string Dns51Client::session_id_pair() const {
  std::lock_guard lock(mutex_);
  return session_id_pair_;
}

void Dns51Client::set_saved_cookies(std::string cookies) {
  std::lock_guard lock(mutex_);
  saved_cookies_ = std::move(cookies);
}

void Dns51Client::set_session(bool logged_in, std::string login_cookies, std::string saved_cookies,
                              std::string session_id_pair) {
  std::lock_guard lock(mutex_);
  logged_in_ = logged_in;
  login_cookies_ = std::move(login_cookies);
  saved_cookies_ = std::move(saved_cookies);
  session_id_pair_ = std::move(session_id_pair);
}

std::string dns51_login_body(std::string_view email, std::string_view password) {
  return "email=" + form_value(email) + "&password=" + form_value(password) + "&redirectURL=&captcha=";
}

std::string dns51_add_domain_body(std::string_view domain) {
  return "domains=" + form_value(domain) + "&type=A&value=";
}

std::string dns51_find_domain_path(std::string_view domain) {
  return "/member/domain?domain=" + form_value(domain);
}

std::string dns51_detail_path(std::string_view domain_id) {
  return "/member/domain/detail/" + form_value(domain_id);
}

std::string dns51_add_record_path(std::string_view domain_id) {
  return dns51_detail_path(domain_id) + "?controller=members/operate";
}

std::string dns51_record_body(Dns51Record record, bool present, std::string_view record_id,
                              std::string_view ip, std::string_view domain_id) {
  std::string body = "action=addRecord";
  if (present) body += "&recordID=" + form_value(record_id);
  switch (record) {
    case Dns51Record::Www:
      body += "&recordName=www";
      break;
    case Dns51Record::At:
      body += "&recordName=%40";
      break;
    case Dns51Record::Star:
      body += "&recordName=*";
      break;
  }
  body += "&type=A&viewID=0&recordValue=" + form_value(ip) + "&TTL=600&domainID=" + form_value(domain_id);
  return body;
}

bool dns51_domain_added(std::string_view response) {
  return response.find("domainID") != std::string_view::npos;
}

Text dns51_added_domain_id(std::string_view response) {
  return text_between(response, "domainID\":", "}]}}");
}

Text dns51_found_domain_id(std::string_view page) {
  return text_between(page, "name=\"domainsID[]\" value=\"", "\" /></td>");
}

Dns51RecordIds parse_51dns_record_ids(std::string_view page, std::string_view domain) {
  Dns51RecordIds ids;
  const std::string low = to_lower(page);
  const std::string zone = relative_name(std::string(domain), {});
  size_t at = 0;
  while ((at = find_tag(low, "tr", at, low.size())) != std::string::npos) {
    size_t open_end = low.find('>', at);
    if (open_end == std::string::npos) break;
    std::string_view open_tag(low.data() + at, open_end - at);
    size_t next_row = find_tag(low, "tr", open_end, low.size());
    size_t close_row = low.find("</tr", open_end);
    size_t row_end = std::min({next_row, close_row, low.size()});

    std::string id = attribute(open_tag, "data-record-id");
    if (id.empty()) {
      std::string element_id = attribute(open_tag, "id");
      for (const char* prefix : {"record_", "record-"})
        if (element_id.rfind(prefix, 0) == 0) id = element_id.substr(std::string_view(prefix).size());
    }
    at = open_end;
    if (id.empty()) continue;
    id = trim_html_spaces(id);

    std::vector<Cell> cells;
    for (size_t c = find_tag(low, "td", open_end, row_end); c != std::string::npos;
         c = find_tag(low, "td", c + 1, row_end)) {
      size_t cell_open_end = low.find('>', c);
      if (cell_open_end == std::string::npos || cell_open_end >= row_end) break;
      size_t cell_end = std::min(low.find("</td", cell_open_end), row_end);
      Cell cell;
      cell.cls = attribute(std::string_view(low.data() + c, cell_open_end - c), "class");
      // The cell's text from the page itself, so that letter case and GBK bytes stay intact.
      cell.text = cell_text(page.substr(cell_open_end + 1, cell_end - cell_open_end - 1));
      cells.push_back(std::move(cell));
    }
    auto pick = [&](std::string_view cls, size_t fallback) -> const Cell* {
      for (const Cell& cell : cells)
        if (cell.cls.find(cls) != std::string::npos) return &cell;
      return fallback < cells.size() ? &cells[fallback] : nullptr;
    };
    const Cell* name_cell = pick("name", 0);
    const Cell* type_cell = pick("type", 1);
    if (!name_cell) continue;
    if (type_cell && to_lower(type_cell->text) != "a") continue;
    std::string name = relative_name(name_cell->text, zone);
    Text* slot = name == "www" ? &ids.www : name == "@" ? &ids.at : name == "*" ? &ids.star : nullptr;
    if (slot && slot->empty()) *slot = id;  // the first record of a name counts
  }
  return ids;
}

void run_51dns_batch(Dns51Client& client, Dns51BatchSink& sink, RecordTicks ticks) {
  const int count = sink.row_count();
  int n = 0;               // record requests of the run
  std::string record_jar;  // lives for the whole run
  for (int r = 0; r < count; ++r) {
    checkpoint();
    sink.set_status(r, gbk("正在初始化>>>"));
    std::string row_jar = client.saved_cookies();
    Text result;
    DomainIpPair pair = sink.row(r);

    bool present = false;
    Text domain_id;
    Dns51RecordIds record_ids;
    Text added = client.request("/member/addDomain?controller=operate/checkDomain", HttpMethod::Post,
                                dns51_add_domain_body(pair.domain), row_jar);
    if (dns51_domain_added(added)) {
      domain_id = dns51_added_domain_id(added);
    } else {
      present = true;
      domain_id = dns51_found_domain_id(client.request(dns51_find_domain_path(pair.domain), HttpMethod::Get, {}, row_jar));
      record_ids =
          parse_51dns_record_ids(client.request(dns51_detail_path(domain_id), HttpMethod::Get, {}, row_jar), pair.domain);
    }

    for (const RecordStep& step : kSteps) {
      if (!ticked(ticks, step.record)) continue;
      sink.set_status(r, gbk("正在添加") + step.name + ">>>");
      ++n;
      if (n == 1) record_jar = row_jar;
      if (step.record != Dns51Record::Www && n == 2) {
        record_jar = row_jar;
        add_cookie(record_jar, client.session_id_pair());
      }
      Text answer = client.request(
          dns51_add_record_path(domain_id), HttpMethod::Post,
          dns51_record_body(step.record, present, record_id_of(record_ids, step.record), pair.ip, domain_id),
          record_jar);
      result += step.name;
      result += answer.find("successful") != std::string::npos ? gbk("成功") : gbk("失败");
      sink.set_status(r, gbk("添加") + result);
    }

    sink.set_time(r, now_text());
    if (n == 1) {
      std::string next = record_jar;
      add_cookie(next, client.session_id_pair());
      client.set_saved_cookies(std::move(next));
    } else if (n > 1) {
      client.set_saved_cookies(record_jar);
    }
  }
}

int parse_51dns_total(std::string_view page) {
  Text block = text_between(page, "<span class=\"strip\">", "</span>");
  Text decoded = convert_charset(decode_percent_bytes(block), "UTF-8", "GBK");
  return to_int(text_between(decoded, gbk("共") + "&nbsp;", "&nbsp;"));
}

int dns51_page_count(int total) { return total / 100 + 1; }

std::vector<Dns51DomainRow> parse_51dns_page(std::string_view text, int page) {
  std::vector<Dns51DomainRow> rows;
  PatternMatcher matcher;
  if (!matcher.search("<a href=\"/member/domain/detail/(.*?)\">(.*?)</a>&nbsp;", text)) return rows;
  for (int j = 1; j <= matcher.match_count(); ++j)
    rows.push_back({(page - 1) * 100 + j, matcher.group_text(j, 2), matcher.group_text(j, 1)});
  return rows;
}

std::string dns51_list_path(int page) { return "/member/domain-" + to_text(page) + "-100"; }

void run_51dns_domain_list(Dns51Client& client,
                           const std::function<void(std::vector<Dns51DomainRow>)>& add_rows) {
  int total = parse_51dns_total(client.manager_request(dns51_list_path(1), HttpMethod::Get, {}));
  int pages = dns51_page_count(total);
  for (int p = 1; p <= pages; ++p) {
    std::vector<Dns51DomainRow> rows = parse_51dns_page(client.manager_request(dns51_list_path(p), HttpMethod::Get, {}), p);
    if (!rows.empty()) add_rows(std::move(rows));
  }
}

std::string dns51_delete_path() { return "/?controller=members/operate&r=0.8352921591379601"; }

std::string dns51_delete_body(std::string_view domain_id) {
  return "domainsID=" + form_value(domain_id) + "_&action=delete";
}

}  // namespace tessaly
