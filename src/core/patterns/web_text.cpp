#include "core/patterns/web_text.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "core/patterns/pattern_matcher.h"
#include "core/text/charset.h"
#include "core/text/gbk_unicode.h"
#include "core/text/text.h"

namespace tessaly {

std::string text_between(std::string_view text, std::string_view left, std::string_view right, int start,
                         bool case_insensitive) {
  if (left.empty() || right.empty()) return {};
  int at = find_text(text, left, start, case_insensitive);
  if (at == kNotFound) return {};
  int from = at + static_cast<int>(left.size());
  int end = find_text(text, right, from, case_insensitive);
  if (end == kNotFound) return {};
  return std::string(text.substr(static_cast<size_t>(from - 1), static_cast<size_t>(end - from)));
}

std::string strip_html(std::string_view text) {
  PatternMatcher m;
  if (!m.search("<script[\\s\\S]*?</script>|<style[\\s\\S]*?</style>|<[^>]+>|&.{1,8};", text))
    return std::string(text);
  return m.replace_all("");
}

std::string js_escape(std::string_view text) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size();) {
    int size = 1;
    char32_t c = text[i] == '\'' ? U'\u2019' : detail::decode_gbk(text, i, size);
    i += static_cast<size_t>(size);
    bool plain =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
        (c < 0x80 && std::string_view("@*_+-./").find(static_cast<char>(c)) != std::string_view::npos);
    if (plain) {
      out += static_cast<char>(c);
    } else if (c < 0x100) {
      out += '%';
      out += hex[(c >> 4) & 0xF];
      out += hex[c & 0xF];
    } else {
      out += "%u";
      for (int shift = 12; shift >= 0; shift -= 4) out += hex[(c >> shift) & 0xF];
    }
  }
  return out;
}

std::string unix_time_text(bool seconds_only) {
  // Milliseconds since the Unix epoch (UTC): the same figure in every time zone.
  auto now = std::chrono::system_clock::now();
  long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld%03lld", ms / 1000, ms % 1000);
  std::string s(buf);
  return seconds_only ? s.substr(0, 10) : s;
}

std::string date_text(const DateParts& date) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", date.year, date.month, date.day);
  return buf;
}

DateParts local_now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string date_time_text(const DateParts& date) {
  std::string s = std::to_string(date.year) + gbk("年") + std::to_string(date.month) + gbk("月") +
                  std::to_string(date.day) + gbk("日");
  if (date.hour == 0 && date.minute == 0 && date.second == 0) return s;
  s += std::to_string(date.hour) + gbk("时");
  if (date.minute == 0 && date.second == 0) return s;
  s += std::to_string(date.minute) + gbk("分");
  if (date.second == 0) return s;
  return s + std::to_string(date.second) + gbk("秒");
}

}  // namespace tessaly
