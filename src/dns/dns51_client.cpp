#include "dns/dns51_client.h"

#include "core/http/endpoints.h"
#include "core/http/http.h"
#include "core/jobs/job.h"
#include "core/patterns/pattern_matcher.h"
#include "core/patterns/web_text.h"
#include "core/text/charset.h"

namespace tessaly {
namespace {

constexpr std::string_view kEndpoint = "DNS51_WEB";

std::string url_of(std::string_view path_and_query) {
  return endpoint_base(kEndpoint) + std::string(path_and_query);
}

// A table row: its open tag's attributes (group 1) and its content up to the next "<tr", its
// "</tr" or the end of the page (group 2). Only the open tag is consumed, so the search goes on
// from inside the row and a row cut short by the next "<tr" loses nothing.
constexpr std::string_view kRowPattern =
    R"(<tr(?=[\s>/])([^>]*)>(?=([\s\S]*?)(?:<tr[\s>/]|</tr|(?![\s\S]))))";
// A cell of a row's content: its attributes (group 1) and its content up to "</td" or the end of
// the row (group 2); again only the open tag is consumed.
constexpr std::string_view kCellPattern = R"(<td(?=[\s>/])([^>]*)>(?=([\s\S]*?)(?:</td|(?![\s\S]))))";
// One attribute of an open tag: name (group 1) and a value quoted with " (2), ' (3) or bare (4).
constexpr std::string_view kAttributePattern =
    R"re(\s([^\s=>/"']+)\s*=\s*(?:"([^"]*)"|'([^']*)'|(?!["'])([^\s>/]*)))re";
// A text without the white space around it (group 1).
constexpr std::string_view kTrimmedPattern = R"(\s*([\s\S]*?)\s*(?![\s\S]))";

// `m` keeps the compiled pattern between calls (a record page trims several texts per row).
std::string trimmed(PatternMatcher& m, std::string_view text) {
  m.search(kTrimmedPattern, text);
  return m.group_text(1, 1);
}

// The lower-cased value of attribute `name` in an open tag's attribute text; empty when absent.
std::string attribute(PatternMatcher& matcher, std::string_view attributes, std::string_view name) {
  matcher.search(kAttributePattern, attributes);
  for (int i = 1; i <= matcher.match_count(); ++i)
    if (to_lower(matcher.group_text(i, 1)) == name)
      return to_lower(matcher.group_text(i, 2) + matcher.group_text(i, 3) + matcher.group_text(i, 4));
  return {};
}

// The record ID an open tag carries: data-record-id, else an element id "record_N" or "record-N".
std::string record_id(PatternMatcher& matcher, PatternMatcher& trim, std::string_view attributes) {
  std::string id = attribute(matcher, attributes, "data-record-id");
  if (id.empty()) {
    std::string element_id = attribute(matcher, attributes, "id");
    for (std::string_view prefix : {"record_", "record-"})
      if (element_id.starts_with(prefix)) id = element_id.substr(prefix.size());
  }
  return trimmed(trim, id);
}

// The plain text of a cell: tags and character references removed (&nbsp; as a blank), trimmed.
std::string cell_text(PatternMatcher& trim, std::string_view html) {
  return trimmed(trim, strip_html(replace_text(html, "&nbsp;", " ", 1, kAll, true)));
}

struct Cell {
  std::string cls;   // its class attribute, lower-cased
  std::string html;  // its content as the page has it (letter case and GBK bytes intact)
};

std::string relative_name(std::string name, const std::string& domain) {
  name = to_lower(name);
  while (!name.empty() && name.back() == '.') name.pop_back();
  if (name.empty()) return name;
  if (!domain.empty()) {
    if (name == domain) return "@";
    std::string suffix = "." + domain;
    if (name.size() > suffix.size() && name.ends_with(suffix)) name.resize(name.size() - suffix.size());
  }
  return name;
}

struct RecordStep {
  DnsRecord record;
  const char* name;  // status and result name
};

constexpr RecordStep kSteps[] = {{DnsRecord::Www, "www"}, {DnsRecord::At, "@"}, {DnsRecord::Star, "*"}};

const Text& record_id_of(const Dns51RecordIds& ids, DnsRecord record) {
  switch (record) {
    case DnsRecord::Www:
      return ids.www;
    case DnsRecord::At:
      return ids.at;
    case DnsRecord::Star:
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
  return response_text(exchange(path_and_query, method, body, jar).body);
}

HttpResponse Dns51Client::exchange(std::string_view path_and_query, HttpMethod method, std::string_view body,
                                   std::string& jar) {
  HttpOptions options;
  options.method = method;
  options.post_text = std::string(body);
  options.cookie_jar = &jar;
  HttpResponse reply = winhttp_request(url_of(path_and_query), options);
  checkpoint();
  return reply;
}

HttpResponse Dns51Client::manager_request(std::string_view path_and_query, HttpMethod method,
                                          std::string_view body) {
  return session_request(mutex_, login_cookies_, url_of(path_and_query), method, body);
}

DnsLoginResult Dns51Client::login(std::string_view email, std::string_view password) {
  {
    std::lock_guard lock(mutex_);
    logged_in_ = false;
  }
  // The login page's own cookies start a fresh jar; nothing of an earlier session is sent.
  std::string empty;
  HttpOptions page;
  page.cookie_jar = &empty;
  HttpResponse login_page = winhttp_request(url_of("/member/login"), page);
  checkpoint();
  if (request_outcome(login_page) != RequestOutcome::Answered)
    return {DnsLogin::Failed, gbk("打开登录页面失败：") + request_problem_text(login_page)};
  std::string jar = login_page.cookies;
  HttpResponse reply = exchange("/member/login", HttpMethod::Post, dns51_login_body(email, password), jar);
  Text answer = response_text(reply.body);

  std::lock_guard lock(mutex_);
  login_cookies_ = jar;
  if (request_outcome(reply) != RequestOutcome::Answered)
    return {DnsLogin::Failed, gbk("提交登录失败：") + request_problem_text(reply)};
  if (answer.find("failed") != std::string::npos) return {DnsLogin::Failed, {}};
  if (answer.find("successful") == std::string::npos)
    return {DnsLogin::NoAnswer, gbk("服务器的回答里没有登录结果")};
  session_id_pair_ = cookie_value(jar, "PHPSESSID", false);
  saved_cookies_ = jar;
  logged_in_ = true;
  return {DnsLogin::Succeeded, {}};
}

bool Dns51Client::logged_in() const {
  std::lock_guard lock(mutex_);
  return logged_in_;
}

void Dns51Client::logout() { clear_site_cookies(service_cookie_domain(kEndpoint)); }

void Dns51Client::run_batch(DnsBatchSink& sink) { run_51dns_batch(*this, sink, sink.ticks()); }

ItemOutcome Dns51Client::list_domains(const std::function<void(DomainRows)>& add_rows) {
  return run_51dns_domain_list(*this, [&add_rows](std::vector<Dns51DomainRow> rows) {
    DomainRows cells;
    cells.reserve(rows.size());
    for (Dns51DomainRow& row : rows)
      cells.push_back({to_text(row.number), std::move(row.name), std::move(row.id)});
    add_rows(std::move(cells));
  });
}

bool Dns51Client::delete_domain(std::string_view domain_id) {
  if (domain_id.empty()) return false;  // a row without an ID names nothing to delete
  HttpResponse reply = manager_request(dns51_delete_path(), HttpMethod::Post, dns51_delete_body(domain_id));
  return request_outcome(reply) == RequestOutcome::Answered;
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

std::string dns51_record_body(DnsRecord record, bool present, std::string_view record_id, std::string_view ip,
                              std::string_view domain_id) {
  std::string body = "action=addRecord";
  if (present) body += "&recordID=" + form_value(record_id);
  switch (record) {
    case DnsRecord::Www:
      body += "&recordName=www";
      break;
    case DnsRecord::At:
      body += "&recordName=%40";
      break;
    case DnsRecord::Star:
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
  const std::string zone = relative_name(std::string(domain), {});
  PatternMatcher rows, cells, attributes, trim;
  rows.search(kRowPattern, page);
  for (int r = 1; r <= rows.match_count(); ++r) {
    std::string id = record_id(attributes, trim, rows.group_text(r, 1));
    if (id.empty()) continue;
    std::vector<Cell> row;
    cells.search(kCellPattern, rows.group_text(r, 2));
    for (int c = 1; c <= cells.match_count(); ++c)
      row.push_back({attribute(attributes, cells.group_text(c, 1), "class"), cells.group_text(c, 2)});
    auto pick = [&](std::string_view cls, size_t fallback) -> const Cell* {
      for (const Cell& cell : row)
        if (cell.cls.find(cls) != std::string::npos) return &cell;
      return fallback < row.size() ? &row[fallback] : nullptr;
    };
    const Cell* name_cell = pick("name", 0);
    const Cell* type_cell = pick("type", 1);
    if (!name_cell) continue;
    if (type_cell && to_lower(cell_text(trim, type_cell->html)) != "a") continue;
    std::string name = relative_name(cell_text(trim, name_cell->html), zone);
    Text* slot = name == "www" ? &ids.www : name == "@" ? &ids.at : name == "*" ? &ids.star : nullptr;
    if (slot && slot->empty()) *slot = id;  // the first record of a name counts
  }
  return ids;
}

void run_51dns_batch(Dns51Client& client, DnsBatchSink& sink, RecordTicks ticks) {
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
    bool row_failed = false;
    Text domain_id;
    Dns51RecordIds record_ids;
    Text added = client.request("/member/addDomain?controller=operate/checkDomain", HttpMethod::Post,
                                dns51_add_domain_body(pair.domain), row_jar);
    if (dns51_domain_added(added)) {
      domain_id = dns51_added_domain_id(added);
    } else {
      present = true;
      domain_id = dns51_found_domain_id(
          client.request(dns51_find_domain_path(pair.domain), HttpMethod::Get, {}, row_jar));
      record_ids = parse_51dns_record_ids(
          client.request(dns51_detail_path(domain_id), HttpMethod::Get, {}, row_jar), pair.domain);
    }

    for (const RecordStep& step : kSteps) {
      if (!ticks.has(step.record)) continue;
      sink.set_status(r, gbk("正在添加") + step.name + ">>>");
      ++n;
      if (n == 1) record_jar = row_jar;
      if (step.record != DnsRecord::Www && n == 2) {
        record_jar = row_jar;
        add_cookie(record_jar, client.session_id_pair());
      }
      Text answer = client.request(
          dns51_add_record_path(domain_id), HttpMethod::Post,
          dns51_record_body(step.record, present, record_id_of(record_ids, step.record), pair.ip, domain_id),
          record_jar);
      const bool record_added = answer.find("successful") != std::string::npos;
      row_failed |= !record_added;
      result += step.name;
      result += record_added ? gbk("成功") : gbk("失败");
      sink.set_status(r, gbk("添加") + result);
    }

    sink.set_time(r, now_text());
    sink.row_done(r, row_failed ? ItemOutcome::Failed : ItemOutcome::Result);
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
  Text decoded = url_decode(block, true);
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

ItemOutcome run_51dns_domain_list(Dns51Client& client,
                                  const std::function<void(std::vector<Dns51DomainRow>)>& add_rows) {
  ItemOutcome outcome = ItemOutcome::Empty;
  // A page that brought no answer ends the listing: the pages after it are not asked for.
  auto fetch = [&](int p, Text& page) {
    HttpResponse reply = client.manager_request(dns51_list_path(p), HttpMethod::Get, {});
    RequestOutcome request = request_outcome(reply);
    if (request != RequestOutcome::Answered) {
      outcome = combined_outcome(outcome, item_outcome(request, false));
      return false;
    }
    page = response_text(reply.body);
    return true;
  };
  Text page;
  if (!fetch(1, page)) return outcome;
  int pages = dns51_page_count(parse_51dns_total(page));
  for (int p = 1; p <= pages; ++p) {
    if (!fetch(p, page)) break;
    std::vector<Dns51DomainRow> rows = parse_51dns_page(page, p);
    // A page that answers with no domain lies past the end: a total larger than the list (a
    // changed list or a lying pager) must not send a request for every page it claims.
    if (rows.empty()) break;
    outcome = combined_outcome(outcome, ItemOutcome::Result);
    add_rows(std::move(rows));
  }
  return outcome;
}

std::string dns51_delete_path() { return "/?controller=members/operate&r=0.8352921591379601"; }

std::string dns51_delete_body(std::string_view domain_id) {
  return "domainsID=" + form_value(domain_id) + "_&action=delete";
}

}  // namespace tessaly
