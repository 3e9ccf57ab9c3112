#pragma once
// Small helpers for web pages and generated texts. Texts are GBK.
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// The text after `left` (searched from start) up to the first `right` after it; empty when
// either is missing. ASCII-only case folding when asked.
std::string text_between(std::string_view text, std::string_view left, std::string_view right, int start = 1,
                         bool case_insensitive = false);
// Every text between `left` and `right`, into `out` (replaced); returns the number of items.
// From `start` (1-based) it finds left, then right after it (ASCII letters folded unless
// case_sensitive), takes the text between them trimmed of spaces (ASCII and full-width) and goes
// on looking for left at the position where that right marker was found, so equal markers also
// yield what lies between two quoted values ("'a','b'" gives a, comma, b). It stops at the first
// missing marker, at the first value that is empty after trimming, and at the first value longer
// than max_length bytes (0: no limit). Each item is prefix + value + suffix, with left in front
// and right behind when asked. Empty markers find nothing.
int extract_all_between(std::string_view text, std::string_view left, std::string_view right,
                        std::vector<std::string>& out, bool case_sensitive = false, int max_length = 0,
                        std::string_view prefix = {}, std::string_view suffix = {}, bool include_left = false,
                        bool include_right = false, int start = 1);
// Removes script and style blocks, tags and character entities (a pattern search replaced by
// nothing: "<script[\s\S]*?</script>|<style[\s\S]*?</style>|<[^>]+>|&.{1,8};").
std::string strip_html(std::string_view text);
// A web page as GBK text, decoded in the page's own charset: the charset of the response's
// Content-Type header (`head`: the raw response head), else of a meta tag near the start of the
// page, else UTF-8 when the bytes are well-formed UTF-8 and GBK otherwise. Cut at its first
// zero byte.
std::string web_page_text(std::string_view body, std::string_view head);
// The charset a response head or a page declares ("" when none), in lower case.
std::string declared_charset(std::string_view body, std::string_view head);
// Character references (&amp; &lt; &#20013; &#x4e2d; and the common named ones) as the GBK
// characters they stand for; "?" for one GBK cannot hold; unknown names stay as written.
std::string decode_html_entities(std::string_view text);
// The apostrophe becomes "’", then ECMAScript's escape() of the text as Unicode: A-Z a-z 0-9
// @*_+-./ stay, other characters below 256 become %XX, the rest %uXXXX (upper-case hex).
std::string js_escape(std::string_view text);
// The real Unix time (UTC based, whatever the machine's time zone) in milliseconds as 13 digits:
// the seconds, then the milliseconds padded to three digits. seconds_only: the first 10.
std::string unix_time_text(bool seconds_only = false);

struct DateParts {
  int year, month, day, hour = 0, minute = 0, second = 0;
};
// "2024-03-07": four-digit year, two-digit month and day.
std::string date_text(const DateParts& date);
// The local date and time now.
DateParts local_now();
// "2024年3月7日9时5分" style: no leading zeros, trailing zero seconds then minutes left off,
// midnight as the date alone.
std::string date_time_text(const DateParts& date);

}  // namespace tessaly
