#include "domains/small_generators.h"

#include "core/text/charset.h"

namespace tessaly {

void prefixed_lines(const TextList& domains, std::string_view prefix, LineOutput& out) {
  for (const auto& d : domains) out.line(prefix, d);
}

void url_form_lines(const TextList& domains, bool add_www, bool add_slash, LineOutput& out) {
  if (!add_www && !add_slash) return;
  std::string_view head = add_www ? "http://www." : "http://";
  std::string_view tail = add_slash ? "/" : "";
  for (const auto& d : domains) out.line(head, d, tail);
}

void www_or_link_lines(const TextList& domains, bool links, bool www_only, LineOutput& out) {
  if (links) {
    long long n = 0;
    for (const auto& d : domains) {
      std::string number = to_text(++n);
      out.line("<p>", number, "--------<a href=\"http://", d, "\" target=\"_blank\">", d, "</a></p>");
    }
    return;
  }
  if (www_only)
    for (const auto& d : domains) out.line("www.", d);
}

void suffixed_lines(const TextList& items, std::string_view suffix, LineOutput& out) {
  for (const auto& item : items) out.line(item, suffix);
}

void cut_before_lines(std::string_view text, std::string_view separator, LineOutput& out) {
  if (separator.empty()) return;
  for (const auto& line : split_lines(text)) {
    int at = find_text(line, separator, 1, true);
    if (at != kNotFound) out.line(std::string_view(line).substr(0, static_cast<size_t>(at - 1)));
  }
}

void ip_run_lines(std::string_view prefix, std::string_view first_text, std::string_view last_text,
                  LineOutput& out) {
  long long first = to_int(first_text);
  long long last = to_int(last_text);
  out.line(prefix, first_text);
  for (long long i = 1; i <= last - first; ++i) out.line(prefix, to_text(first + i));
}

void rule_link_lines(const TextList& rules, std::string_view link_text, LineOutput& out) {
  for (const auto& rule : rules) out.line("<a href=\"", rule, "\" target=\"_blank\">", link_text, "</a>");
}

const std::vector<OutreachRule>& outreach_rules() {
  static const std::vector<OutreachRule> rules = {
      {"www.douban.com", "/tag/", false, ""},
      {"wenku.baidu.com", "/index/s?wd=", false, ""},
      {"www.ebay.com", "/sch/sis.html?_nkw=", false, ""},
      {"www.amazon.cn", "/s/ref=nb_sb_noss?field-keywords=", false, ""},
      {"zhidao.baidu.com", "/search?word=", false, ""},
      {"image.baidu.com", "/i?tn=baiduimage&ie=utf-8&word=", false, ""},
      {"baike.baidu.com", "/search?word=", false, ""},
      {"www.baidu.com", "/s?wd=", false, ""},
      {"tieba.baidu.com", "/do/s?word=", true, "&ct=21"},
      {"news.sogou.com", "/news/k/", false, ""},
      {"www.dianping.com", "/search?searchquery=", false, ""},
      {"m.baidu.com", "/s?wd=", false, ""},
      {"so.baicai.com", "/search/?f=baicai&q=", false, ""},
      {"www.xiami.com", "/album/", false, ""},
      {"news.baidu.com", "/s?wd=", false, ""},
      {"search.china.com", "/third.cgi?w=", true, ""},
      {"v.baidu.com", "/s?wd=", false, ""},
  };
  return rules;
}

std::string default_outreach_rules_text() {
  std::string out;
  for (const auto& r : outreach_rules()) {
    if (!out.empty()) out += "\r\n";
    out += "http://";
    out += r.host;
    out += r.path;
    out += gbk(r.gbk ? "{关键字_GBK}{号码_GBK}" : "{关键字_UTF8}{号码_UTF8}");
    out += r.tail;
  }
  return out;
}

std::string default_link_text() { return gbk("{关键字_GBK}{号码_GBK}"); }

std::string default_suffix_samples() {
  static const char* samples[] = {"7wndw", "z1931", "8sp92", "k3m0q", "p8x2a", "4hd7e", "qn05r",
                                  "t9b3c", "w2kx8", "m6y1v", "3fz8u", "j0c4n", "r5s2g", "x7e9p",
                                  "a1l6h", "6ugt3", "c8w0d", "n4q7b", "e2r5k", "9vj1s"};
  return join_text(TextList(std::begin(samples), std::end(samples)), "\r\n");
}

}  // namespace tessaly
