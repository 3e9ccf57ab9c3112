#include "dns/dnspod_client.h"

#include "core/http/endpoints.h"
#include "core/http/http.h"
#include "core/jobs/job.h"
#include "core/patterns/pattern_matcher.h"
#include "core/patterns/web_text.h"
#include "core/text/charset.h"
#include "core/text/files.h"

namespace tessaly {
namespace {

constexpr std::string_view kEndpoint = "DNSPOD_WEB";

std::string base_url() { return endpoint_base(kEndpoint); }

// The fixed pieces of the create-record body around the record's sub-domain.
std::string_view sub_domain_piece(DnsRecord record) {
  switch (record) {
    case DnsRecord::At:
      return "&ttl=600&sub_domain=%40&record_type=A&record_line=%E9%BB%98%E8%AE%A4&value=";
    case DnsRecord::Www:
      return "&ttl=600&sub_domain=www&record_type=A&record_line=%E9%BB%98%E8%AE%A4&value=";
    case DnsRecord::Star:
      return "&ttl=600&sub_domain=*&record_type=A&record_line=%E9%BB%98%E8%AE%A4&value=";
  }
  return {};
}

// The texts of one record step: running, succeeded, failed, and the log line's tail.
struct RecordStep {
  DnsRecord record;
  const char* running;
  const char* succeeded;
  const char* failed;
  const char* log_tail;
};

constexpr RecordStep kRecordSteps[] = {
    {DnsRecord::At, "正在添加域名记录@>>>", "添加记录@成功>>>", "添加记录@失败>>>", " @解析失败\r\n"},
    {DnsRecord::Www, "正在添加域名记录www>>>", "添加记录www成功>>>", "添加记录www失败>>>",
     " www解析失败\r\n"},
    {DnsRecord::Star, "正在添加域名记录*>>>", "添加记录*成功>>>", "添加记录*失败>>>", " *解析失败\r\n"},
};

}  // namespace

DnspodClient& DnspodClient::instance() {
  static DnspodClient client;
  return client;
}

HttpResponse DnspodClient::request(const std::string& url, HttpMethod method, std::string_view body) {
  return session_request(mutex_, session_cookies_, url, method, body);
}

DnsLoginResult DnspodClient::login(std::string_view email, std::string_view password) {
  {
    std::lock_guard lock(mutex_);
    logged_in_ = false;
  }
  HttpResponse page = request(base_url() + "/Login", HttpMethod::Get, {});
  if (request_outcome(page) != RequestOutcome::Answered)
    return {DnsLogin::Failed, gbk("打开登录页面失败：") + request_problem_text(page)};
  HttpResponse reply =
      request(base_url() + "/Auth/Login", HttpMethod::Post, dnspod_login_body(email, password));
  Text answer = response_text(reply.body);
  std::lock_guard lock(mutex_);
  xsrf_pair_ = cookie_value(session_cookies_, "_xsrf", false);
  logged_in_ = answer.find(dnspod_login_marker()) != std::string::npos;
  if (logged_in_) return {DnsLogin::Succeeded, {}};
  if (request_outcome(reply) != RequestOutcome::Answered)
    return {DnsLogin::Failed, gbk("提交登录失败：") + request_problem_text(reply)};
  // The console answers with a status either way; an answer without one says nothing.
  if (answer.find("\"status\"") == std::string::npos)
    return {DnsLogin::NoAnswer, gbk("服务器的回答里没有登录结果")};
  return {DnsLogin::Failed, {}};
}

bool DnspodClient::logged_in() const {
  std::lock_guard lock(mutex_);
  return logged_in_;
}

void DnspodClient::logout() { clear_site_cookies(service_cookie_domain(kEndpoint)); }

void DnspodClient::run_batch(DnsBatchSink& sink) {
  run_dnspod_batch(*this, sink, {.failure_log_path = failure_log_path()});
}

std::string DnspodClient::failure_log_path() const { return program_path({"DNSpod添加失败记录.txt"}); }

ItemOutcome DnspodClient::list_domains(const std::function<void(DomainRows)>& add_rows) {
  HttpResponse reply = api_request("/Api/Domain.List", {});
  RequestOutcome request = request_outcome(reply);
  if (request != RequestOutcome::Answered) return item_outcome(request, false);
  std::vector<DnspodDomainRow> rows = parse_dnspod_domain_list(response_text(reply.body));
  for (DnspodDomainRow& row : rows) {
    add_rows({{std::move(row.name), std::move(row.id), to_text(row.position), std::move(row.status),
               std::move(row.records)}});
    sleep_ms(50);
  }
  return rows.empty() ? ItemOutcome::Empty : ItemOutcome::Result;
}

bool DnspodClient::delete_domain(std::string_view domain_id) {
  return dnspod_removed(api_post("/Api/Domain.Remove", dnspod_remove_body(domain_id)));
}

Text DnspodClient::api_post(std::string_view path, std::string_view body) {
  return response_text(api_request(path, body).body);
}

HttpResponse DnspodClient::api_request(std::string_view path, std::string_view body) {
  std::string url = base_url() + std::string(path) + "?" + xsrf_pair();
  return request(url, HttpMethod::Post, body);
}

std::string DnspodClient::session_cookies() const {
  std::lock_guard lock(mutex_);
  return session_cookies_;
}

std::string DnspodClient::xsrf_pair() const {
  std::lock_guard lock(mutex_);
  return xsrf_pair_;
}

void DnspodClient::set_session(std::string cookies, std::string xsrf_pair) {
  std::lock_guard lock(mutex_);
  logged_in_ = false;
  session_cookies_ = std::move(cookies);
  xsrf_pair_ = std::move(xsrf_pair);
}

const std::string& dnspod_login_marker() {
  static const std::string marker = R"({"status":"success","string":"\/Domain"})";
  return marker;
}

std::string dnspod_login_body(std::string_view email, std::string_view password) {
  // The e-mail box may hold percent sequences that stand for bytes: they are decoded, and the
  // bytes are then encoded again so that they arrive as they were meant.
  return "email=" + form_bytes(url_decode(email)) + "&password=" + form_value(trim_both(password)) +
         "&multilogin=f";
}

std::string dnspod_create_domain_body(std::string_view domain) {
  return "format=json&lang=cn&error_on_empty=no&use_session=yes&domain=" + form_value(domain) +
         "&group_id=1&is_mark=no";
}

std::string dnspod_create_record_body(DnsRecord record, std::string_view domain_id, std::string_view domain,
                                      std::string_view ip) {
  std::string body =
      "domain_id=" + form_value(domain_id) + "&domain_grade=DP_Free&domain=" + form_value(domain);
  body += sub_domain_piece(record);
  body += form_value(ip);
  body += "&mx=-&format=json&lang=cn&error_on_empty=no&use_session=yes";
  return body;
}

bool dnspod_succeeded(std::string_view response) {
  return response.find(R"("code":"1")") != std::string_view::npos;
}

Text dnspod_domain_id(std::string_view response) {
  return text_between(response, R"("domain":{"id":")", R"(","punycode")");
}

void run_dnspod_batch(DnspodClient& client, DnsBatchSink& sink, const DnspodBatchOptions& options) {
  const int count = sink.row_count();
  std::string failures;
  auto log_failure = [&](const Text& line) {
    failures += line;
    replace_file(options.failure_log_path, failures);  // a log that cannot be written is ignored
  };
  for (int r = 0; r < count; ++r) {
    checkpoint();
    DomainIpPair pair = sink.row(r);
    Text domain_id;
    bool row_failed = false;

    sink.set_status(r, gbk("正在添加域名>>>"));
    Text answer = client.api_post("/Api/Domain.Create", dnspod_create_domain_body(pair.domain));
    if (dnspod_succeeded(answer)) {
      domain_id = dnspod_domain_id(answer);
      sink.set_status(r, gbk("添加域名成功>>>"));
    } else {
      sink.set_status(r, gbk("添加域名失败>>>"));
      row_failed = true;
      log_failure(gbk("域名：") + pair.domain + gbk(" 添加失败！\r\n"));
    }

    // The record steps run whether or not the domain was created (then with an empty ID).
    for (const RecordStep& step : kRecordSteps) {
      if (!sink.ticks().has(step.record)) continue;
      sink.set_status(r, gbk(step.running));
      Text reply = client.api_post("/Api/Record.Create",
                                   dnspod_create_record_body(step.record, domain_id, pair.domain, pair.ip));
      if (dnspod_succeeded(reply)) {
        sink.set_status(r, gbk(step.succeeded));
      } else {
        sink.set_status(r, gbk(step.failed));
        row_failed = true;
        log_failure(gbk("域名：") + pair.domain + gbk(step.log_tail));
      }
    }

    sink.set_time(r, now_text());
    sink.show_row(r);
    sink.row_done(r, row_failed ? ItemOutcome::Failed : ItemOutcome::Result);
    int delay = sink.delay_seconds();
    if (delay > 0) sleep_ms(delay * 1000);
  }
}

const std::string& dnspod_item_pattern() {
  static const std::string pattern =
      "<id>(.*?)</id>\r\n<status>.*?</status>\r\n<grade>.*?</grade>\r\n<group_id>.*?</group_id>\r\n"
      "<searchengine_push>.*?</searchengine_push>\r\n<is_mark>.*?</is_mark>\r\n<ttl>.*?</ttl>\r\n"
      "<cname_speedup>.*?</cname_speedup>\r\n<remark></remark>\r\n<created_on>.*?</created_on>\r\n"
      "<updated_on>.*?</updated_on>\r\n<punycode>.*?</punycode>\r\n<ext_status>(.*?)</ext_status>\r\n"
      "<name>(.*?)</name>\r\n<grade_title>.*?</grade_title>\r\n<is_vip>.*?</is_vip>\r\n<owner>.*?</owner>\r\n"
      "<records>(.*?)</records>";
  return pattern;
}

std::vector<DnspodDomainRow> parse_dnspod_domain_list(std::string_view response) {
  std::vector<DnspodDomainRow> rows;
  TextList pieces = split_text(response, "<item>");
  const Text error_status = gbk("状态错误"), normal_status = gbk("域名状态正常");
  const Text records_left = gbk("记录数"), records_right = gbk("条");
  PatternMatcher matcher;
  for (size_t p = 0; p < pieces.size(); ++p) {
    if (!matcher.search(dnspod_item_pattern(), pieces[p])) continue;
    for (int m = 1; m <= matcher.match_count(); ++m) {
      DnspodDomainRow row;
      row.id = matcher.group_text(m, 1);
      row.status = matcher.group_text(m, 2) == "dnserror" ? error_status : normal_status;
      row.name = matcher.group_text(m, 3);
      // In long long: a count near the int limit must not overflow when the two default records go.
      row.records = records_left + to_text(static_cast<long long>(to_int(matcher.group_text(m, 4))) - 2) +
                    records_right;
      row.position = static_cast<int>(p);  // piece p + 1, numbered from 1, shows p
      rows.push_back(std::move(row));
    }
  }
  return rows;
}

std::string dnspod_remove_body(std::string_view domain_id) {
  return "format=json&lang=cn&error_on_empty=no&use_session=yes&domain_id=" + form_value(domain_id);
}

bool dnspod_removed(std::string_view response) {
  return response.find(R"("status":{"code":"1","message)") != std::string_view::npos;
}

Text dnspod_removed_line(std::string_view name) { return std::string(name) + gbk("--成功-删除\r\n"); }

}  // namespace tessaly
