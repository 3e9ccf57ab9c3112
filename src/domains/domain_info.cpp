#include "domains/domain_info.h"

#include "core/http/endpoints.h"
#include "core/http/http.h"
#include "core/jobs/job.h"
#include "core/patterns/pattern_matcher.h"
#include "core/text/charset.h"

namespace tessaly::domains {

const char* const kDomainIpFile = "域名-IP.txt";

namespace {

const char* const kWhoisMarker = "<div class=\"div_whois\">";

const std::string& whois_pattern() {
  static const std::string p =
      gbk("<div id=\"whoisinfo\" "
          "class=\"div_whois\">注册商：(.*?)<br/>域名服务器：(.*?)<br/>DNS服务器：(.*?)<br/>"
          ".*?<br/>更新时间：(.*?)<br/>创建时间：(.*?)<br/>过期时间：(.*?)<br/>");
  return p;
}

}  // namespace

Text all_rows_line(int i, const DomainInfoRow& row) {
  static const char* const labels[] = {"-域名-",     "-注册商-",   "-域名服务器-", "-DNS服务器-",
                                       "-更新时间-", "-创建时间-", "-过期时间-"};
  static const std::vector<std::string> gbk_labels = [] {
    std::vector<std::string> out;
    for (const char* l : labels) out.push_back(gbk(l));
    return out;
  }();
  Text line = to_text(i);
  for (size_t c = 0; c < row.size(); ++c) line += gbk_labels[c] + row[c];
  return line;
}

std::string whois_url(const Text& domain) {
  return endpoint_base("CHINAZ_WHOIS") + "/?Domain=" + domain + "&isforceupdate=1";
}

std::string ip_page_url(const Text& domain) { return endpoint_base("CHINAZ_IP") + "/?IP=" + domain; }

Text info_page_text(const Bytes& body) { return to_text_bytes(body); }

Text info_decoded_text(const Text& page_text) { return url_decode(page_text, true); }

bool has_whois_marker(const Text& page_text) { return find_text(page_text, kWhoisMarker) != kNotFound; }

WhoisResult read_whois(PatternMatcher& matcher, const Text& decoded_text) {
  WhoisResult result;
  if (find_text(decoded_text, whois_unregistered_text()) != kNotFound) {
    result.outcome = WhoisOutcome::Unregistered;
    return result;
  }
  matcher.search(whois_pattern(), decoded_text);
  if (matcher.match_count() == 0) {
    result.outcome = WhoisOutcome::Unreadable;
    return result;
  }
  for (int j = 1; j <= 6; ++j) result.fields[static_cast<size_t>(j - 1)] = matcher.group_text(1, j);
  return result;
}

Text read_ip_address(const Text& decoded_text) {
  PatternMatcher matcher;
  matcher.search(gbk("查询结果\\[1\\]: (.*?) ==>>"), decoded_text);
  return matcher.group_text(1, 1);
}

const Text& whois_unregistered_text() {
  static const Text text = gbk("该域名未被注册");
  return text;
}

void run_whois_query(const WhoisOptions& options, WhoisSink& sink) {
  static const std::string visiting = gbk("正在访问域名-");
  static const std::string loading = gbk(" -正在加载中..请勿关闭。\r\n");
  static const std::string domain_label = gbk("域名：");
  PatternMatcher matcher;
  for (size_t l = 0; l < options.domains.size(); ++l) {
    const Text& d = options.domains[l];
    const int index = static_cast<int>(l);
    sink.status(visiting + d + loading);
    const std::string url = whois_url(d);
    HttpResponse response = http_request_bytes(url);
    Text page = info_page_text(response.body);
    sleep_ms(options.delay_ms ? options.delay_ms() : 0);
    // A page without the whois block is asked for again a few times, each time after a longer
    // pause; the service is not hammered and the run goes on. A refusal is not asked again.
    for (int attempt = 1; attempt <= options.retries && !has_whois_marker(page) && !response.rate_limited;
         ++attempt) {
      sleep_ms(options.retry_pause_ms * attempt);
      response = http_request_bytes(url);
      page = info_page_text(response.body);
    }
    DomainInfoRow row{};
    row[0] = d;
    if (!has_whois_marker(page)) {
      const bool limited = request_outcome(response) == RequestOutcome::RateLimited;
      sink.request_problem(
          index + 1, limited ? RequestOutcome::RateLimited : RequestOutcome::Failed,
          response.ok() && response.status < 400 ? "no whois block in the page" : request_problem(response));
      row[1] = limited ? rate_limited_text() : query_failed_text();
      sink.write_row(index, row, limited ? ItemOutcome::RateLimited : ItemOutcome::Failed);
      sink.status(limited ? domain_label + d + rate_limited_text() + gbk("。\r\n")
                          : domain_label + d + gbk("查询失败：whois页面重试") + to_text(options.retries) +
                                gbk("次后仍没有结果。\r\n"));
      continue;
    }
    WhoisResult whois = read_whois(matcher, info_decoded_text(page));
    if (whois.outcome == WhoisOutcome::Unregistered) {
      row[1] = whois_unregistered_text();
      sink.write_row(index, row, ItemOutcome::Empty);
      sink.status(domain_label + d + gbk("是未注册的域名。\r\n"));
      continue;
    }
    if (whois.outcome == WhoisOutcome::Unreadable) {
      // The block is there but not what it should hold: nothing says the domain is registered.
      sink.request_problem(index + 1, RequestOutcome::Failed, "no whois fields in the page");
      row[1] = query_failed_text();
      sink.write_row(index, row, ItemOutcome::Failed);
      sink.status(domain_label + d + gbk("查询失败：whois页面里读不到注册信息。\r\n"));
      continue;
    }
    sink.status(domain_label + d + gbk("访问成功。。。\r\n"));
    for (size_t j = 0; j < 6; ++j) row[j + 1] = whois.fields[j];
    sink.write_row(index, row, ItemOutcome::Result);
    sink.status(domain_label + d + gbk("是注册好的域名哦。\r\n"));
  }
}

void run_ip_query(const TextList& domains, IpQuerySink& sink) {
  for (size_t k = 0; k < domains.size(); ++k) {
    const Text& d = domains[k];
    HttpResponse response = http_request_bytes(ip_page_url(d));
    RequestOutcome request = page_outcome(response);
    if (request != RequestOutcome::Answered)
      sink.request_problem(static_cast<int>(k) + 1, request, page_problem(response));
    Text ip = request == RequestOutcome::Answered
                  ? read_ip_address(info_decoded_text(info_page_text(response.body)))
                  : Text();
    ItemOutcome outcome = item_outcome(request, !ip.empty());
    sink.add_row(
        d, outcome == ItemOutcome::Failed || outcome == ItemOutcome::RateLimited ? failure_text(outcome) : ip,
        outcome);
  }
}

std::string info_export_file(InfoExport mode) {
  switch (mode) {
    case InfoExport::ErrorDomains:
      return "错误域名.txt";
    case InfoExport::AllRows:
      return "所有域名.txt";
    case InfoExport::DomainDns:
      return "域名-dns.txt";
  }
  return {};
}

Text info_export_text(const std::vector<DomainInfoRow>& rows, InfoExport mode) {
  static const std::string domain_label = gbk("-域名-");
  static const std::string dns_label = gbk("-DNS服务器-");
  static const std::string error_pattern = gbk(".*?-域名-(.*?)-.*?域名服务器--DNS服务器--更新时间");
  PatternMatcher matcher;
  Text out;
  for (size_t r = 0; r < rows.size(); ++r) {
    const int i = static_cast<int>(r) + 1;
    const DomainInfoRow& row = rows[r];
    switch (mode) {
      case InfoExport::AllRows:
        out += all_rows_line(i, row);
        break;
      case InfoExport::ErrorDomains:
        matcher.search(error_pattern, all_rows_line(i, row));
        out += matcher.group_text(1, 1);
        break;
      case InfoExport::DomainDns:
        out += to_text(i) + domain_label + row[0] + dns_label + row[3];
        break;
    }
    out += "\r\n";
  }
  return out;
}

Text domain_ip_export_text(const std::vector<DomainInfoRow>& rows) {
  Text out;
  for (const DomainInfoRow& row : rows) out += row[0] + "-" + row[1] + "\r\n";
  return out;
}

}  // namespace tessaly::domains
