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

int extract_all_between(std::string_view text, std::string_view left, std::string_view right,
                        std::vector<std::string>& out, bool case_sensitive, int max_length,
                        std::string_view prefix, std::string_view suffix, bool include_left,
                        bool include_right, int start) {
  out.clear();
  if (left.empty() || right.empty()) return 0;
  const bool fold = !case_sensitive;
  int from = start < 1 ? 1 : start;
  while (true) {
    int at = find_text(text, left, from, fold);
    if (at == kNotFound) break;
    int value_start = at + static_cast<int>(left.size());
    int end = find_text(text, right, value_start, fold);
    if (end == kNotFound) break;
    Text value =
        trim_both(text.substr(static_cast<size_t>(value_start - 1), static_cast<size_t>(end - value_start)));
    if (value.empty()) break;
    if (max_length > 0 && static_cast<int>(value.size()) > max_length) break;
    std::string item;
    item.reserve(left.size() + prefix.size() + value.size() + suffix.size() + right.size());
    if (include_left) item += left;
    item += prefix;
    item += value;
    item += suffix;
    if (include_right) item += right;
    out.push_back(std::move(item));
    // The next left marker may be the right marker just found (quoted lists).
    from = end;
  }
  return static_cast<int>(out.size());
}

std::string strip_html(std::string_view text) {
  PatternMatcher m;
  if (!m.search("<script[\\s\\S]*?</script>|<style[\\s\\S]*?</style>|<[^>]+>|&.{1,8};", text))
    return std::string(text);
  return m.replace_all("");
}

namespace {

bool is_charset_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':';
}

// The charset named after "charset" in lower-cased text (spaces, "=" and quotes skipped).
std::string charset_after(std::string_view lower, size_t at) {
  at += 7;  // "charset"
  while (at < lower.size() && (lower[at] == ' ' || lower[at] == '\t')) ++at;
  if (at >= lower.size() || lower[at] != '=') return {};
  ++at;
  while (at < lower.size() &&
         (lower[at] == ' ' || lower[at] == '\t' || lower[at] == '"' || lower[at] == '\''))
    ++at;
  size_t end = at;
  while (end < lower.size() && is_charset_char(lower[end])) ++end;
  return std::string(lower.substr(at, end - at));
}

std::string ascii_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// How far into a page a meta tag naming the charset is looked for.
constexpr size_t kMetaScanBytes = 8192;

}  // namespace

std::string declared_charset(std::string_view body, std::string_view head) {
  std::string lower_head = ascii_lower(head);
  for (size_t pos = 0; pos < lower_head.size();) {
    size_t end = lower_head.find('\n', pos);
    if (end == std::string::npos) end = lower_head.size();
    std::string_view line = std::string_view(lower_head).substr(pos, end - pos);
    pos = end + 1;
    if (line.rfind("content-type:", 0) != 0) continue;
    size_t at = line.find("charset");
    if (at == std::string_view::npos) continue;
    std::string name = charset_after(line, at);
    if (!name.empty()) return name;
  }
  std::string lower = ascii_lower(body.substr(0, kMetaScanBytes));
  for (size_t pos = lower.find("<meta"); pos != std::string::npos; pos = lower.find("<meta", pos + 5)) {
    size_t close = lower.find('>', pos);
    std::string_view tag =
        std::string_view(lower).substr(pos, close == std::string::npos ? std::string::npos : close - pos);
    size_t at = tag.find("charset");
    if (at == std::string_view::npos) continue;
    std::string name = charset_after(tag, at);
    if (!name.empty()) return name;
  }
  return {};
}

std::string web_page_text(std::string_view body, std::string_view head) {
  const std::string charset = declared_charset(body, head);
  if (charset == "gbk" || charset == "gb2312" || charset == "x-gbk" || charset == "cp936" ||
      charset == "windows-936")
    return to_text_bytes(body);
  if (charset == "utf-8" || charset == "utf8") return to_text_bytes(convert_charset(body, "UTF-8", "GBK"));
  if (!charset.empty()) {
    // A charset the converter does not know gives nothing: the page is then guessed at.
    std::string converted = convert_charset(body, charset, "GBK");
    if (!converted.empty() || body.empty()) return to_text_bytes(converted);
  }
  return to_text_bytes(is_utf8(body) ? convert_charset(body, "UTF-8", "GBK") : std::string(body));
}

std::string decode_html_entities(std::string_view text) {
  static const struct {
    const char* name;
    char32_t code;
  } kNamed[] = {{"amp", U'&'},     {"lt", U'<'},      {"gt", U'>'},       {"quot", U'"'},    {"apos", U'\''},
                {"nbsp", U' '},    {"copy", 0xA9},    {"reg", 0xAE},      {"trade", 0x2122}, {"middot", 0xB7},
                {"mdash", 0x2014}, {"ndash", 0x2013}, {"hellip", 0x2026}, {"laquo", 0xAB},   {"raquo", 0xBB},
                {"ldquo", 0x201C}, {"rdquo", 0x201D}, {"lsquo", 0x2018},  {"rsquo", 0x2019}, {"times", 0xD7},
                {"divide", 0xF7},  {"deg", 0xB0},     {"yen", 0xA5},      {"bull", 0x2022},  {"ensp", U' '},
                {"emsp", 0x3000}};
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    size_t amp = text.find('&', i);
    if (amp == std::string_view::npos) break;
    out.append(text.substr(i, amp - i));
    i = amp + 1;
    size_t semi = text.find(';', amp);
    if (semi == std::string_view::npos || semi - amp > 12) {
      out += '&';
      continue;
    }
    std::string_view ref = text.substr(amp + 1, semi - amp - 1);
    char32_t code = 0;
    bool known = false;
    if (ref.size() >= 2 && ref[0] == '#') {
      bool hex = ref[1] == 'x' || ref[1] == 'X';
      std::string_view digits = ref.substr(hex ? 2 : 1);
      known = !digits.empty();
      unsigned long value = 0;
      for (char c : digits) {
        int d = (c >= '0' && c <= '9')          ? c - '0'
                : hex && (c >= 'a' && c <= 'f') ? c - 'a' + 10
                : hex && (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                : -1;
        if (d < 0) known = false;
        if (!known) break;
        value = value * (hex ? 16 : 10) + static_cast<unsigned long>(d);
        if (value > 0x10FFFF) value = 0x110000;
      }
      // References to nothing printable stand for the replacement character.
      code = (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
                 ? U'?'
                 : static_cast<char32_t>(value);
    } else {
      for (const auto& e : kNamed) {
        if (ref == e.name) {
          code = e.code;
          known = true;
          break;
        }
      }
    }
    if (!known) {
      out += '&';
      continue;
    }
    std::string utf8_char;
    detail::append_utf8(utf8_char, code);
    out += convert_charset(utf8_char, "UTF-8", "GBK");
    i = semi + 1;
  }
  out.append(text.substr(std::min(i, text.size())));
  return out;
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
