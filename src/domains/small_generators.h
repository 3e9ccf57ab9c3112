#pragma once
// Small list generators: domain prefixes, URL and link forms of domains, suffixes added or cut
// off, runs of IP addresses, and anchor tags around URL rules. Each turns the items of a list
// into output lines (every line followed by CR LF).
#include <string>
#include <string_view>
#include <vector>

#include "core/text/line_output.h"
#include "core/text/text.h"

namespace tessaly {

// prefix + domain for every domain ("gov.cn." + domain).
void prefixed_lines(const TextList& domains, std::string_view prefix, LineOutput& out);

// URL forms: "http://www." + d + "/" (both), "http://www." + d (www only), "http://" + d + "/"
// (slash only); nothing with neither.
void url_form_lines(const TextList& domains, bool add_www, bool add_slash, LineOutput& out);

// Links take precedence: "<p>" + n + "--------<a href=\"http://" + d + "\" target=\"_blank\">" +
// d + "</a></p>" with n counting from 1; otherwise "www." + d when www_only; nothing with neither.
void www_or_link_lines(const TextList& domains, bool links, bool www_only, LineOutput& out);

// item + suffix for every item.
void suffixed_lines(const TextList& items, std::string_view suffix, LineOutput& out);

// The part of every line before the first occurrence of the separator (ASCII letters compared
// without case); lines without the separator give nothing. The separator is taken literally.
void cut_before_lines(std::string_view text, std::string_view separator, LineOutput& out);

// prefix + first_text as typed, then prefix + (first + i) for i = 1 .. last - first.
void ip_run_lines(std::string_view prefix, std::string_view first_text, std::string_view last_text,
                  LineOutput& out);

// "<a href=\"" + rule + "\" target=\"_blank\">" + link_text + "</a>" for every rule.
void rule_link_lines(const TextList& rules, std::string_view link_text, LineOutput& out);

// A URL rule template: a public site's search, tag or album page whose query or path ends with
// the keyword and number placeholders. The hosts are configuration; the rules show in the
// rules box, where the user edits them freely.
struct OutreachRule {
  const char* host;
  const char* path;  // "/tag/", "/s?wd=" ...
  bool gbk;          // placeholders "{关键字_GBK}{号码_GBK}" instead of the UTF-8 ones
  const char* tail;  // text after the placeholders
};
const std::vector<OutreachRule>& outreach_rules();
// The default text of the rules box: every rule as "http://" + host + path + placeholders + tail.
std::string default_outreach_rules_text();  // GBK, CR LF separated
// The default link text.
std::string default_link_text();  // GBK

// The default items of the suffix window: 20 labels of five lower-case letters and digits.
std::string default_suffix_samples();

}  // namespace tessaly
